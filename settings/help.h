#pragma once

// Help access: opening topics of the add-in's compiled help file, qorvel.chm, which lies in
// the add-in's folder, through the HTML Help engine of Windows (hhctrl.ocx). The add-in does
// not link against the engine: it finds the engine's file through the engine's class
// registration, loads it, and calls its entry point.
//
// The engine is loaded on the first topic request, never while the DLL is being loaded or
// unloaded (LoadLibrary and FreeLibrary under the loader lock can deadlock Excel), and it
// stays loaded for the rest of the process: a help window that is still open runs the
// engine's code, and freeing the engine under it takes Excel down.

#include <memory>
#include <string>
#include <string_view>

#include "host/desktop.h"
#include "host/registry.h"

namespace tarvex::settings {

/// What follows the add-in's folder in a topic request: the help file and the engine's
/// marker for a topic inside it.
inline constexpr std::u16string_view kHelpFileTopicPrefix = u"qorvel.chm::/";
/// The topic of the add-in's Help command.
inline constexpr std::u16string_view kIntroductionTopic = u"Introduction.htm";
/// The topic of the options dialog's Help button.
inline constexpr std::u16string_view kOptionsTopic = u"Lesson1.htm";

/// The system folder without one trailing backslash.
std::u16string SystemFolder(const host::DesktopShell& desktop);

/// The Windows folder without one trailing backslash.
std::u16string WindowsFolder(const host::DesktopShell& desktop);

/// Replaces a leading "%SystemRoot%" (each letter in either case) with the Windows folder.
/// No other variable is expanded, and the variable anywhere but at the start stays.
void ExpandWindowsRootVariable(const host::DesktopShell& desktop, std::u16string& path);

/// The engine file to load: the default value of the engine's class key below
/// HKEY_CLASSES_ROOT, with %SystemRoot% expanded, when that file exists; otherwise the
/// system folder followed by "\hhctrl.ocx". A missing or unreadable key falls back the same.
std::u16string FindHelpEngineFile(const host::DesktopShell& desktop, host::Registry& registry);

/// The text that asks the engine for `topic` of the help file in `folder` (which ends in a
/// backslash): folder + "qorvel.chm::/" + topic.
std::u16string HelpTopicText(std::u16string_view folder, std::u16string_view topic);

/// The help access of one process: the engine found, loaded and its entry points. The DLL
/// keeps one for its whole life; the Help command and the options dialog open topics
/// through it. Nothing here reports a failure to the user: a topic that cannot be shown is
/// simply not shown.
class HelpAccess {
public:
    HelpAccess(host::DesktopShell& desktop, host::Registry& registry) noexcept
        : m_desktop(desktop)
        , m_registry(registry) {}

    HelpAccess(const HelpAccess&) = delete;
    HelpAccess& operator=(const HelpAccess&) = delete;

    /// Finds and loads the engine and notes which of its entry points, HtmlHelpA and
    /// HtmlHelpW, it has. The engine is loaded at most once for the process: after a first
    /// attempt that found no engine nothing is tried again, and after UnloadHelpEngine the
    /// entry points are looked up again in the engine already loaded. Throws Error when the
    /// desktop fails.
    void LoadHelpEngine();

    /// Forgets the entry points. The engine's library itself stays loaded (see the file's
    /// comment); a later topic request finds the entry points in it again.
    void UnloadHelpEngine() noexcept;

    /// Opens `topic` of the help file in `folder` (ending in a backslash) with no owner
    /// window, HH_DISPLAY_TOPIC and data 0, loading the engine first if no topic was asked
    /// for yet. The text goes to HtmlHelpA when it survives the ANSI code page and the
    /// engine has that entry point, otherwise to HtmlHelpW. Returns whether the request
    /// reached the engine (a missing help file is the engine's to ignore); without an
    /// engine, or when anything fails, it does nothing and returns false.
    bool OpenTopic(std::u16string_view folder, std::u16string_view topic) noexcept;

    /// As OpenTopic, for a text already made of the folder, "qorvel.chm::/" and the topic
    /// (what the options dialog's Help button hands over).
    bool OpenText(std::u16string_view fileAndTopic) noexcept;

    /// Whether the engine's library has been loaded.
    bool EngineLoaded() const noexcept { return m_engine != nullptr; }

private:
    host::DesktopShell& m_desktop;
    host::Registry& m_registry;
    bool m_loadAttempted = false;
    bool m_entriesFound = false;
    /// The engine loaded; its library stays in the process even after this object is gone.
    std::unique_ptr<host::HelpEngine> m_engine;
    /// The entry points found in it (both forgotten by UnloadHelpEngine).
    bool m_hasHtmlHelpA = false;
    bool m_hasHtmlHelpW = false;
};

} // namespace tarvex::settings
