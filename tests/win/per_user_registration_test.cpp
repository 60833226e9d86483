// qorvel.dll registered for the current user alone: by `regsvr32 /n /i:user` (DllInstall) and
// by the per-user installer package through msiexec, read back from the Wine prefix's
// registry and proven by creating the add-in through COM.

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "addin/identity.h"
#include "base/text.h"
#include "host/registry.h"
#include "host/win/com_adapters.h"
#include "host/win/handles.h"
#include "host/win/registry.h"
#include "server/tarvex_object.h"
#include "sim/excel/excel.h"
#include "tests/win/registered_dll.h"

namespace tarvex::win {
namespace {

using host::RegistryRoot;

constexpr char kUserClasses[] = "Software\\Classes\\";
constexpr char kClassKey[] = "CLSID\\{B2533CB0-D9A8-4459-BA70-990C4C6CA948}";
constexpr char kProgId[] = "qorvel.Tarvex";
constexpr char kTypeLibKey[] = "TypeLib\\{751554B8-70A4-41F0-A4A0-86BF8B7F527E}";
constexpr char kInterfaceKey[] = "Interface\\{9009659E-F157-4269-9719-E789E865CFCC}";
constexpr char kAddinsKey[] = "Software\\Microsoft\\Office\\Excel\\AddIns";

using DllInstallFunction = HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR);

std::string UserClass(std::string_view path) {
    return kUserClasses + std::string(path);
}

std::u16string Utf16(std::wstring_view text) {
    return {text.begin(), text.end()};
}

DWORD RegisterForUser(const std::wstring& dll, bool unregister = false) {
    return RunProgram(std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") +
                      L"/n /i:user \"" + dll + L"\"");
}

std::wstring Package() {
    return TestFolder() + L"" TARVEX_MSI_NAME;
}

// The same package a version later.
std::wstring NextPackage() {
    return TestFolder() + L"upgrade-test\\" TARVEX_NEXT_MSI_NAME;
}

// The versions of the installed products that carry the package's upgrade code, as Windows
// Installer lists them.
std::vector<std::wstring> InstalledVersions() {
    using EnumRelatedProducts = UINT(WINAPI*)(LPCWSTR, DWORD, DWORD, LPWSTR);
    using GetProductInfo = UINT(WINAPI*)(LPCWSTR, LPCWSTR, LPWSTR, LPDWORD);
    std::vector<std::wstring> versions;
    const UniqueHmodule msi(::LoadLibraryW(L"msi.dll"));
    const auto enumerate = ProcAddress<EnumRelatedProducts>(msi.Get(), "MsiEnumRelatedProductsW");
    const auto info = ProcAddress<GetProductInfo>(msi.Get(), "MsiGetProductInfoW");
    if (!enumerate || !info)
        return {L"msi.dll is missing"};
    wchar_t product[39] = {};
    for (DWORD i = 0; enumerate(L"" TARVEX_MSI_UPGRADE_CODE, 0, i, product) == ERROR_SUCCESS; ++i) {
        wchar_t version[64] = {};
        DWORD size = 64;
        info(product, L"VersionString", version, &size);
        versions.emplace_back(version);
    }
    return versions;
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

// Every key and value below one key, by path relative to it: "\\1.0\\0 [name]" with the value's
// type and data, and "\\1.0\\0" alone for the key itself, so that a key without values counts.
using Tree = std::map<std::string, std::string>;

std::string Describe(const host::RegistryValue& value) {
    if (const auto number = value.AsDWord())
        return "dword " + std::to_string(*number);
    if (const auto text = value.AsString())
        return "type " + std::to_string(static_cast<unsigned>(value.type)) + " \"" +
               base::Utf16ToUtf8(*text) + '"';
    return "type " + std::to_string(static_cast<unsigned>(value.type)) + ", " +
           std::to_string(value.data.size()) + " bytes";
}

void ReadTree(host::Registry& registry, RegistryRoot root, const std::string& path,
              const std::string& relative, Tree& tree) {
    std::unique_ptr<host::RegistryKey> key;
    if (base::Failed(registry.OpenKey(root, path, host::RegistryAccess::Read, key)))
        return;
    tree[relative] = "key";
    std::vector<std::string> names;
    static_cast<void>(key->ValueNames(names));
    for (const std::string& name : names) {
        host::RegistryValue value;
        static_cast<void>(key->QueryValue(name, value));
        tree[relative + " [" + name + "]"] = Describe(value);
    }
    std::vector<std::string> subkeys;
    static_cast<void>(key->SubkeyNames(subkeys));
    for (const std::string& subkey : subkeys)
        ReadTree(registry, root, path + "\\" + subkey, relative + "\\" + subkey, tree);
}

void CopyTree(host::Registry& registry, RegistryRoot fromRoot, const std::string& from,
              RegistryRoot toRoot, const std::string& to) {
    std::unique_ptr<host::RegistryKey> source;
    std::unique_ptr<host::RegistryKey> target;
    if (base::Failed(registry.OpenKey(fromRoot, from, host::RegistryAccess::Read, source)) ||
        base::Failed(registry.CreateKey(toRoot, to, target)))
        return;
    std::vector<std::string> names;
    static_cast<void>(source->ValueNames(names));
    for (const std::string& name : names) {
        host::RegistryValue value;
        if (base::Succeeded(source->QueryValue(name, value)))
            static_cast<void>(target->SetValue(name, value));
    }
    std::vector<std::string> subkeys;
    static_cast<void>(source->SubkeyNames(subkeys));
    for (const std::string& subkey : subkeys)
        CopyTree(registry, fromRoot, from + "\\" + subkey, toRoot, to + "\\" + subkey);
}

// Windows' COM reads the user's classes first and the machine's after them. Wine 8 reads
// only the machine's (HKEY_CLASSES_ROOT), so where COM cannot see the user's class, this
// copies the user's class and ProgID keys there while it lives: the object is then still
// created from exactly the entries the user's registration wrote.
class UserClassesVisible {
public:
    explicit UserClassesVisible(host::Registry& registry)
        : m_registry(registry) {
        CLSID clsid{};
        if (SUCCEEDED(::CLSIDFromProgID(L"qorvel.Tarvex", &clsid)))
            return;
        for (const char* path : {kClassKey, kProgId}) {
            if (HasUserKey(path)) {
                CopyTree(m_registry, RegistryRoot::CurrentUser, UserClass(path),
                         RegistryRoot::ClassesRoot, path);
                m_copied.push_back(path);
            }
        }
    }
    ~UserClassesVisible() {
        for (const char* path : m_copied)
            static_cast<void>(m_registry.DeleteTree(RegistryRoot::ClassesRoot, path));
    }
    UserClassesVisible(const UserClassesVisible&) = delete;
    UserClassesVisible& operator=(const UserClassesVisible&) = delete;

private:
    bool HasUserKey(const char* path) {
        std::unique_ptr<host::RegistryKey> key;
        return base::Succeeded(m_registry.OpenKey(RegistryRoot::CurrentUser, UserClass(path),
                                                  host::RegistryAccess::Read, key));
    }

    host::Registry& m_registry;
    std::vector<const char*> m_copied;
};

class PerUser : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_lock.Held());
        RemoveEverything();
    }
    void TearDown() override {
        for (const std::wstring& package : std::vector<std::wstring>(m_installed))
            static_cast<void>(Uninstall(package));
        RemoveEverything();
    }

    void RemoveEverything() {
        static_cast<void>(SetExcelInstalled(registry, false));
        for (const char* path : {kClassKey, kProgId, kTypeLibKey, kInterfaceKey}) {
            static_cast<void>(registry.DeleteTree(RegistryRoot::CurrentUser, UserClass(path)));
            static_cast<void>(registry.DeleteTree(RegistryRoot::ClassesRoot, path));
        }
        static_cast<void>(registry.DeleteTree(RegistryRoot::CurrentUser, kAddinKey));
    }

    DWORD Install(const std::wstring& package = Package()) {
        const DWORD code = RunProgram(L"msiexec.exe /i \"" + package + L"\" /qn");
        if (code == 0)
            m_installed.push_back(package);
        return code;
    }
    DWORD Uninstall(const std::wstring& package = Package()) {
        const DWORD code = RunProgram(L"msiexec.exe /x \"" + package + L"\" /qn");
        if (code == 0)
            std::erase(m_installed, package);
        return code;
    }

    std::optional<std::u16string> Text(RegistryRoot root, const std::string& path,
                                       std::string_view name = "") {
        std::unique_ptr<host::RegistryKey> key;
        host::RegistryValue value;
        if (base::Failed(registry.OpenKey(root, path, host::RegistryAccess::Read, key)) ||
            base::Failed(key->QueryValue(name, value)))
            return std::nullopt;
        return value.AsString();
    }

    bool HasKey(RegistryRoot root, const std::string& path) {
        std::unique_ptr<host::RegistryKey> key;
        return base::Succeeded(registry.OpenKey(root, path, host::RegistryAccess::Read, key));
    }

    // Where the type library is registered: the user's classes on Windows; Wine's per-user
    // call registers it for the machine.
    Tree TypeLibraryTree(const char* path) {
        Tree tree;
        ReadTree(registry, RegistryRoot::CurrentUser, UserClass(path), "", tree);
        if (tree.empty())
            ReadTree(registry, RegistryRoot::ClassesRoot, path, "", tree);
        return tree;
    }

    // No key of the add-in is left in the user's classes, the machine's class entries or
    // Excel's add-in keys, and the type library is no longer registered anywhere.
    void ExpectNoKeyLeft() {
        for (const char* path : {kClassKey, kProgId, kTypeLibKey, kInterfaceKey})
            EXPECT_FALSE(HasKey(RegistryRoot::CurrentUser, UserClass(path))) << path;
        EXPECT_FALSE(HasKey(RegistryRoot::ClassesRoot, kClassKey));
        EXPECT_FALSE(HasKey(RegistryRoot::ClassesRoot, kProgId));
        EXPECT_FALSE(HasKey(RegistryRoot::CurrentUser, kAddinKey));
        UniqueBstr path;
        EXPECT_NE(::QueryPathOfRegTypeLib(ToGuid(addin::kLibId), 1, 0, 0, path.Put()), S_OK);
    }

    Win32Registry registry;

