// Fault sweeps over registration and unregistration of the add-in with Excel installed:
// every registry operation and every call to Excel's Office part fails in turn.
// The exports answer S_OK only when everything is in place (or, at unregistration, gone),
// and E_FAIL otherwise, without a message box.

#include <gtest/gtest.h>
#include <sstream>

#include "addin/identity.h"
#include "addin/module.h"
#include "base/error.h"
#include "base/text.h"
#include "framework/factory.h"
#include "framework/registration.h"
#include "host/office/office.h"
#include "sim/office/office.h"
#include "tests/sweep/sweep_driver.h"

namespace tarvex::sweep {
namespace {

using host::RegistryRoot;
using host::RegistryValue;

constexpr char kOldBar[] = "Tarvex 1.0";
constexpr char16_t kRecordedTag[] = u"{6C1A2E00-0000-4000-8000-00000000CAFE}";

/// The COM runtime with Excel installed, running or not: registration finds it by ProgID,
/// and starts it (and tells it to quit again) when it does not run.
class InstalledExcel final : public framework::RegistrationHost {
public:
    explicit InstalledExcel(sim::SimExcel& excel)
        : m_excel(excel) {}

    bool IsInstalled(std::string_view progId) override { return progId == "Excel.Application"; }
    host::Ref<host::Dispatch> GetRunning(std::string_view progId) override {
        return running && progId == "Excel.Application" ? m_excel.Application() : nullptr;
    }
    host::Ref<host::Dispatch> Start(std::string_view progId) override {
        if (progId != "Excel.Application" || running)
            throw base::Error(base::hr::Unexpected, "not startable here");
        running = true;
        ++starts;
        return m_excel.Application();
    }
    void Quit(host::Dispatch&) override {
        if (!running)
            throw base::Error(base::hr::Unexpected, "Excel does not run");
        running = false;
        ++quits;
    }
    std::u16string ShortPath(std::u16string_view path) override { return std::u16string(path); }

    bool running = true;
    int starts = 0;
    int quits = 0;

private:
    sim::SimExcel& m_excel;
};

class RegistrationWorld : public SweepWorld {
public:
    RegistrationWorld() { excel.AddWorkbook(u"Book1"); }

    /// DllRegisterServer or DllUnregisterServer, as the export answers.
    void Run(bool doRegister) {
        const auto scope = Enter(doRegister ? "DllRegisterServer" : "DllUnregisterServer");
        base::HResult answer = base::hr::Ok;
        try {
            if (doRegister)
                framework::RegisterAddin(Context());
            else
                framework::UnregisterAddin(Context());
        } catch (const base::Error& error) {
            answer = base::hr::Fail;
            failure = error.Message();
        } catch (const std::exception& error) {
            ADD_FAILURE() << "not a host error: " << error.what();
            answer = base::hr::Fail;
        }
        Answer(doRegister ? "DllRegisterServer" : "DllUnregisterServer",
               EntryKind::RegistrationExport, answer);
    }

    /// The bars of Excel with their controls' tags.
    std::string Session() const {
        std::ostringstream text;
        text << "excel running " << m_hosts.running << " started " << m_hosts.starts << " quit "
             << m_hosts.quits << '\n';
        const sim::SimOffice& office = excel.Office();
        for (const auto bar : office.Bars()) {
            text << base::Utf16ToUtf8(office.Bar(bar).name) << ':';
            for (const auto control : office.Controls(bar))
                text << ' ' << base::Utf16ToUtf8(office.Control(control).tag);
            text << '\n';
        }
        return text.str();
    }

    bool HasClassKey(std::string_view subkey = "") const {
        return registry.HasKey(RegistryRoot::ClassesRoot, std::string("CLSID\\") +
                                                              addin::kClsidTarvexText +
                                                              std::string(subkey));
    }

    InstalledExcel& Hosts() noexcept { return m_hosts; }

    /// What the failed export's error said.
    std::string failure;

private:
    framework::RegistrationContext Context() {
        return framework::RegistrationContext{
            m_factory,
            [](framework::ModuleServices services)
                -> std::unique_ptr<framework::TadxCOMAddInModule> {
                return framework::TadxCOMAddInModule::Create<addin::TAddInModule>(services);
            },
            framework::ModuleServices{desktop, registry},
            m_hosts,
            u"C:\\Tarvex\\qorvel.dll",
            addin::kLibId,
            addin::kTypeLibMajor,
            addin::kTypeLibMinor};
    }

