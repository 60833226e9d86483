// The simulated Office's controls: adding them, FindControl, Move, Delete across a restart,
// the values Office refuses, and button faces.

#include <gtest/gtest.h>

#include "sim_office_support.h"

namespace tarvex::sim {
namespace {

using host::Variant;
using namespace host::office;
using testing::BarsOf;
using testing::FailureOf;

// A bar "Tarvex" with a button, a pop-up holding a button, and a second button.
struct TaggedBar {
    CommandBar bar;
    CommandBarControl track;
    CommandBarControl help;
    CommandBarControl helpItem;
    CommandBarControl options;
};

TaggedBar MakeTaggedBar(const SimExcel& excel) {
    TaggedBar made;
    made.bar = BarsOf(excel).Add(u"Tarvex", msoBarTop, std::nullopt, true);
    const CommandBarControls controls = made.bar.Controls();
    made.track = controls.Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, true);
    made.track.SetTag(u"{TRACK}");
    made.help = controls.Add(msoControlPopup, std::nullopt, std::nullopt, std::nullopt, true);
    made.help.SetTag(u"{HELP}");
    made.helpItem =
        made.help.Controls().Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, true);
    made.helpItem.SetTag(u"{HELP-ITEM}");
    made.options = controls.Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, true);
    made.options.SetTag(u"{OPTIONS}");
    return made;
}

TEST(SimOfficeControls, AddMakesControlsOfEachKindWhereAsked) {
    SimExcel excel;
    const CommandBar bar = BarsOf(excel).Add(u"Bar", msoBarTop, std::nullopt, true);
    const CommandBarControls controls = bar.Controls();
    const CommandBarControl button =
        controls.Add(std::nullopt, std::nullopt, u"param", std::nullopt, std::nullopt);
    const CommandBarControl combo =
        controls.Add(msoControlComboBox, std::nullopt, std::nullopt, std::nullopt, true);
    const CommandBarControl first =
        controls.Add(msoControlEdit, std::nullopt, std::nullopt, 1, true);
    EXPECT_EQ(controls.Count(), 3);
    EXPECT_EQ(first.Index(), 1);
    EXPECT_EQ(button.Index(), 2);
    EXPECT_EQ(combo.Index(), 3);
    EXPECT_EQ(button.Type(), msoControlButton); // the default type
    EXPECT_EQ(button.Id(), 1);
    EXPECT_FALSE(button.BuiltIn());
    EXPECT_EQ(button.Parameter(), u"param");
    EXPECT_EQ(controls.Item(3).Get(), combo.Get());

    // Each kind answers its own interface.
    EXPECT_TRUE(host::QueryAs<host::Dispatch>(button.Get(), iid::CommandBarButton));
    EXPECT_FALSE(host::QueryAs<host::Dispatch>(button.Get(), iid::CommandBarPopup));
    EXPECT_TRUE(host::QueryAs<host::Dispatch>(combo.Get(), iid::CommandBarComboBox));
    EXPECT_TRUE(host::QueryAs<host::Dispatch>(combo.Get(), iid::CommandBarControl));

    // Labels and split controls are Office's own; a place past the end does not exist.
    EXPECT_EQ(FailureOf([&] {
                  controls.Add(msoControlLabel, std::nullopt, std::nullopt, std::nullopt, true);
              }),
              base::hr::InvalidArg);
    EXPECT_EQ(
        FailureOf([&] { controls.Add(msoControlButton, std::nullopt, std::nullopt, 5, true); }),
        base::hr::InvalidArg);
    EXPECT_EQ(FailureOf([&] { controls.Item(4); }), base::hr::InvalidArg);
}