private:
    RegistrationLock m_lock;
    std::vector<std::wstring> m_installed;
};

// Whether `addin` starts in Excel 2016 as Office starts it (connection, start-up completion:
// its application events connected) and shuts down again.
bool StartsAndStopsInExcel(IDispatch* addin) {
    sim::SimExcel excel;
    excel.AddWorkbook(u"Book1", {u"Sheet1"});
    ComPtr<server::IDTExtensibility2> extensibility;
    if (FAILED(addin->QueryInterface(server::kIidDTExtensibility2, extensibility.PutVoid())))
        return false;
    const ComPtr<IDispatch> application = ToCom(excel.Application().Get());
    const bool started =
        extensibility->OnConnection(application.Get(), 1, nullptr, nullptr) == S_OK &&
        extensibility->OnStartupComplete(nullptr) == S_OK && excel.AdvisedSinks().size() == 1;
    const bool stopped = extensibility->OnBeginShutdown(nullptr) == S_OK &&
                         extensibility->OnDisconnection(0, nullptr) == S_OK;
    return started && stopped;
}

// Creates the add-in as Office does, from its ProgID, in an apartment of its own, and with
// `start` starts it in Excel (it then records its first start in its add-in key): leaving
// the apartment frees the DLL again, so that it can be removed afterwards. Answers the path
// of the DLL that served the object ("" when none did or the add-in did not start).
std::wstring CreateFromProgId(const wchar_t* progId, bool start = false) {
    if (FAILED(::CoInitialize(nullptr)))
        return L"";
    std::wstring served;
    {
        CLSID clsid{};
        ComPtr<IDispatch> addin;
        if (SUCCEEDED(::CLSIDFromProgID(progId, &clsid)) &&
            FromGuid(clsid) == addin::kClsidTarvex &&
            SUCCEEDED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                         reinterpret_cast<void**>(addin.Put()))) &&
            addin && (!start || StartsAndStopsInExcel(addin.Get()))) {
            wchar_t path[MAX_PATH] = {};
            const HMODULE module = ::GetModuleHandleW(L"qorvel.dll");
            if (module && ::GetModuleFileNameW(module, path, MAX_PATH) > 0)
                served = path;
        }
    }
    ::CoUninitialize();
    return served;
}