    const framework::TadxFactory m_factory{"qorvel", "Tarvex", "Tarvex Object", addin::kClsidTarvex,
                                           "C:\\Tarvex\\"};
    InstalledExcel m_hosts{excel};
};

SweepFlow<RegistrationWorld> RegistrationFlow(std::string name) {
    SweepFlow<RegistrationWorld> flow;
    flow.name = std::move(name);
    flow.stored = [](RegistrationWorld& world) { return world.Stored(); };
    flow.session = [](RegistrationWorld& world) { return world.Session(); };
    // Registration asks nothing of the user: DisplayAlerts is off.
    flow.knownMessage = [](const sim::ShownMessage&) { return false; };
    return flow;
}

TEST(FaultSweep, Registration) {
    SweepFlow<RegistrationWorld> flow = RegistrationFlow("registration");
    flow.prepare = [](RegistrationWorld&) {};
    flow.run = [](RegistrationWorld& world) { world.Run(true); };
    flow.check = [](RegistrationWorld& world, const FaultPoint*) {
        if (world.Answers().back().code != base::hr::Ok) {
            EXPECT_EQ(world.failure, framework::registration_message::EntryFailed);
        } else {
            EXPECT_TRUE(world.HasClassKey("\\TypeLib"));
            EXPECT_EQ(
                world.registry.GetValue(RegistryRoot::CurrentUser, kExcelAddinKey, "LoadBehavior"),
                RegistryValue::FromDWord(3));
        }
        EXPECT_EQ(world.registry.OpenKeyCount(), 0u) << "every key is closed";
    };
    flow.minimumRegistryOperations = 16;
    RunSweep(flow);
}

// Unregistration with the add-in's bar in Excel, and the records of an earlier version's
// persistent bar and of a control it put on Excel's "Standard" bar; Excel either runs or is
// started for the clean-up (and must then be told to quit, whatever failed).
SweepFlow<RegistrationWorld> UnregistrationFlow(bool excelRuns) {
    SweepFlow<RegistrationWorld> flow = RegistrationFlow(
        excelRuns ? "unregistration, Excel running" : "unregistration, Excel started");
    flow.prepare = [excelRuns](RegistrationWorld& world) {
        world.Run(true);
        const host::office::CommandBars bars =
            host::office::CommandBarsOf(*world.excel.Application());
        bars.Add(std::u16string(u"Tarvex"), 1, std::nullopt, true)
            .Controls()
            .Add(1, std::nullopt, std::nullopt, std::nullopt, true)
            .SetTag(u"{15371C52-2B93-42C6-B57E-437CC0670502}");
        bars.Add(base::Utf8ToUtf16(kOldBar), 1, std::nullopt, false);
        bars.Item(u"Standard")
            .Controls()
            .Add(1, std::nullopt, std::nullopt, std::nullopt, false)
            .SetTag(kRecordedTag);
        world.registry.PutValue(RegistryRoot::CurrentUser,
                                std::string(kExcelAddinKey) + "\\CommandBars", kOldBar,
                                RegistryValue::FromDWord(1));
        world.registry.PutValue(RegistryRoot::CurrentUser,
                                std::string(kExcelAddinKey) + "\\Controls",
                                base::Utf16ToUtf8(kRecordedTag), RegistryValue::FromDWord(1));
        // An Excel that does not run has dropped its temporary bars.
        world.Hosts().running = excelRuns;
        if (!excelRuns)
            world.excel.Office().Restart();
    };
    flow.run = [](RegistrationWorld& world) { world.Run(false); };
    flow.tolerance = [](const FaultPoint& fault) {
        // The COM class keys are deleted each on its own, without checking the result: one
        // that stays (with the keys above it) does not fail the export.
        if (fault.kind == FaultPoint::Kind::RegistryOperation &&
            fault.operation.operation == sim::RegistryOperation::DeleteKey &&
            fault.operation.root == RegistryRoot::ClassesRoot)
            return Tolerance::Any;
        return Tolerance::None;
    };
    flow.check = [](RegistrationWorld& world, const FaultPoint*) {
        const sim::SimOffice& office = world.excel.Office();
        if (world.Answers().back().code == base::hr::Ok) {
            EXPECT_FALSE(world.registry.HasKey(RegistryRoot::CurrentUser, kExcelAddinKey));
            EXPECT_FALSE(office.FindBar(u"Tarvex"));
            EXPECT_FALSE(office.FindBar(base::Utf8ToUtf16(kOldBar)));
            EXPECT_TRUE(office.FindControls(std::nullopt, std::nullopt, kRecordedTag).empty());
        } else if (world.failure == framework::registration_message::ControlsFailed) {
            // The clean-up of Excel failed: the add-in stays registered.
            EXPECT_TRUE(world.registry.HasKey(RegistryRoot::CurrentUser, kExcelAddinKey));
            EXPECT_TRUE(world.HasClassKey());
        }
        EXPECT_EQ(world.registry.OpenKeyCount(), 0u) << "every key is closed";
        EXPECT_EQ(world.Hosts().starts, world.Hosts().quits) << "an Excel started here quits";
    };
    flow.minimumHostCalls = 20;
    flow.minimumRegistryOperations = 10;
    return flow;
}

TEST(FaultSweep, UnregistrationWithExcelRunning) {
    RunSweep(UnregistrationFlow(true));
}

TEST(FaultSweep, UnregistrationStartingExcel) {
    RunSweep(UnregistrationFlow(false));
}

} // namespace
} // namespace tarvex::sweep
