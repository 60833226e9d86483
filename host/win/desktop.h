#pragma once

// Win32Desktop: the desktop seam on Windows. Forms become real dialog windows, message
// boxes are MessageBoxW, and the owner window of both is one value for the whole process.

#include "host/desktop.h"

namespace tarvex::win {

/// The real desktop of the add-in's process (Excel's user-interface thread).
class Win32Desktop final : public host::Desktop {
public:
    /// The owner of the add-in's dialogs and message boxes, shared by every Win32Desktop of
    /// the process (0 when none is set).
    host::WindowHandle OwnerWindow() const override;
    void SetOwnerWindow(host::WindowHandle window) override;

    host::WindowHandle ForegroundWindow() const override;
    host::WindowHandle ActiveWindow() const override;

    /// Runs the form's BeginModal and shows it as a modal dialog with visual styles, owned by
    /// the owner window when that is still a window, centred on its screen. A result set by
    /// OnShow is returned without showing anything.
    int ShowModal(host::Form& form) override;

    /// MessageBoxW with visual styles, owned by the owner window when that is still a
    /// window. Throws Error when the box cannot be shown.
    int ShowMessage(std::u16string_view text, std::u16string_view caption,
                    std::uint32_t style) override;

    std::uint32_t RegisterMessage(std::u16string_view name) override;
    /// A hidden WS_POPUP tool window (no parent, position and size 0) of a class registered
    /// in this module with the default window procedure; its own procedure calls `handler`.
    std::unique_ptr<host::MessageWindow> CreateMessageWindow(std::u16string_view className,
                                                             std::u16string_view caption,
                                                             host::MessageWindowHandler handler) override;
    host::WindowHandle FindThreadWindow(std::u16string_view className) const override;
};

} // namespace tarvex::win
