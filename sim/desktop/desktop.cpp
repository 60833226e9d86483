#include "sim/desktop/desktop.h"

#include <algorithm>
#include <span>

#include "base/error.h"
#include "base/text.h"

namespace tarvex::sim {

namespace {

// Message box kinds (the low four bits of the style) and button ids, as Windows has them.
constexpr std::uint32_t kTypeMask = 0xF;
constexpr int kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5, kIdYes = 6,
              kIdNo = 7, kIdTryAgain = 10, kIdContinue = 11;

std::span<const int> ButtonsOf(std::uint32_t style) noexcept {
    static constexpr int ok[] = {kIdOk};
    static constexpr int okCancel[] = {kIdOk, kIdCancel};
    static constexpr int abortRetryIgnore[] = {kIdAbort, kIdRetry, kIdIgnore};
    static constexpr int yesNoCancel[] = {kIdYes, kIdNo, kIdCancel};
    static constexpr int yesNo[] = {kIdYes, kIdNo};
    static constexpr int retryCancel[] = {kIdRetry, kIdCancel};
    static constexpr int cancelTryContinue[] = {kIdCancel, kIdTryAgain, kIdContinue};
    switch (style & kTypeMask) {
    case 0:
        return ok;
    case 1:
        return okCancel;
    case 2:
        return abortRetryIgnore;
    case 3:
        return yesNoCancel;
    case 4:
        return yesNo;
    case 5:
        return retryCancel;
    case 6:
        return cancelTryContinue;
    default:
        return {};
    }
}

} // namespace

int DismissResult(std::uint32_t style) noexcept {
    // The close box and Escape answer OK on a box with only OK, and Cancel wherever there is
    // a Cancel button; the other kinds have their close box disabled.
    if ((style & kTypeMask) == 0)
        return kIdOk;
    return MessageHasButton(style, kIdCancel) ? kIdCancel : 0;
}

bool MessageHasButton(std::uint32_t style, int result) noexcept {
    const std::span<const int> buttons = ButtonsOf(style);
    return std::find(buttons.begin(), buttons.end(), result) != buttons.end();
}

void SimDesktop::FailCall(std::size_t k) {
    if (k == 0)
        throw base::Error(base::hr::InvalidArg, "The first call from now is call 1");
    m_failAt.push_back(m_failableCount + k);
}

bool SimDesktop::NextCallFails(std::string_view name) {
    ++m_failableCount;
    if (m_logFailable)
        m_failableCalls.push_back(name);
    const auto found = std::find(m_failAt.begin(), m_failAt.end(), m_failableCount);
    if (found == m_failAt.end())
        return false;
    m_failAt.erase(found);
    return true;
}

int SimDesktop::ShowModal(base::Form& form) {
    if (NextCallFails("ShowModal"))
        throw base::Error(base::hr::Fail, "The dialog could not be created");
    form.BeginModal();
    ShownForm shown;
    shown.caption = form.caption;
    for (const base::FormControl& control : form.Controls())
        shown.controlCaptions.push_back(control.caption);
    shown.owner = m_owner;
    // By index: a handler may show further forms, which grows the vector.
    const std::size_t record = m_forms.size();
    m_forms.push_back(std::move(shown));

    int result = form.ModalResult();
    if (result == base::modal_result::None) {
        const int answer = m_modalHandler ? m_modalHandler(form) : base::modal_result::Cancel;
        result = form.ModalResult() != base::modal_result::None ? form.ModalResult() : answer;
    }
    if (result == base::modal_result::None)
        throw base::Error(base::hr::Unexpected, "The simulated user left the form '" +
                                                    base::Utf16ToUtf8(form.caption) + "' open");
    form.SetModalResult(result);
    m_forms[record].result = result;
    return result;
}

int SimDesktop::ShowMessage(std::u16string_view text, std::u16string_view caption,
                            std::uint32_t style) {
    if (NextCallFails("ShowMessage"))
        throw base::Error(base::hr::Fail, "The message box could not be shown");
    ShownMessage shown{std::u16string(text), std::u16string(caption), style, m_owner, 0};
    const std::size_t record = m_messages.size();
    m_messages.push_back(shown);

    int result = 0;
    if (m_messageHandler) {
        result = m_messageHandler(shown);
        if (!MessageHasButton(style, result))
            throw base::Error(base::hr::InvalidArg,
                              "The simulated user answered the message box '" +
                                  base::Utf16ToUtf8(caption) + "' with button " +
                                  std::to_string(result) + ", which it does not have");
    } else {
        result = DismissResult(style);
        if (result == 0)
            throw base::Error(base::hr::Unexpected,
                              "The message box '" + base::Utf16ToUtf8(caption) +
                                  "' needs an answer and no simulated user gave one");
    }
    m_messages[record].result = result;
    return result;
}

void SimDesktop::ClearRecords() noexcept {
    m_failableCalls.clear();
    m_forms.clear();
    m_messages.clear();
    m_libraryLoads.clear();
    m_helpRequests.clear();
}

std::uint32_t SimDesktop::RegisterMessage(std::u16string_view name) {
    // Message names compare without regard to case, as Windows compares them.
    const auto same = [&](const std::u16string& known) {
        return known.size() == name.size() &&
               std::equal(known.begin(), known.end(), name.begin(), [](char16_t a, char16_t b) {
                   const auto lower = [](char16_t c) {
                       return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
                   };
                   return lower(a) == lower(b);
               });
    };
    const auto found = std::find_if(m_registeredMessages.begin(), m_registeredMessages.end(), same);
    const auto index = static_cast<std::uint32_t>(found - m_registeredMessages.begin());
    if (found == m_registeredMessages.end())
        m_registeredMessages.emplace_back(name);
    return 0xC000 + index;
}

// A simulated message window: it takes itself off the desktop's list when it goes, and
// does nothing if the desktop went first.
struct SimDesktop::SimMessageWindow final : host::MessageWindow {
    std::weak_ptr<std::vector<WindowRecord>> windows;
    host::WindowHandle handle;

