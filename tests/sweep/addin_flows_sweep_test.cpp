// Fault sweeps over the add-in's user-visible flows in Excel 2016: start-up, a checked entry
// that duplicates another, Track, Options with Ok, Help and each link of the Help menu,
// shut-down and the user's unload. Every host call and registry operation of a flow is made
// to fail in turn; no run may crash, fail where the frame must report, report where it must
// swallow, or fail quietly with a changed outcome.

#include <array>
#include <gtest/gtest.h>

#include "base/form.h"
#include "base/text.h"
#include "framework/ribbon_controls.h"
#include "host/excel/dispids.h"
#include "host/excel/excel.h"
#include "tests/sweep/addin_world.h"

namespace tarvex::sweep {
namespace {

using host::RegistryRoot;
using host::RegistryValue;

constexpr char kOptionsKey[] = "Software\\Morvane Software\\Tarvex\\Options";

/// The options in the order the dialog saves them.
constexpr std::array<const char*, 7> kSaveOrder{
    "TrackColumns", "ActiveColumn",     "ColumnSelectedRange", "TrackRows",
    "ActiveRow",    "RowSelectedRange", "CaseSensitive"};

/// Stores the seven options, in save order, as the user left them last time.
void StoreOptions(AddinWorld& world, const std::array<bool, 7>& values) {
    for (std::size_t i = 0; i < kSaveOrder.size(); ++i)
        world.registry.PutValue(RegistryRoot::CurrentUser, kOptionsKey, kSaveOrder[i],
                                RegistryValue::FromDWord(values[i] ? 1 : 0));
}

std::array<std::optional<std::uint32_t>, 7> StoredOptions(const AddinWorld& world) {
    std::array<std::optional<std::uint32_t>, 7> values;
    for (std::size_t i = 0; i < kSaveOrder.size(); ++i)
        if (const auto value =
                world.registry.GetValue(RegistryRoot::CurrentUser, kOptionsKey, kSaveOrder[i]))
            values[i] = value->AsDWord();
    return values;
}

// Start-up: connection, customUI, onLoad, start-up completion, on a first start, in Excel
// 2016 (the ribbon) or Excel 2003 (the command bar).
SweepFlow<AddinWorld> StartUpFlow(std::u16string version) {
    SweepFlow<AddinWorld> flow = AddinFlow("start-up, Excel " + base::Utf16ToUtf8(version));
    // A returning user's options, none of them at its default where that can be seen.
    // A record of a persistent control left from an earlier version, which initialisation
    // deletes, so that a deletion that failed quietly shows.
    flow.prepare = [version](AddinWorld& world) {
        world.SetExcelVersion(version);
        StoreOptions(world, {true, false, true, false, true, false, false});
        world.registry.PutValue(
            RegistryRoot::CurrentUser, std::string(kExcelAddinKey) + "\\Controls",
            "{2B7A1D2C-0000-4000-8000-000000000001}", RegistryValue::FromDWord(1));
    };
    flow.run = [](AddinWorld& world) { world.StartUp(); };
    const auto readsOptions = flow.tolerance;
    flow.tolerance = [readsOptions](const FaultPoint& fault) {
        // The Track control's set-up swallows what reaches it: the add-in still works. The
        // bar's own property setters report Office's failures first.
        if (fault.phase == "OnAddInStartupComplete" && fault.member.starts_with("IRibbon"))
            return Tolerance::Swallowed;
        if (fault.phase == "OnAddInStartupComplete" && fault.member.starts_with("CommandBar"))
            return Tolerance::Any;
        // A host without command bars gets none built, and says nothing.
        if (fault.member == "Application.CommandBars" && fault.phase == "OnStartupComplete")
            return Tolerance::SessionOnly;
        return readsOptions(fault);
    };
    flow.check = [version](AddinWorld& world, const FaultPoint* fault) {
        if (fault)
            return;
        const auto bar = world.excel.Office().FindBar(u"Tarvex");
        ASSERT_TRUE(bar);
        EXPECT_EQ(world.excel.Office().Bar(*bar).visible, version == u"11.0")
            << "the bar shows only where there is no ribbon";
        EXPECT_FALSE(world.registry.HasKey(RegistryRoot::CurrentUser,
                                           std::string(kExcelAddinKey) + "\\Controls"));
    };
    flow.minimumHostCalls = 30;
    flow.minimumRegistryOperations = 10;
    return flow;
}

TEST(FaultSweep, StartUpOnTheRibbon) {
    RunSweep(StartUpFlow(u"16.0"));
}

TEST(FaultSweep, StartUpOnTheCommandBar) {
    RunSweep(StartUpFlow(u"11.0"));
}

// A checked entry: tracking on, "abc" typed into B7 while B3 holds it, the prompt answered
// Yes. The check swallows every failure; Excel's event sink answers S_OK whatever happens.
TEST(FaultSweep, DuplicateEntryAnsweredYes) {
    SweepFlow<AddinWorld> flow = AddinFlow("duplicate entry");
    struct Entry {
        host::Ref<host::Dispatch> sheet;
        host::Ref<host::Dispatch> target;
    };
    auto entry = std::make_shared<Entry>();
    flow.prepare = [entry](AddinWorld& world) {
        world.StartUp();
        world.excel.SetText({3, 2}, u"abc");
        world.Click(world.GroupControl(0));
        world.desktop.SetModalHandler([](base::Form&) { return base::modal_result::Yes; });
        const host::excel::Application excel(world.excel.Application());
        entry->sheet = excel.ActiveSheet();
        entry->target = excel.GetRange(u"B7").Object();
    };
    flow.run = [entry](AddinWorld& world) {
        const auto scope = world.Enter(kSheetChangePhase);
        world.excel.SetText({7, 2}, u"abc");
        // As Excel raises SheetChange(Sh, Target): COM order, last argument first.
        std::vector<host::Variant> arguments{host::Variant(entry->target),
                                             host::Variant(entry->sheet)};
        for (const host::Ref<host::Dispatch>& sink : world.excel.AdvisedSinks()) {
            const host::DispParams params{arguments.data(), nullptr, 2, 0};
            host::Variant result;
            world.Answer("SheetChange", EntryKind::EventSink,
                         sink->Invoke(host::excel::events::SheetChange, base::Guid(), 0,
                                      host::invoke::Method, params, &result, nullptr, nullptr));
        }
    };
    flow.check = [](AddinWorld& world, const FaultPoint* fault) {
        if (!fault) {
            ASSERT_EQ(world.desktop.ShownForms().size(), 1u) << "the prompt";
            EXPECT_EQ(world.excel.ActiveCell(), (sim::Cell{3, 2})) << "Yes goes to B3";
        }
        EXPECT_FALSE(world.Answers().empty()) << "the add-in's sink is advised";
    };
    flow.minimumHostCalls = 10;
    RunSweep(flow);
}

// Track switched on from the ribbon with a selected-range mode stored: the options are read
// and the selection captured.
TEST(FaultSweep, Track) {
    SweepFlow<AddinWorld> flow = AddinFlow("track");
    flow.prepare = [](AddinWorld& world) {
        StoreOptions(world, {true, true, false, true, false, true, false});
        world.StartUp();
        world.excel.Select(*sim::ParseA1Area(u"C2:C20"));
    };
    flow.run = [](AddinWorld& world) { world.Click(world.GroupControl(0)); };
    flow.check = [](AddinWorld& world, const FaultPoint* fault) {
        const addin::TAddInModule& module = *world.Module();
        EXPECT_EQ(module.RibbonTrack().Pressed(), module.Tracking())
            << "the toggle shows the switch";
        if (!fault) {
            EXPECT_TRUE(module.Tracking() && module.RowSelectedRangeMode() &&
                        module.SelectedRange());
        }
    };
    flow.minimumHostCalls = 2;
    flow.minimumRegistryOperations = 10;
    RunSweep(flow);
}

// Options opened from the ribbon; the user clears "Columns", picks "Active row" and clears
// "Case sensitive", then presses Ok. A save that fails is shown, and the user cancels.
TEST(FaultSweep, OptionsOk) {
    constexpr std::array<bool, 7> kOld{true, true, false, true, false, true, true};
    constexpr std::array<bool, 7> kNew{false, true, false, true, true, false, false};
    SweepFlow<AddinWorld> flow = AddinFlow("options ok");
    flow.prepare = [kOld](AddinWorld& world) {
        StoreOptions(world, kOld);
        world.StartUp();
        world.desktop.SetModalHandler([](base::Form& form) {
            form.UserClick(form.IndexOf("chkColumns"));
            form.UserClick(form.IndexOf("rbActiveRow"));
            form.UserClick(form.IndexOf("chkCaseSensitive"));
            form.UserClick(form.IndexOf("btnOk"));
            if (form.ModalResult() == base::modal_result::None)
                form.UserClick(form.IndexOf("btnCancel"));
            return form.ModalResult();
        });
    };
    flow.run = [](AddinWorld& world) { world.Click(world.GroupControl(1)); };
    flow.knownMessage = [](const sim::ShownMessage& message) {
        return IsHandlerErrorBox(message) ||
               (message.caption == u"Error" &&
                message.text.starts_with(u"Failed to set data for '"));
    };
    flow.check = [kOld, kNew](AddinWorld& world, const FaultPoint* fault) {
        const auto stored = StoredOptions(world);
        // Where a save stopped: the values before the failed one are new, the rest old.
        std::size_t saved = kSaveOrder.size();
        bool saveFailed = false;
        for (const sim::ShownMessage& message : world.desktop.ShownMessages())
            for (std::size_t i = 0; i < kSaveOrder.size(); ++i)
                if (message.text ==
                    u"Failed to set data for '" + base::Utf8ToUtf16(kSaveOrder[i]) + u"'") {
                    saved = i;
                    saveFailed = true;
                }
        const bool quietRead = fault && fault->kind == FaultPoint::Kind::RegistryOperation &&
                               fault->operation.operation != sim::RegistryOperation::SetValue &&
                               fault->operation.operation != sim::RegistryOperation::CreateKey;
        if (saveFailed) {
            for (std::size_t i = 0; i < kSaveOrder.size(); ++i)
                EXPECT_EQ(stored[i], (i < saved ? kNew[i] : kOld[i]) ? 1u : 0u)
                    << kSaveOrder[i] << " after the save stopped at " << kSaveOrder[saved];
            ASSERT_FALSE(world.desktop.ShownForms().empty());
            EXPECT_EQ(world.desktop.ShownForms().back().result, base::modal_result::Cancel);
        } else if (!quietRead) {
            std::array<std::optional<std::uint32_t>, 7> oldValues, newValues;
            for (std::size_t i = 0; i < kSaveOrder.size(); ++i) {
                oldValues[i] = kOld[i] ? 1u : 0u;
                newValues[i] = kNew[i] ? 1u : 0u;
            }
            EXPECT_TRUE(stored == oldValues || stored == newValues)
                << "a dialog that did not report a failed save saved all or nothing";
        }
        if (!fault) {
            EXPECT_FALSE(world.Module()->CaseSensitiveSearch()) << "the new options are taken";
            EXPECT_FALSE(world.Module()->ActiveColumnMode());
        }
    };
    flow.minimumHostCalls = 1;
    flow.minimumRegistryOperations = 30;
    RunSweep(flow);
}

// Help, and each link of the Help menu: the commands never fail and never show anything.
TEST(FaultSweep, HelpAndLinks) {
    for (const std::u16string caption :
         {u"Help", u"Request support online", u"Request support via e-mail", u"Anonymous feedback",
          u"Tell a friend/colleague", u"Subscribe to news", u"Suggest new feature"}) {
        const std::string name = base::Utf16ToUtf8(caption);
        SweepFlow<AddinWorld> flow = AddinFlow("help menu: " + name);
        flow.run = [caption](AddinWorld& world) { world.Click(world.HelpItem(caption)); };
        flow.swallowingPhases.push_back("command " + name);
        flow.check = [](AddinWorld& world, const FaultPoint* fault) {
            if (!fault) {
                EXPECT_EQ(
                    world.desktop.ShellRequests().size() + world.desktop.HelpRequests().size(), 1u);
            }
        };
        // Office's IRibbonControl is asked for the clicked control's Id.
        flow.minimumHostCalls = 1;
        flow.minimumRegistryOperations = caption == u"Help" ? 2 : 0;
        RunSweep(flow);
    }
}

// Excel's exit: begin-shutdown, then disconnection for the host's shut-down.
TEST(FaultSweep, ShutDown) {
    SweepFlow<AddinWorld> flow = AddinFlow("shut-down");
    flow.run = [](AddinWorld& world) { world.ShutDown(); };
    flow.check = [](AddinWorld& world, const FaultPoint*) {
        EXPECT_FALSE(world.Module()) << "the module is destroyed whatever failed";
        EXPECT_EQ(world.desktop.OwnerWindow(), 0u);
    };
    // On the host's exit the add-in calls neither Excel nor Office nor the registry: the
    // bars were temporary and the add-in key is only closed. The sweep then checks the run
    // without a failure, and covers whatever calls a later change adds here.
    RunSweep(flow);
}

// The user unloads the add-in while Excel runs: the bar and the records go too.
TEST(FaultSweep, UserUnload) {
    SweepFlow<AddinWorld> flow = AddinFlow("user unload");
    flow.run = [](AddinWorld& world) { world.Unload(); };
    flow.check = [](AddinWorld& world, const FaultPoint* fault) {
        EXPECT_FALSE(world.Module()) << "the module is destroyed whatever failed";
        if (!fault) {
            EXPECT_FALSE(world.excel.Office().FindBar(u"Tarvex"));
        }
    };
    flow.minimumHostCalls = 5;
    flow.minimumRegistryOperations = 2;
    RunSweep(flow);
}

} // namespace
} // namespace tarvex::sweep
