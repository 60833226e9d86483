#pragma once

// SimDesktop: the desktop of the tests and of tarvex-sim. Windows are plain numbers that the
// test sets; a modal form or message box is answered by a handler standing in for the user,
// and every showing is recorded as it looked when it opened.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/form.h"
#include "host/desktop.h"
#include "sim/desktop/clipboard.h"

namespace tarvex::sim {

/// One modal showing of a form: what it showed when it opened, and how it ended.
struct ShownForm {
    std::u16string caption;
    /// Each control's caption, by control index.
    std::vector<std::u16string> controlCaptions;
    /// The owner window at the time it was shown.
    host::WindowHandle owner = 0;
    /// The modal result it ended with (None while it is up or when the answer failed).
    int result = base::modal_result::None;
};

/// One message box: its text, caption, style, owner, and the button that answered it.
struct ShownMessage {
    std::u16string text;
    std::u16string caption;
    std::uint32_t style = 0;
    host::WindowHandle owner = 0;
    int result = 0;
};

/// One request to the shell: what a program asked it to open, and how.
struct ShellRequest {
    std::string verb;
    std::string file;
    int showCommand = 0;
};

/// One call of a simulated HTML Help entry point: what the engine was asked to do.
struct HelpRequest {
    /// "HtmlHelpA" or "HtmlHelpW".
    std::string entryPoint;
    host::WindowHandle owner = 0;
    /// The text as the engine reads it (for HtmlHelpA, decoded from the ANSI code page).
    std::u16string text;
    /// The bytes passed to HtmlHelpA; empty for HtmlHelpW.
    std::string ansiText;
    std::uint32_t command = 0;
    std::uintptr_t data = 0;
    /// The compiled help file and the topic inside it, when the text has the engine's form
    /// "file::/topic"; otherwise the whole text is the file and the topic is empty.
    std::u16string file;
    std::u16string topic;
    /// The help window opened: a new window when the help file exists on the desktop, 0
    /// otherwise (the engine then shows nothing).
    host::WindowHandle window = 0;
};

/// Told of every call of a simulated HTML Help entry point, after it is recorded.
using HelpHandler = std::function<void(const HelpRequest&)>;

/// Stands in for the user at a modal form: clicks controls through Form::UserClick, or
/// returns how the form was closed otherwise (2 for the close box). A result set by a click
/// wins over the returned value.
using ModalHandler = std::function<int(base::Form&)>;

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
    int ShowModal(base::Form& form) override;

    /// Records the message box and lets the message handler answer. Without a handler the
    /// box is dismissed as its close box or Escape would (IDOK for an OK box, IDCANCEL where
    /// there is a Cancel button). Throws Error(E_UNEXPECTED) for a box that cannot be
    /// dismissed that way and has no handler, and Error(E_INVALIDARG) when the handler
    /// answers with a button the box does not have.
    int ShowMessage(std::u16string_view text, std::u16string_view caption,
                    std::uint32_t style) override;

    // Button faces: pictures and the clipboard.

    /// A SimPicture of the bitmap.
    host::Ref<host::Dispatch> CreatePicture(const base::Bitmap& bitmap) override;
    /// A SimPicture of the bitmap's mask (MaskOf).
    host::Ref<host::Dispatch> CreateMaskPicture(const base::Bitmap& bitmap) override;

    // Ribbon images (desktop_ribbon_pictures.cpp).

    /// A SimPicture of the bitmap with its alpha kept.
    host::Ref<host::Dispatch> CreateAlphaPicture(const base::Bitmap& bitmap) override;
    /// A SimPicture of the icon as it shows: 32-bit, alpha 0 on the transparent colour and
    /// 255 elsewhere. The simulated desktop has no separate icon picture kind.
    host::Ref<host::Dispatch> CreateIconPicture(const base::Bitmap& bitmap) override;

    /// 0xF0F0F0 until set.
    std::uint32_t ButtonFaceColor() const override { return m_buttonFace; }
    void SetButtonFaceColor(std::uint32_t color) noexcept { m_buttonFace = color & 0xFFFFFF; }
    /// Up to 101 attempts at the desktop's clipboard for `owner` (no time passes between
    /// them); null when every one finds it held.
    std::unique_ptr<host::ClipboardSession> OpenClipboard(host::WindowHandle owner) override;
    /// The desktop's clipboard, shared with whoever is given SharedClipboard().
    SimClipboard& Clipboard() noexcept { return *m_clipboard; }
    const std::shared_ptr<SimClipboard>& SharedClipboard() const noexcept { return m_clipboard; }

    /// Installs the stand-in for the user at modal forms (an empty function removes it).
    void SetModalHandler(ModalHandler handler) { m_modalHandler = std::move(handler); }
    /// Installs the stand-in for the user at message boxes (an empty function removes it).
    void SetMessageHandler(MessageHandler handler) { m_messageHandler = std::move(handler); }

    /// Every form shown so far, oldest first.
    const std::vector<ShownForm>& ShownForms() const noexcept { return m_forms; }
    /// Every message box shown so far, oldest first.
    const std::vector<ShownMessage>& ShownMessages() const noexcept { return m_messages; }
    /// Forgets the records (forms, message boxes, library loads, help requests and the
    /// calls that can fail).
    void ClearRecords() noexcept;

