// Registering and unregistering the add-in against the in-memory registry and the simulated
// Excel: the COM class entries, the Excel add-in key, and the clean-up of bars, controls and
// keys at unregistration.

#include <gtest/gtest.h>
#include <map>
#include <set>

#include "base/error.h"
#include "framework/command_bar.h"
#include "framework/command_bar_records.h"
#include "framework/factory.h"
#include "framework/registration.h"
#include "host/office/office.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/office/office.h"
#include "sim/registry/memory_registry.h"

namespace tarvex::framework {
namespace {

using host::RegistryRoot;
using host::RegistryValue;

constexpr char kClsid[] = "{B2533CB0-D9A8-4459-BA70-990C4C6CA948}";
constexpr char kLibId[] = "{751554B8-70A4-41F0-A4A0-86BF8B7F527E}";
constexpr char kClassKey[] = "CLSID\\{B2533CB0-D9A8-4459-BA70-990C4C6CA948}";
constexpr char kAddinKey[] = "Software\\Microsoft\\Office\\Excel\\AddIns\\qorvel.Tarvex";

class RegisteredModule : public TadxCOMAddInModule {
    friend class TadxCOMAddInModule;
    explicit RegisteredModule(ModuleServices services)
        : TadxCOMAddInModule(services) {}
    void LoadDesign() override {
        SetAddInName(u"Tarvex");
        CreateComponent<TadxCommandBar>("adxCommandBar").SetCommandBarName(u"Tarvex");
    }
};

// The COM runtime as registration sees it: which hosts are installed, whether Excel runs,
// and what was started and quit.
class FakeHosts : public RegistrationHost {
public:
    explicit FakeHosts(sim::SimExcel& excel)
        : m_excel(excel) {}

    bool IsInstalled(std::string_view progId) override {
        return installed.contains(std::string(progId));
    }
    host::Ref<host::Dispatch> GetRunning(std::string_view progId) override {
        if (onReach)
            onReach();
        return running && progId == "Excel.Application" ? m_excel.Application() : nullptr;
    }
    host::Ref<host::Dispatch> Start(std::string_view progId) override {
        ++starts;
        if (progId != "Excel.Application" || failStart)
            throw base::Error(base::hr::ClassNotRegistered, "not startable");
        running = true;
        return m_excel.Application();
    }
    void Quit(host::Dispatch&) override {
        ++quits;
        running = false;
    }
    std::u16string ShortPath(std::u16string_view path) override {
        const auto found = shortPaths.find(std::u16string(path));
        if (found == shortPaths.end())
            throw base::Error(base::hr::FileNotFound, "no short name");
        return found->second;
    }

    std::set<std::string> installed{"Excel.Application"};
    bool running = true;
    bool failStart = false;
    int starts = 0;
    int quits = 0;
    std::map<std::u16string, std::u16string> shortPaths;
    std::function<void()> onReach;

private:
    sim::SimExcel& m_excel;
};

class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        desktop.SetMessageHandler([this](const sim::ShownMessage& message) {
            messages.push_back(message.text);
            return answers.empty() ? 5 : Next();
        });
    }

    int Next() {
        const int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }

    RegistrationContext Context(std::u16string path = u"C:\\Addins\\qorvel.dll") {
        return RegistrationContext{
            factory,
            [this](ModuleServices services) -> std::unique_ptr<TadxCOMAddInModule> {
                auto module = TadxCOMAddInModule::Create<RegisteredModule>(services);
                if (customise)
                    customise(*module);
                return module;
            },
            ModuleServices{desktop, registry},
            hosts,
            std::move(path),
            base::Guid::Parse(kLibId)};
    }

    std::optional<std::u16string> Text(RegistryRoot root, const std::string& path,
                                       std::string_view name = "") const {
        const auto value = registry.GetValue(root, path, name);
        return value ? value->AsString() : std::nullopt;
    }

    std::optional<std::uint32_t> Number(const std::string& path, std::string_view name) const {
        const auto value = registry.GetValue(RegistryRoot::CurrentUser, path, name);
        return value ? value->AsDWord() : std::nullopt;
    }

