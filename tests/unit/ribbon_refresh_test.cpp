// Pushing ribbon state to Office: which property changes invalidate what, and nothing
// before the ribbon is loaded. And a control's action: the pressed state, the click, one
// click at a time, and errors to the module's error handler.

#include <gtest/gtest.h>

#include "base/error.h"
#include "framework/module.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_tab.h"
#include "host/office/office.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/office/office.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_ribbon.h"

namespace tarvex::framework {
namespace {

using Invalidation = sim::SimOffice::RibbonInvalidation;
using Invalidations = std::vector<Invalidation>;

class RibbonRefresh : public ::testing::Test {
protected:
    void SetUp() override {
        desktop.SetMessageHandler([this](const sim::ShownMessage& message) {
            messages.push_back(message.text);
            return 1;
        });
    }

    /// Office has loaded the ribbon and handed over its IRibbonUI.
    void LoadRibbon() { module->SetRibbonUI(excel.Office().RibbonUI()); }
    Invalidations Calls() const { return excel.Office().RibbonInvalidations(); }
    static Invalidation Control(std::u16string id) { return {false, std::move(id)}; }
    static Invalidation Whole() { return {true, {}}; }

    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    std::vector<std::u16string> messages;
    std::unique_ptr<testing::RibbonTestModule> module =
        TadxCOMAddInModule::Create<testing::RibbonTestModule>(ModuleServices{desktop, registry});
    testing::AddinRibbon ribbon = testing::BuildAddinRibbon(*module);
};

TEST_F(RibbonRefresh, NothingIsAskedBeforeTheRibbonIsLoaded) {
    ribbon.track->SetPressed(true);
    ribbon.track->SetEnabled(false);
    ribbon.tab->SetKeyTip(u"M");
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(ribbon.track->Pressed());
    EXPECT_FALSE(ribbon.track->Enabled());
}

TEST_F(RibbonRefresh, ChangedStateInvalidatesTheControlByItsPlainId) {
    LoadRibbon();
    ribbon.track->SetPressed(true);
    ribbon.track->SetEnabled(false);
    ribbon.options->SetCaption(u"Settings...");
    EXPECT_EQ(Calls(),
              (Invalidations{Control(u"adxRibbonButton9C9DCA2AF7744E69B967F61693760765"),
                             Control(u"adxRibbonButton9C9DCA2AF7744E69B967F61693760765"),
                             Control(u"adxRibbonButton9419ACA640D14F749D202A6874DAE101")}));
}

TEST_F(RibbonRefresh, SettingTheCurrentValueAsksNothing) {
    LoadRibbon();
    ribbon.track->SetPressed(false);
    ribbon.track->SetEnabled(true);
    ribbon.options->SetCaption(u"Options...");
    ribbon.options->SetGlyph(testing::TestGlyph(16));
    ribbon.help->SetKeyTip(u"");
    ribbon.track->SetInsertAfterId(u"");
    EXPECT_TRUE(Calls().empty());
}

TEST_F(RibbonRefresh, ControlStandingForABuiltInOneInvalidatesTheWholeRibbon) {
    TadxRibbonButton& paste = ribbon.group->Controls().Add<TadxRibbonButton>();
    paste.SetIdMso(u"Paste");
    LoadRibbon();
    paste.SetCaption(u"Paste here");
    EXPECT_EQ(Calls(), Invalidations{Whole()});
}

TEST_F(RibbonRefresh, TabRefreshesOnlyForItsKeyTip) {
    LoadRibbon();
    ribbon.tab->SetCaption(u"Other");
    ribbon.tab->SetVisible(false);
    ribbon.tab->SetInsertAfterIdMso(u"TabHome");
    EXPECT_TRUE(Calls().empty());
    // The add-in's tab stands for the built-in "TabAddIns".
    ribbon.tab->SetKeyTip(u"MV");
    EXPECT_EQ(Calls(), Invalidations{Whole()});
    ribbon.tab->SetIdMso(u"");
    ribbon.tab->SetKeyTip(u"MO");
    EXPECT_EQ(Calls(), (Invalidations{Whole(), Control(ribbon.tab->Id())}));
}

TEST_F(RibbonRefresh, EveryCallbackStateRefreshes) {
    LoadRibbon();
    TadxRibbonButton& b = *ribbon.options;
    b.SetDescription(u"d");
    b.SetImageIndex(0);
    b.SetImageMso(u"HappyFace");
    b.SetScreenTip(u"s");
    b.SetSuperTip(u"t");
    b.SetShowCaption(false);
    b.SetSize(TadxRibbonXControlSize::csLarge);
    b.SetText(u"x");
    b.SetSelectedItemId(u"i");
    b.SetSelectedItemIndex(2);
    b.SetTitle(u"T");
    b.SetVisible(false);
    b.SetKeyTip(u"O");
    b.SetInsertBeforeIdMso(u"Paste");
    b.SetGlyph(testing::TestGlyph(16, 0x123456));
    EXPECT_EQ(Calls().size(), 15u);
    // Not shown through a callback: no call.
    b.SetTag(7);
    b.SetToggleButton(true);
    EXPECT_EQ(Calls().size(), 15u);
}

TEST_F(RibbonRefresh, OfficeFailurePassesToTheCaller) {
    LoadRibbon();
    excel.FailMember("IRibbonUI.InvalidateControl");
    EXPECT_THROW(ribbon.track->SetPressed(true), base::Error);
    EXPECT_TRUE(ribbon.track->Pressed()); // stored before Office was asked
}

using RibbonAction = RibbonRefresh;

TEST_F(RibbonAction, ButtonStoresPressedWithoutAskingOfficeThenClicks) {
    LoadRibbon();
    std::vector<std::pair<TComponent*, std::u16string>> clicks;
    ribbon.track->OnClick = [&](TComponent& sender, const host::office::RibbonControl& control) {
        clicks.emplace_back(&sender, control.Id());
    };
    TadxRibbonActionArguments arguments;
    arguments.control =
        host::office::RibbonControl(excel.Office().MakeRibbonControl(ribbon.track->Id()));
    arguments.pressed = true;
    ribbon.track->DoAction(arguments);
    EXPECT_TRUE(ribbon.track->Pressed());
    EXPECT_TRUE(Calls().empty());
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].first, ribbon.track);
    EXPECT_EQ(clicks[0].second, ribbon.track->Id());