    SimMessageWindow(std::weak_ptr<std::vector<WindowRecord>> list, host::WindowHandle window)
        : windows(std::move(list))
        , handle(window) {}
    ~SimMessageWindow() override {
        if (const auto list = windows.lock())
            std::erase_if(*list,
                          [&](const WindowRecord& record) { return record.handle == handle; });
    }
    host::WindowHandle Handle() const noexcept override { return handle; }
};

std::unique_ptr<host::MessageWindow>
SimDesktop::CreateMessageWindow(std::u16string_view className, std::u16string_view caption,
                                host::MessageWindowHandler handler) {
    if (NextCallFails("CreateMessageWindow"))
        throw base::Error(base::hr::Fail, "The window could not be created");
    if (std::find(m_registeredClasses.begin(), m_registeredClasses.end(), className) ==
        m_registeredClasses.end()) {
        if (m_classesFail)
            throw base::Error(base::hr::OutOfMemory, "Error creating window class");
        m_registeredClasses.emplace_back(className);
    }
    const host::WindowHandle handle = m_nextWindow++;
    m_messageWindows->push_back(
        {handle, std::u16string(className), std::u16string(caption), std::move(handler)});
    return std::make_unique<SimMessageWindow>(m_messageWindows, handle);
}

std::vector<std::intptr_t> SimDesktop::Broadcast(std::uint32_t message, std::uintptr_t wParam,
                                                 std::intptr_t lParam) {
    std::vector<std::intptr_t> results;
    // A handler may create or destroy windows: walk a snapshot of the handles.
    std::vector<host::WindowHandle> handles;
    for (const WindowRecord& record : *m_messageWindows)
        handles.push_back(record.handle);
    for (host::WindowHandle handle : handles) {
        const auto record = std::find_if(m_messageWindows->begin(), m_messageWindows->end(),
                                         [&](const WindowRecord& r) { return r.handle == handle; });
        if (record == m_messageWindows->end() || !record->handler)
            continue;
        const host::MessageWindowHandler handler = record->handler;
        try {
            if (const std::optional<std::intptr_t> result = handler(message, wParam, lParam))
                results.push_back(*result);
        } catch (...) {
            // As on Windows, nothing leaves a window procedure.
        }
    }
    return results;
}

void SimDesktop::SetThreadWindows(
    std::vector<std::pair<host::WindowHandle, std::u16string>> windows) {
    m_threadWindows = std::move(windows);
}

host::WindowHandle SimDesktop::FindThreadWindow(std::u16string_view className) const {
    for (const auto& [handle, windowClass] : m_threadWindows) {
        if (windowClass == className)
            return handle;
    }
    return 0;
}

std::vector<std::u16string> SimDesktop::MessageWindowCaptions() const {
    std::vector<std::u16string> captions;
    for (const WindowRecord& record : *m_messageWindows)
        captions.push_back(record.caption);
    return captions;
}

ModalHandler ClickButton(std::u16string caption) {
    return [caption = std::move(caption)](base::Form& form) {
        for (int i = 0; i < form.ControlCount(); ++i) {
            const base::FormControl& control = form.Control(i);
            if (control.kind == base::ControlKind::Button && control.caption == caption &&
                form.AcceptsInput(i)) {
                form.UserClick(i);
                return base::modal_result::None;
            }
        }
        throw base::Error(base::hr::InvalidArg,
                          "The form '" + base::Utf16ToUtf8(form.caption) + "' has no button '" +
                              base::Utf16ToUtf8(caption) + "' that can be clicked");
    };
}

ModalHandler CloseBox() {
    return [](base::Form&) { return base::modal_result::Cancel; };
}

bool SimDesktop::ShellExecuteFile(std::string_view verb, std::string_view file, int showCommand) {
    if (NextCallFails("ShellExecuteFile"))
        return false;
    m_shellRequests.push_back({std::string(verb), std::string(file), showCommand});
    if (m_shellHandler)
        m_shellHandler(m_shellRequests.back());
    // The shell finds a program by the address's scheme, the text before the first colon.
    const std::size_t colon = file.find(':');
    if (verb != "open" || colon == std::string_view::npos)
        return false;
    const std::string scheme(file.substr(0, colon));
    return std::find(m_shellSchemes.begin(), m_shellSchemes.end(), scheme) != m_shellSchemes.end();
}

} // namespace tarvex::sim
