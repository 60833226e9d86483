#include "tests/sweep/sweep_driver.h"

#include <iomanip>
#include <sstream>

namespace tarvex::sweep {

SweepWorld::SweepWorld() {
    desktop.SetFailableCallLogging(true);
    // Every message box is recorded; an OK box is answered as its close box would be.
    desktop.SetMessageHandler(
        [](const sim::ShownMessage& message) { return sim::DismissResult(message.style); });
}

void SweepWorld::Answer(std::string entry, EntryKind kind, base::HResult code) {
    m_answers.push_back({std::move(entry), kind, code});
}

SweepWorld::PhaseScope SweepWorld::Enter(std::string phase) {
    std::string previous = m_phase;
    SetPhase(std::move(phase));
    return PhaseScope(*this, std::move(previous));
}

void SweepWorld::SetPhase(std::string phase) {
    m_phase = std::move(phase);
    m_marks.push_back(
        {excel.Calls().size(), registry.Log().size(), desktop.FailableCalls().size(), m_phase});
}

void SweepWorld::StartCounting() {
    excel.ClearCalls();
    registry.ClearLog();
    m_marks.clear();
    m_answers.clear();
    desktop.ClearRecords();
    SetPhase(m_phase);
}

std::string SweepWorld::PhaseAt(std::size_t PhaseMark::*count, std::size_t index) const {
    std::string phase = "flow";
    for (const PhaseMark& mark : m_marks)
        if (mark.*count < index)
            phase = mark.phase;
    return phase;
}

std::string SweepWorld::PhaseOfHostCall(std::size_t index) const {
    return PhaseAt(&PhaseMark::hostCalls, index);
}

std::string SweepWorld::PhaseOfRegistryOperation(std::size_t index) const {
    return PhaseAt(&PhaseMark::registryOperations, index);
}

std::string SweepWorld::PhaseOfDesktopCall(std::size_t index) const {
    return PhaseAt(&PhaseMark::desktopCalls, index);
}

std::string SweepWorld::Stored() const {
    std::ostringstream text;
    for (const sim::StoredKey& key : registry.Keys()) {
        text << static_cast<int>(key.root) << '\\' << key.path << '\n';
        for (const auto& [name, value] : key.values) {
            text << "  " << name << " type " << static_cast<std::uint32_t>(value.type) << ':';
            for (const std::uint8_t byte : value.data)
                text << ' ' << std::hex << std::setw(2) << std::setfill('0')
                     << static_cast<int>(byte) << std::dec;
            text << '\n';
        }
    }
    return text.str();
}

std::string FaultPoint::Describe() const {
    std::ostringstream text;
    if (kind == Kind::HostCall) {
        text << "host call " << index << " (" << member << ")";
    } else if (kind == Kind::DesktopCall) {
        text << "desktop call " << index << " (" << member << ")";
    } else {
        text << "registry operation " << index << " (" << operation << ")";
    }
    text << " in " << phase;
    return text.str();
}

namespace {

bool AnswerAllowed(const EntryAnswer& answer) {
    switch (answer.kind) {
    case EntryKind::AddinObject:
        return answer.code == base::hr::Ok || answer.code < 0;
    case EntryKind::RibbonCallback:
        return answer.code == base::hr::Ok || answer.code == base::hr::DispException;
    case EntryKind::EventSink:
        return answer.code == base::hr::Ok;
    case EntryKind::RegistrationExport:
        return answer.code == base::hr::Ok || answer.code == base::hr::Fail;
    }
    return false;
}

std::string Utf8(const std::u16string& text) {
    std::string narrow;
    for (const char16_t unit : text)
        narrow += unit < 0x80 ? static_cast<char>(unit) : '?';
    return narrow;
}

} // namespace

void CheckRun(const SweepWorld& world, const FaultPoint* fault, Tolerance tolerance,
              const Baseline& baseline, const std::string& stored, const std::string& session,
              const std::function<bool(const sim::ShownMessage&)>& knownMessage) {
    bool anyFailed = false;
    for (const EntryAnswer& answer : world.Answers()) {
        EXPECT_TRUE(AnswerAllowed(answer))
            << answer.entry << " answered 0x" << std::hex << answer.code;
        anyFailed = anyFailed || answer.code != base::hr::Ok;
    }
    const std::vector<sim::ShownMessage>& messages = world.desktop.ShownMessages();
    for (const sim::ShownMessage& message : messages)
        EXPECT_TRUE(knownMessage(message))
            << "unexpected message box \"" << Utf8(message.caption) << "\": " << Utf8(message.text);
    if (!fault) {
        EXPECT_FALSE(anyFailed) << "an entry point failed without a failure";
        EXPECT_TRUE(messages.empty()) << "a message box without a failure";
        return;
    }
    EXPECT_LE(messages.size(), 1u) << "one failure is reported at most once";
    if (anyFailed) {
        EXPECT_TRUE(messages.empty()) << "a failure answered to the caller is not also shown";
    }
    if (tolerance == Tolerance::Swallowed) {
        EXPECT_FALSE(anyFailed) << "this part swallows its failures";
        EXPECT_TRUE(messages.empty()) << "this part swallows its failures silently";
    }
    if (anyFailed || !messages.empty() || tolerance == Tolerance::Swallowed ||
        tolerance == Tolerance::Any)
        return;
    // Neither answered nor shown: the failure must have changed nothing, or no more than
    // its tolerance allows (else it is a failure reported as success).
    EXPECT_EQ(stored, baseline.stored) << "a quiet failure changed what is stored";
    if (tolerance == Tolerance::None) {
        EXPECT_EQ(session, baseline.session) << "a quiet failure changed the session";
    }
}

} // namespace tarvex::sweep