    std::vector<std::string> KeysBelow(RegistryRoot root) const {
        std::vector<std::string> paths;
        for (const sim::StoredKey& key : registry.Keys()) {
            if (key.root == root)
                paths.push_back(key.path);
        }
        return paths;
    }

    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    FakeHosts hosts{excel};
    TadxFactory factory{"qorvel", "Tarvex", "Tarvex Object", base::Guid::Parse(kClsid),
                        "C:\\Addins\\"};
    std::function<void(TadxCOMAddInModule&)> customise;
    std::vector<std::u16string> messages;
    std::vector<int> answers;
};

TEST_F(Registration, WritesTheClassEntriesInTableOrderAndTheExcelAddinKey) {
    RegisterAddin(Context());

    std::vector<std::string> written;
    for (const sim::RegistryCall& call : registry.Log()) {
        if (call.operation == sim::RegistryOperation::SetValue &&
            call.root == RegistryRoot::ClassesRoot)
            written.push_back(call.path + " [" + call.valueName + "]");
    }
    const std::string classKey = kClassKey;
    EXPECT_EQ(written, (std::vector<std::string>{
                           classKey + " []", classKey + "\\InprocServer32 []",
                           classKey + "\\InprocServer32 [ThreadingModel]", "qorvel.Tarvex []",
                           "qorvel.Tarvex\\Clsid []", classKey + "\\ProgID []",
                           classKey + "\\Version []", classKey + "\\TypeLib []"}));

    constexpr RegistryRoot hkcr = RegistryRoot::ClassesRoot;
    EXPECT_EQ(Text(hkcr, classKey), u"Tarvex Object");
    EXPECT_EQ(Text(hkcr, classKey + "\\InprocServer32"), u"C:\\Addins\\qorvel.dll");
    EXPECT_EQ(Text(hkcr, classKey + "\\InprocServer32", "ThreadingModel"), u"Apartment");
    EXPECT_EQ(Text(hkcr, "qorvel.Tarvex"), u"Tarvex Object");
    EXPECT_EQ(Text(hkcr, "qorvel.Tarvex\\Clsid"), u"{B2533CB0-D9A8-4459-BA70-990C4C6CA948}");
    EXPECT_EQ(Text(hkcr, classKey + "\\ProgID"), u"qorvel.Tarvex");
    EXPECT_EQ(Text(hkcr, classKey + "\\Version"), u"1.0");
    EXPECT_EQ(Text(hkcr, classKey + "\\TypeLib"), u"{751554B8-70A4-41F0-A4A0-86BF8B7F527E}");

    EXPECT_EQ(Text(RegistryRoot::CurrentUser, kAddinKey, "FriendlyName"), u"Tarvex");
    EXPECT_EQ(Text(RegistryRoot::CurrentUser, kAddinKey, "Description"), u"");
    EXPECT_EQ(Number(kAddinKey, "LoadBehavior"), 3u);
    EXPECT_EQ(Number(kAddinKey, "CommandLineSafe"), 0u);
    EXPECT_FALSE(registry.GetValue(RegistryRoot::CurrentUser, kAddinKey, "ADXStartMode"))
        << "the first connection writes the start mode";
    EXPECT_TRUE(KeysBelow(RegistryRoot::LocalMachine).empty());
    EXPECT_EQ(registry.OpenKeyCount(), 0u);
}

TEST_F(Registration, ExcelNotInstalledGetsTheClassEntriesButNoAddinKey) {
    hosts.installed.clear();
    RegisterAddin(Context());
    EXPECT_TRUE(registry.HasKey(RegistryRoot::ClassesRoot, kClassKey));
    EXPECT_FALSE(registry.HasKey(RegistryRoot::CurrentUser, kAddinKey));
}

TEST_F(Registration, RegisteringTwiceLeavesTheSameEntries) {
    RegisterAddin(Context());
    const auto once = registry.Keys();
    RegisterAddin(Context());
    EXPECT_EQ(registry.Keys(), once);
}

