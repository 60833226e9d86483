#pragma once

// Seam objects for tests: a Dispatch that records its calls and runs a scripted answer, and
// a counter of live instances to prove that references balance.

#include <functional>
#include <string>
#include <vector>

#include "host/object.h"
#include "host/variant.h"

namespace tarvex::testing {

/// Counts live objects of a kind: incremented by constructors, decremented by destructors.
struct LiveCount {
    int value = 0;
};

/// One Invoke as the callee saw it: arguments in COM order (last first), described.
struct RecordedCall {
    host::DispId member = 0;
    host::InvokeFlags flags = 0;
    std::uint32_t locale = 0;
    std::vector<std::string> args;
    std::vector<host::DispId> named;
};

/// A Dispatch that answers QueryInterface for IUnknown, IDispatch and the extra ids it is
/// given, records every Invoke and answers it with `answer` (S_OK and no result when unset).
class RecordingDispatch : public host::RefCounted<host::Dispatch> {
public:
    using Answer = std::function<base::HResult(const host::DispParams&, host::Variant* result,
                                               host::ExcepInfo* excepInfo)>;

    explicit RecordingDispatch(LiveCount* live = nullptr, std::vector<base::Guid> extraIids = {})
        : m_live(live)
        , m_extraIids(std::move(extraIids)) {
        if (m_live)
            ++m_live->value;
    }
    ~RecordingDispatch() override {
        if (m_live)
            --m_live->value;
    }

    std::vector<RecordedCall> calls;
    Answer answer;
    std::vector<std::u16string> knownNames;

    base::HResult QueryInterface(const base::Guid& iid, void** object) override {
        for (const base::Guid& extra : m_extraIids) {
            if (iid == extra)
                return host::AnswerQuery(iid, object,
                                         {host::InterfaceOffer::Of<host::Dispatch>(iid, this)});
        }
        return host::AnswerQuery(
            iid, object,
            {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown, this),
             host::InterfaceOffer::Of<host::Dispatch>(host::iid::Dispatch, this)});
    }

    base::HResult GetTypeInfoCount(std::uint32_t& count) override {
        count = 0;
        return base::hr::Ok;
    }

    base::HResult GetTypeInfo(std::uint32_t, std::uint32_t) override { return base::hr::NotImpl; }

    /// Names resolve to their position in `knownNames` plus 100.
    base::HResult GetIDsOfNames(const base::Guid&, std::span<const std::u16string> names,
                                std::uint32_t, std::span<host::DispId> ids) override {
        base::HResult result = base::hr::Ok;
        for (std::size_t i = 0; i < names.size(); ++i) {
            ids[i] = host::dispid::Unknown;
            for (std::size_t k = 0; k < knownNames.size(); ++k) {
                if (knownNames[k] == names[i])
                    ids[i] = static_cast<host::DispId>(100 + k);
            }
            if (ids[i] == host::dispid::Unknown)
                result = base::hr::DispUnknownName;
        }
        return result;
    }

    base::HResult Invoke(host::DispId member, const base::Guid&, std::uint32_t locale,
                         host::InvokeFlags flags, const host::DispParams& params,
                         host::Variant* result, host::ExcepInfo* excepInfo,
                         std::uint32_t*) override {
        RecordedCall call{member, flags, locale, {}, {}};
        for (std::uint32_t i = 0; i < params.argCount; ++i)
            call.args.push_back(params.args[i].Describe());
        call.named.assign(params.namedIds, params.namedIds + params.namedCount);
        calls.push_back(std::move(call));
        return answer ? answer(params, result, excepInfo) : base::hr::Ok;
    }

private:
    LiveCount* m_live;
    std::vector<base::Guid> m_extraIids;
};

} // namespace tarvex::testing
