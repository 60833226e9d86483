// The add-in's own command bar built through the frame, as the user sees it in Office: its
// buttons, the Help menu, the faces, the clicks, and its removal when the add-in is unloaded.

#include <gtest/gtest.h>

#include "framework/command_bar_records.h"
#include "tests/unit/command_bar_support.h"

namespace tarvex::framework::testing {
namespace {

constexpr std::uint32_t kBackground = 0xD4D0C8;

const std::vector<std::u16string> kHelpItems{u"Request support online",
                                             u"Request support via e-mail",
                                             u"Anonymous feedback",
                                             u"Tell a friend/colleague",
                                             u"Subscribe to news",
                                             u"Suggest new feature",
                                             u"Help"};

class AddinBar : public CommandBarTest {
protected:
    void Design() {
        bar = &AddBar(u"Tarvex");
        bar->SetPosition(TadxMsoBarPosition::adxMsoBarTop);
        bar->SetUseForRibbon(true);

        track = &bar->Controls().Add<TadxCommandBarButton>();
        track->SetBeginGroup(true);
        track->SetCaption(u"Track");
        track->SetDescriptionText(u"Track");
        track->SetTooltipText(u"Track");
        track->SetStyle(TadxMsoButtonStyle::adxMsoButtonIconAndCaption);
        track->SetGlyph(trackGlyph);
        track->SetOfficeTag(u"{15371C52-2B93-42C6-B57E-437CC0670502}");
        track->OnClick = [this](TadxCommandBarButton&) { clicks.push_back(u"Track"); };

        options = &bar->Controls().Add<TadxCommandBarButton>();
        options->SetCaption(u"Options...");
        options->SetDescriptionText(u"Options");
        options->SetTooltipText(u"Options");
        options->SetStyle(TadxMsoButtonStyle::adxMsoButtonIconAndCaption);
        options->SetGlyph(optionsGlyph);
        options->OnClick = [this](TadxCommandBarButton&) { clicks.push_back(u"Options"); };

        help = &bar->Controls().Add<TadxCommandBarPopup>();
        help->SetBeginGroup(true);
        help->SetCaption(u"Help");
        for (std::size_t i = 0; i < kHelpItems.size(); ++i) {
            auto& item = help->Controls().Add<TadxCommandBarButton>();
            item.SetCaption(kHelpItems[i]);
            item.SetBeginGroup(i == 2 || i == 5 || i == 6);
            if (i == 1 || i == 6) {
                item.SetGlyph(i == 1 ? mailGlyph : helpGlyph);
                item.SetGlyphTransparentColor(kMagenta);
            }
            item.OnClick = [this, caption = kHelpItems[i]](TadxCommandBarButton&) {
                clicks.push_back(caption);
            };
        }
    }

    TadxCommandBar* bar = nullptr;
    TadxCommandBarButton* track = nullptr;
    TadxCommandBarButton* options = nullptr;
    TadxCommandBarPopup* help = nullptr;
    base::Bitmap trackGlyph = MakeGlyph(0x008000);
    base::Bitmap optionsGlyph = MakeGlyph(0x0000FF);
    base::Bitmap mailGlyph = MakeGlyph(0xFFFF00);
    base::Bitmap helpGlyph = MakeGlyph(0x00FFFF);
    std::vector<std::u16string> clicks;
};

TEST_F(AddinBar, ShowsTheButtonsAndTheHelpMenuInOrder) {
    Design();
    Connect();
    module->CreateCommandBars();
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : "first: error box");

    const auto handle = excel.Office().FindBar(u"Tarvex");
    ASSERT_TRUE(handle);
    const sim::CommandBarData data = excel.Office().Bar(*handle);
    EXPECT_EQ(data.position, 1) << "docked at the top";
    EXPECT_TRUE(data.visible);
    EXPECT_TRUE(data.enabled);
    EXPECT_TRUE(data.temporary);
    EXPECT_EQ(data.protection, 0);
    EXPECT_TRUE(bar->IsLinked());

    const auto controls = excel.Office().Controls(*handle);
    ASSERT_EQ(controls.size(), 3u);
    const auto shown = OfficeControls(*handle);
    EXPECT_EQ(shown[0].caption, u"Track");
    EXPECT_EQ(shown[0].type, 1);
    EXPECT_TRUE(shown[0].beginGroup);
    EXPECT_EQ(shown[0].style, 3) << "icon and caption";
    EXPECT_EQ(shown[0].tooltipText, u"Track");
    EXPECT_EQ(shown[0].descriptionText, u"Track");
    EXPECT_EQ(shown[0].tag, u"{15371C52-2B93-42C6-B57E-437CC0670502}");
    EXPECT_EQ(shown[0].state, 0);
    EXPECT_TRUE(shown[0].temporary);
    EXPECT_EQ(shown[1].caption, u"Options...");
    EXPECT_FALSE(shown[1].beginGroup);
    EXPECT_EQ(shown[1].tag, options->OfficeTag());
    EXPECT_EQ(shown[2].caption, u"Help");
    EXPECT_EQ(shown[2].type, 10);
    EXPECT_TRUE(shown[2].beginGroup);