TEST_F(Registration, PathWithASpaceIsWrittenInItsShortForm) {
    hosts.shortPaths[u"C:\\Program Files\\Tarvex\\qorvel.dll"] =
        u"C:\\PROGRA~1\\Tarvex\\qorvel.dll";
    RegisterAddin(Context(u"C:\\Program Files\\Tarvex\\qorvel.dll"));
    EXPECT_EQ(Text(RegistryRoot::ClassesRoot, std::string(kClassKey) + "\\InprocServer32"),
              u"C:\\PROGRA~1\\Tarvex\\qorvel.dll");

    // Text outside any one code page goes through as it is.
    RegisterAddin(Context(u"C:\\Users\\\u0410\u043d\u043d\u0430\\qorvel.dll"));
    EXPECT_EQ(Text(RegistryRoot::ClassesRoot, std::string(kClassKey) + "\\InprocServer32"),
              u"C:\\Users\\\u0410\u043d\u043d\u0430\\qorvel.dll");
}

TEST_F(Registration, AClassEntryThatCannotBeWrittenFailsWithItsMessage) {
    registry.FailEvery(sim::RegistryOperation::SetValue, "ThreadingModel");
    try {
        RegisterAddin(Context());
        FAIL() << "registration reported success";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Message(), "Error creating system registry entry");
    }
    EXPECT_FALSE(registry.HasKey(RegistryRoot::ClassesRoot, "qorvel.Tarvex"))
        << "the steps after the failure are not taken";
}

TEST_F(Registration, AnAddinKeyThatCannotBeCreatedIsAFailureNotASilentSkip) {
    RegisterAddin(Context());
    std::size_t addinKeyCall = 0;
    for (std::size_t i = 0; i < registry.Log().size(); ++i) {
        const sim::RegistryCall& call = registry.Log()[i];
        if (call.operation == sim::RegistryOperation::CreateKey && call.path == kAddinKey) {
            addinKeyCall = i + 1;
            break;
        }
    }
    ASSERT_NE(addinKeyCall, 0u);
    static_cast<void>(registry.DeleteTree(RegistryRoot::CurrentUser, "Software"));
    registry.ClearLog();
    registry.FailNth(addinKeyCall);
    EXPECT_THROW(RegisterAddin(Context()), base::Error);
    EXPECT_FALSE(registry.HasKey(RegistryRoot::CurrentUser, kAddinKey));
}

TEST_F(Registration, AllUsersRegistrationWritesTheAddinKeyOnTheMachine) {
    customise = [](TadxCOMAddInModule& module) {
        module.SetRegisterForAllUsers(true);
        module.SetLoadBehavior(2);
    };
    RegisterAddin(Context());
    EXPECT_FALSE(registry.HasKey(RegistryRoot::CurrentUser, kAddinKey));
    const auto behavior = registry.GetValue(RegistryRoot::LocalMachine, kAddinKey, "LoadBehavior");
    ASSERT_TRUE(behavior);
    EXPECT_EQ(behavior->AsDWord(), 2u);

    UnregisterAddin(Context());
    EXPECT_FALSE(registry.HasKey(RegistryRoot::LocalMachine, kAddinKey));
}

TEST_F(Registration, RunningHostBoxRetriesUntilIgnoredAndCancelStops) {
    customise = [](TadxCOMAddInModule& module) { module.SetDisplayAlerts(true); };
    answers = {4, 5}; // Retry, then Ignore
    RegisterAddin(Context());
    EXPECT_EQ(messages, (std::vector<std::u16string>{
                            u"Please close all running host application instances:\r\nExcel ",
                            u"Please close all running host application instances:\r\nExcel "}));
    EXPECT_TRUE(registry.HasKey(RegistryRoot::CurrentUser, kAddinKey));

    static_cast<void>(registry.DeleteTree(RegistryRoot::ClassesRoot, "qorvel.Tarvex"));
    answers = {3}; // Abort: the cancel of the box
    try {
        RegisterAddin(Context());
        FAIL() << "a cancelled registration reported success";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Message(), "The registration process has been canceled.");
    }
    EXPECT_FALSE(registry.HasKey(RegistryRoot::ClassesRoot, "qorvel.Tarvex"));
}

