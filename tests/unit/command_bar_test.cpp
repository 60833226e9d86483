// The command bar itself: its owner, finding a bar again, which properties reach Office and
// when, the records of persistent bars and controls, and removal.

#include <gtest/gtest.h>

#include "framework/command_bar_records.h"
#include "framework/errors.h"
#include "host/office/office.h"
#include "tests/unit/command_bar_support.h"

namespace tarvex::framework::testing {
namespace {

namespace office = host::office;

/// The puts of `member` in the call log.
std::size_t Puts(const sim::SimOffice& simOffice, std::string_view member) {
    std::size_t count = 0;
    for (const auto& call : simOffice.Calls())
        if (call.member == member && (call.kind & host::invoke::PropertyPut))
            ++count;
    return count;
}

using CommandBarModel = CommandBarTest;

TEST_F(CommandBarModel, OnlyTheAddInModuleMayOwnABar) {
    try {
        TComponent other;
        other.CreateComponent<TadxCommandBar>();
        FAIL();
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), error_code::ModuleOwner);
        EXPECT_STREQ(error.what(),
                     "The TadxCommandBar class can not be contained in the TComponent class.");
    }
    try {
        TadxCommandBar orphan(nullptr);
        FAIL();
    } catch (const base::Error& error) {
        EXPECT_STREQ(error.what(),
                     "The TadxCommandBar class can not be contained in the nil class.");
    }
    auto& bar = AddBar(u"Tarvex");
    ASSERT_EQ(module->CommandBarList().size(), 1u);
    EXPECT_EQ(module->CommandBarList()[0], &bar);
    EXPECT_EQ(bar.LocalName(), u"Tarvex") << "the local name follows the first name";
    EXPECT_EQ(bar.Position(), TadxMsoBarPosition::adxMsoBarFloating);
    EXPECT_EQ(bar.CommandBarLeft(), -1);
    EXPECT_TRUE(bar.SupportedApps().Contains(TadxOfficeHostApp::ohaExcel));
}

TEST_F(CommandBarModel, AnEmptyNameIsRefusedAndChangesNothing) {
    auto& bar = AddBar(u"Tarvex");
    try {
        bar.SetCommandBarName(u"");
        FAIL();
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), error_code::EmptyProperty);
        EXPECT_STREQ(error.what(), "The CommandBarName property can not be empty.");
    }
    EXPECT_EQ(bar.CommandBarName(), u"Tarvex");
}

TEST_F(CommandBarModel, ABarLeftBehindIsReusedByNameOrLocalNameIgnoringCase) {
    Connect();
    office::CommandBars bars(excel.Office().CommandBars());
    bars.Add(u"TARVEX", 1, std::nullopt, true);
    const std::size_t count = excel.Office().Bars().size();
    auto& bar = AddBar(u"Tarvex");
    excel.Office().ClearCalls();
    bar.CreateCommandBar();
    EXPECT_EQ(Calls("CommandBars.Add"), 0u);
    EXPECT_EQ(excel.Office().Bars().size(), count);
    EXPECT_EQ(bar.Link().Name(), u"TARVEX");

    const auto formatting = excel.Office().FindBar(u"Formatting");
    excel.Office().SetNameLocal(*formatting, u"Format");
    auto& local = AddBar(u"format");
    local.CreateCommandBar();
    EXPECT_EQ(Calls("CommandBars.Add"), 0u);
    EXPECT_EQ(local.Link().Name(), u"Formatting");
    EXPECT_TRUE(messages.empty());
}

TEST_F(CommandBarModel, UnsetPlacementIsNotWrittenAndADisabledBarStaysHidden) {
    Connect();
    auto& bar = AddBar(u"Tarvex");
    bar.SetEnabled(false);
    bar.SetProtection(TadxMsoBarProtection::adxMsoBarNoMove);
    bar.CreateCommandBar();
    EXPECT_EQ(Calls("CommandBar.Left"), 0u);
    EXPECT_EQ(Calls("CommandBar.Top"), 0u);
    EXPECT_EQ(Calls("CommandBar.RowIndex"), 0u);
    EXPECT_EQ(Calls("CommandBar.Visible"), 0u);
    const auto data = excel.Office().Bar(*excel.Office().FindBar(u"Tarvex"));
    EXPECT_FALSE(data.enabled);
    EXPECT_FALSE(data.visible);
    EXPECT_EQ(data.protection, 4) << "no move is Office's flag 4";

    auto& placed = AddBar(u"Placed");
    placed.SetCommandBarLeft(40);
    placed.SetCommandBarTop(60);
    placed.CreateCommandBar();
    const auto placedData = excel.Office().Bar(*excel.Office().FindBar(u"Placed"));
    EXPECT_EQ(placedData.left, 40);
    EXPECT_EQ(placedData.top, 60);
    EXPECT_TRUE(placedData.visible);
}

