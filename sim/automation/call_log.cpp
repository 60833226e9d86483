#include "sim/automation/call_log.h"

#include "base/error.h"

namespace tarvex::sim {

std::optional<base::HResult> CallLog::RecordCall(std::string member, host::InvokeFlags kind,
                                                 std::uint32_t locale,
                                                 std::vector<std::string> args) {
    ++m_callNumber;
    ++m_callCounts[member];
    std::optional<base::HResult> failure;
    if (const auto it = m_failAt.find(m_callNumber); it != m_failAt.end()) {
        failure = it->second;
        m_failAt.erase(it);
    } else if (const auto byMember = m_failMembers.find(member); byMember != m_failMembers.end()) {
        failure = byMember->second;
    }
    if (m_logging)
        m_calls.push_back({std::move(member), kind, locale, std::move(args)});
    return failure;
}

void CallLog::ClearCalls() {
    m_calls.clear();
    m_callCounts.clear();
}

std::size_t CallLog::CallCount(std::string_view member) const {
    const auto it = m_callCounts.find(member);
    return it == m_callCounts.end() ? 0 : it->second;
}

void CallLog::FailCall(std::size_t k, base::HResult code) {
    if (k == 0)
        throw base::Error(base::hr::InvalidArg, "FailCall counts from 1 (the next call)");
    m_failAt.emplace(m_callNumber + k, code);
}

void CallLog::FailMember(std::string member, base::HResult code) {
    m_failMembers[std::move(member)] = code;
}

void CallLog::ClearFailures() {
    m_failAt.clear();
    m_failMembers.clear();
}

} // namespace tarvex::sim
