// Help access on a real Windows installation (Wine's): the engine found through the real
// registration of hhctrl.ocx, loaded on the first topic, and topics of the built qorvel.chm
// opened in real help windows, also from a folder that the ANSI code page cannot write.

#include <windows.h>

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>

#include "host/win/desktop.h"
#include "host/win/handles.h"
#include "host/win/registry.h"
#include "settings/help.h"
#include "tests/win/dialog_watcher.h"

namespace tarvex::win {
namespace {

using settings::HelpAccess;

// HH_CLOSE_ALL: closes every help window the engine opened in this process.
constexpr UINT kCloseAll = 0x12;
// The title of the help project (docs/help/qorvel.hhp).
constexpr wchar_t kHelpTitle[] = L"Tarvex Help";

std::u16string U16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

// The folder of the test program, ending in a backslash: the build puts qorvel.chm there.
std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), MAX_PATH);
    path.resize(length);
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

// Counts the visible windows titled with the help file's title (an EnumThreadWindows callback:
// a named function, since 32-bit callbacks are stdcall, which no lambda converts to).
BOOL CALLBACK CountHelpWindow(HWND window, LPARAM context) {
    if (::IsWindowVisible(window) && testing::TextOf(window) == kHelpTitle)
        ++*reinterpret_cast<int*>(context);
    return TRUE;
}

// Top-level windows of this thread with the help file's title: the help viewers it opened.
int HelpWindowsOpen() {
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountHelpWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Lets the help windows of this thread process what they were sent.
void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

class HelpAccessWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_lock.Held()) << "the test display stayed busy";
        ASSERT_TRUE(m_desktop.FileExists(U16(ProgramFolder() + L"qorvel.chm")))
            << "the build writes qorvel.chm beside the programs";
    }
    void TearDown() override { CloseAllHelp(); }

    // Closes every help window through the engine, as an application does when it ends.
    void CloseAllHelp() {
        const std::u16string engine = settings::FindHelpEngineFile(m_desktop, m_registry);
        const std::unique_ptr<host::HelpEngine> loaded = m_desktop.LoadHelpEngine(engine);
        if (loaded && loaded->HasHtmlHelpW())
            loaded->CallHtmlHelpW(0, u"", kCloseAll, 0);
        testing::WaitUntil(
            [] {
                Pump();
                return HelpWindowsOpen() == 0;
            },
            5000);
    }

    testing::DesktopLock m_lock;
    Win32Desktop m_desktop;
    Win32Registry m_registry;
};

TEST_F(HelpAccessWine, FindsTheEngineThroughItsClassRegistration) {
    std::unique_ptr<host::RegistryKey> key;
    ASSERT_EQ(m_registry.OpenKey(host::RegistryRoot::ClassesRoot, host::html_help::EngineClassKey,
                                 host::RegistryAccess::Read, key),
              base::hr::Ok)
        << "Wine registers hhctrl.ocx";
    host::RegistryValue value;
    ASSERT_EQ(key->QueryValue("", value), base::hr::Ok);
    std::u16string registered = value.AsString().value_or(u"");
    settings::ExpandWindowsRootVariable(m_desktop, registered);

    const std::u16string found = settings::FindHelpEngineFile(m_desktop, m_registry);
    EXPECT_EQ(::CompareStringOrdinal(reinterpret_cast<const wchar_t*>(found.c_str()), -1,
                                     reinterpret_cast<const wchar_t*>(registered.c_str()), -1,
                                     TRUE),
              CSTR_EQUAL);
    EXPECT_TRUE(m_desktop.FileExists(found));
    const std::unique_ptr<host::HelpEngine> engine = m_desktop.LoadHelpEngine(found);
    EXPECT_TRUE(engine && engine->HasHtmlHelpA());
}

TEST_F(HelpAccessWine, OpensATopicOfTheBuiltHelpFileInAWindowWithItsTitle) {
    HelpAccess help(m_desktop, m_registry);
    EXPECT_FALSE(help.EngineLoaded());
    const std::u16string folder = U16(ProgramFolder());
    ASSERT_TRUE(m_desktop.ToAnsiCodePage(folder)) << "the build folder is plain ASCII";

    ASSERT_TRUE(help.OpenTopic(folder, settings::kOptionsTopic));
    EXPECT_TRUE(help.EngineLoaded());
    EXPECT_TRUE(testing::WaitUntil(
        [] {
            Pump();
            return HelpWindowsOpen() == 1;
        },
        10000))
        << "a help window titled 'Tarvex Help'";

    // A second topic reuses the engine already loaded and its window.
    ASSERT_TRUE(help.OpenTopic(folder, settings::kIntroductionTopic));
    Pump();
    EXPECT_EQ(HelpWindowsOpen(), 1);

    CloseAllHelp();
    EXPECT_EQ(HelpWindowsOpen(), 0);
}

TEST_F(HelpAccessWine, AMissingHelpFileOpensNothingAndReturns) {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(::GetTempPathW(MAX_PATH, temp), 0u);
    const std::u16string folder = U16(std::wstring(temp) + L"no help here\\");
    HelpAccess help(m_desktop, m_registry);
    EXPECT_TRUE(help.OpenTopic(folder, settings::kIntroductionTopic)) << "the engine was asked";
    Pump();
    EXPECT_EQ(HelpWindowsOpen(), 0);
}

// A folder with spaces and characters outside the ANSI code page, holding a copy of the help
// file; removed with everything in it.
class ForeignFolder {
public:
    ForeignFolder() {
        wchar_t temp[MAX_PATH];
        if (::GetTempPathW(MAX_PATH, temp) == 0)
            return;
        m_folder = std::wstring(temp) + L"Tarvex \x0394\x03BF\x03BA\x03B9\x03BC\x03AE "
                                        L"\x65E5\x672C\\";
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
        m_ready = ::CopyFileW((ProgramFolder() + L"qorvel.chm").c_str(),
                              (m_folder + L"qorvel.chm").c_str(), FALSE) != FALSE;
    }
    ~ForeignFolder() {
        ::DeleteFileW((m_folder + L"qorvel.chm").c_str());
        ::RemoveDirectoryW(m_folder.c_str());
    }
    ForeignFolder(const ForeignFolder&) = delete;
    ForeignFolder& operator=(const ForeignFolder&) = delete;

    bool Ready() const noexcept { return m_ready; }
    std::u16string Path() const { return U16(m_folder); }

private:
    std::wstring m_folder;
    bool m_ready = false;
};

TEST_F(HelpAccessWine, AFolderTheAnsiCodePageCannotWriteOpensThroughTheWideEntryPoint) {
    const ForeignFolder folder;
    ASSERT_TRUE(folder.Ready()) << "the help file could not be copied";
    const std::u16string text = settings::HelpTopicText(folder.Path(), settings::kOptionsTopic);
    // The ANSI entry point could not be given this name: only the wide one can open it.
    ASSERT_EQ(m_desktop.ToAnsiCodePage(text), std::nullopt);

    HelpAccess help(m_desktop, m_registry);
    ASSERT_TRUE(help.OpenTopic(folder.Path(), settings::kOptionsTopic));
    EXPECT_TRUE(testing::WaitUntil(
        [] {
            Pump();
            return HelpWindowsOpen() == 1;
        },
        10000))
        << "a help window titled 'Tarvex Help'";
    CloseAllHelp();
}

} // namespace
} // namespace tarvex::win
