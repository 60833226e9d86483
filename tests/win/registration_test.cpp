// qorvel.dll registered and unregistered by the real regsvr32, read back from the registry
// of the Wine prefix.

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "addin/identity.h"
#include "base/text.h"
#include "host/registry.h"
#include "host/win/handles.h"
#include "host/win/registry.h"
#include "tests/win/registered_dll.h"

namespace tarvex::win {
namespace {

using host::RegistryRoot;

constexpr char kClassKey[] = "CLSID\\{B2533CB0-D9A8-4459-BA70-990C4C6CA948}";
constexpr char kTypeLibKey[] = "TypeLib\\{751554B8-70A4-41F0-A4A0-86BF8B7F527E}";

std::u16string Narrow16(std::wstring_view text) {
    return {text.begin(), text.end()};
}

// A copy of the built DLL in a folder of its own below the temporary folder.
class DllCopy {
public:
    explicit DllCopy(const std::wstring& folderName) {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + folderName;
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
        m_path = m_folder + L"\\qorvel.dll";
        m_copied = ::CopyFileW(BuiltDll().c_str(), m_path.c_str(), FALSE) != 0;
    }
    ~DllCopy() {
        ::DeleteFileW(m_path.c_str());
        ::RemoveDirectoryW(m_folder.c_str());
    }
    DllCopy(const DllCopy&) = delete;
    DllCopy& operator=(const DllCopy&) = delete;

    bool Copied() const noexcept { return m_copied; }
    const std::wstring& Path() const noexcept { return m_path; }

private:
    std::wstring m_folder;
    std::wstring m_path;
    bool m_copied = false;
};

class Regsvr32 : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_lock.Held());
        RemoveEverything();
    }
    void TearDown() override { RemoveEverything(); }

    void RemoveEverything() {
        SetExcelInstalled(false);
        for (const char* path : {kClassKey, "qorvel.Tarvex", kTypeLibKey})
            static_cast<void>(registry.DeleteTree(RegistryRoot::ClassesRoot, path));
        static_cast<void>(registry.DeleteTree(RegistryRoot::CurrentUser, kAddinKey));
    }

    void SetExcelInstalled(bool installed) {
        ASSERT_TRUE(win::SetExcelInstalled(registry, installed));
    }

    std::optional<host::RegistryValue> Value(RegistryRoot root, const std::string& path,
                                             std::string_view name = "") {
        std::unique_ptr<host::RegistryKey> key;
        if (base::Failed(registry.OpenKey(root, path, host::RegistryAccess::Read, key)))
            return std::nullopt;
        host::RegistryValue value;
        if (base::Failed(key->QueryValue(name, value)))
            return std::nullopt;
        return value;
    }

    std::optional<std::u16string> Text(RegistryRoot root, const std::string& path,
                                       std::string_view name = "") {
        const auto value = Value(root, path, name);
        if (!value || value->type != host::RegistryType::String)
            return std::nullopt;
        return value->AsString();
    }

    bool HasKey(RegistryRoot root, const std::string& path) {
        std::unique_ptr<host::RegistryKey> key;
        return base::Succeeded(registry.OpenKey(root, path, host::RegistryAccess::Read, key));
    }

    std::vector<std::string> Names(RegistryRoot root, const std::string& path) {
        std::unique_ptr<host::RegistryKey> key;
        std::vector<std::string> names;
        if (base::Succeeded(registry.OpenKey(root, path, host::RegistryAccess::Read, key)))
            static_cast<void>(key->ValueNames(names));
        return names;
    }

    std::vector<std::string> Subkeys(RegistryRoot root, const std::string& path) {
        std::unique_ptr<host::RegistryKey> key;
        std::vector<std::string> names;
        if (base::Succeeded(registry.OpenKey(root, path, host::RegistryAccess::Read, key)))
            static_cast<void>(key->SubkeyNames(names));
        return names;
    }

    std::optional<std::u16string> ServerPathValue() {
        return Text(RegistryRoot::ClassesRoot, std::string(kClassKey) + "\\InprocServer32");
    }

    Win32Registry registry;

private:
    RegistrationLock m_lock;
};

TEST_F(Regsvr32, WritesExactlyTheClassLayoutAndTheTypeLibrary) {
    ASSERT_EQ(RunRegsvr32(BuiltDll()), 0u);
    constexpr RegistryRoot hkcr = RegistryRoot::ClassesRoot;
    const std::string classKey = kClassKey;

    EXPECT_EQ(Text(hkcr, classKey), u"Tarvex Object");
    EXPECT_EQ(ServerPathValue(), Narrow16(BuiltDll()));
    EXPECT_EQ(Text(hkcr, classKey + "\\InprocServer32", "ThreadingModel"), u"Apartment");
    EXPECT_EQ(Text(hkcr, classKey + "\\ProgID"), u"qorvel.Tarvex");
    EXPECT_EQ(Text(hkcr, classKey + "\\Version"), u"1.0");
    EXPECT_EQ(Text(hkcr, classKey + "\\TypeLib"), u"{751554B8-70A4-41F0-A4A0-86BF8B7F527E}");
    std::vector<std::string> subkeys = Subkeys(hkcr, classKey);
    std::sort(subkeys.begin(), subkeys.end());
    EXPECT_EQ(subkeys,
              (std::vector<std::string>{"InprocServer32", "ProgID", "TypeLib", "Version"}));
    EXPECT_EQ(Names(hkcr, classKey + "\\InprocServer32"),
              (std::vector<std::string>{"", "ThreadingModel"}));
    EXPECT_EQ(Text(hkcr, "qorvel.Tarvex"), u"Tarvex Object");
    EXPECT_EQ(Text(hkcr, "qorvel.Tarvex\\Clsid"), u"{B2533CB0-D9A8-4459-BA70-990C4C6CA948}");
    EXPECT_EQ(Subkeys(hkcr, "qorvel.Tarvex"), std::vector<std::string>{"Clsid"});

    // The type library's own entries, with the DLL's folder as its help folder.
    const std::string version = std::string(kTypeLibKey) + "\\1.0";
    EXPECT_EQ(Text(hkcr, version), u"Tarvex Library");
    std::wstring folder = TestFolder();
    EXPECT_EQ(Text(hkcr, version + "\\HELPDIR"), Narrow16(folder));

    EXPECT_FALSE(HasKey(RegistryRoot::CurrentUser, kAddinKey)) << "Excel is not installed";
}

