// Help access on a simulated Windows installation: where the engine is found, when it is
// loaded, and what each topic request hands to it.

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "host/registry.h"
#include "settings/help.h"
#include "settings/options_form.h"
#include "sim/desktop/desktop.h"
#include "sim/desktop/help_engine.h"
#include "sim/registry/memory_registry.h"

namespace tarvex::settings {
namespace {

using host::RegistryRoot;
using sim::HelpRequest;
using sim::RegistryOperation;

constexpr char16_t kSystemEngine[] = u"C:\\WINDOWS\\system32\\hhctrl.ocx";
constexpr char16_t kRegisteredEngine[] = u"C:\\WINDOWS\\System32\\hhctrl.ocx";

class HelpSetup : public ::testing::Test {
protected:
    void Register(std::u16string_view file) { sim::RegisterHelpEngine(m_registry, file); }
    void AddEngine(std::u16string path,
                   std::vector<std::string> exports = {"HtmlHelpA", "HtmlHelpW"}) {
        m_desktop.AddLibrary(std::move(path), std::move(exports));
    }
    std::size_t ClassKeyOpens() const {
        std::size_t opens = 0;
        for (const sim::RegistryCall& call : m_registry.Log())
            opens += call.operation == RegistryOperation::OpenKey &&
                     call.root == RegistryRoot::ClassesRoot;
        return opens;
    }