TEST(SimOfficeControls, AnIdAddsACopyOfTheBuiltInControl) {
    SimExcel excel;
    const CommandBar bar = BarsOf(excel).Add(u"Bar", msoBarTop, std::nullopt, true);
    // The type passed with an id is Office's to decide.
    const CommandBarControl copy =
        bar.Controls().Add(msoControlCustom, 19, std::nullopt, std::nullopt, true);
    EXPECT_EQ(copy.Id(), 19);
    EXPECT_TRUE(copy.BuiltIn());
    EXPECT_EQ(copy.Type(), msoControlButton);
    EXPECT_EQ(copy.Caption(), u"&Copy");
    EXPECT_EQ(copy.FaceId(), 19);

    // A built-in menu comes with copies of its contents, including nested menus.
    const CommandBarControl edit =
        bar.Controls().Add(msoControlPopup, 30003, std::nullopt, std::nullopt, true);
    EXPECT_EQ(edit.Type(), msoControlPopup);
    EXPECT_EQ(edit.Controls().Count(), 8);
    EXPECT_TRUE(bar.FindControl(std::nullopt, 1964, std::nullopt, std::nullopt, true));
    EXPECT_EQ(FailureOf([&] {
                  bar.Controls().Add(msoControlButton, 999999, std::nullopt, std::nullopt, true);
              }),
              base::hr::InvalidArg);
}

TEST(SimOfficeControls, ControlsAreFoundByCaptionWithoutAcceleratorMarks) {
    SimExcel excel;
    const CommandBarControls menus = BarsOf(excel).Item(u"Worksheet Menu Bar").Controls();
    auto itemNamed = [&](const char16_t* caption) {
        return CommandBarControl(host::Call(*menus.Object(), command_bar_controls::Item,
                                            host::invoke::PropertyGet, host::lcid::UserDefault,
                                            {Variant(caption)}, "Item")
                                     .ToObject());
    };
    const CommandBarControl tools = itemNamed(u"tools");
    ASSERT_TRUE(tools);
    EXPECT_EQ(tools.Index(), 6);
    EXPECT_EQ(itemNamed(u"&tools").Get(), tools.Get());
    EXPECT_EQ(FailureOf([&] { itemNamed(u"Tool"); }), base::hr::InvalidArg);
    EXPECT_EQ(tools.Caption(), u"&Tools");
    EXPECT_EQ(tools.Id(), 30007);
    EXPECT_EQ(tools.CommandBar().Name(), u"&Tools"); // a pop-up's bar is named after it
}

TEST(SimOfficeControls, FindControlByTagSearchesPopupsOnlyWhenRecursive) {
    SimExcel excel;
    const TaggedBar tarvex = MakeTaggedBar(excel);
    const CommandBar& bar = tarvex.bar;

    EXPECT_EQ(
        bar.FindControl(std::nullopt, std::nullopt, u"{TRACK}", std::nullopt, std::nullopt).Get(),
        tarvex.track.Get());
    EXPECT_FALSE(bar.FindControl(std::nullopt, std::nullopt, u"{HELP-ITEM}", std::nullopt, false));
    EXPECT_EQ(bar.FindControl(std::nullopt, std::nullopt, u"{HELP-ITEM}", std::nullopt, true).Get(),
              tarvex.helpItem.Get());
    // Type and tag must both match.
    EXPECT_FALSE(bar.FindControl(msoControlPopup, std::nullopt, u"{TRACK}", std::nullopt, true));
    EXPECT_EQ(
        bar.FindControl(msoControlPopup, std::nullopt, std::nullopt, std::nullopt, true).Get(),
        tarvex.help.Get());

    // Across all bars the search reaches into pop-ups.
    const CommandBars bars = BarsOf(excel);
    EXPECT_EQ(bars.FindControl(std::nullopt, std::nullopt, u"{HELP-ITEM}", std::nullopt).Get(),
              tarvex.helpItem.Get());
    EXPECT_FALSE(bars.FindControl(std::nullopt, std::nullopt, u"{help-item}", std::nullopt));
    // The Save command sits in the File menu before the Standard toolbar.
    const CommandBarControl save = bars.FindControl(std::nullopt, 3, std::nullopt, std::nullopt);
    EXPECT_EQ(save.Caption(), u"&Save");
    EXPECT_EQ(save.Index(), 4);
}

