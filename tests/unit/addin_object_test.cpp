// The add-in object as Office drives it: connection in both modes, start-up once per
// connection, the start mode, the owner window, shut-down and unload, failures reported to
// the caller.

#include <array>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "addin/module.h"
#include "base/error.h"
#include "framework/addin_object.h"
#include "framework/command_bar.h"
#include "framework/factory.h"
#include "framework/module.h"
#include "framework/ribbon_controls.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/office/office.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/recording_dispatch.h"

namespace tarvex::framework {
namespace {

using host::RegistryRoot;

constexpr std::string_view kAddinKey = "Software\\Microsoft\\Office\\Excel\\AddIns\\qorvel.Tarvex";

// A module with one temporary bar that writes what happens to it into a log that outlives it.
class StepModule : public TadxCOMAddInModule {
public:
    ~StepModule() override { m_log.push_back("destroyed"); }
    bool failInitialize = false;

private:
    friend class TadxCOMAddInModule;
    StepModule(ModuleServices services, std::vector<std::string>& log)
        : TadxCOMAddInModule(services)
        , m_log(log) {}

    void LoadDesign() override {
        SetAddInName(u"Tarvex");
        auto& bar = CreateComponent<TadxCommandBar>("adxCommandBar");
        bar.SetCommandBarName(u"Steps");
        bar.SetTemporary(true);
        OnCreate = [this](TComponent&) { m_log.push_back("create"); };
        OnAddInInitialize = [this](TComponent&) {
            m_log.push_back("initialize");
            if (failInitialize)
                throw base::Error(base::hr::Fail, "Initialize broke");
        };
        OnAddInStartupComplete = [this](TComponent&) {
            m_log.push_back("startup complete, mode " + std::to_string(StartMode()));
        };
        OnAddInBeginShutdown = [this](TComponent&) { m_log.push_back("begin shutdown"); };
        OnAddInFinalize = [this](TComponent&) { m_log.push_back("finalize"); };
    }

    std::vector<std::string>& m_log;
};

class AddinObject : public ::testing::Test {
protected:
    void SetUp() override {
        excel.SetVersion(u"11.0");
        desktop.SetMessageHandler([this](const sim::ShownMessage& message) {
            log.push_back("message: " + std::string(message.text.begin(), message.text.end()));
            return 1;
        });
        addin.SetSelfDispatch([this] {
            log.push_back("object asked");
            return self;
        });
        addInInst = excel.Office().AddComAddIn(u"qorvel.Tarvex", u"{0}", u"Tarvex");
    }

