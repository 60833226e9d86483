// The simulated Office's CommandBars collection and bars: built-in bars, adding, names,
// properties Office refuses, deleting, and what a restart keeps.

#include <gtest/gtest.h>
#include <memory>

#include "host/excel/dispids.h"
#include "sim_office_support.h"

namespace tarvex::sim {
namespace {

using host::Variant;
using namespace host::office;
using testing::BarsOf;
using testing::FailureOf;

TEST(SimOfficeBars, ExcelBuiltInBarsArePresentAndFoundByName) {
    SimExcel excel;
    const CommandBars bars = BarsOf(excel);
    ASSERT_EQ(bars.Count(), 5);
    EXPECT_EQ(bars.Item(1).Name(), u"Worksheet Menu Bar");
    EXPECT_EQ(bars.Item(1).Type(), msoBarTypeMenuBar);

    const CommandBar cell = bars.Item(u"cell"); // names ignore case
    EXPECT_TRUE(cell.BuiltIn());
    EXPECT_EQ(cell.Type(), msoBarTypePopup);
    EXPECT_EQ(cell.Position(), msoBarPopup);
    EXPECT_EQ(cell.Index(), 5);
    EXPECT_GT(cell.Controls().Count(), 0);

    // The same bar is the same object, whichever way it is reached.
    EXPECT_EQ(bars.Item(u"Standard").Get(), bars.Item(2).Get());
    EXPECT_EQ(FailureOf([&] { bars.Item(u"No such bar"); }), base::hr::InvalidArg);
    EXPECT_EQ(FailureOf([&] { bars.Item(6); }), base::hr::InvalidArg);
    EXPECT_EQ(FailureOf([&] { bars.Item(0); }), base::hr::InvalidArg);
}

TEST(SimOfficeBars, LocalNamesFindBarsAsALocalizedOfficeDoes) {
    SimExcel excel;
    SimOffice& simOffice = excel.Office();
    const auto formatting = simOffice.FindBar(u"Formatting");
    ASSERT_TRUE(formatting);
    simOffice.SetNameLocal(*formatting, u"Format");

    const CommandBars bars = BarsOf(excel);
    const CommandBar bar = bars.Item(3);
    EXPECT_EQ(bar.Name(), u"Formatting");
    EXPECT_EQ(bar.NameLocal(), u"Format");
    EXPECT_EQ(bars.Item(u"FORMAT").Get(), bar.Get());
    EXPECT_EQ(simOffice.FindBar(u"format"), formatting);
    // Office keeps its own names: a built-in bar cannot be renamed.
    EXPECT_EQ(FailureOf([&] { bar.SetName(u"Mine"); }), base::hr::Fail);
    EXPECT_EQ(FailureOf([&] { bar.SetNameLocal(u"Mine"); }), base::hr::Fail);
}

TEST(SimOfficeBars, AddMakesAHiddenCustomBarWithOfficeDefaults) {
    SimExcel excel;
    const CommandBars bars = BarsOf(excel);
    const CommandBar bar = bars.Add(u"Tarvex", msoBarTop, std::nullopt, true);
    EXPECT_EQ(bars.Count(), 6);
    EXPECT_EQ(bar.Index(), 6);
    EXPECT_EQ(bar.Name(), u"Tarvex");
    EXPECT_EQ(bar.NameLocal(), u"Tarvex");
    EXPECT_FALSE(bar.BuiltIn());
    EXPECT_FALSE(bar.Visible());
    EXPECT_TRUE(bar.Enabled());
    EXPECT_EQ(bar.Position(), msoBarTop);
    EXPECT_EQ(bar.Type(), msoBarTypeNormal);
    EXPECT_EQ(bar.RowIndex(), 4); // after the three built-in bars at the top
    EXPECT_EQ(bar.Controls().Count(), 0);

    const auto handle = excel.Office().FindBar(u"Tarvex");
    ASSERT_TRUE(handle);
    EXPECT_TRUE(excel.Office().Bar(*handle).temporary);

    // Unnamed bars are numbered; a taken name (in any letter case) is refused.
    EXPECT_EQ(bars.Add(std::nullopt, std::nullopt, std::nullopt, std::nullopt).Name(), u"Custom 1");
    EXPECT_EQ(bars.Add(std::nullopt, std::nullopt, std::nullopt, std::nullopt).Position(),
              msoBarFloating);
    EXPECT_EQ(FailureOf([&] { bars.Add(u"TARVEX", msoBarTop, std::nullopt, true); }),
              base::hr::InvalidArg);
    EXPECT_EQ(FailureOf([&] { bars.Add(u"Other", msoBarMenuBar, std::nullopt, true); }),
              base::hr::InvalidArg);
    EXPECT_EQ(bars.Add(u"Menu", msoBarTop, true, true).Type(), msoBarTypeMenuBar);
}

TEST(SimOfficeBars, RestartKeepsPersistentBarsAndDropsTemporaryOnes) {
    SimExcel excel;
    SimOffice& simOffice = excel.Office();
    CommandBars bars = BarsOf(excel);
    const CommandBar temporary = bars.Add(u"Temporary", msoBarTop, std::nullopt, true);
    const CommandBar persistent = bars.Add(u"Persistent", msoBarLeft, std::nullopt, false);
    persistent.SetVisible(true);
    persistent.SetProtection(msoBarNoMove);
    persistent.Controls().Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, false);
    const auto handle = simOffice.FindBar(u"Persistent");