TEST(SimOfficeControls, FindControlByTagFindsTheFirstOfSeveralBars) {
    SimExcel excel;
    const CommandBars bars = BarsOf(excel);
    const CommandBar standard = bars.Item(u"Standard");
    const CommandBarControl onStandard =
        standard.Controls().Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, true);
    onStandard.SetTag(u"{SHARED}");
    const TaggedBar tarvex = MakeTaggedBar(excel);
    tarvex.options.SetTag(u"{SHARED}");

    EXPECT_EQ(bars.FindControl(msoControlButton, std::nullopt, u"{SHARED}", std::nullopt).Get(),
              onStandard.Get());
    EXPECT_EQ(
        tarvex.bar.FindControl(std::nullopt, std::nullopt, u"{SHARED}", std::nullopt, true).Get(),
        tarvex.options.Get());
}

TEST(SimOfficeControls, FindControlWithVisibleSkipsWhatTheUserCannotSee) {
    SimExcel excel;
    const TaggedBar tarvex = MakeTaggedBar(excel);
    const CommandBars bars = BarsOf(excel);
    // The bar itself is hidden: none of its controls counts as visible.
    EXPECT_FALSE(bars.FindControl(std::nullopt, std::nullopt, u"{TRACK}", true));
    tarvex.bar.SetVisible(true);
    EXPECT_TRUE(bars.FindControl(std::nullopt, std::nullopt, u"{TRACK}", true));
    tarvex.help.SetVisible(false);
    EXPECT_FALSE(bars.FindControl(std::nullopt, std::nullopt, u"{HELP-ITEM}", true));
    EXPECT_FALSE(tarvex.bar.FindControl(std::nullopt, std::nullopt, u"{HELP-ITEM}", true, true));
    EXPECT_TRUE(tarvex.bar.FindControl(std::nullopt, std::nullopt, u"{HELP-ITEM}", false, true));
}

TEST(SimOfficeControls, MoveCountsBeforeAsTheControlsStandBeforeTheMove) {
    SimExcel excel;
    const TaggedBar tarvex = MakeTaggedBar(excel); // track, help, options
    // Before 3 is in front of "options": track lands between help and options.
    tarvex.track.Move(nullptr, 3);
    EXPECT_EQ(tarvex.help.Index(), 1);
    EXPECT_EQ(tarvex.track.Index(), 2);
    EXPECT_EQ(tarvex.options.Index(), 3);
    tarvex.options.Move(nullptr, 1);
    EXPECT_EQ(tarvex.options.Index(), 1);
    tarvex.options.Move(nullptr, std::nullopt); // to the end
    EXPECT_EQ(tarvex.options.Index(), 3);
    tarvex.track.Move(nullptr, 2); // in front of itself: nothing changes
    EXPECT_EQ(tarvex.track.Index(), 2);

    // To another bar, and into a pop-up; a pop-up cannot go into itself.
    const CommandBar standard = BarsOf(excel).Item(u"Standard");
    const CommandBarControl moved = tarvex.options.Move(&standard, 1);
    EXPECT_EQ(moved.Get(), tarvex.options.Get());
    EXPECT_EQ(standard.Controls().Item(1).Get(), tarvex.options.Get());
    EXPECT_EQ(tarvex.bar.Controls().Count(), 2);
    const CommandBar helpBar = tarvex.help.CommandBar();
    tarvex.track.Move(&helpBar, std::nullopt);
    EXPECT_EQ(tarvex.help.Controls().Count(), 2);
    EXPECT_EQ(FailureOf([&] { tarvex.help.Move(&helpBar, std::nullopt); }), base::hr::Fail);
    EXPECT_EQ(FailureOf([&] { tarvex.help.Move(nullptr, 9); }), base::hr::InvalidArg);
}