TEST_F(PerUser, Regsvr32WritesTheUsersClassLayoutAndNothingForTheMachine) {
    ASSERT_TRUE(SetExcelInstalled(registry, true));
    ASSERT_EQ(RegisterForUser(BuiltDll()), 0u);

    constexpr RegistryRoot hkcu = RegistryRoot::CurrentUser;
    const std::string classKey = UserClass(kClassKey);
    EXPECT_EQ(Text(hkcu, classKey), u"Tarvex Object");
    EXPECT_EQ(Text(hkcu, classKey + "\\InprocServer32"), Utf16(BuiltDll()));
    EXPECT_EQ(Text(hkcu, classKey + "\\InprocServer32", "ThreadingModel"), u"Apartment");
    EXPECT_EQ(Text(hkcu, classKey + "\\ProgID"), u"qorvel.Tarvex");
    EXPECT_EQ(Text(hkcu, classKey + "\\TypeLib"), u"{751554B8-70A4-41F0-A4A0-86BF8B7F527E}");
    EXPECT_EQ(Text(hkcu, UserClass(kProgId) + "\\Clsid"),
              u"{B2533CB0-D9A8-4459-BA70-990C4C6CA948}");
    EXPECT_EQ(Text(hkcu, kAddinKey, "FriendlyName"), u"Tarvex");
    EXPECT_FALSE(
        HasKey(RegistryRoot::LocalMachine, std::string("Software\\Classes\\") + kClassKey));
    EXPECT_FALSE(HasKey(RegistryRoot::LocalMachine, std::string("Software\\Classes\\") + kProgId));
    UniqueBstr typeLibPath;
    ASSERT_EQ(::QueryPathOfRegTypeLib(ToGuid(addin::kLibId), 1, 0, 0, typeLibPath.Put()), S_OK);
    EXPECT_STREQ(typeLibPath.Get(), BuiltDll().c_str());
}