    /// Numbers from 0xC000 on, one per name, as Windows gives them.
    std::uint32_t RegisterMessage(std::u16string_view name) override;
    /// A simulated hidden window; Broadcast reaches it until it is destroyed.
    std::unique_ptr<host::MessageWindow>
    CreateMessageWindow(std::u16string_view className, std::u16string_view caption,
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

    /// C:\WINDOWS\system32 until set.
    std::u16string SystemDirectory() const override { return m_systemDirectory; }
    void SetSystemDirectory(std::u16string folder) { m_systemDirectory = std::move(folder); }
    /// C:\WINDOWS until set.
    std::u16string WindowsDirectory() const override { return m_windowsDirectory; }
    void SetWindowsDirectory(std::u16string folder) { m_windowsDirectory = std::move(folder); }

    /// Whether `path` is one of the desktop's files, compared without regard to case as the
    /// Windows file system compares names.
    bool FileExists(std::u16string_view path) const override;
    /// Makes `path` an existing file.
    void AddFile(std::u16string path);
    /// Removes a file; a library loaded from it stays loaded.
    void RemoveFile(std::u16string_view path);

    /// The text in Windows-1252, the code page of the simulated desktop.
    std::optional<std::string> ToAnsiCodePage(std::u16string_view text) const override;

    /// Puts a library with the exports `exports` at `path` (an existing file from now on).
    /// Exports named "HtmlHelpA" and "HtmlHelpW" behave as the help engine's entry points.
    void AddLibrary(std::u16string path, std::vector<std::string> exports);
    /// An engine over the library at `path`, the one library for every load of that path;
    /// null when the file does not exist or is no library. Every request is recorded. The
    /// engine reads the library's exports as they are when asked; a call of an entry point
    /// records the request and tells the help handler, and throws Error(E_POINTER) when the
    /// library does not export it; an exception from the handler passes on. The library
    /// stays loaded when the engine goes; the engine is called only while this desktop lives.
    std::unique_ptr<host::HelpEngine> LoadHelpEngine(std::u16string_view path) override;

    /// The paths of every LoadHelpEngine request so far, oldest first.
    const std::vector<std::u16string>& LibraryLoads() const noexcept { return m_libraryLoads; }
    /// The libraries loaded so far, each once, by the path they were added with, in the
    /// order they were added.
    std::vector<std::u16string> LoadedLibraries() const;
    /// Every call of a help entry point so far, oldest first.
    const std::vector<HelpRequest>& HelpRequests() const noexcept { return m_helpRequests; }

    // The shell.

    /// Records the request, tells the shell handler, and answers whether the simulated
    /// shell has a program for the file's kind (a "scheme:" prefix; see SetShellSchemes).
    bool ShellExecuteFile(std::string_view verb, std::string_view file, int showCommand) override;
    /// Every request to the shell so far.
    const std::vector<ShellRequest>& ShellRequests() const noexcept { return m_shellRequests; }
    /// The address schemes the shell has a program for ("https", "mailto"...); by default
    /// http, https and mailto.
    void SetShellSchemes(std::vector<std::string> schemes) { m_shellSchemes = std::move(schemes); }
    /// Told of every request to the shell, after it is recorded.
    void SetShellHandler(std::function<void(const ShellRequest&)> handler) {
        m_shellHandler = std::move(handler);
    }
    /// Installs what is told of help requests (an empty function removes it).
    void SetHelpHandler(HelpHandler handler) { m_helpHandler = std::move(handler); }

    // Test hooks: the calls that can fail on Windows are counted, and any one can fail.

    /// The calls that can fail on Windows, oldest first, by name ("ShowModal", "ShowMessage",
    /// "CreateMessageWindow", "ShellExecuteFile", "LoadHelpEngine", "CallHtmlHelpA",
    /// "CallHtmlHelpW"), made while their logging is on. ClearRecords forgets them.
    const std::vector<std::string_view>& FailableCalls() const noexcept { return m_failableCalls; }
    /// Logs the calls that can fail (off by default: long runs such as benchmarks keep
    /// only the count that FailCall needs).
    void SetFailableCallLogging(bool on) noexcept { m_logFailable = on; }
    /// Makes the k-th of those calls from now (1 = the next one) fail as Windows fails it:
    /// a modal form, message box or hidden window that cannot be created throws
    /// base::Error(E_FAIL) and shows nothing; the shell answers false; the help engine does
    /// not load (null) or opens no window (0). A failed call is not recorded as shown or
    /// requested.
    void FailCall(std::size_t k);
    void ClearFailures() noexcept { m_failAt.clear(); }

private:
    /// Counts a call that can fail (`name` a string literal); true when it is to fail.
    bool NextCallFails(std::string_view name);

    struct SimLibrary {
        std::u16string path;
        std::vector<std::string> exports;
        bool loaded = false;
    };
    struct SimHelpEngine;
    /// Whether the library with index `library` in m_libraries exports `name`.
    bool LibraryExports(std::size_t library, std::string_view name) const;
    host::WindowHandle CallHelpEntry(std::size_t library, std::string_view entryPoint,
                                     HelpRequest request);

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
    std::uint32_t m_buttonFace = 0xF0F0F0;
    std::shared_ptr<SimClipboard> m_clipboard = std::make_shared<SimClipboard>();
    std::uint32_t m_nextPicture = 0x10000;
    std::u16string m_systemDirectory = u"C:\\WINDOWS\\system32";
    std::u16string m_windowsDirectory = u"C:\\WINDOWS";
    std::vector<std::u16string> m_files;
    std::vector<SimLibrary> m_libraries;
    std::vector<std::u16string> m_libraryLoads;
    std::vector<HelpRequest> m_helpRequests;
    std::vector<ShellRequest> m_shellRequests;
    std::vector<std::string> m_shellSchemes{"http", "https", "mailto"};
    std::function<void(const ShellRequest&)> m_shellHandler;
    HelpHandler m_helpHandler;
    std::vector<std::string_view> m_failableCalls;
    bool m_logFailable = false;
    std::size_t m_failableCount = 0;
    std::vector<std::size_t> m_failAt;
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
