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
    int ShowModal(base::Form& form) override;

    /// MessageBoxW with visual styles, owned by the owner window when that is still a
    /// window. Throws Error when the box cannot be shown.
    int ShowMessage(std::u16string_view text, std::u16string_view caption,
                    std::uint32_t style) override;

    std::uint32_t RegisterMessage(std::u16string_view name) override;
    /// A hidden WS_POPUP tool window (no parent, position and size 0) of a class registered
    /// in this module with the default window procedure; its own procedure calls `handler`.
    std::unique_ptr<host::MessageWindow>
    CreateMessageWindow(std::u16string_view className, std::u16string_view caption,
                        host::MessageWindowHandler handler) override;
    host::WindowHandle FindThreadWindow(std::u16string_view className) const override;

    // Button faces: OLE pictures made from bitmaps, and the clipboard.

    /// OleCreatePictureIndirect over a device-dependent copy of the bitmap (the picture owns
    /// it). Throws Error when the bitmap or the picture cannot be made.
    host::Ref<host::Dispatch> CreatePicture(const base::Bitmap& bitmap) override;
    /// As CreatePicture, over a monochrome bitmap: transparent pixels white, others black.
    host::Ref<host::Dispatch> CreateMaskPicture(const base::Bitmap& bitmap) override;

    // Ribbon images (desktop_ribbon_pictures.cpp).

    /// OleCreatePictureIndirect (bitmap, no palette) over a 32-bit top-down DIB section.
    host::Ref<host::Dispatch> CreateAlphaPicture(const base::Bitmap& bitmap) override;
    /// OleCreatePictureIndirect (icon, owned) over CreateIconIndirect of a colour bitmap and
    /// its monochrome mask.
    host::Ref<host::Dispatch> CreateIconPicture(const base::Bitmap& bitmap) override;

    /// GetSysColor(COLOR_BTNFACE).
    std::uint32_t ButtonFaceColor() const override;
    /// OpenClipboard for `owner`, 101 attempts 10 ms apart.
    std::unique_ptr<host::ClipboardSession> OpenClipboard(host::WindowHandle owner) override;

    /// GetSystemDirectoryW, whatever its length. Throws Error when it fails.
    std::u16string SystemDirectory() const override;
    /// GetWindowsDirectoryW, whatever its length. Throws Error when it fails.
    std::u16string WindowsDirectory() const override;
    /// GetFileAttributesW finds it and it is no directory.
    bool FileExists(std::u16string_view path) const override;
    /// WideCharToMultiByte to CP_ACP, kept only when MultiByteToWideChar gives `text` back
    /// (best-fit replacements, such as a plain a for an a with a macron, are refused).
    std::optional<std::string> ToAnsiCodePage(std::u16string_view text) const override;

    /// LoadLibraryW, then pinned (GetModuleHandleExW with GET_MODULE_HANDLE_EX_FLAG_PIN) so
    /// that no FreeLibrary of anyone's can unload it any more; the engine looks up HtmlHelpA
    /// and HtmlHelpW once (GetProcAddress) and throws Error(E_POINTER) for a call of one the
    /// library does not export.
    std::unique_ptr<host::HelpEngine> LoadHelpEngine(std::u16string_view path) override;

    /// ShellExecuteA; true when it answers a value above 32.
    bool ShellExecuteFile(std::string_view verb, std::string_view file, int showCommand) override;
};

} // namespace tarvex::win
