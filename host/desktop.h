#pragma once

// The desktop seam, by concern: windows and dialogs (DesktopWindows), pictures and the
// clipboard (DesktopPictures), the shell and the help engine (DesktopShell). Desktop is all
// three, as an implementation provides them.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/bitmap.h"
#include "host/clipboard.h"
#include "host/object.h"

namespace tarvex::base {
class Form;
} // namespace tarvex::base

namespace tarvex::host {

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

/// Show commands of a window that a program starts (ShowWindow's SW_ values).
namespace show_command {
inline constexpr int Hide = 0;
inline constexpr int ShowNormal = 1;
} // namespace show_command

/// The HTML Help engine as Windows installs it, and its commands.
namespace html_help {
/// The key of the engine's COM class below HKEY_CLASSES_ROOT; its default value names the
/// engine's file (hhctrl.ocx), often as "%SystemRoot%\System32\hhctrl.ocx".
inline constexpr std::string_view EngineClassKey =
    "CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32";
/// HH_DISPLAY_TOPIC: opens the topic that the text names ("file.chm::/topic.htm").
inline constexpr std::uint32_t DisplayTopic = 0x0;
} // namespace html_help

/// The HTML Help engine's library, loaded by DesktopShell::LoadHelpEngine, and its two entry
/// points. The library stays loaded for the rest of the process whatever becomes of this
/// object (see LoadHelpEngine): destroying it only forgets the entry points.
class HelpEngine {
public:
    virtual ~HelpEngine() = default;

    /// Whether the library exports HtmlHelpA.
    virtual bool HasHtmlHelpA() const = 0;
    /// Whether the library exports HtmlHelpW.
    virtual bool HasHtmlHelpW() const = 0;

    /// Calls HtmlHelpA: owner window, text in the ANSI code page, command and its data.
    /// Returns the window the engine answers with (0 for none). Throws Error(E_POINTER) when
    /// the library has no HtmlHelpA.
    virtual WindowHandle CallHtmlHelpA(WindowHandle owner, std::string_view text,
                                       std::uint32_t command, std::uintptr_t data) = 0;
    /// Calls HtmlHelpW: as CallHtmlHelpA with UTF-16 text.
    virtual WindowHandle CallHtmlHelpW(WindowHandle owner, std::u16string_view text,
                                       std::uint32_t command, std::uintptr_t data) = 0;
};

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

/// Windows and dialogs: the owner of the add-in's dialogs, modal forms and message boxes,
/// the windows of the thread, and hidden windows for broadcast messages.
class DesktopWindows {
public:
    virtual ~DesktopWindows() = default;

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
    virtual int ShowModal(base::Form& form) = 0;

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

/// Pictures and the clipboard: OLE pictures made from bitmaps (button faces, ribbon images)
/// and the clipboard that older Office versions take button faces through.
class DesktopPictures {
public:
    virtual ~DesktopPictures() = default;

    /// An OLE picture (IPictureDisp) of `bitmap`: a bitmap picture that owns a copy of the
    /// pixels and frees it with its last reference. Throws Error when it cannot be made.
    virtual Ref<Dispatch> CreatePicture(const base::Bitmap& bitmap) = 0;
    /// An OLE picture of the monochrome mask of `bitmap`: white where a pixel has the
    /// bitmap's transparent colour, black everywhere else. Throws Error as CreatePicture.
    virtual Ref<Dispatch> CreateMaskPicture(const base::Bitmap& bitmap) = 0;
    /// The system colour of button faces (COLOR_BTNFACE), as 0xRRGGBB.
    virtual std::uint32_t ButtonFaceColor() const = 0;
    /// Opens the clipboard for `owner`, trying up to 101 times 10 ms apart while another
    /// program holds it open; null when it stays busy. The clipboard is closed when the
    /// session ends. `owner` becomes the clipboard's owner when the session empties it; a
    /// clipboard opened for no window (0) and emptied has no owner and takes no data.
    virtual std::unique_ptr<ClipboardSession> OpenClipboard(WindowHandle owner) = 0;

    /// An OLE bitmap picture (IPictureDisp) over a 32-bit top-down device-independent bitmap
    /// with `bitmap`'s pixels, alpha included; the picture owns the bitmap handle and frees it
    /// with its last reference. Throws Error when it cannot be made.
    virtual Ref<Dispatch> CreateAlphaPicture(const base::Bitmap& bitmap) = 0;
    /// An OLE icon picture of `bitmap`, masked where a pixel has the bitmap's transparent
    /// colour; the picture owns the icon and destroys it with its last reference. Throws
    /// Error when it cannot be made.
    virtual Ref<Dispatch> CreateIconPicture(const base::Bitmap& bitmap) = 0;
};

/// The shell and the help engine: the system's folders and files, loading the help engine,
/// and handing documents and addresses to the shell.
class DesktopShell {
public:
    virtual ~DesktopShell() = default;

    /// The system folder as GetSystemDirectory gives it (a trailing backslash only for the
    /// root of a drive).
    virtual std::u16string SystemDirectory() const = 0;
    /// The Windows folder as GetWindowsDirectory gives it.
    virtual std::u16string WindowsDirectory() const = 0;
    /// Whether `path` names an existing file (a folder is not one).
    virtual bool FileExists(std::u16string_view path) const = 0;
    /// `text` in the process's ANSI code page, or nothing when a character of it does not
    /// come back unchanged from that code page (the text needs a wide entry point).
    virtual std::optional<std::string> ToAnsiCodePage(std::u16string_view text) const = 0;

    /// Loads the help engine's library at `path` (a full path) and keeps it loaded for the
    /// rest of the process: it is never freed, not even when the engine object goes, because
    /// windows it creates may outlive whoever asked for it, and because freeing it from a
    /// DLL's unload would run under the loader lock. Null when it cannot be loaded; a
    /// library without the entry points still loads (the engine then has neither).
    virtual std::unique_ptr<HelpEngine> LoadHelpEngine(std::u16string_view path) = 0;

    /// Hands `file` (a web address, a mailto: link, a document) to the shell with `verb`
    /// ("open"), no owner window, no parameters and no working folder, as ShellExecuteA does;
    /// the program the shell starts shows its window with `showCommand`. Returns whether the
    /// shell took it; nothing is reported to the user either way.
    virtual bool ShellExecuteFile(std::string_view verb, std::string_view file,
                                  int showCommand) = 0;
};

/// The whole desktop seam, as the module and its dialogs are given it; each part takes the
/// one interface it needs.
class Desktop : public DesktopWindows, public DesktopPictures, public DesktopShell {};

} // namespace tarvex::host
