#pragma once

// The call log of the simulated applications, and their failure injection. Every call that
// reaches a simulated object through Invoke or GetIDsOfNames is numbered, counted per member
// and (unless logging is off) recorded here, and an injected failure may answer it instead.
// A simulated Excel and the Office it hosts share one log, so their calls are numbered in
// one sequence, in the order they arrive.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "host/object.h"

namespace tarvex::sim {

/// One call that arrived through Invoke: "Range.Find", the invoke kind, the locale, and the
/// arguments as Variant::Describe() texts in declaration order (a put's value last). A name
/// lookup through GetIDsOfNames is recorded as "<Class>.GetIDsOfNames"
/// ("Application.GetIDsOfNames") with kind 0 and the names as arguments.
struct CallRecord {
    std::string member;
    host::InvokeFlags kind;
    std::uint32_t locale;
    std::vector<std::string> args;
};

/// The calls recorded so far and the failures to inject into the next ones.
class CallLog {
public:
    /// Records one call; answers the failure to inject into it, if any.
    std::optional<base::HResult> RecordCall(std::string member, host::InvokeFlags kind,
                                            std::uint32_t locale, std::vector<std::string> args);

    const std::vector<CallRecord>& Calls() const noexcept { return m_calls; }
    /// Forgets the recorded calls and the counts (not the numbering of calls).
    void ClearCalls();
    /// How many calls of `member` arrived since the last ClearCalls.
    std::size_t CallCount(std::string_view member) const;
    /// Keeps only the counts, not the records, while off.
    void SetCallLogging(bool on) noexcept { m_logging = on; }
    /// Makes the k-th call from now (1 = the next one) fail with `code`.
    void FailCall(std::size_t k, base::HResult code);
    /// Makes every call of `member` fail with `code`.
    void FailMember(std::string member, base::HResult code);
    void ClearFailures();

private:
    std::vector<CallRecord> m_calls;
    std::map<std::string, std::size_t, std::less<>> m_callCounts;
    bool m_logging = true;
    std::uint64_t m_callNumber = 0;                       // calls so far
    std::multimap<std::uint64_t, base::HResult> m_failAt; // by call number
    std::map<std::string, base::HResult, std::less<>> m_failMembers;
};

} // namespace tarvex::sim