    TadxCallOutcome Connect(std::int32_t mode) {
        return addin.OnConnection(excel.Application(), mode, addInInst);
    }
    StepModule& Module() { return dynamic_cast<StepModule&>(*addin.Module()); }
    std::size_t BarCount() {
        const auto bar = excel.Office().FindBar(u"Steps");
        return bar ? 1u : 0u;
    }
    std::optional<std::u16string> StoredStartMode() {
        const auto value = registry.GetValue(RegistryRoot::CurrentUser, kAddinKey, "ADXStartMode");
        return value ? value->AsString() : std::nullopt;
    }

    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    std::vector<std::string> log;
    bool failInitialize = false;
    const TadxFactory factory{"qorvel", "Tarvex", "Tarvex Object", base::Guid(), "C:\\Tarvex\\"};
    TadxAddinProcessState process;
    const host::Ref<host::Dispatch> self = host::MakeRef<testing::RecordingDispatch>();
    host::Ref<host::Dispatch> addInInst;
    TadxAddin addin{factory,
                    [this]() -> std::unique_ptr<TadxCOMAddInModule> {
                        auto module = TadxCOMAddInModule::Create<StepModule>(
                            ModuleServices{desktop, registry}, log);
                        module->failInitialize = failInitialize;
                        return module;
                    },
                    process};
};

TEST_F(AddinObject, AtHostStartupTheWorkWaitsForStartupCompleteAndRunsOnce) {
    ASSERT_EQ(Connect(connect_mode::Startup).code, base::hr::Ok);
    EXPECT_EQ(log, (std::vector<std::string>{"create", "object asked"}));
    EXPECT_EQ(excel.Office().ComAddInObject(u"qorvel.Tarvex").Get(), self.Get());
    EXPECT_EQ(BarCount(), 0u);
    EXPECT_EQ(addin.Module()->Factory(), &factory);

    EXPECT_EQ(addin.OnStartupComplete().code, base::hr::Ok);
    EXPECT_EQ(addin.OnStartupComplete().code, base::hr::Ok);
    EXPECT_EQ(log, (std::vector<std::string>{"create", "object asked", "initialize",
                                             "startup complete, mode 0"}));
    EXPECT_EQ(Module().StartupCompleteCount(), 2);
    EXPECT_EQ(BarCount(), 1u);
    EXPECT_TRUE(Module().ExcelApp());
    EXPECT_TRUE(Module().HostCommandBars());
    EXPECT_TRUE(Module().AddinRegistry()) << "the add-in key stays open";
    EXPECT_TRUE(Module().ColorWindow());
}

TEST_F(AddinObject, ConnectedLaterTheStartupRunsBeforeTheObjectIsPublished) {
    ASSERT_EQ(Connect(connect_mode::AfterStartup).code, base::hr::Ok);
    EXPECT_EQ(log, (std::vector<std::string>{"create", "initialize", "startup complete, mode 0",
                                             "object asked"}));
    EXPECT_EQ(addin.OnStartupComplete().code, base::hr::Ok);
    EXPECT_EQ(log.size(), 4u) << "a later call only counts";
    EXPECT_EQ(Module().StartupCompleteCount(), 2);
}

TEST_F(AddinObject, AFailedStartupInsideConnectionFailsItAndPublishesNothing) {
    desktop.SetWindowClassesFail(true);
    const TadxCallOutcome outcome = Connect(connect_mode::AfterStartup);
    EXPECT_EQ(outcome.code, base::hr::OutOfMemory) << "the error's own code";
    EXPECT_EQ(outcome.source, u"qorvel.Tarvex");
    EXPECT_EQ(outcome.description, u"Error creating window class");
    EXPECT_FALSE(excel.Office().ComAddInObject(u"qorvel.Tarvex"));
    EXPECT_EQ(BarCount(), 1u) << "the colour window is the last step";
}

TEST_F(AddinObject, AnAddInKeyThatCannotBeOpenedEndsStartupThere) {
    ASSERT_EQ(Connect(connect_mode::Startup).code, base::hr::Ok);
    registry.FailEvery(sim::RegistryOperation::CreateKey, base::hr::AccessDenied);
    const TadxCallOutcome outcome = addin.OnStartupComplete();
    EXPECT_EQ(outcome.code, base::hr::AccessDenied);
    EXPECT_NE(outcome.description.find(u"AddIns\\qorvel.Tarvex"), std::u16string::npos);
    EXPECT_EQ(BarCount(), 0u);
    EXPECT_EQ(log, (std::vector<std::string>{"create", "object asked"}));
}

TEST_F(AddinObject, TheStartModeIsReadAndTheFirstStartIsMarkedAfterStartupComplete) {
    struct Case {
        std::optional<std::u16string> stored;
        int mode;
    };
    for (const Case& c : {Case{std::nullopt, 0}, Case{u"normal", 1}, Case{u"UNINSTALL", 2},
                          Case{u"FirstStart", 0}, Case{u"later", 255}}) {
        SCOPED_TRACE(c.mode);
        registry.DeleteTree(RegistryRoot::CurrentUser, kAddinKey);
        if (c.stored)
            registry.PutValue(RegistryRoot::CurrentUser, kAddinKey, "ADXStartMode",
                              host::RegistryValue::FromString(*c.stored));
        log.clear();
        ASSERT_EQ(Connect(connect_mode::AfterStartup).code, base::hr::Ok);
        EXPECT_EQ(log[2], "startup complete, mode " + std::to_string(c.mode));
        EXPECT_EQ(StoredStartMode(),
                  c.mode == 0 ? std::optional<std::u16string>(u"NORMAL") : c.stored);
        ASSERT_EQ(addin.OnDisconnection(remove_mode::HostShutdown).code, base::hr::Ok);
    }
}

TEST_F(AddinObject, AnInitializeThatRaisesIsReportedAndTheBarsAreStillBuilt) {
    failInitialize = true;
    ASSERT_EQ(Connect(connect_mode::AfterStartup).code, base::hr::Ok);
    EXPECT_EQ(log,
              (std::vector<std::string>{
                  "create", "initialize",
                  "message: Tarvex error: the add-in has fired an exception.\r\nInitialize broke",
                  "startup complete, mode 0", "object asked"}));
    EXPECT_EQ(BarCount(), 1u);
}

TEST_F(AddinObject, ExcelsMainWindowOwnsTheFormsUntilShutdown) {
    desktop.SetOwnerWindow(0x99);
    desktop.SetThreadWindows({{0x10, u"XLMAIN2"}, {0x20, u"XLMAIN"}, {0x30, u"XLMAIN"}});
    ASSERT_EQ(Connect(connect_mode::AfterStartup).code, base::hr::Ok);
    EXPECT_EQ(desktop.OwnerWindow(), 0x20u);
    ASSERT_EQ(addin.OnBeginShutdown().code, base::hr::Ok);
    EXPECT_EQ(desktop.OwnerWindow(), 0u);
    ASSERT_EQ(addin.OnDisconnection(remove_mode::HostShutdown).code, base::hr::Ok);

    // A later connection in the same process that finds no such window keeps the old one.
    desktop.SetThreadWindows({});
    ASSERT_EQ(Connect(connect_mode::AfterStartup).code, base::hr::Ok);
    EXPECT_EQ(desktop.OwnerWindow(), 0x20u);
    addin.OnDisconnection(remove_mode::HostShutdown);

    // The first connection of a process without one: no owner at all.
    TadxAddinProcessState fresh;
    TadxAddin other(
        factory,
        [this] {
            return TadxCOMAddInModule::Create<StepModule>(ModuleServices{desktop, registry}, log);
        },
        fresh);
    desktop.SetOwnerWindow(0x99);
    ASSERT_EQ(other.OnConnection(excel.Application(), connect_mode::AfterStartup, {}).code,
              base::hr::Ok);
    EXPECT_EQ(desktop.OwnerWindow(), 0u);
}

TEST_F(AddinObject, HostShutdownKeepsTheBarsAndRecordsButFinalizesAndDestroys) {
    ASSERT_EQ(Connect(connect_mode::Startup).code, base::hr::Ok);
    ASSERT_EQ(addin.OnStartupComplete().code, base::hr::Ok);
    registry.PutKey(RegistryRoot::CurrentUser, std::string(kAddinKey) + "\\CommandBars\\Steps");
    registry.PutKey(RegistryRoot::CurrentUser, std::string(kAddinKey) + "\\Controls");
    log.clear();
    ASSERT_EQ(addin.OnBeginShutdown().code, base::hr::Ok);
    ASSERT_EQ(addin.OnDisconnection(remove_mode::HostShutdown).code, base::hr::Ok);
    EXPECT_EQ(log, (std::vector<std::string>{"begin shutdown", "finalize", "destroyed"}));
    EXPECT_EQ(BarCount(), 1u) << "the host drops its temporary bars itself";
    EXPECT_TRUE(registry.HasKey(RegistryRoot::CurrentUser, std::string(kAddinKey) + "\\Controls"));
    EXPECT_TRUE(
        registry.HasKey(RegistryRoot::CurrentUser, std::string(kAddinKey) + "\\CommandBars"));
    EXPECT_FALSE(addin.Module());
    EXPECT_EQ(registry.OpenKeyCount(), 0u) << "the add-in key is closed";
}

TEST_F(AddinObject, AUserUnloadShutsDownOnceAndRemovesTheBarsAndTheirRecords) {
    ASSERT_EQ(Connect(connect_mode::AfterStartup).code, base::hr::Ok);
    registry.PutKey(RegistryRoot::CurrentUser, std::string(kAddinKey) + "\\CommandBars\\Steps");
    registry.PutKey(RegistryRoot::CurrentUser, std::string(kAddinKey) + "\\Controls");
    log.clear();
    ASSERT_EQ(addin.OnDisconnection(remove_mode::UserClosed).code, base::hr::Ok);
    EXPECT_EQ(log, (std::vector<std::string>{"begin shutdown", "finalize", "destroyed"}));
    EXPECT_EQ(BarCount(), 0u);
    EXPECT_FALSE(registry.HasKey(RegistryRoot::CurrentUser, std::string(kAddinKey) + "\\Controls"));
    EXPECT_FALSE(
        registry.HasKey(RegistryRoot::CurrentUser, std::string(kAddinKey) + "\\CommandBars"));
    EXPECT_TRUE(registry.HasKey(RegistryRoot::CurrentUser, kAddinKey)) << "only the subkeys go";
    EXPECT_FALSE(addin.Module());
}

TEST_F(AddinObject, CallsWithoutAConnectionFailWithoutTouchingAnything) {
    for (const TadxCallOutcome& outcome :
         {addin.OnStartupComplete(), addin.OnBeginShutdown(),
          addin.CTPFactoryAvailable(host::MakeRef<testing::RecordingDispatch>())}) {
        EXPECT_EQ(outcome.code, base::hr::Unexpected);
        EXPECT_EQ(outcome.source, u"qorvel.Tarvex");
    }
    std::u16string xml = u"untouched";
    EXPECT_EQ(addin.GetCustomUI(u"Microsoft.Excel.Workbook", xml).code, base::hr::Unexpected);
    EXPECT_EQ(xml, u"untouched");
    std::array<host::Variant, 7> arguments;
    EXPECT_EQ(addin.OnAddInsUpdate().code, base::hr::Ok);
    EXPECT_EQ(addin.ForwardCall(arguments).code, base::hr::Ok) << "no module, no handler";
    EXPECT_TRUE(log.empty());
}

TEST_F(AddinObject, TheForwardingCallReachesTheModulesHandlerWithItsSevenArguments) {
    ASSERT_FALSE(Connect(connect_mode::Startup).Failed());
    std::array<host::Variant, 7> arguments{host::Variant(1), {}, {}, {}, {}, {}, host::Variant(7)};
    EXPECT_EQ(addin.ForwardCall(arguments).code, base::hr::Ok) << "no handler set";
    Module().OnForwardedCall = [](std::span<host::Variant, 7> received) {
        if (received[6].ToInt32() != 7)
            throw base::Error(base::hr::InvalidArg, "the last argument went astray");
        received[0] = host::Variant(u"answered");
    };
    EXPECT_EQ(addin.ForwardCall(arguments).code, base::hr::Ok);
    EXPECT_EQ(arguments[0].ToString(), u"answered");
    arguments[6] = host::Variant(6);
    const TadxCallOutcome failed = addin.ForwardCall(arguments);
    EXPECT_EQ(failed.code, base::hr::InvalidArg);
    EXPECT_EQ(failed.description, u"the last argument went astray");
}

TEST(AddinCallGuard, KeepsNegativeCodesAndMapsEverythingElseToUnexpected) {
    const auto run = [](auto thrower) { return GuardAddinCall("qorvel.Tarvex", thrower); };
    EXPECT_EQ(run([] { throw base::Error(base::hr::AccessDenied, "denied"); }).code,
              base::hr::AccessDenied);
    const TadxCallOutcome framework = run([] { throw base::Error(31101, "empty"); });
    EXPECT_EQ(framework.code, base::hr::Unexpected) << "a framework code is no COM code";
    EXPECT_EQ(framework.description, u"empty");
    EXPECT_EQ(run([] { throw std::runtime_error("plain"); }).description, u"plain");
    EXPECT_EQ(run([] { throw 7; }).code, base::hr::Unexpected);
    EXPECT_FALSE(run([] {}).Failed());
}

// The add-in's own module through the add-in object, as Office starts and unloads it.
class AddinObjectWithTheAddin : public AddinObject {
protected:
    TadxAddin realAddin{factory,
                        [this] {
                            return TadxCOMAddInModule::Create<addin::TAddInModule>(
                                ModuleServices{desktop, registry});
                        },
                        process};
    addin::TAddInModule& Real() { return dynamic_cast<addin::TAddInModule&>(*realAddin.Module()); }
};

TEST_F(AddinObjectWithTheAddin, StartsWithBarsOnExcel2003AndTheRibbonOnLaterVersions) {
    excel.AddWorkbook(u"Book1");
    realAddin.SetSelfDispatch([this] { return self; });
    for (const std::u16string version : {u"11.0", u"16.0"}) {
        SCOPED_TRACE(std::string(version.begin(), version.end()));
        excel.SetVersion(version);
        ASSERT_EQ(
            realAddin.OnConnection(excel.Application(), connect_mode::Startup, addInInst).code,
            base::hr::Ok);
        ASSERT_EQ(realAddin.OnStartupComplete().code, base::hr::Ok);
        const auto bar = excel.Office().FindBar(u"Tarvex");
        ASSERT_TRUE(bar);
        EXPECT_EQ(excel.Office().Bar(*bar).visible, version == u"11.0");
        if (version == u"16.0") {
            EXPECT_TRUE(Real().RibbonTrack().Enabled());
            EXPECT_FALSE(Real().RibbonTrack().Pressed());
        }
        EXPECT_FALSE(Real().Tracking());
        EXPECT_EQ(StoredStartMode(), u"NORMAL");
        EXPECT_EQ(excel.Office().ComAddInObject(u"qorvel.Tarvex").Get(), self.Get());
        ASSERT_EQ(realAddin.OnDisconnection(remove_mode::UserClosed).code, base::hr::Ok);
        EXPECT_FALSE(excel.Office().FindBar(u"Tarvex")) << "unloaded by the user";
        EXPECT_EQ(desktop.OwnerWindow(), 0u);
    }
    EXPECT_TRUE(log.empty()) << "no error was shown";
}

} // namespace
} // namespace tarvex::framework