    simOffice.Restart();

    // Objects of the previous session belong to a server that has gone.
    EXPECT_EQ(FailureOf([&] { persistent.Name(); }), base::MakeHResult(0x80010108));
    EXPECT_EQ(FailureOf([&] { bars.Count(); }), base::MakeHResult(0x80010108));
    bars = BarsOf(excel);
    EXPECT_EQ(bars.Count(), 6);
    EXPECT_FALSE(simOffice.FindBar(u"Temporary"));
    ASSERT_EQ(simOffice.FindBar(u"Persistent"), handle);
    const CommandBar again = bars.Item(u"Persistent");
    EXPECT_TRUE(again.Visible());
    EXPECT_EQ(again.Position(), msoBarLeft);
    EXPECT_EQ(again.Protection(), msoBarNoMove);
    EXPECT_EQ(again.Controls().Count(), 1);
}

TEST(SimOfficeBars, BuiltInBarsRefuseDeleteAndCustomBarsGoWithTheirControls) {
    SimExcel excel;
    const CommandBars bars = BarsOf(excel);
    EXPECT_EQ(FailureOf([&] { bars.Item(u"Standard").Delete(); }), base::hr::Fail);
    EXPECT_EQ(bars.Count(), 5);

    const CommandBar bar = bars.Add(u"Doomed", msoBarTop, std::nullopt, true);
    const CommandBarControl button =
        bar.Controls().Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, true);
    bar.Delete();
    EXPECT_EQ(bars.Count(), 5);
    EXPECT_FALSE(excel.Office().FindBar(u"Doomed"));
    // Calls on what was deleted fail as Office's do, and the name is free again.
    EXPECT_EQ(FailureOf([&] { bar.Name(); }), base::hr::Fail);
    EXPECT_EQ(FailureOf([&] { button.Caption(); }), base::hr::Fail);
    EXPECT_EQ(bars.Add(u"Doomed", msoBarTop, std::nullopt, true).Index(), 6);
}

TEST(SimOfficeBars, ProtectionTakesAnyCombinationOfFlags) {
    SimExcel excel;
    const CommandBar bar = BarsOf(excel).Add(u"Bar", msoBarTop, std::nullopt, true);
    for (const std::int32_t value : {msoBarNoProtection, msoBarNoCustomize, msoBarNoResize,
                                     msoBarNoMove, msoBarNoChangeVisible, msoBarNoChangeDock,
                                     msoBarNoVerticalDock, msoBarNoHorizontalDock}) {
        bar.SetProtection(value);
        EXPECT_EQ(bar.Protection(), value);
    }
    // Combinations are read back as they were written.
    bar.SetProtection(msoBarNoMove | msoBarNoChangeDock);
    EXPECT_EQ(bar.Protection(), 20);
    EXPECT_EQ(FailureOf([&] { bar.SetProtection(128); }), base::hr::InvalidArg);
    EXPECT_EQ(FailureOf([&] { bar.SetProtection(-1); }), base::hr::InvalidArg);
    EXPECT_EQ(bar.Protection(), 20);
}

TEST(SimOfficeBars, DisabledBarsAndShortcutMenusCannotBeShown) {
    SimExcel excel;
    const CommandBars bars = BarsOf(excel);
    const CommandBar bar = bars.Add(u"Bar", msoBarTop, std::nullopt, true);
    bar.SetVisible(true);
    bar.SetEnabled(false);
    EXPECT_FALSE(bar.Visible()); // disabling takes the bar off the screen
    EXPECT_EQ(FailureOf([&] { bar.SetVisible(true); }), base::hr::Fail);
    bar.SetVisible(false);
    bar.SetEnabled(true);
    bar.SetVisible(true);
    EXPECT_TRUE(bar.Visible());

    const CommandBar cell = bars.Item(u"Cell");
    EXPECT_EQ(FailureOf([&] { cell.SetVisible(true); }), base::hr::Fail);
    EXPECT_EQ(FailureOf([&] { cell.SetPosition(msoBarTop); }), base::hr::Fail);
    EXPECT_EQ(FailureOf([&] { bar.SetPosition(msoBarPopup); }), base::hr::InvalidArg);
}