class Unregistration : public Registration {
protected:
    void SetUp() override {
        Registration::SetUp();
        RegisterAddin(Context());
        host::office::CommandBars bars(excel.Office().CommandBars());
        // The add-in's own bar, a persistent control it left on a built-in bar, a pop-up of
        // its own that someone else filled, and an old persistent bar of its, now empty.
        bars.Add(std::u16string(u"Tarvex"), std::nullopt, std::nullopt, true)
            .Controls()
            .Add(1, std::nullopt, std::nullopt, std::nullopt, true)
            .SetTag(u"{TRACK}");
        const host::office::CommandBar standard = bars.Item(u"Standard");
        standard.Controls()
            .Add(1, std::nullopt, std::nullopt, std::nullopt, false)
            .SetTag(u"{OLD}");
        host::office::CommandBarControl popup =
            standard.Controls().Add(10, std::nullopt, std::nullopt, std::nullopt, false);
        popup.SetTag(u"{MENU}");
        popup.Controls().Add(1, std::nullopt, std::nullopt, std::nullopt, false);
        bars.Add(std::u16string(u"Old Bar"), std::nullopt, std::nullopt, false);
        registry.PutValue(RegistryRoot::CurrentUser, std::string(kAddinKey) + "\\Controls", "{OLD}",
                          RegistryValue::FromDWord(1));
        registry.PutValue(RegistryRoot::CurrentUser, std::string(kAddinKey) + "\\Controls",
                          "{MENU}", RegistryValue::FromDWord(1));
        registry.PutValue(RegistryRoot::CurrentUser, std::string(kAddinKey) + "\\CommandBars",
                          "Old Bar", RegistryValue::FromDWord(1));
    }

    bool Tagged(const std::u16string& tag) const {
        return !excel.Office().FindControls(std::nullopt, std::nullopt, tag).empty();
    }
};

TEST_F(Unregistration, RemovesBarsListedControlsAddinKeyAndEveryClassKey) {
    UnregisterAddin(Context());
    EXPECT_FALSE(excel.Office().FindBar(u"Tarvex"));
    EXPECT_FALSE(Tagged(u"{TRACK}"));
    EXPECT_FALSE(Tagged(u"{OLD}"));
    EXPECT_TRUE(Tagged(u"{MENU}")) << "a pop-up that still holds controls stays";
    EXPECT_FALSE(excel.Office().FindBar(u"Old Bar"));
    EXPECT_TRUE(excel.Office().FindBar(u"Standard"));

    EXPECT_FALSE(registry.HasKey(RegistryRoot::CurrentUser, kAddinKey));
    EXPECT_TRUE(
        registry.HasKey(RegistryRoot::CurrentUser, "Software\\Microsoft\\Office\\Excel\\AddIns"));
    EXPECT_TRUE(KeysBelow(RegistryRoot::ClassesRoot).empty() ||
                KeysBelow(RegistryRoot::ClassesRoot) == std::vector<std::string>{"CLSID"});
    EXPECT_FALSE(registry.HasKey(RegistryRoot::ClassesRoot, kClassKey));
    EXPECT_FALSE(registry.HasKey(RegistryRoot::ClassesRoot, "qorvel.Tarvex"));
    EXPECT_EQ(hosts.starts, 0);
    EXPECT_EQ(hosts.quits, 0) << "a host the user runs stays open";
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(registry.OpenKeyCount(), 0u);
}

TEST_F(Unregistration, PopupRecordedAs255IsDeletedEvenWithControls) {
    registry.PutValue(RegistryRoot::CurrentUser, std::string(kAddinKey) + "\\Controls", "{MENU}",
                      RegistryValue::FromDWord(255));
    UnregisterAddin(Context());
    EXPECT_FALSE(Tagged(u"{MENU}"));
}

TEST_F(Unregistration, MarksTheKeyUninstalledAndUnloadedBeforeReachingTheHost) {
    std::optional<std::u16string> mode;
    std::optional<std::uint32_t> behavior;
    hosts.onReach = [&] {
        mode = Text(RegistryRoot::CurrentUser, kAddinKey, "ADXStartMode");
        behavior = Number(kAddinKey, "LoadBehavior");
    };
    UnregisterAddin(Context());
    EXPECT_EQ(mode, u"UNINSTALL");
    EXPECT_EQ(behavior, 0u);
}

TEST_F(Unregistration, StartsExcelWhenNoneRunsAndQuitsItAfterwards) {
    hosts.running = false;
    UnregisterAddin(Context());
    EXPECT_EQ(hosts.starts, 1);
    EXPECT_EQ(hosts.quits, 1);
    EXPECT_FALSE(excel.Office().FindBar(u"Tarvex"));
}

