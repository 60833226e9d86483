// The registry seam over the real registry, below a key of its own that each test removes.

#include <algorithm>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "host/win/handles.h"
#include "host/win/registry.h"
#include "settings/options.h"

namespace tarvex::win {
namespace {

using host::RegistryAccess;
using host::RegistryRoot;
using host::RegistryType;
using host::RegistryValue;
namespace hr = base::hr;

constexpr std::string_view kTestsKey = "Software\\Tarvex Tests";
constexpr auto kUser = RegistryRoot::CurrentUser;

// Joins texts piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about a literal
// added to a temporary string.
std::string Join(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (const std::string_view piece : pieces)
        text += piece;
    return text;
}

// Each test works below a key of its own: the tests run in parallel processes that share
// one registry.
std::string TestKey() {
    return Join(
        {kTestsKey, "\\Registry ", testing::UnitTest::GetInstance()->current_test_info()->name()});
}

// The options store, moved below the test's key.
class TestOptions : public settings::TOptions {
public:
    using TOptions::TOptions;
    std::string GetKeyPath() const override { return Join({"\\", TestKey(), "\\Options\\"}); }
};

class RealRegistry : public testing::Test {
protected:
    void SetUp() override { m_registry.DeleteTree(kUser, TestKey()); }
    void TearDown() override {
        EXPECT_EQ(m_registry.DeleteTree(kUser, TestKey()), hr::Ok);
        // Only once no other test still has a key there.
        m_registry.DeleteKey(kUser, kTestsKey);
    }

    std::unique_ptr<host::RegistryKey> Create(const std::string& subpath) {
        std::unique_ptr<host::RegistryKey> key;
        EXPECT_EQ(m_registry.CreateKey(kUser, Join({TestKey(), "\\", subpath}), key), hr::Ok);
        return key;
    }

    std::vector<std::string> ValueNamesOf(const std::string& subpath) {
        std::unique_ptr<host::RegistryKey> key;
        std::vector<std::string> names;
        if (m_registry.OpenKey(kUser, Join({TestKey(), "\\", subpath}), RegistryAccess::Read,
                               key) == hr::Ok) {
            EXPECT_EQ(key->ValueNames(names), hr::Ok);
        }
        return names;
    }

    Win32Registry m_registry;
};

TEST_F(RealRegistry, OptionsStoreMaterialisesDefaultsAndKeepsForeignValues) {
    TestOptions options(m_registry);
    EXPECT_TRUE(options.TrackColumns());
    EXPECT_EQ(ValueNamesOf("Options"), std::vector<std::string>{"TrackColumns"});

    options.TrackRows();
    options.CaseSensitive();
    options.ActiveColumn();
    options.ActiveRow();
    options.ColumnSelectedRange();
    options.RowSelectedRange();
    std::vector<std::string> names = ValueNamesOf("Options");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"ActiveColumn", "ActiveRow", "CaseSensitive",
                                               "ColumnSelectedRange", "RowSelectedRange",
                                               "TrackColumns", "TrackRows"}));

    auto key = Create("Options");
    RegistryValue value;
    ASSERT_EQ(key->QueryValue("ColumnSelectedRange", value), hr::Ok);
    EXPECT_EQ(value, RegistryValue::FromDWord(0));

    const RegistryValue text = RegistryValue::FromString(u"0");
    ASSERT_EQ(key->SetValue("CaseSensitive", text), hr::Ok);
    ASSERT_EQ(key->SetValue("TrackRows", RegistryValue::FromDWord(2)), hr::Ok);
    ASSERT_EQ(key->SetValue("ActiveColumn",
                            RegistryValue{RegistryType::Binary, {0, 0, 0, 0, 0, 0, 0, 0}}),
              hr::Ok);
    EXPECT_TRUE(options.CaseSensitive());
    EXPECT_TRUE(options.TrackRows());
    EXPECT_TRUE(options.ActiveColumn());
    ASSERT_EQ(key->QueryValue("CaseSensitive", value), hr::Ok);
    EXPECT_EQ(value, text) << "the string stays until the next save";

    options.SetCaseSensitive(false);
    options.SetTrackRows(true);
    ASSERT_EQ(key->QueryValue("CaseSensitive", value), hr::Ok);
    EXPECT_EQ(value, RegistryValue::FromDWord(0));
    ASSERT_EQ(key->QueryValue("TrackRows", value), hr::Ok);
    EXPECT_EQ(value, RegistryValue::FromDWord(1));
    EXPECT_FALSE(options.CaseSensitive());
}