TEST(SimOfficeBars, PlacementIsStoredAsWritten) {
    SimExcel excel;
    const CommandBar bar = BarsOf(excel).Add(u"Bar", msoBarFloating, std::nullopt, true);
    bar.SetPosition(msoBarBottom);
    bar.SetLeft(120);
    bar.SetTop(-4);
    bar.SetRowIndex(2);
    bar.SetName(u"Renamed");
    bar.SetNameLocal(u"Umbenannt");
    const CommandBarData data = excel.Office().Bar(*excel.Office().FindBar(u"Renamed"));
    EXPECT_EQ(data.position, msoBarBottom);
    EXPECT_EQ(data.left, 120);
    EXPECT_EQ(data.top, -4);
    EXPECT_EQ(data.rowIndex, 2);
    EXPECT_EQ(data.nameLocal, u"Umbenannt");
    // Another bar's name is not free.
    EXPECT_EQ(FailureOf([&] { bar.SetName(u"standard"); }), base::hr::InvalidArg);
    EXPECT_EQ(FailureOf([&] { bar.SetName(u""); }), base::hr::InvalidArg);
}

TEST(SimOfficeBars, ApplicationAnswersCommandBarsByIdAndByName) {
    SimExcel excel;
    excel.ClearCalls();
    const host::Ref<host::Dispatch> byName = BarsOf(excel).Object();
    ASSERT_EQ(excel.Calls().size(), 2u);
    EXPECT_EQ(excel.Calls()[0].member, "Application.GetIDsOfNames");
    EXPECT_EQ(excel.Calls()[0].kind, 0);
    EXPECT_EQ(excel.Calls()[0].args, (std::vector<std::string>{"String(\"CommandBars\")"}));
    EXPECT_EQ(excel.Calls()[1].member, "Application.CommandBars");
    EXPECT_EQ(excel.Calls()[1].kind, host::invoke::Method);
    EXPECT_TRUE(excel.Calls()[1].args.empty());

    const Variant byId =
        host::Call(*excel.Application(), host::excel::application::CommandBars,
                   host::invoke::PropertyGet, host::lcid::UserDefault, {}, "CommandBars");
    EXPECT_EQ(byId.ToObject().Get(), byName.Get());
    EXPECT_EQ(excel.CallCount("Application.CommandBars"), 2u);
    EXPECT_EQ(excel.CallCount("Application.GetIDsOfNames"), 1u);
    EXPECT_EQ(byName.Get(), excel.Office().CommandBars().Get());

    // The collection answers its own interface and no other.
    EXPECT_TRUE(host::QueryAs<host::Dispatch>(byName.Get(), iid::CommandBars));
    EXPECT_FALSE(host::QueryAs<host::Dispatch>(byName.Get(), iid::CommandBar));
}

TEST(SimOfficeBars, TheCollectionIsUnreachableWhenTheNameLookupFails) {
    SimExcel excel;
    excel.FailMember("Application.GetIDsOfNames", base::hr::DispUnknownName);
    EXPECT_EQ(FailureOf([&] { BarsOf(excel); }), base::hr::DispUnknownName);
    EXPECT_EQ(excel.CallCount("Application.CommandBars"), 0u);
    excel.ClearFailures();
    excel.FailMember("Application.CommandBars");
    EXPECT_EQ(FailureOf([&] { BarsOf(excel); }), base::MakeHResult(0x800A03EC));
}

TEST(SimOfficeBars, OfficeStandsWithoutExcelOnTheCallLogItsHostHandsIt) {
    const auto log = std::make_shared<CallLog>();
    SimOffice simOffice(log, nullptr);
    const CommandBars bars(simOffice.CommandBars());
    EXPECT_EQ(bars.Count(), 5);
    EXPECT_EQ(log->CallCount("CommandBars.Count"), 1u);
    EXPECT_EQ(simOffice.CallCount("CommandBars.Count"), 1u);
    // A failure injected into the host's log reaches Office's objects as Office's exception.
    log->FailMember("CommandBars.Count", base::hr::DispException);
    EXPECT_EQ(FailureOf([&] { bars.Count(); }), base::hr::Fail);
}

} // namespace
} // namespace tarvex::sim