TEST_F(CommandBarModel, ProtectionMapsToOfficeFlagsAndCombinationsReadAsNone) {
    EXPECT_EQ(ToOfficeProtection(TadxMsoBarProtection::adxMsoBarNoHorizontalDock), 64);
    Connect();
    auto& bar = AddBar(u"Tarvex");
    bar.CreateCommandBar();
    bar.Link().SetProtection(4 | 16);
    EXPECT_EQ(bar.Protection(), TadxMsoBarProtection::adxMsoBarNoProtection);
    bar.Link().SetProtection(16);
    EXPECT_EQ(bar.Protection(), TadxMsoBarProtection::adxMsoBarNoChangeDock);
}

TEST_F(CommandBarModel, SettingWhatOfficeShowsWritesNothing) {
    Connect();
    auto& bar = AddBar(u"Tarvex");
    bar.SetPosition(TadxMsoBarPosition::adxMsoBarTop);
    auto& button = bar.Controls().Add<TadxCommandBarButton>();
    button.SetCaption(u"Track");
    button.SetState(TadxMsoButtonState::adxMsoButtonDown);
    bar.CreateCommandBar();
    excel.Office().ClearCalls();

    bar.SetPosition(TadxMsoBarPosition::adxMsoBarTop);
    bar.SetVisible(true);
    button.SetCaption(u"Track");
    button.SetState(TadxMsoButtonState::adxMsoButtonDown);
    button.SetEnabled(true);
    EXPECT_EQ(Calls("CommandBar.Position"), 1u) << "read once";
    EXPECT_EQ(Puts(excel.Office(), "CommandBar.Position"), 0u);
    EXPECT_EQ(Puts(excel.Office(), "CommandBar.Visible"), 0u);
    EXPECT_EQ(Puts(excel.Office(), "CommandBarControl.Caption"), 0u);
    EXPECT_EQ(Puts(excel.Office(), "CommandBarControl.State"), 0u);
    EXPECT_EQ(Puts(excel.Office(), "CommandBarControl.Enabled"), 0u);

    button.SetCaption(u"Tracking");
    EXPECT_EQ(Puts(excel.Office(), "CommandBarControl.Caption"), 1u);
    EXPECT_EQ(excel.Office().Control(OfficeControl(button.OfficeTag())).caption, u"Tracking");
}

TEST_F(CommandBarModel, AFailingWriteIsReportedAndTheValueStaysStored) {
    Connect();
    auto& bar = AddBar(u"Tarvex");
    auto& button = bar.Controls().Add<TadxCommandBarButton>();
    bar.CreateCommandBar();
    excel.Office().FailMember("CommandBarControl.Caption");
    button.SetCaption(u"Track");
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(button.Caption(), u"Track") << "a failing read gives the stored value";
    EXPECT_EQ(messages.size(), 2u) << "and is reported";
    excel.Office().ClearFailures();
    button.Unlink();
    EXPECT_EQ(button.Caption(), u"Track");

    excel.Office().FailMember("CommandBarControl.ShortcutText");
    messages.clear();
    button.LinkForRemoval(
        office::CommandBarControl(excel.Office().ObjectOf(OfficeControl(button.OfficeTag()))));
    button.SetShortcutText(u"Ctrl+T");
    EXPECT_TRUE(messages.empty()) << "a refused shortcut text is ignored";
    EXPECT_EQ(button.ShortcutText(), u"Ctrl+T");
}

class PersistentItems : public CommandBarTest {
protected:
    /// A new module session with a persistent bar holding one persistent button.
    void Session(std::int32_t counter) {
        module.reset();
        module = TadxCOMAddInModule::Create<BarModule>(ModuleServices{desktop, registry});
        module->SetStartMode(start_mode::Normal);
        Connect();
        bar = &AddBar(u"Tools", false);
        bar->SetPosition(TadxMsoBarPosition::adxMsoBarTop);
        bar->SetPropertyChanged(counter);
        button = &bar->Controls().Add<TadxCommandBarButton>();
        button->SetOfficeTag(u"{PERSISTENT-BUTTON}");
        button->SetCaption(u"Go");
        button->SetPropertyChanged(counter);
        module->CreateCommandBars();
    }

    TadxCommandBar* bar = nullptr;
    TadxCommandBarButton* button = nullptr;
};

TEST_F(PersistentItems, AreRecordedWithTheirCounters) {
    Session(3);
    EXPECT_EQ(ReadRecord(*module, record_key::CommandBars, u"Tools"), 3);
    EXPECT_EQ(ReadRecord(*module, record_key::Controls, u"{PERSISTENT-BUTTON}"), 3);
    EXPECT_FALSE(excel.Office().Bar(*excel.Office().FindBar(u"Tools")).temporary);

    auto& temporary = AddBar(u"Passing", true);
    temporary.Controls().Add<TadxCommandBarButton>();
    temporary.CreateCommandBar();
    EXPECT_FALSE(ReadRecord(*module, record_key::CommandBars, u"Passing"));
}

TEST_F(PersistentItems, AControlTheUserDeletedIsNotBroughtBack) {
    Session(3);
    const auto handle = OfficeControl(u"{PERSISTENT-BUTTON}");
    office::CommandBarControl(excel.Office().ObjectOf(handle)).Delete(false);
    excel.Office().Restart();
    Session(3);
    EXPECT_TRUE(
        excel.Office().FindControls(std::nullopt, std::nullopt, u"{PERSISTENT-BUTTON}").empty());
    EXPECT_FALSE(button->IsLinked());

    excel.Office().Restart();
    Session(4);
    EXPECT_EQ(
        excel.Office().FindControls(std::nullopt, std::nullopt, u"{PERSISTENT-BUTTON}").size(), 1u)
        << "a changed definition brings it back";
}

