#pragma once

// The desktop seam: the windows, dialogs and message boxes of the add-in's process.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace tarvex::host {

class Form;

/// A window of the desktop (an HWND on Windows); 0 is no window.
using WindowHandle = std::uintptr_t;

/// Message box styles and results, with the values of the Windows API.
namespace message_box {
inline constexpr std::uint32_t Ok = 0x0;
inline constexpr std::uint32_t OkCancel = 0x1;
inline constexpr std::uint32_t YesNo = 0x4;
inline constexpr std::uint32_t IconError = 0x10;
inline constexpr std::uint32_t IconQuestion = 0x20;
inline constexpr std::uint32_t IconWarning = 0x30;
inline constexpr std::uint32_t IconInformation = 0x40;
} // namespace message_box

/// What a hidden message window does with one message: its result, or nothing to leave the
/// message to the system's default processing.
using MessageWindowHandler = std::function<std::optional<std::intptr_t>(
    std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;

/// A hidden window that receives messages sent to all top-level windows (broadcasts); it
/// is destroyed with this object.
class MessageWindow {
public:
    virtual ~MessageWindow() = default;
    virtual WindowHandle Handle() const noexcept = 0;
};

class Desktop {
public:
    virtual ~Desktop() = default;

    /// The process-wide window that owns the add-in's dialogs and message boxes.
    virtual WindowHandle OwnerWindow() const = 0;
    virtual void SetOwnerWindow(WindowHandle window) = 0;

    /// The window in the foreground (GetForegroundWindow).
    virtual WindowHandle ForegroundWindow() const = 0;
    /// The active window of the calling thread (GetActiveWindow).
    virtual WindowHandle ActiveWindow() const = 0;

    /// Shows `form` modally, owned by the owner window, centred on the screen; every other
    /// enabled, visible top-level window of the thread is disabled while it is up. Returns
    /// the form's modal result.
    virtual int ShowModal(Form& form) = 0;

    /// Shows a modal message box owned by the owner window; returns the button pressed
    /// (IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7).
    virtual int ShowMessage(std::u16string_view text, std::u16string_view caption,
                            std::uint32_t style) = 0;

    /// The message number registered for `name` (RegisterWindowMessage): every process that
    /// registers the same name gets the same number.
    virtual std::uint32_t RegisterMessage(std::u16string_view name) = 0;

    /// Creates a hidden popup tool window of class `className` (registered on first use)
    /// with the caption `caption`; its messages go to `handler`, whose exceptions never
    /// leave the window procedure. Throws Error "Error creating window class" when the
    /// class cannot be registered, Error when the window cannot be created.
    virtual std::unique_ptr<MessageWindow> CreateMessageWindow(std::u16string_view className,
                                                               std::u16string_view caption,
                                                               MessageWindowHandler handler) = 0;

    /// The first top-level window of the calling thread whose class name is exactly
    /// `className`, or 0.
    virtual WindowHandle FindThreadWindow(std::u16string_view className) const = 0;
};

} // namespace tarvex::host