TEST_F(Unregistration, StartsExcelOnlyForRecordsOrABarThatOutliveIt) {
    hosts.running = false;
    for (const std::string kept : {"", "\\CommandBars", "\\Controls", "bar"}) {
        SCOPED_TRACE(kept);
        customise = [kept](TadxCOMAddInModule& module) {
            dynamic_cast<TadxCommandBar&>(module.Component(0)).SetTemporary(kept != "bar");
        };
        static_cast<void>(registry.DeleteTree(RegistryRoot::CurrentUser, kAddinKey));
        RegisterAddin(Context());
        if (kept.starts_with('\\'))
            registry.PutValue(RegistryRoot::CurrentUser, kAddinKey + kept, "Old",
                              RegistryValue::FromDWord(1));
        hosts.failStart = kept.empty(); // a start would fail it
        const int starts = hosts.starts;
        UnregisterAddin(Context());
        EXPECT_EQ(hosts.starts, starts + (kept.empty() ? 0 : 1));
    }
}

TEST_F(Unregistration, HostCleanUpFailureLeavesTheKeysAndReportsIt) {
    hosts.running = false;
    hosts.failStart = true;
    try {
        UnregisterAddin(Context());
        FAIL() << "unregistration reported success";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Message(), "Can't unregister add-in controls.");
        EXPECT_EQ(error.Code(), base::hr::Fail);
    }
    EXPECT_TRUE(registry.HasKey(RegistryRoot::CurrentUser, kAddinKey));
    EXPECT_TRUE(registry.HasKey(RegistryRoot::ClassesRoot, kClassKey));
    EXPECT_EQ(Text(RegistryRoot::CurrentUser, kAddinKey, "ADXStartMode"), u"UNINSTALL");
}

TEST_F(Unregistration, AnOfficeFailureDuringCleanUpStillQuitsAStartedHost) {
    hosts.running = false;
    excel.FailMember("CommandBar.Delete");
    EXPECT_THROW(UnregisterAddin(Context()), base::Error);
    EXPECT_EQ(hosts.quits, 1);
}

TEST_F(Unregistration, NeverTouchesKeysAtTheRootOfTheUsersHive) {
    registry.PutValue(RegistryRoot::CurrentUser, "CommandBars", "Mine",
                      RegistryValue::FromDWord(7));
    registry.PutValue(RegistryRoot::CurrentUser, "Controls", "Mine", RegistryValue::FromDWord(7));
    UnregisterAddin(Context());
    EXPECT_TRUE(registry.HasKey(RegistryRoot::CurrentUser, "CommandBars"));
    EXPECT_TRUE(registry.HasKey(RegistryRoot::CurrentUser, "Controls"));
    EXPECT_FALSE(registry.GetValue(RegistryRoot::CurrentUser, "", "ADXStartMode"));
}

TEST_F(Unregistration, WithExcelNotInstalledRemovesOnlyTheClassEntries) {
    hosts.installed.clear();
    UnregisterAddin(Context());
    EXPECT_EQ(hosts.starts, 0);
    EXPECT_TRUE(excel.Office().FindBar(u"Tarvex"));
    EXPECT_TRUE(registry.HasKey(RegistryRoot::CurrentUser, kAddinKey));
    EXPECT_FALSE(registry.HasKey(RegistryRoot::ClassesRoot, kClassKey));
}

TEST_F(Unregistration, AClassKeyThatCannotBeDeletedFailsItAfterEveryKeyWasTried) {
    registry.FailEvery(sim::RegistryOperation::DeleteKey, base::hr::AccessDenied);
    registry.ClearLog();
    try {
        UnregisterAddin(Context());
        ADD_FAILURE() << "unregistration reported success";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), base::hr::AccessDenied);
    }
    std::size_t attempts = 0;
    for (const sim::RegistryCall& call : registry.Log())
        attempts += call.operation == sim::RegistryOperation::DeleteKey ? 1 : 0;
    EXPECT_EQ(attempts, 7u) << "every class key is tried, not only the first";
    EXPECT_TRUE(registry.HasKey(RegistryRoot::ClassesRoot, kClassKey));
}