TEST(SimOfficeControls, DeleteForTheSessionBringsAPersistentControlBackAfterRestart) {
    SimExcel excel;
    SimOffice& simOffice = excel.Office();
    const CommandBar bar = BarsOf(excel).Add(u"Mine", msoBarTop, std::nullopt, false);
    const CommandBarControls controls = bar.Controls();
    for (const char16_t* tag : {u"A", u"B", u"C", u"D"}) {
        controls.Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, false).SetTag(tag);
    }
    const CommandBarControl temporaryOne =
        controls.Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, true);
    temporaryOne.SetTag(u"T");

    controls.Item(2).Delete(true);  // B, for this session
    controls.Item(2).Delete(true);  // C, for this session
    controls.Item(2).Delete(false); // D, for good
    EXPECT_EQ(controls.Count(), 2);

    simOffice.Restart();
    const CommandBarControls after = BarsOf(excel).Item(u"Mine").Controls();
    ASSERT_EQ(after.Count(), 3);
    EXPECT_EQ(after.Item(1).Tag(), u"A");
    EXPECT_EQ(after.Item(2).Tag(), u"B");
    EXPECT_EQ(after.Item(3).Tag(), u"C");
    EXPECT_TRUE(simOffice.FindControls(std::nullopt, std::nullopt, u"D").empty());
    EXPECT_TRUE(simOffice.FindControls(std::nullopt, std::nullopt, u"T").empty());
}

TEST(SimOfficeControls, DeletingAPopupTakesItsContentsAlong) {
    SimExcel excel;
    const TaggedBar tarvex = MakeTaggedBar(excel);
    tarvex.help.Delete(std::nullopt);
    EXPECT_EQ(tarvex.bar.Controls().Count(), 2);
    EXPECT_FALSE(
        BarsOf(excel).FindControl(std::nullopt, std::nullopt, u"{HELP-ITEM}", std::nullopt));
    EXPECT_EQ(FailureOf([&] { tarvex.helpItem.Tag(); }), base::hr::Fail);
    EXPECT_EQ(FailureOf([&] { tarvex.help.Delete(false); }), base::hr::Fail);
}

TEST(SimOfficeControls, PropertiesKeepWhatIsWrittenAndRefuseOfficeInvalidValues) {
    SimExcel excel;
    const TaggedBar tarvex = MakeTaggedBar(excel);
    const CommandBarControl& track = tarvex.track;
    track.SetBeginGroup(true);
    track.SetCaption(u"Track");
    track.SetDescriptionText(u"Track entries");
    track.SetTooltipText(u"Track");
    track.SetEnabled(false);
    track.SetHeight(30);
    track.SetWidth(60);
    track.SetHelpContextId(7);
    track.SetHelpFile(u"C:\\x\\qorvel.chm");
    track.SetOnAction(u"!<Tarvex.AddIn>");
    track.SetPriority(1);
    track.SetShortcutText(u"Ctrl+T");
    track.SetHyperlinkType(msoCommandBarButtonHyperlinkOpen);
    track.SetState(msoButtonDown);
    track.SetStyle(msoButtonIconAndCaption);
    const CommandBarControlData data =
        excel.Office().Control(testing::TaggedControl(excel.Office(), u"{TRACK}"));
    EXPECT_TRUE(data.beginGroup);
    EXPECT_EQ(data.caption, u"Track");
    EXPECT_EQ(data.descriptionText, u"Track entries");
    EXPECT_FALSE(data.enabled);
    EXPECT_EQ(data.height, 30);
    EXPECT_EQ(data.width, 60);
    EXPECT_EQ(data.helpContextId, 7);
    EXPECT_EQ(data.helpFile, u"C:\\x\\qorvel.chm");
    EXPECT_EQ(data.onAction, u"!<Tarvex.AddIn>");
    EXPECT_EQ(data.shortcutText, u"Ctrl+T");
    EXPECT_EQ(data.state, -1);
    EXPECT_EQ(track.State(), msoButtonDown);
    EXPECT_EQ(track.Style(), msoButtonIconAndCaption);
    EXPECT_EQ(track.HyperlinkType(), msoCommandBarButtonHyperlinkOpen);

    EXPECT_EQ(FailureOf([&] { track.SetState(1); }), base::hr::InvalidArg);
    EXPECT_EQ(FailureOf([&] { track.SetStyle(4); }), base::hr::InvalidArg);
    EXPECT_EQ(FailureOf([&] { track.SetPriority(8); }), base::hr::InvalidArg);
    EXPECT_EQ(FailureOf([&] { track.SetWidth(-1); }), base::hr::InvalidArg);
    EXPECT_EQ(track.State(), msoButtonDown);
    // A pop-up has no button members.
    EXPECT_EQ(FailureOf([&] { tarvex.help.State(); }), base::hr::DispMemberNotFound);
    EXPECT_EQ(FailureOf([&] { tarvex.track.Controls(); }), base::hr::DispMemberNotFound);
}

