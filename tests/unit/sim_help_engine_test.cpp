// The simulated desktop's side of help: its ANSI code page, its libraries and the help
// engine's entry points.

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/error.h"
#include "sim/desktop/ansi_code_page.h"
#include "sim/desktop/desktop.h"
#include "sim/desktop/help_engine.h"

namespace tarvex::sim {
namespace {

TEST(SimAnsiCodePage, WritesWindows1252AndRefusesTheRest) {
    EXPECT_EQ(ToWindows1252(u"Caf\u00E9 \u20AC \u0178 \u00FF"),
              std::optional<std::string>("Caf\xE9 \x80 \x9F \xFF"));
    EXPECT_EQ(ToWindows1252(u"\u0081\u008D"), std::optional<std::string>("\x81\x8D"));
    for (const std::u16string refused : {u"\u0080", u"\u0100", u"\u03A9", u"\u65E5", u"\U0001F600"})
        EXPECT_EQ(ToWindows1252(refused), std::nullopt);

    std::string everyByte;
    for (int byte = 1; byte < 256; ++byte)
        everyByte.push_back(static_cast<char>(byte));
    EXPECT_EQ(ToWindows1252(FromWindows1252(everyByte)), std::optional<std::string>(everyByte));
}

TEST(SimLibraries, LoadOnlyExistingLibrariesAndFindTheirExports) {
    SimDesktop desktop;
    EXPECT_EQ(desktop.LoadHelpEngine(u"C:\\missing.ocx"), nullptr);
    desktop.AddFile(u"C:\\readme.txt");
    EXPECT_EQ(desktop.LoadHelpEngine(u"C:\\readme.txt"), nullptr);

    desktop.AddLibrary(u"C:\\Engine\\hh.ocx", {"HtmlHelpA", "Other"});
    const std::unique_ptr<host::HelpEngine> engine = desktop.LoadHelpEngine(u"c:\\ENGINE\\HH.OCX");
    ASSERT_NE(engine, nullptr);
    EXPECT_NE(desktop.LoadHelpEngine(u"C:\\Engine\\hh.ocx"), nullptr);
    EXPECT_EQ(desktop.LoadedLibraries(), std::vector<std::u16string>{u"C:\\Engine\\hh.ocx"})
        << "both loads reach the one library";
    EXPECT_TRUE(engine->HasHtmlHelpA());
    EXPECT_FALSE(engine->HasHtmlHelpW());
    EXPECT_EQ(desktop.LibraryLoads().size(), 4u);

    desktop.RemoveFile(u"C:\\Engine\\hh.ocx");
    EXPECT_FALSE(desktop.FileExists(u"C:\\Engine\\hh.ocx"));
    EXPECT_TRUE(engine->HasHtmlHelpA()) << "a loaded library stays";
}

TEST(SimHelpEngine, OnlyTheMatchingEntryPointCanBeCalled) {
    SimDesktop desktop;
    desktop.AddLibrary(u"C:\\hh.ocx", {"HtmlHelpA", "HtmlHelpW", "Other"});
    desktop.AddLibrary(u"C:\\wide.ocx", {"HtmlHelpW"});
    desktop.AddLibrary(u"C:\\ansi.ocx", {"HtmlHelpA"});
    desktop.AddLibrary(u"C:\\other.ocx", {"Other"});
    const std::unique_ptr<host::HelpEngine> engine = desktop.LoadHelpEngine(u"C:\\hh.ocx");
    const std::unique_ptr<host::HelpEngine> wide = desktop.LoadHelpEngine(u"C:\\wide.ocx");
    const std::unique_ptr<host::HelpEngine> ansi = desktop.LoadHelpEngine(u"C:\\ansi.ocx");
    const std::unique_ptr<host::HelpEngine> other = desktop.LoadHelpEngine(u"C:\\other.ocx");
    ASSERT_TRUE(engine && wide && ansi && other);

    const auto code = [](auto call) {
        try {
            call();
        } catch (const base::Error& error) {
            return error.Code();
        }
        return base::hr::Ok;
    };
    EXPECT_EQ(code([&] { wide->CallHtmlHelpA(0, "x.chm", 0, 0); }), base::hr::Pointer);
    EXPECT_EQ(code([&] { ansi->CallHtmlHelpW(0, u"x.chm", 0, 0); }), base::hr::Pointer);
    EXPECT_EQ(code([&] { other->CallHtmlHelpA(0, "x.chm", 0, 0); }), base::hr::Pointer);
    EXPECT_EQ(code([&] { other->CallHtmlHelpW(0, u"x.chm", 0, 0); }), base::hr::Pointer);
    EXPECT_TRUE(desktop.HelpRequests().empty());

    std::u16string told;
    desktop.SetHelpHandler([&](const HelpRequest& request) { told = request.topic; });
    desktop.AddFile(u"D:\\Help\\x.chm");
    EXPECT_NE(engine->CallHtmlHelpA(7, "d:\\help\\X.CHM::/Intro.htm", 0, 0), 0u);
    EXPECT_EQ(told, u"Intro.htm");
    // A text without a topic names the file alone.
    const host::WindowHandle window = engine->CallHtmlHelpW(0, u"D:\\Help\\x.chm", 0, 0);
    ASSERT_EQ(desktop.HelpRequests().size(), 2u);
    EXPECT_NE(window, 0u);
    EXPECT_EQ(window, desktop.HelpRequests()[1].window);
    EXPECT_EQ(desktop.HelpRequests()[1].file, u"D:\\Help\\x.chm");
    EXPECT_EQ(desktop.HelpRequests()[1].topic, u"");
    EXPECT_EQ(desktop.HelpRequests()[0].owner, 7u);
}

TEST(SimHelpPages, AreFoundForPlainTopicNamesOnly) {
    namespace fs = std::filesystem;
    // A folder of its own: the native, sanitized and Wine runs may share a temporary folder.
    const fs::path root =
        fs::temp_directory_path() / ("tarvex-help-pages-" + std::to_string(std::random_device()()));
    const fs::path pages = root / "docs" / "help";
    fs::create_directories(pages);
    std::ofstream(pages / "Lesson1.htm") << "<html></html>";
    std::ofstream(root / "secret.htm") << "outside";
    fs::create_directories(pages / "folder.htm");

    EXPECT_EQ(FindHelpPage(pages, u"Lesson1.htm"), pages / "Lesson1.htm");
    for (const std::u16string topic : {u"Introduction.htm", u"", u"..", u"../secret.htm",
                                       u"..\\secret.htm", u"C:secret.htm", u"folder.htm"})
        EXPECT_EQ(FindHelpPage(pages, topic), std::nullopt)
            << std::string(topic.begin(), topic.end());

    HelpRequest request;
    request.text = u"C:\\Tools\\qorvel.chm::/Lesson1.htm";
    request.topic = u"Lesson1.htm";
    EXPECT_EQ(DescribeHelpRequest(request, pages),
              "help: C:\\Tools\\qorvel.chm::/Lesson1.htm (page: " +
                  (pages / "Lesson1.htm").generic_string() + ")");
    request.text = u"C:\\Tools\\qorvel.chm::/Introduction.htm";
    request.topic = u"Introduction.htm";
    EXPECT_EQ(DescribeHelpRequest(request, pages),
              "help: C:\\Tools\\qorvel.chm::/Introduction.htm");
    fs::remove_all(root);
}

} // namespace
} // namespace tarvex::sim