TEST_F(PerUser, Regsvr32RegistrationCreatesTheAddinAndUnregistrationLeavesNoKey) {
    ASSERT_EQ(RegisterForUser(BuiltDll()), 0u);
    {
        const UserClassesVisible visible(registry);
        EXPECT_EQ(CreateFromProgId(L"qorvel.Tarvex"), BuiltDll());
    }

    ASSERT_EQ(RegisterForUser(BuiltDll(), true), 0u);
    ExpectNoKeyLeft();
    const UserClassesVisible visible(registry);
    EXPECT_EQ(CreateFromProgId(L"qorvel.Tarvex"), L"");
}

TEST_F(PerUser, DllInstallRefusesEveryCommandLineButUser) {
    const UniqueHmodule dll(::LoadLibraryW(BuiltDll().c_str()));
    ASSERT_TRUE(dll);
    const auto install = ProcAddress<DllInstallFunction>(dll.Get(), "DllInstall");
    ASSERT_NE(install, nullptr);
    for (const BOOL direction : {TRUE, FALSE}) {
        for (const wchar_t* line : {static_cast<const wchar_t*>(nullptr), L"", L"machine", L"User ",
                                    L" user", L"users", L"/i:user"})
            EXPECT_EQ(install(direction, line), E_INVALIDARG) << (line ? line : L"(null)");
    }
    EXPECT_FALSE(HasKey(RegistryRoot::CurrentUser, UserClass(kClassKey)));

    // The word itself in any letter case, as a command line is typed.
    ASSERT_EQ(install(TRUE, L"USER"), S_OK);
    EXPECT_TRUE(HasKey(RegistryRoot::CurrentUser, UserClass(kClassKey)));
    EXPECT_EQ(install(FALSE, L"User"), S_OK);
    ExpectNoKeyLeft();
}

TEST_F(PerUser, PackageInstallsAnAddinThatExcelsKeysLeadToAndUninstallsWithoutATrace) {
    ASSERT_TRUE(FileExists(Package()));
    ASSERT_EQ(Install(), 0u);

    // From Excel's add-in keys to the ProgID, its class id and the class's server file, as
    // Office finds an add-in.
    std::unique_ptr<host::RegistryKey> addins;
    ASSERT_TRUE(base::Succeeded(registry.OpenKey(RegistryRoot::CurrentUser, kAddinsKey,
                                                 host::RegistryAccess::Read, addins)));
    std::vector<std::string> progIds;
    ASSERT_TRUE(base::Succeeded(addins->SubkeyNames(progIds)));
    ASSERT_EQ(progIds, std::vector<std::string>{kProgId});
    const std::string addinKey = std::string(kAddinsKey) + "\\" + progIds.front();
    EXPECT_EQ(Text(RegistryRoot::CurrentUser, addinKey, "FriendlyName"), u"Tarvex");
    const auto clsid = Text(RegistryRoot::CurrentUser, UserClass(progIds.front()) + "\\Clsid");
    ASSERT_TRUE(clsid);
    const std::string classKey = "CLSID\\" + base::Utf16ToUtf8(*clsid);
    const auto server = Text(RegistryRoot::CurrentUser, UserClass(classKey) + "\\InprocServer32");
    ASSERT_TRUE(server);
    const std::wstring serverPath(server->begin(), server->end());
    EXPECT_TRUE(serverPath.ends_with(L"\\Programs\\Tarvex\\qorvel.dll")) << serverPath;
    EXPECT_TRUE(FileExists(serverPath));
    EXPECT_TRUE(FileExists(FolderOf(serverPath) + L"qorvel.chm"));
    EXPECT_FALSE(HasKey(RegistryRoot::LocalMachine, "Software\\Classes\\" + classKey));

    {
        const UserClassesVisible visible(registry);
        const std::wstring progId(progIds.front().begin(), progIds.front().end());
        EXPECT_EQ(CreateFromProgId(progId.c_str(), true), serverPath);
    }

    // What the add-in writes into its key while it runs goes with the rest.
    std::unique_ptr<host::RegistryKey> controls;
    ASSERT_TRUE(base::Succeeded(
        registry.CreateKey(RegistryRoot::CurrentUser, addinKey + "\\Controls", controls)));
    controls.reset();

    ASSERT_EQ(Uninstall(), 0u);
    EXPECT_FALSE(FileExists(serverPath));
    EXPECT_FALSE(FileExists(FolderOf(serverPath) + L"qorvel.chm"));
    EXPECT_FALSE(FileExists(FolderOf(serverPath)));
    ExpectNoKeyLeft();
}

