#pragma once

// The desktop seam: the windows, dialogs and message boxes of the add-in's process.

#include <cstdint>
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
};

} // namespace tarvex::host