TEST_F(PersistentItems, TheUsersPlacementOfAnInstalledBarIsKept) {
    Session(3);
    auto tools = excel.Office().FindBar(u"Tools");
    office::CommandBar(excel.Office().ObjectOf(*tools)).SetPosition(3);
    excel.Office().Restart();
    Session(3);
    tools = excel.Office().FindBar(u"Tools");
    EXPECT_EQ(excel.Office().Bar(*tools).position, 3) << "the user's bottom dock stays";
    EXPECT_EQ(excel.Office().Controls(*tools).size(), 1u) << "the button is found, not added";

    excel.Office().Restart();
    Session(4);
    EXPECT_EQ(excel.Office().Bar(*excel.Office().FindBar(u"Tools")).position, 1);
}

TEST_F(PersistentItems, AChangedDefinitionMovesTheControlBackToItsPlace) {
    Session(3);
    const auto tools = *excel.Office().FindBar(u"Tools");
    office::CommandBar(excel.Office().ObjectOf(tools))
        .Controls()
        .Add(1, std::nullopt, std::nullopt, 1, false)
        .SetTag(u"{IN-FRONT}");
    ASSERT_EQ(excel.Office().IndexOf(OfficeControl(u"{PERSISTENT-BUTTON}")), 2);
    excel.Office().Restart();
    Session(3);
    EXPECT_EQ(excel.Office().IndexOf(OfficeControl(u"{PERSISTENT-BUTTON}")), 2)
        << "an unchanged definition leaves the user's order";
    excel.Office().Restart();
    Session(4);
    EXPECT_EQ(excel.Office().IndexOf(OfficeControl(u"{PERSISTENT-BUTTON}")), 1);
    EXPECT_EQ(Calls("CommandBarControl.Move"), 1u);
}

TEST_F(PersistentItems, OrphanedControlsOfAnEarlierVersionAreDeletedWithTheirRecords) {
    Session(3);
    const auto tools = excel.Office().FindBar(u"Tools");
    office::CommandBar(excel.Office().ObjectOf(*tools))
        .Controls()
        .Add(1, std::nullopt, std::nullopt, std::nullopt, false)
        .SetTag(u"{OLD-BUTTON}");
    WriteRecord(*module, record_key::Controls, u"{OLD-BUTTON}", 1);
    excel.Office().Restart();
    Session(3);
    EXPECT_TRUE(excel.Office().FindControls(std::nullopt, std::nullopt, u"{OLD-BUTTON}").empty());
    EXPECT_FALSE(ReadRecord(*module, record_key::Controls, u"{OLD-BUTTON}"));
    EXPECT_EQ(ReadRecord(*module, record_key::Controls, u"{PERSISTENT-BUTTON}"), 3)
        << "a defined control keeps its record";
}

TEST_F(PersistentItems, AControlsKeyThatCannotBeOpenedIsLeftAloneAndStartUpSaysNothing) {
    Session(3);
    WriteRecord(*module, record_key::Controls, u"{OLD-BUTTON}", 1);
    excel.Office().Restart();
    registry.FailEvery(sim::RegistryOperation::OpenKey);
    Session(3);
    registry.ClearFailures();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ReadRecord(*module, record_key::Controls, u"{OLD-BUTTON}"), 1);
}

TEST_F(CommandBarModel, RemovalLeavesBuiltInBarsAndBarsHoldingOtherControls) {
    Connect();
    auto& standard = AddBar(u"Standard");
    auto& mine = standard.Controls().Add<TadxCommandBarButton>();
    auto& shared = AddBar(u"Shared");
    shared.Controls().Add<TadxCommandBarButton>();
    module->CreateCommandBars();
    const auto sharedHandle = excel.Office().FindBar(u"Shared");
    office::CommandBar(excel.Office().ObjectOf(*sharedHandle))
        .Controls()
        .Add(1, std::nullopt, std::nullopt, std::nullopt, true)
        .SetTag(u"{SOMEONE-ELSE}");
    const std::size_t standardControls =
        excel.Office().Controls(*excel.Office().FindBar(u"Standard")).size();

    RemoveCommandBars(*module);
    ASSERT_TRUE(excel.Office().FindBar(u"Standard"));
    EXPECT_EQ(excel.Office().Controls(*excel.Office().FindBar(u"Standard")).size(),
              standardControls - 1);
    EXPECT_TRUE(excel.Office().FindControls(std::nullopt, std::nullopt, mine.OfficeTag()).empty());
    ASSERT_TRUE(excel.Office().FindBar(u"Shared")) << "another's control keeps the bar";
    EXPECT_EQ(excel.Office().Controls(*excel.Office().FindBar(u"Shared")).size(), 1u);
    EXPECT_TRUE(messages.empty());
}

} // namespace
} // namespace tarvex::framework::testing