    const auto menu = excel.Office().PopupBar(controls[2]);
    ASSERT_TRUE(menu);
    const auto items = OfficeControls(*menu);
    ASSERT_EQ(items.size(), kHelpItems.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].caption, kHelpItems[i]);
        EXPECT_EQ(items[i].beginGroup, i == 2 || i == 5 || i == 6) << i;
        EXPECT_EQ(items[i].style, 0) << "default style";
        EXPECT_EQ(items[i].tag, help->Controls()[i].OfficeTag());
        EXPECT_TRUE(items[i].temporary);
    }
}

TEST_F(AddinBar, GlyphsShowWithTheirTransparentPixelsOpen) {
    Design();
    Connect();
    module->CreateCommandBars();
    const auto trackFace = excel.Office().ShownFace(OfficeControl(track->OfficeTag()), kBackground);
    ASSERT_TRUE(trackFace);
    EXPECT_EQ(*trackFace, SeenOn(trackGlyph, kBackground));
    const auto data = excel.Office().Control(OfficeControl(track->OfficeTag()));
    EXPECT_EQ(data.face.source, sim::ButtonFace::Source::Picture);

    const auto& helpItem = help->Controls()[6];
    const auto helpFace =
        excel.Office().ShownFace(OfficeControl(helpItem.OfficeTag()), kBackground);
    ASSERT_TRUE(helpFace);
    EXPECT_EQ(*helpFace, SeenOn(helpGlyph, kBackground));
    EXPECT_FALSE(
        excel.Office().ShownFace(OfficeControl(help->Controls()[0].OfficeTag()), kBackground))
        << "a button without a glyph has no face";
}

TEST_F(AddinBar, ClicksReachTheirHandlersAndASecondClickDuringTheFirstIsIgnored) {
    Design();
    Connect();
    module->CreateCommandBars();
    int inner = 0;
    track->OnClick = [&](TadxCommandBarButton& sender) {
        EXPECT_EQ(&sender, track);
        clicks.push_back(u"Track");
        // The user clicks again while the first click's dialog is still up.
        if (++inner == 1)
            excel.Office().Click(OfficeControl(track->OfficeTag()));
    };
    excel.Office().Click(OfficeControl(track->OfficeTag()));
    excel.Office().Click(OfficeControl(help->Controls()[4].OfficeTag()));
    EXPECT_EQ(clicks, (std::vector<std::u16string>{u"Track", u"Subscribe to news"}));
    excel.Office().Click(OfficeControl(track->OfficeTag()));
    EXPECT_EQ(clicks.size(), 3u) << "the guard is released after the handler";
}

TEST_F(AddinBar, StateDownPressesTheButtonAndReadsBack) {
    Design();
    Connect();
    module->CreateCommandBars();
    excel.Office().ClearCalls();
    track->SetState(TadxMsoButtonState::adxMsoButtonDown);
    EXPECT_EQ(excel.Office().Control(OfficeControl(track->OfficeTag())).state, -1);
    EXPECT_EQ(track->State(), TadxMsoButtonState::adxMsoButtonDown);
    track->SetState(TadxMsoButtonState::adxMsoButtonUp);
    EXPECT_EQ(excel.Office().Control(OfficeControl(track->OfficeTag())).state, 0);
    track->SetEnabled(false);
    EXPECT_FALSE(excel.Office().Control(OfficeControl(track->OfficeTag())).enabled);
}

TEST_F(AddinBar, BuiltOnTheRibbonOnlyForUseForRibbon) {
    Design();
    Connect(u"12.0");
    ASSERT_TRUE(module->IsRibbonHost());
    bar->SetUseForRibbon(false);
    module->CreateCommandBars();
    EXPECT_FALSE(excel.Office().FindBar(u"Tarvex"));
    bar->SetUseForRibbon(true);
    module->CreateCommandBars();
    ASSERT_TRUE(excel.Office().FindBar(u"Tarvex"));
    bar->SetVisible(false);
    EXPECT_FALSE(excel.Office().Bar(*excel.Office().FindBar(u"Tarvex")).visible);
}

TEST_F(AddinBar, UnloadingRemovesTheBarItsControlsAndTheRecords) {
    Design();
    Connect();
    module->CreateCommandBars();
    WriteRecord(*module, record_key::Controls, u"{OLD}", 1);
    const std::size_t before = excel.Office().Bars().size();
    RemoveCommandBars(*module);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(excel.Office().FindBar(u"Tarvex"));
    EXPECT_EQ(excel.Office().Bars().size(), before - 1);
    EXPECT_TRUE(
        excel.Office().FindControls(std::nullopt, std::nullopt, track->OfficeTag()).empty());
    EXPECT_FALSE(bar->IsLinked());
    EXPECT_FALSE(track->IsLinked());
    EXPECT_FALSE(help->Controls()[3].IsLinked());
    EXPECT_EQ(track->EventSink(), nullptr);
    EXPECT_FALSE(RecordNames(*module, record_key::Controls)) << "the subkey is gone";
}

TEST_F(AddinBar, AFailureOnOneBarIsReportedAndTheNextBarIsStillBuilt) {
    Design();
    auto& second = AddBar(u"Second");
    second.Controls().Add<TadxCommandBarButton>().SetCaption(u"Two");
    Connect();
    excel.Office().FailCall(1, base::hr::DispException);
    module->CreateCommandBars();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(excel.Office().FindBar(u"Second"));
}

} // namespace
} // namespace tarvex::framework::testing