TEST_F(Regsvr32, WritesTheExcelAddinKeyWhereExcelIsInstalled) {
    SetExcelInstalled(true);
    ASSERT_EQ(RunRegsvr32(BuiltDll()), 0u);
    EXPECT_EQ(Text(RegistryRoot::CurrentUser, kAddinKey, "FriendlyName"), u"Tarvex");
    EXPECT_EQ(Text(RegistryRoot::CurrentUser, kAddinKey, "Description"), u"");
    const auto behavior = Value(RegistryRoot::CurrentUser, kAddinKey, "LoadBehavior");
    ASSERT_TRUE(behavior);
    EXPECT_EQ(behavior->type, host::RegistryType::DWord);
    EXPECT_EQ(behavior->AsDWord(), 3u);
    const auto safe = Value(RegistryRoot::CurrentUser, kAddinKey, "CommandLineSafe");
    ASSERT_TRUE(safe);
    EXPECT_EQ(safe->type, host::RegistryType::DWord);
    EXPECT_EQ(safe->AsDWord(), 0u);
    std::vector<std::string> names = Names(RegistryRoot::CurrentUser, kAddinKey);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"CommandLineSafe", "Description", "FriendlyName",
                                               "LoadBehavior"}));

    // No Excel runs, and none can be started here. One would hold nothing of the add-in's
    // (its bar is temporary and nothing is recorded): none is needed, and everything goes.
    EXPECT_EQ(RunRegsvr32(BuiltDll(), true), 0u);
    EXPECT_FALSE(HasKey(RegistryRoot::CurrentUser, kAddinKey));
    EXPECT_FALSE(HasKey(RegistryRoot::ClassesRoot, kClassKey));
    EXPECT_FALSE(HasKey(RegistryRoot::ClassesRoot, "qorvel.Tarvex"));
}

TEST_F(Regsvr32, RegisteringTwiceThenUnregisteringLeavesNoKey) {
    ASSERT_EQ(RunRegsvr32(BuiltDll()), 0u);
    const auto first = ServerPathValue();
    ASSERT_EQ(RunRegsvr32(BuiltDll()), 0u);
    EXPECT_EQ(ServerPathValue(), first);
    EXPECT_EQ(Subkeys(RegistryRoot::ClassesRoot, kClassKey).size(), 4u);

    ASSERT_EQ(RunRegsvr32(BuiltDll(), true), 0u);
    EXPECT_FALSE(HasKey(RegistryRoot::ClassesRoot, kClassKey));
    EXPECT_FALSE(HasKey(RegistryRoot::ClassesRoot, "qorvel.Tarvex"));
    EXPECT_FALSE(HasKey(RegistryRoot::ClassesRoot, std::string(kTypeLibKey) + "\\1.0"));
    EXPECT_FALSE(HasKey(RegistryRoot::CurrentUser, kAddinKey));
}

TEST_F(Regsvr32, PathWithASpaceIsRegisteredInItsShortForm) {
    const DllCopy copy(L"tarvex with space");
    ASSERT_TRUE(copy.Copied());
    ASSERT_EQ(RunRegsvr32(copy.Path()), 0u);
    wchar_t shortPath[MAX_PATH];
    ASSERT_NE(::GetShortPathNameW(copy.Path().c_str(), shortPath, MAX_PATH), 0u);
    const auto registered = ServerPathValue();
    ASSERT_TRUE(registered);
    EXPECT_EQ(*registered, Narrow16(shortPath));
    EXPECT_EQ(registered->find(u' '), std::u16string::npos);
    EXPECT_EQ(RunRegsvr32(copy.Path(), true), 0u);
    EXPECT_FALSE(HasKey(RegistryRoot::ClassesRoot, kClassKey));
}

TEST_F(Regsvr32, FolderOutsideTheAnsiCodePageKeepsItsName) {
    const DllCopy copy(L"\u0442\u0430\u0440\u0432\u0435\u043a\u0441");
    ASSERT_TRUE(copy.Copied());
    ASSERT_EQ(RunRegsvr32(copy.Path()), 0u);
    EXPECT_EQ(ServerPathValue(), Narrow16(copy.Path()));
    EXPECT_EQ(RunRegsvr32(copy.Path(), true), 0u);
}

} // namespace
} // namespace tarvex::win