    arguments.pressed = false;
    ribbon.track->DoAction(arguments);
    EXPECT_FALSE(ribbon.track->Pressed());
    EXPECT_EQ(clicks.size(), 2u);
}

TEST_F(RibbonAction, ClickWhileTheSameControlsHandlerRunsIsDropped) {
    int clicks = 0;
    int optionsClicks = 0;
    ribbon.options->OnClick = [&](TComponent&, const host::office::RibbonControl&) {
        ++optionsClicks;
    };
    ribbon.launcher->OnClick = [&](TComponent&, const host::office::RibbonControl&) {
        ++clicks;
        // Office delivers more clicks while the options dialog is up.
        ribbon.launcher->DoAction({});
        ribbon.options->DoAction({});
    };
    ribbon.launcher->DoAction({});
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(optionsClicks, 1);
    ribbon.launcher->DoAction({});
    EXPECT_EQ(clicks, 2);
}

TEST_F(RibbonAction, HandlerErrorGoesToTheModuleAndTheControlStaysUsable) {
    int clicks = 0;
    ribbon.options->OnClick = [&](TComponent&, const host::office::RibbonControl&) {
        ++clicks;
        throw base::Error(base::hr::Fail, "Options are locked");
    };
    EXPECT_NO_THROW(ribbon.options->DoAction({}));
    EXPECT_NO_THROW(ribbon.options->DoAction({}));
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(messages,
              (std::vector<std::u16string>{
                  u"Tarvex error: the add-in has fired an exception.\r\nOptions are locked",
                  u"Tarvex error: the add-in has fired an exception.\r\nOptions are locked"}));
}

TEST_F(RibbonAction, NoHandlerMeansNoClick) {
    TadxRibbonActionArguments arguments;
    arguments.pressed = true;
    ribbon.track->DoAction(arguments);
    EXPECT_TRUE(ribbon.track->Pressed());
    EXPECT_TRUE(messages.empty());
}

} // namespace
} // namespace tarvex::framework
