// The file-backed registry: loading, saving every change atomically, and refusing bad files.

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>

#include "base/error.h"
#include "host/file.h"
#include "settings/options.h"
#include "sim/registry/file_registry.h"

namespace tarvex::sim {
namespace {

namespace fs = std::filesystem;
using host::RegistryRoot;
using host::RegistryValue;

constexpr std::string_view kOptions = "Software\\Morvane Software\\Tarvex\\Options";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

class RegistryFile : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        // Unique per run: the native, sanitizer and Wine builds may run this test at once.
        m_folder =
            fs::temp_directory_path() / (std::string("tarvex-file-registry-") + test->name() + "-" +
                                         std::to_string(std::random_device()()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path m_folder;
};

TEST_F(RegistryFile, MissingFileIsAnEmptyStoreCreatedByTheFirstChange) {
    const fs::path path = m_folder / "not" / "yet" / "registry.reg";
    FileRegistry registry(path);
    EXPECT_TRUE(registry.Contents().Keys().empty());
    EXPECT_FALSE(fs::exists(path.parent_path())) << "loading writes nothing";

    settings::TOptions options(registry);
    EXPECT_TRUE(options.TrackColumns());
    EXPECT_EQ(ReadFile(path), "Windows Registry Editor Version 5.00\n"
                              "\n"
                              "[HKEY_CURRENT_USER\\Software\\Morvane Software\\Tarvex\\Options]\n"
                              "\"TrackColumns\"=dword:00000001\n"
                              "\n");
    EXPECT_EQ(FilesIn(path.parent_path()), std::vector<std::string>{"registry.reg"})
        << "no temporary file left behind";
}

TEST_F(RegistryFile, EveryChangeIsSavedAndSeenAfterReloading) {
    const fs::path path = m_folder / "registry.reg";
    {
        FileRegistry registry(path);
        settings::TOptions options(registry);
        options.SetTrackColumns(false);
        options.SetCaseSensitive(true);
        std::unique_ptr<host::RegistryKey> key;
        ASSERT_EQ(registry.CreateKey(RegistryRoot::CurrentUser, "Software\\Other\\Deep", key),
                  base::hr::Ok);
        ASSERT_EQ(key->SetValue("Text", RegistryValue::FromString(u"a \"b\" \\ c")), base::hr::Ok);
        ASSERT_EQ(key->SetValue("Gone", RegistryValue::FromDWord(1)), base::hr::Ok);
        ASSERT_EQ(key->DeleteValue("gone"), base::hr::Ok);
        ASSERT_EQ(registry.CreateKey(RegistryRoot::CurrentUser, "Software\\Drop\\Me", key),
                  base::hr::Ok);
        key.reset();
        ASSERT_EQ(registry.DeleteTree(RegistryRoot::CurrentUser, "software\\drop"), base::hr::Ok);

        FileRegistry reloaded(path);
        EXPECT_EQ(reloaded.Contents().Keys(), registry.Contents().Keys());
    }
    FileRegistry reloaded(path);
    settings::TOptions options(reloaded);
    EXPECT_FALSE(options.TrackColumns());
    EXPECT_TRUE(options.CaseSensitive());
    EXPECT_EQ(
        reloaded.Contents().GetValue(RegistryRoot::CurrentUser, "SOFTWARE\\other\\deep", "TEXT"),
        RegistryValue::FromString(u"a \"b\" \\ c"));
    EXPECT_FALSE(reloaded.Contents().HasKey(RegistryRoot::CurrentUser, "Software\\Drop"));
}

TEST_F(RegistryFile, AReplacedFileKeepsItsPermissions) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows files carry no POSIX permissions";
#endif
    const fs::path path = m_folder / "registry.reg";
    FileRegistry registry(path);
    settings::TOptions options(registry);
    options.SetTrackRows(true);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    options.SetTrackRows(false);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(RegistryFile, NamesMatchWhateverTheirCaseAndKeepTheFileSpelling) {
    const fs::path path = m_folder / "registry.reg";
    WriteFile(path, "Windows Registry Editor Version 5.00\n\n"
                    "[HKEY_CURRENT_USER\\SOFTWARE\\morvane software\\TARVEX\\options]\n"
                    "\"trackcolumns\"=dword:00000000\n\n");
    FileRegistry registry(path);
    settings::TOptions options(registry);
    EXPECT_FALSE(options.TrackColumns());
    options.SetTrackColumns(true);
    EXPECT_EQ(ReadFile(path), "Windows Registry Editor Version 5.00\n\n"
                              "[HKEY_CURRENT_USER\\SOFTWARE\\morvane software\\TARVEX\\options]\n"
                              "\"trackcolumns\"=dword:00000001\n\n");
}

TEST_F(RegistryFile, MalformedFileIsReportedWithItsLineAndLeftUntouched) {
    const fs::path path = m_folder / "registry.reg";
    const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Morvane Software\\Tarvex\\Options]\r\n"
                             "\"TrackColumns\"=dword:1\r\n"
                             "\"CaseSensitive\"=yes\r\n";
    WriteFile(path, text);
    try {
        FileRegistry registry(path);
        FAIL() << "a malformed file was accepted";
    } catch (const base::Error& error) {
        EXPECT_NE(error.Message().find(path.filename().string()), std::string::npos)
            << error.Message();
        EXPECT_NE(error.Message().find("line 5: unknown data"), std::string::npos)
            << error.Message();
    }
    EXPECT_EQ(ReadFile(path), text);
    EXPECT_EQ(FilesIn(m_folder), std::vector<std::string>{"registry.reg"});

    EXPECT_THROW(FileRegistry{m_folder}, base::Error) << "a folder is no store";
}

TEST_F(RegistryFile, AFailedWriteKeepsTheOldFileAndTheOldValue) {
    const fs::path path = m_folder / "registry.reg";
    FileRegistry registry(path);
    settings::TOptions options(registry);
    EXPECT_TRUE(options.TrackColumns());
    const std::string saved = ReadFile(path);

    // Something that is not ours stands where the temporary file would go.
    const fs::path blocker = host::TemporaryPathFor(path);
    fs::create_directory(blocker);
    WriteFile(blocker / "keep", "x");
    try {
        options.SetTrackColumns(false);
        FAIL() << "the write cannot have succeeded";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Message(), "Failed to set data for 'TrackColumns'");
        EXPECT_EQ(error.Code(), base::hr::AccessDenied);
    }
    EXPECT_EQ(ReadFile(path), saved);
    EXPECT_TRUE(options.TrackColumns()) << "the change was undone in memory too";
    EXPECT_TRUE(fs::exists(blocker / "keep"));
    std::unique_ptr<host::RegistryKey> key;
    EXPECT_EQ(registry.CreateKey(RegistryRoot::CurrentUser, "Software\\New", key),
              base::hr::AccessDenied);
    EXPECT_FALSE(registry.Contents().HasKey(RegistryRoot::CurrentUser, "Software\\New"));

    fs::remove_all(blocker);
    options.SetTrackColumns(false);
    EXPECT_EQ(
        FileRegistry(path).Contents().GetValue(RegistryRoot::CurrentUser, kOptions, "TrackColumns"),
        RegistryValue::FromDWord(0));
    EXPECT_EQ(FilesIn(m_folder), std::vector<std::string>{"registry.reg"});
}

} // namespace
} // namespace tarvex::sim