TEST(SimOfficeControls, PicturesAndMasksArePutByReferenceAndRecorded) {
    SimExcel excel;
    const TaggedBar tarvex = MakeTaggedBar(excel);
    const auto picture = host::MakeRef<tarvex::testing::RecordingDispatch>();
    const auto mask = host::MakeRef<tarvex::testing::RecordingDispatch>();
    tarvex.track.SetPicture(picture);
    tarvex.track.SetMask(mask);
    EXPECT_EQ(tarvex.track.Picture().Get(), picture.Get());
    EXPECT_EQ(tarvex.track.Mask().Get(), mask.Get());
    const auto handle = testing::TaggedControl(excel.Office(), u"{TRACK}");
    ButtonFace face = excel.Office().Control(handle).face;
    EXPECT_EQ(face.source, ButtonFace::Source::Picture);
    EXPECT_EQ(face.picture.Get(), picture.Get());
    EXPECT_EQ(face.mask.Get(), mask.Get());
    EXPECT_EQ(FailureOf([&] { tarvex.track.SetPicture(nullptr); }), base::hr::InvalidArg);

    tarvex.track.SetFaceId(59);
    face = excel.Office().Control(handle).face;
    EXPECT_EQ(face.source, ButtonFace::Source::FaceId);
    EXPECT_FALSE(face.picture);
    EXPECT_FALSE(tarvex.track.Picture());
}

TEST(SimOfficeControls, PasteFaceTakesTheClipboardBitmap) {
    SimExcel excel;
    SimOffice& simOffice = excel.Office();
    const TaggedBar tarvex = MakeTaggedBar(excel);
    EXPECT_EQ(FailureOf([&] { tarvex.track.PasteFace(); }), base::hr::Fail); // nothing there

    const SimBitmap bitmap{2, 1, {0xFF00FF, 0x123456}};
    simOffice.SetClipboard(bitmap);
    tarvex.track.PasteFace();
    const ButtonFace face = simOffice.Control(testing::TaggedControl(simOffice, u"{TRACK}")).face;
    EXPECT_EQ(face.source, ButtonFace::Source::Clipboard);
    EXPECT_EQ(face.pasted, bitmap);
    EXPECT_EQ(simOffice.Clipboard(), bitmap); // pasting leaves the clipboard as it was
    EXPECT_THROW(simOffice.SetClipboard(SimBitmap{2, 2, {1}}), base::Error);
}

TEST(SimOfficeControls, Office2000ButtonsHaveNoPicture) {
    SimExcel excel;
    excel.SetVersion(u"9.0");
    const TaggedBar tarvex = MakeTaggedBar(excel);
    const auto picture = host::MakeRef<tarvex::testing::RecordingDispatch>();
    EXPECT_EQ(FailureOf([&] { tarvex.track.Picture(); }), base::hr::DispMemberNotFound);
    EXPECT_EQ(FailureOf([&] { tarvex.track.SetPicture(picture); }), base::hr::DispMemberNotFound);
    EXPECT_EQ(FailureOf([&] { tarvex.track.SetMask(picture); }), base::hr::DispMemberNotFound);
    const std::u16string name = u"Picture";
    host::DispId id = 0;
    EXPECT_EQ(tarvex.track.Get()->GetIDsOfNames(host::iid::Null, {&name, 1}, 0, {&id, 1}),
              base::hr::DispUnknownName);
    // The clipboard way still works there.
    excel.Office().SetClipboard(SimBitmap{1, 1, {0}});
    tarvex.track.PasteFace();

    excel.SetVersion(u"10.0");
    tarvex.track.SetPicture(picture);
    EXPECT_EQ(tarvex.track.Picture().Get(), picture.Get());
}

} // namespace
} // namespace tarvex::sim