TEST_F(PerUser, PackageWritesWhatRegsvr32WritesForTheUser) {
    ASSERT_EQ(Install(), 0u);
    const auto server = Text(RegistryRoot::CurrentUser, UserClass(kClassKey) + "\\InprocServer32");
    ASSERT_TRUE(server);
    const std::wstring installed(server->begin(), server->end());
    Tree package;
    for (const char* path : {kClassKey, kProgId})
        ReadTree(registry, RegistryRoot::CurrentUser, UserClass(path), path, package);
    ReadTree(registry, RegistryRoot::CurrentUser, kAddinKey, kAddinKey, package);
    const Tree packageTypeLib = TypeLibraryTree(kTypeLibKey);
    const Tree packageInterface = TypeLibraryTree(kInterfaceKey);
    ASSERT_EQ(Uninstall(), 0u);

    // The same DLL at the same place, registered by regsvr32 for the user.
    ASSERT_TRUE(::CreateDirectoryW(FolderOf(installed).c_str(), nullptr));
    ASSERT_TRUE(::CopyFileW(BuiltDll().c_str(), installed.c_str(), FALSE));
    ASSERT_TRUE(SetExcelInstalled(registry, true));
    const DWORD registered = RegisterForUser(installed);
    Tree regsvr32;
    for (const char* path : {kClassKey, kProgId})
        ReadTree(registry, RegistryRoot::CurrentUser, UserClass(path), path, regsvr32);
    ReadTree(registry, RegistryRoot::CurrentUser, kAddinKey, kAddinKey, regsvr32);
    const Tree regsvr32TypeLib = TypeLibraryTree(kTypeLibKey);
    const Tree regsvr32Interface = TypeLibraryTree(kInterfaceKey);
    ASSERT_TRUE(SetExcelInstalled(registry, false));
    EXPECT_EQ(RegisterForUser(installed, true), 0u);
    ::DeleteFileW(installed.c_str());
    ::RemoveDirectoryW(FolderOf(installed).c_str());

    ASSERT_EQ(registered, 0u);
    EXPECT_EQ(package, regsvr32);
    EXPECT_EQ(packageTypeLib, regsvr32TypeLib);
    EXPECT_EQ(packageInterface, regsvr32Interface);
    EXPECT_GT(package.size(), 10u);
}

TEST_F(PerUser, ANewerPackageReplacesTheInstalledOneInPlace) {
    ASSERT_EQ(Install(), 0u);
    const std::vector<std::wstring> first = InstalledVersions();
    ASSERT_EQ(first.size(), 1u);
    const auto server = Text(RegistryRoot::CurrentUser, UserClass(kClassKey) + "\\InprocServer32");
    ASSERT_TRUE(server);
    const std::wstring serverPath(server->begin(), server->end());

    ASSERT_EQ(Install(NextPackage()), 0u);
    const std::vector<std::wstring> upgraded = InstalledVersions();
    ASSERT_EQ(upgraded.size(), 1u) << "the older version stayed beside the newer one";
    EXPECT_NE(upgraded, first);
    EXPECT_TRUE(FileExists(serverPath));
    EXPECT_EQ(Text(RegistryRoot::CurrentUser, UserClass(kClassKey) + "\\InprocServer32"), server);

    // Nothing of the older version holds on to the files or keys.
    ASSERT_EQ(Uninstall(NextPackage()), 0u);
    EXPECT_TRUE(InstalledVersions().empty());
    EXPECT_FALSE(FileExists(serverPath));
    ExpectNoKeyLeft();
}

} // namespace
} // namespace tarvex::win
