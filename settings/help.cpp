#include "help.h"

#include <memory>
#include <optional>

#include "base/text.h"

namespace tarvex::settings {

namespace {

constexpr std::u16string_view kWindowsRootVariable = u"%SystemRoot%";
constexpr std::u16string_view kEngineFileName = u"\\hhctrl.ocx";

std::u16string WithoutTrailingBackslash(std::u16string folder) {
    if (!folder.empty() && folder.back() == u'\\')
        folder.pop_back();
    return folder;
}

} // namespace

std::u16string SystemFolder(const host::DesktopShell& desktop) {
    return WithoutTrailingBackslash(desktop.SystemDirectory());
}

std::u16string WindowsFolder(const host::DesktopShell& desktop) {
    return WithoutTrailingBackslash(desktop.WindowsDirectory());
}

void ExpandWindowsRootVariable(const host::DesktopShell& desktop, std::u16string& path) {
    // ASCII letters only: the variable is spelt in ASCII.
    if (!base::EqualsAsciiIgnoringCase(
            std::u16string_view(path).substr(0, kWindowsRootVariable.size()), kWindowsRootVariable))
        return;
    path.replace(0, kWindowsRootVariable.size(), WindowsFolder(desktop));
}

std::u16string FindHelpEngineFile(const host::DesktopShell& desktop, host::Registry& registry) {
    std::u16string file;
    std::unique_ptr<host::RegistryKey> key;
    if (base::Succeeded(registry.OpenKey(host::RegistryRoot::ClassesRoot,
                                         host::html_help::EngineClassKey,
                                         host::RegistryAccess::Read, key))) {
        host::RegistryValue value;
        if (base::Succeeded(key->QueryValue("", value)))
            file = value.AsString().value_or(std::u16string());
        key.reset();
        ExpandWindowsRootVariable(desktop, file);
        if (!file.empty() && !desktop.FileExists(file))
            file.clear();
    }
    if (file.empty())
        file = SystemFolder(desktop) + std::u16string(kEngineFileName);
    return file;
}

std::u16string HelpTopicText(std::u16string_view folder, std::u16string_view topic) {
    std::u16string text(folder);
    text += kHelpFileTopicPrefix;
    text += topic;
    return text;
}

void HelpAccess::LoadHelpEngine() {
    if (m_entriesFound)
        return;
    if (!m_engine) {
        if (m_loadAttempted)
            return;
        m_loadAttempted = true;
        const std::u16string file = FindHelpEngineFile(m_desktop, m_registry);
        if (file.empty() || !m_desktop.FileExists(file))
            return;
        m_engine = m_desktop.LoadHelpEngine(file);
        if (!m_engine)
            return;
    }
    m_hasHtmlHelpA = m_engine->HasHtmlHelpA();
    m_hasHtmlHelpW = m_engine->HasHtmlHelpW();
    m_entriesFound = true;
}

void HelpAccess::UnloadHelpEngine() noexcept {
    m_hasHtmlHelpA = false;
    m_hasHtmlHelpW = false;
    m_entriesFound = false;
}

bool HelpAccess::OpenTopic(std::u16string_view folder, std::u16string_view topic) noexcept {
    try {
        return OpenText(HelpTopicText(folder, topic));
    } catch (...) {
        return false; // the text could not be made
    }
}

bool HelpAccess::OpenText(std::u16string_view fileAndTopic) noexcept {
    try {
        LoadHelpEngine();
        const std::u16string text(fileAndTopic);
        if (m_hasHtmlHelpA) {
            if (const std::optional<std::string> ansi = m_desktop.ToAnsiCodePage(text)) {
                m_engine->CallHtmlHelpA(0, *ansi, host::html_help::DisplayTopic, 0);
                return true;
            }
        }
        // A folder that the ANSI code page cannot write would reach the ANSI entry point
        // with replacement characters and name another file, or none.
        if (m_hasHtmlHelpW) {
            m_engine->CallHtmlHelpW(0, text, host::html_help::DisplayTopic, 0);
            return true;
        }
        return false;
    } catch (...) {
        // Help never interrupts the user with a failure of its own: the topic stays unshown.
        return false;
    }
}

} // namespace tarvex::settings