TEST_F(RealRegistry, OptionsStoreRaisesTheRegistryErrorOfAFailedWrite) {
    // Windows refuses to create a lasting key below a volatile one.
    UniqueHkey volatileKey;
    const std::u16string path = base::Utf8ToUtf16(TestKey());
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, std::wstring(path.begin(), path.end()).c_str(),
                                0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                volatileKey.Put(), nullptr),
              ERROR_SUCCESS);
    TestOptions options(m_registry);
    try {
        options.TrackColumns();
        FAIL() << "the default was written below a volatile key";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Message(), "Failed to set data for 'TrackColumns'");
        EXPECT_EQ(error.Code(), base::FromWin32(ERROR_CHILD_MUST_BE_VOLATILE));
    }
}

TEST_F(RealRegistry, ReadsBackStringsAndBinaryDataExactly) {
    auto key = Create("Values");
    const std::vector<std::pair<std::string, RegistryValue>> values = {
        {"Text", RegistryValue::FromString(u"Gr\u00fc\u00dfe \U0001F600")},
        {"", RegistryValue::FromString(u"default")},
        {"Expand", RegistryValue::FromString(u"%TEMP%", RegistryType::ExpandString)},
        {"Large", RegistryValue{RegistryType::Binary, std::vector<std::uint8_t>(70000, 0x5A)}},
        {"Empty", RegistryValue{RegistryType::Binary, {}}},
        {"Number", RegistryValue::FromDWord(0xCAFEF00D)},
    };
    for (const auto& [name, value] : values)
        ASSERT_EQ(key->SetValue(name, value), hr::Ok) << name;

    std::unique_ptr<host::RegistryKey> reader;
    ASSERT_EQ(m_registry.OpenKey(kUser, Join({"\\", TestKey(), "\\VALUES\\"}), RegistryAccess::Read,
                                 reader),
              hr::Ok);
    for (const auto& [name, expected] : values) {
        RegistryValue value;
        ASSERT_EQ(reader->QueryValue(name, value), hr::Ok) << name;
        EXPECT_EQ(value, expected) << name;
    }
    RegistryValue text;
    ASSERT_EQ(reader->QueryValue("text", text), hr::Ok);
    EXPECT_EQ(text.AsString(), u"Gr\u00fc\u00dfe \U0001F600");
    EXPECT_EQ(reader->SetValue("Text", text), hr::AccessDenied) << "opened for reading";
    EXPECT_EQ(reader->QueryValue("Missing", text), hr::FileNotFound);
    EXPECT_EQ(key->DeleteValue("Text"), hr::Ok);
    EXPECT_EQ(reader->QueryValue("Text", text), hr::FileNotFound);
}

TEST_F(RealRegistry, EnumeratesValueAndSubkeyNamesInUtf8) {
    const std::string longName(300, 'n');
    auto key = Create("Names");
    for (const std::string& name :
         {std::string("first"), std::string("\xc3\xa9t\xc3\xa9"), longName})
        ASSERT_EQ(key->SetValue(name, RegistryValue::FromDWord(1)), hr::Ok);
    Create("Names\\Sub one");
    Create("Names\\\xe2\x82\xac");

    std::vector<std::string> names;
    ASSERT_EQ(key->ValueNames(names), hr::Ok);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"first", longName, "\xc3\xa9t\xc3\xa9"}));
    ASSERT_EQ(key->SubkeyNames(names), hr::Ok);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Sub one", "\xe2\x82\xac"}));
}

TEST_F(RealRegistry, DeleteTreeRemovesTheKeyWithEverythingBelowIt) {
    Create("Tree\\A\\B")->SetValue("v", RegistryValue::FromDWord(1));
    Create("Tree\\C");
    Create("Tree")->SetValue("w", RegistryValue::FromDWord(2));
    const std::string tree = Join({TestKey(), "\\Tree"});

    EXPECT_EQ(m_registry.DeleteKey(kUser, tree), hr::AccessDenied) << "it has subkeys";
    EXPECT_EQ(m_registry.DeleteKey(kUser, Join({tree, "\\C"})), hr::Ok);
    EXPECT_EQ(m_registry.DeleteTree(kUser, tree), hr::Ok);
    std::unique_ptr<host::RegistryKey> key;
    EXPECT_EQ(m_registry.OpenKey(kUser, tree, RegistryAccess::Read, key), hr::FileNotFound);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(m_registry.DeleteTree(kUser, tree), hr::FileNotFound);
    EXPECT_EQ(m_registry.DeleteTree(kUser, ""), hr::InvalidArg) << "never a root";
    ASSERT_EQ(m_registry.OpenKey(kUser, TestKey(), RegistryAccess::Read, key), hr::Ok);
    std::vector<std::string> names;
    ASSERT_EQ(key->SubkeyNames(names), hr::Ok);
    EXPECT_TRUE(names.empty());
}

} // namespace
} // namespace tarvex::win
