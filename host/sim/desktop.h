#pragma once

// SimDesktop: the desktop of the tests and of tarvex-sim. Windows are plain numbers that the
// test sets; a modal form or message box is answered by a handler standing in for the user,
// and every showing is recorded as it looked when it opened.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/desktop.h"
#include "host/form.h"

namespace tarvex::sim {

/// One modal showing of a form: what it showed when it opened, and how it ended.
struct ShownForm {
    std::u16string caption;
    /// Each control's caption, by control index.
    std::vector<std::u16string> controlCaptions;
    /// The owner window at the time it was shown.
    host::WindowHandle owner = 0;
    /// The modal result it ended with (None while it is up or when the answer failed).
    int result = host::modal_result::None;
};

/// One message box: its text, caption, style, owner, and the button that answered it.
struct ShownMessage {
    std::u16string text;
    std::u16string caption;
    std::uint32_t style = 0;
    host::WindowHandle owner = 0;
    int result = 0;
};

/// Stands in for the user at a modal form: clicks controls through Form::UserClick, or
/// returns how the form was closed otherwise (2 for the close box). A result set by a click
/// wins over the returned value.
using ModalHandler = std::function<int(host::Form&)>;

/// Stands in for the user at a message box: returns the id of the button pressed.
using MessageHandler = std::function<int(const ShownMessage&)>;

/// A simulated desktop: settable windows, modal forms and message boxes answered by handlers.
class SimDesktop final : public host::Desktop {
public:
    host::WindowHandle OwnerWindow() const override { return m_owner; }
    void SetOwnerWindow(host::WindowHandle window) override { m_owner = window; }

    host::WindowHandle ForegroundWindow() const override { return m_foreground; }
    /// Sets what ForegroundWindow answers.
    void SetForegroundWindow(host::WindowHandle window) noexcept { m_foreground = window; }

    host::WindowHandle ActiveWindow() const override { return m_active; }
    /// Sets what ActiveWindow answers.
    void SetActiveWindow(host::WindowHandle window) noexcept { m_active = window; }

    /// Begins the form's showing (OnShow), records it and lets the modal handler answer.
    /// Without a handler the form is closed with its close box (2). Throws Error(E_UNEXPECTED)
    /// when the handler leaves the form open; an exception from the handler or the form's
    /// code passes on.
    int ShowModal(host::Form& form) override;

    /// Records the message box and lets the message handler answer. Without a handler the
    /// box is dismissed as its close box or Escape would (IDOK for an OK box, IDCANCEL where
    /// there is a Cancel button). Throws Error(E_UNEXPECTED) for a box that cannot be
    /// dismissed that way and has no handler, and Error(E_INVALIDARG) when the handler
    /// answers with a button the box does not have.
    int ShowMessage(std::u16string_view text, std::u16string_view caption,
                    std::uint32_t style) override;

    /// Installs the stand-in for the user at modal forms (an empty function removes it).
    void SetModalHandler(ModalHandler handler) { m_modalHandler = std::move(handler); }
    /// Installs the stand-in for the user at message boxes (an empty function removes it).
    void SetMessageHandler(MessageHandler handler) { m_messageHandler = std::move(handler); }

    /// Every form shown so far, oldest first.
    const std::vector<ShownForm>& ShownForms() const noexcept { return m_forms; }
    /// Every message box shown so far, oldest first.
    const std::vector<ShownMessage>& ShownMessages() const noexcept { return m_messages; }
    /// Forgets the records.
    void ClearRecords() noexcept;

    /// Numbers from 0xC000 on, one per name, as Windows gives them.
    std::uint32_t RegisterMessage(std::u16string_view name) override;
    /// A simulated hidden window; Broadcast reaches it until it is destroyed.
    std::unique_ptr<host::MessageWindow> CreateMessageWindow(std::u16string_view className,
                                                             std::u16string_view caption,
                                                             host::MessageWindowHandler handler) override;
    host::WindowHandle FindThreadWindow(std::u16string_view className) const override;

    /// Sends a message to every live message window, in creation order, as a broadcast to
    /// all top-level windows does; returns the results of those that answered.
    std::vector<std::intptr_t> Broadcast(std::uint32_t message, std::uintptr_t wParam = 0,
                                         std::intptr_t lParam = 0);
    /// The thread's top-level windows, in the order the system lists them: handle and class.
    void SetThreadWindows(std::vector<std::pair<host::WindowHandle, std::u16string>> windows);
    /// Makes registering new window classes fail (as when the system is out of resources).
    void SetWindowClassesFail(bool fail) noexcept { m_classesFail = fail; }
    /// The captions of the live message windows, in creation order.
    std::vector<std::u16string> MessageWindowCaptions() const;

private:
    struct SimMessageWindow;
    struct WindowRecord {
        host::WindowHandle handle;
        std::u16string className;
        std::u16string caption;
        host::MessageWindowHandler handler;
    };
    host::WindowHandle m_owner = 0;
    host::WindowHandle m_foreground = 0;
    host::WindowHandle m_active = 0;
    ModalHandler m_modalHandler;
    MessageHandler m_messageHandler;
    std::vector<ShownForm> m_forms;
    std::vector<ShownMessage> m_messages;
    std::vector<std::u16string> m_registeredMessages;
    std::vector<std::u16string> m_registeredClasses;
    std::vector<std::pair<host::WindowHandle, std::u16string>> m_threadWindows;
    std::shared_ptr<std::vector<WindowRecord>> m_messageWindows =
        std::make_shared<std::vector<WindowRecord>>();
    host::WindowHandle m_nextWindow = 0x20000;
    bool m_classesFail = false;
};

/// An answer that clicks the enabled button captioned `caption`; throws Error(E_INVALIDARG)
/// when the form has no such button the user could click.
ModalHandler ClickButton(std::u16string caption);

/// An answer that closes the form with its close box (2).
ModalHandler CloseBox();

/// The button id a message box of `style` returns when dismissed with its close box or
/// Escape, or 0 for the kinds that cannot be dismissed (Yes/No, Abort/Retry/Ignore).
int DismissResult(std::uint32_t style) noexcept;

/// Whether a message box of `style` has the button with id `result`.
bool MessageHasButton(std::uint32_t style, int result) noexcept;

} // namespace tarvex::sim