    sim::SimDesktop m_desktop;
    sim::MemoryRegistry m_registry;
};

class HelpEngineFile : public HelpSetup {
protected:
    std::u16string Found() { return FindHelpEngineFile(m_desktop, m_registry); }
};

class HelpAccessTest : public HelpSetup {
protected:
    HelpAccess m_help{m_desktop, m_registry};
};

TEST(HelpFolders, DropOneTrailingBackslash) {
    sim::SimDesktop desktop;
    EXPECT_EQ(SystemFolder(desktop), u"C:\\WINDOWS\\system32");
    desktop.SetWindowsDirectory(u"D:\\");
    EXPECT_EQ(WindowsFolder(desktop), u"D:");
    desktop.SetSystemDirectory(u"E:\\Sys\\\\");
    EXPECT_EQ(SystemFolder(desktop), u"E:\\Sys\\");
}

TEST(WindowsRootVariable, ExpandsOnlyALeadingSystemRootInAnyCase) {
    sim::SimDesktop desktop;
    const auto expanded = [&](std::u16string path) {
        ExpandWindowsRootVariable(desktop, path);
        return path;
    };
    EXPECT_EQ(expanded(u"%SystemRoot%\\System32\\hhctrl.ocx"),
              u"C:\\WINDOWS\\System32\\hhctrl.ocx");
    EXPECT_EQ(expanded(u"%systemroot%\\system32\\hhctrl.ocx"),
              u"C:\\WINDOWS\\system32\\hhctrl.ocx");
    EXPECT_EQ(expanded(u"%SYSTEMroot%"), u"C:\\WINDOWS");

    for (const std::u16string unchanged :
         {u"%windir%\\system32\\hhctrl.ocx", u"C:\\%SystemRoot%\\hhctrl.ocx", u"%SystemRoot",
          u"%SystemRoot\\x.ocx", u"SystemRoot%\\x.ocx", u"%\u017FystemRoot%\\x.ocx", u""})
        EXPECT_EQ(expanded(unchanged), unchanged);
}

TEST(WindowsRootVariable, ADriveRootWindowsFolderKeepsOneBackslash) {
    sim::SimDesktop desktop;
    desktop.SetWindowsDirectory(u"D:\\");
    std::u16string path = u"%SystemRoot%\\System32\\hhctrl.ocx";
    ExpandWindowsRootVariable(desktop, path);
    EXPECT_EQ(path, u"D:\\System32\\hhctrl.ocx");
}

TEST_F(HelpEngineFile, RegisteredFileWithSystemRootIsExpanded) {
    m_desktop.AddFile(kRegisteredEngine);
    Register(u"%SystemRoot%\\System32\\hhctrl.ocx");
    EXPECT_EQ(Found(), kRegisteredEngine);
    Register(u"%systemroot%\\System32\\hhctrl.ocx");
    EXPECT_EQ(Found(), kRegisteredEngine);
}

TEST_F(HelpEngineFile, RegisteredFileThatExistsIsTakenAsWritten) {
    m_desktop.AddFile(u"D:\\Engines\\help engine.ocx");
    sim::RegisterHelpEngine(m_registry, u"D:\\Engines\\help engine.ocx",
                            host::RegistryType::ExpandString);
    EXPECT_EQ(Found(), u"D:\\Engines\\help engine.ocx");
}

TEST_F(HelpEngineFile, FallsBackToTheSystemFolder) {
    m_desktop.AddFile(u"C:\\WINDOWS\\system32\\hhctrl.ocx");
    // Absent key.
    EXPECT_EQ(Found(), kSystemEngine);
    // A variable that is not expanded names no file.
    Register(u"%windir%\\system32\\hhctrl.ocx");
    EXPECT_EQ(Found(), kSystemEngine);
    // A registered file that does not exist.
    Register(u"C:\\Gone\\hhctrl.ocx");
    EXPECT_EQ(Found(), kSystemEngine);
    // A key without a default value.
    m_registry.DeleteTree(RegistryRoot::ClassesRoot, host::html_help::EngineClassKey);
    m_registry.PutKey(RegistryRoot::ClassesRoot, host::html_help::EngineClassKey);
    EXPECT_EQ(Found(), kSystemEngine);
    // A key that cannot be read.
    Register(u"%SystemRoot%\\System32\\hhctrl.ocx");
    m_registry.FailEvery(RegistryOperation::QueryValue);
    EXPECT_EQ(Found(), kSystemEngine);
    m_registry.FailEvery(RegistryOperation::OpenKey);
    EXPECT_EQ(Found(), kSystemEngine);
    EXPECT_EQ(m_registry.OpenKeyCount(), 0u);
}

TEST_F(HelpEngineFile, FallbackOnADriveRootSystemFolder) {
    m_desktop.SetSystemDirectory(u"S:\\");
    EXPECT_EQ(Found(), u"S:\\hhctrl.ocx");
}

TEST_F(HelpAccessTest, LoadsTheEngineOnTheFirstTopicAndNeverAgain) {
    sim::InstallHelpEngine(m_desktop, m_registry, kRegisteredEngine);
    EXPECT_FALSE(m_help.EngineLoaded());
    EXPECT_TRUE(m_desktop.LibraryLoads().empty());

    EXPECT_TRUE(m_help.OpenTopic(u"C:\\Tools\\", kOptionsTopic));
    EXPECT_TRUE(m_help.OpenTopic(u"C:\\Tools\\", kIntroductionTopic));
    m_help.LoadHelpEngine();
    EXPECT_TRUE(m_help.EngineLoaded());
    EXPECT_EQ(m_desktop.LibraryLoads(), std::vector<std::u16string>{kRegisteredEngine});
    EXPECT_EQ(ClassKeyOpens(), 1u);
    EXPECT_EQ(m_desktop.HelpRequests().size(), 2u);
}

TEST_F(HelpAccessTest, TopicRequestIsFolderFileAndTopicWithNoOwner) {
    Register(u"%SystemRoot%\\System32\\hhctrl.ocx");
    AddEngine(kRegisteredEngine);
    m_desktop.AddFile(u"C:\\Tools\\qorvel.chm");

    ASSERT_TRUE(m_help.OpenTopic(u"C:\\Tools\\", kOptionsTopic));
    ASSERT_EQ(m_desktop.HelpRequests().size(), 1u);
    const HelpRequest& request = m_desktop.HelpRequests()[0];
    EXPECT_EQ(request.entryPoint, "HtmlHelpA");
    EXPECT_EQ(request.ansiText, "C:\\Tools\\qorvel.chm::/Lesson1.htm");
    EXPECT_EQ(request.owner, 0u);
    EXPECT_EQ(request.command, host::html_help::DisplayTopic);
    EXPECT_EQ(request.data, 0u);
    EXPECT_EQ(request.file, u"C:\\Tools\\qorvel.chm");
    EXPECT_EQ(request.topic, u"Lesson1.htm");
    EXPECT_NE(request.window, 0u);
    EXPECT_EQ(m_desktop.LibraryLoads(), std::vector<std::u16string>{kRegisteredEngine});
}

TEST_F(HelpAccessTest, EntryPointFollowsWhatTheAnsiCodePageCanWrite) {
    sim::InstallHelpEngine(m_desktop, m_registry, kSystemEngine);

    // Spaces and characters of Windows-1252 survive the ANSI round trip.
    ASSERT_TRUE(m_help.OpenTopic(u"C:\\Program Files\\Caf\u00E9 \u20AC\\", kIntroductionTopic));
    // Greek and Japanese do not: the wide entry point gets the text unchanged.
    const std::u16string wideFolder = u"C:\\Users\\\u03A9mega\\\u65E5\u672C\\";
    ASSERT_TRUE(m_help.OpenTopic(wideFolder, kIntroductionTopic));

    ASSERT_EQ(m_desktop.HelpRequests().size(), 2u);
    const HelpRequest& ansi = m_desktop.HelpRequests()[0];
    EXPECT_EQ(ansi.entryPoint, "HtmlHelpA");
    EXPECT_EQ(ansi.ansiText, "C:\\Program Files\\Caf\xE9 \x80\\qorvel.chm::/Introduction.htm");
    const HelpRequest& wide = m_desktop.HelpRequests()[1];
    EXPECT_EQ(wide.entryPoint, "HtmlHelpW");
    EXPECT_EQ(wide.text, wideFolder + u"qorvel.chm::/Introduction.htm");
    EXPECT_EQ(wide.window, 0u) << "no help file there: the engine shows nothing";
}

TEST_F(HelpAccessTest, UsesWhicheverEntryPointTheEngineHasWhenTheTextAllows) {
    Register(kSystemEngine);
    AddEngine(kSystemEngine, {"HtmlHelpW"});
    EXPECT_TRUE(m_help.OpenTopic(u"C:\\Tools\\", kIntroductionTopic));
    ASSERT_EQ(m_desktop.HelpRequests().size(), 1u);
    EXPECT_EQ(m_desktop.HelpRequests()[0].entryPoint, "HtmlHelpW");
}

TEST_F(HelpAccessTest, AnAnsiOnlyEngineIsNotGivenTextItCannotRead) {
    Register(kSystemEngine);
    AddEngine(kSystemEngine, {"HtmlHelpA"});
    EXPECT_FALSE(m_help.OpenTopic(u"C:\\\u65E5\u672C\\", kIntroductionTopic));
    EXPECT_TRUE(m_desktop.HelpRequests().empty());
}

TEST_F(HelpAccessTest, NoEngineMeansTopicsDoNothing) {
    // Neither the registered file nor the fallback exists.
    Register(u"%SystemRoot%\\System32\\hhctrl.ocx");
    EXPECT_FALSE(m_help.OpenTopic(u"C:\\Tools\\", kOptionsTopic));
    EXPECT_FALSE(m_help.OpenTopic(u"C:\\Tools\\", kOptionsTopic));
    EXPECT_FALSE(m_help.EngineLoaded());
    EXPECT_TRUE(m_desktop.LibraryLoads().empty());
    EXPECT_EQ(ClassKeyOpens(), 1u) << "the engine is looked for once";
}

TEST_F(HelpAccessTest, EngineFileThatIsNoLibraryOrLacksTheExportsOpensNothing) {
    m_desktop.AddFile(kSystemEngine);
    EXPECT_FALSE(m_help.OpenTopic(u"C:\\Tools\\", kOptionsTopic));
    EXPECT_FALSE(m_help.EngineLoaded());

    HelpAccess other(m_desktop, m_registry);
    AddEngine(kSystemEngine, {"DllGetClassObject", "DllCanUnloadNow"});
    EXPECT_FALSE(other.OpenTopic(u"C:\\Tools\\", kOptionsTopic));
    EXPECT_TRUE(other.EngineLoaded());
    EXPECT_TRUE(m_desktop.HelpRequests().empty());
}

TEST_F(HelpAccessTest, UnloadKeepsTheLibraryAndLaterTopicsStillOpen) {
    sim::InstallHelpEngine(m_desktop, m_registry, kSystemEngine);
    ASSERT_TRUE(m_help.OpenTopic(u"C:\\Tools\\", kOptionsTopic));
    m_help.UnloadHelpEngine();
    EXPECT_TRUE(m_help.EngineLoaded());

    EXPECT_TRUE(m_help.OpenTopic(u"C:\\Tools\\", kIntroductionTopic));
    EXPECT_EQ(m_desktop.LibraryLoads().size(), 1u);
    EXPECT_EQ(m_desktop.HelpRequests().size(), 2u);
}

TEST_F(HelpAccessTest, FailuresOfTheEngineCallAreNotPassedOn) {
    sim::InstallHelpEngine(m_desktop, m_registry, kSystemEngine);
    m_desktop.SetHelpHandler(
        [](const HelpRequest&) { throw base::Error(base::hr::Fail, "the engine failed"); });
    EXPECT_FALSE(m_help.OpenTopic(u"C:\\Tools\\", kOptionsTopic));
}

TEST_F(HelpAccessTest, OptionsDialogHelpOpensLesson1ThroughTheEngineAndStaysOpen) {
    sim::InstallHelpEngine(m_desktop, m_registry, kRegisteredEngine);
    m_desktop.AddFile(u"C:\\Program Files\\Tarvex \u65E5\u672C\\qorvel.chm");
    TfrmOptions form(m_registry, m_desktop, [this](const std::string& fileAndTopic) {
        m_help.OpenText(base::Utf8ToUtf16(fileAndTopic));
    });
    form.HelpFolder = base::Utf16ToUtf8(u"C:\\Program Files\\Tarvex \u65E5\u672C\\");
    int resultAfterHelp = -1;
    m_desktop.SetModalHandler([&](base::Form& shown) {
        shown.UserClick(shown.IndexOf("btnHelp"));
        resultAfterHelp = shown.ModalResult();
        return base::modal_result::Cancel;
    });
    EXPECT_EQ(m_desktop.ShowModal(form), base::modal_result::Cancel);

    EXPECT_EQ(resultAfterHelp, base::modal_result::None);
    ASSERT_EQ(m_desktop.HelpRequests().size(), 1u);
    const HelpRequest& request = m_desktop.HelpRequests()[0];
    EXPECT_EQ(request.entryPoint, "HtmlHelpW");
    EXPECT_EQ(request.text, u"C:\\Program Files\\Tarvex \u65E5\u672C\\qorvel.chm::/Lesson1.htm");
    EXPECT_NE(request.window, 0u) << "the help file is there";
}

} // namespace
} // namespace tarvex::settings