// The current user's registration: what `regsvr32 /n /i:user` asks for.
class UserRegistration : public Registration {
protected:
    RegistrationContext UserContext() {
        RegistrationContext context = Context();
        context.scope = RegistrationScope::CurrentUser;
        return context;
    }

    static constexpr char kUserClassKey[] =
        "Software\\Classes\\CLSID\\{B2533CB0-D9A8-4459-BA70-990C4C6CA948}";
};

TEST_F(UserRegistration, WritesTheClassLayoutBelowTheUsersClassesAndNothingOnTheMachine) {
    // Even a module that asks for all users stays with the current user here: writing
    // below HKEY_LOCAL_MACHINE needs the administrator this registration is made without.
    customise = [](TadxCOMAddInModule& module) { module.SetRegisterForAllUsers(true); };
    RegisterAddin(UserContext());

    constexpr RegistryRoot hkcu = RegistryRoot::CurrentUser;
    const std::string classKey = kUserClassKey;
    EXPECT_EQ(Text(hkcu, classKey), u"Tarvex Object");
    EXPECT_EQ(Text(hkcu, classKey + "\\InprocServer32"), u"C:\\Addins\\qorvel.dll");
    EXPECT_EQ(Text(hkcu, classKey + "\\InprocServer32", "ThreadingModel"), u"Apartment");
    EXPECT_EQ(Text(hkcu, classKey + "\\ProgID"), u"qorvel.Tarvex");
    EXPECT_EQ(Text(hkcu, classKey + "\\Version"), u"1.0");
    EXPECT_EQ(Text(hkcu, classKey + "\\TypeLib"), u"{751554B8-70A4-41F0-A4A0-86BF8B7F527E}");
    EXPECT_EQ(Text(hkcu, "Software\\Classes\\qorvel.Tarvex"), u"Tarvex Object");
    EXPECT_EQ(Text(hkcu, "Software\\Classes\\qorvel.Tarvex\\Clsid"),
              u"{B2533CB0-D9A8-4459-BA70-990C4C6CA948}");
    EXPECT_EQ(Text(hkcu, kAddinKey, "FriendlyName"), u"Tarvex");
    EXPECT_EQ(Number(kAddinKey, "LoadBehavior"), 3u);

    EXPECT_TRUE(KeysBelow(RegistryRoot::ClassesRoot).empty());
    EXPECT_TRUE(KeysBelow(RegistryRoot::LocalMachine).empty());
    EXPECT_EQ(registry.OpenKeyCount(), 0u);
}

TEST_F(UserRegistration, UnregisteringRemovesTheUsersEntriesAndLeavesTheMachinesAlone) {
    RegisterAddin(Context());
    RegisterAddin(UserContext());
    registry.PutValue(RegistryRoot::CurrentUser, "Software\\Classes\\.xyz", "",
                      RegistryValue::FromString(u"someone else's"));

    UnregisterAddin(UserContext());
    EXPECT_FALSE(registry.HasKey(RegistryRoot::CurrentUser, kUserClassKey));
    EXPECT_FALSE(registry.HasKey(RegistryRoot::CurrentUser, "Software\\Classes\\qorvel.Tarvex"));
    EXPECT_FALSE(registry.HasKey(RegistryRoot::CurrentUser, kAddinKey));
    EXPECT_EQ(Text(RegistryRoot::CurrentUser, "Software\\Classes\\.xyz"), u"someone else's");
    EXPECT_EQ(Text(RegistryRoot::ClassesRoot, std::string(kClassKey) + "\\InprocServer32"),
              u"C:\\Addins\\qorvel.dll");
    EXPECT_TRUE(registry.HasKey(RegistryRoot::ClassesRoot, "qorvel.Tarvex\\Clsid"));
}

TEST(InstallCommandLine, OnlyTheWordUserInAnyLetterCaseAsksForTheCurrentUser) {
    for (const std::u16string_view user : {u"user", u"USER", u"User", u"uSeR"})
        EXPECT_EQ(InstallScopeOf(user), RegistrationScope::CurrentUser);
    for (const std::u16string_view other :
         {u"", u"machine", u"User ", u" user", u"users", u"use", u"\"user\"", u"us\u0131r"})
        EXPECT_EQ(InstallScopeOf(other), std::nullopt);
}

} // namespace
} // namespace tarvex::framework
