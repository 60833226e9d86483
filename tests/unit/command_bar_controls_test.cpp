// Command bar controls: finding a control again, placing a new one, deleting pop-ups, and
// painting glyphs through pictures or through the clipboard without losing what the user
// had on the clipboard.

#include <gtest/gtest.h>

#include "base/error.h"
#include "framework/command_bar_glyph.h"
#include "host/clipboard.h"
#include "host/office/office.h"
#include "tests/unit/command_bar_support.h"

namespace tarvex::framework::testing {
namespace {

namespace office = host::office;
namespace cf = host::clipboard_format;

constexpr std::int32_t kCopyId = 2520; // a built-in "New" button
constexpr std::uint32_t kPrivateFormat = 0x0200;

using CommandBarControls = CommandBarTest;

TEST_F(CommandBarControls, ATemporaryButtonWhoseTagIsOnAnotherBarIsLinkedToIt) {
    Connect();
    const auto standard = excel.Office().FindBar(u"Standard");
    office::CommandBar(excel.Office().ObjectOf(*standard))
        .Controls()
        .Add(1, std::nullopt, std::nullopt, std::nullopt, true)
        .SetTag(u"{LEFT-BY-A-CRASH}");
    auto& bar = AddBar(u"Tarvex");
    auto& button = bar.Controls().Add<TadxCommandBarButton>();
    button.SetOfficeTag(u"{LEFT-BY-A-CRASH}");
    button.SetCaption(u"Track");
    bar.CreateCommandBar();
    const auto handle = OfficeControl(u"{LEFT-BY-A-CRASH}");
    EXPECT_EQ(excel.Office().BarOf(handle), *standard);
    EXPECT_EQ(excel.Office().Control(handle).caption, u"Track");
    EXPECT_TRUE(excel.Office().Controls(*excel.Office().FindBar(u"Tarvex")).empty());
}

TEST_F(CommandBarControls, NewControlsArePlacedByBeforeBeforeIdAndAfterId) {
    Connect();
    auto& bar = AddBar(u"Tarvex");
    auto& first = bar.Controls().Add<TadxCommandBarButton>();
    first.SetCaption(u"A");
    auto& copy = bar.Controls().Add<TadxCommandBarControl>();
    copy.SetOfficeID(kCopyId);
    copy.SetCaption(u"New copy");
    auto& before = bar.Controls().Add<TadxCommandBarButton>();
    before.SetCaption(u"BeforeNew");
    before.SetBeforeID(kCopyId);
    auto& after = bar.Controls().Add<TadxCommandBarButton>();
    after.SetCaption(u"AfterNew");
    after.SetAfterID(kCopyId);
    auto& front = bar.Controls().Add<TadxCommandBarButton>();
    front.SetCaption(u"Front");
    front.SetBefore(1);
    bar.CreateCommandBar();
    std::vector<std::u16string> captions;
    for (const auto& control : OfficeControls(*excel.Office().FindBar(u"Tarvex")))
        captions.push_back(control.caption);
    EXPECT_EQ(captions, (std::vector<std::u16string>{u"Front", u"A", u"BeforeNew", u"New copy",
                                                     u"AfterNew"}));
    EXPECT_TRUE(copy.IsLinked());
    EXPECT_EQ(copy.Link().Id(), kCopyId);
}

TEST_F(CommandBarControls, APopupLosesItsChildrenFirstAndGoesOnlyWhenEmpty) {
    Connect();
    auto& bar = AddBar(u"Tarvex");
    auto& popup = bar.Controls().Add<TadxCommandBarPopup>();
    popup.SetCaption(u"Help");
    auto& one = popup.Controls().Add<TadxCommandBarButton>();
    auto& two = popup.Controls().Add<TadxCommandBarButton>();
    bar.CreateCommandBar();
    const auto popupHandle = OfficeControl(popup.OfficeTag());
    const auto menu = *excel.Office().PopupBar(popupHandle);
    ASSERT_EQ(excel.Office().Controls(menu).size(), 2u);
    office::CommandBar(excel.Office().ObjectOf(menu))
        .Controls()
        .Add(1, std::nullopt, std::nullopt, std::nullopt, true)
        .SetTag(u"{SOMEONE-ELSE}");

    popup.DeleteControl(false);
    EXPECT_TRUE(excel.Office().Exists(popupHandle)) << "another's control keeps the pop-up";
    EXPECT_EQ(excel.Office().Controls(menu).size(), 1u);
    EXPECT_FALSE(popup.IsLinked());
    EXPECT_FALSE(one.IsLinked());
    EXPECT_FALSE(two.IsLinked());

    office::CommandBarControl(excel.Office().ObjectOf(excel.Office().Controls(menu)[0]))
        .Delete(false);
    popup.LinkForRemoval(office::CommandBarControl(excel.Office().ObjectOf(popupHandle)));
    popup.DeleteControl(false);
    EXPECT_FALSE(excel.Office().Exists(popupHandle)) << "empty, it goes";
}

TEST_F(CommandBarControls, AClickHandlersExceptionIsReported) {
    Connect();
    auto& bar = AddBar(u"Tarvex");
    auto& button = bar.Controls().Add<TadxCommandBarButton>();
    button.OnClick = [](TadxCommandBarButton&) { throw base::Error(base::hr::Fail, "broken"); };
    bar.CreateCommandBar();
    excel.Office().Click(OfficeControl(button.OfficeTag()));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], u"Tarvex error: the add-in has fired an exception.\r\nbroken");
}

class ButtonFaces : public CommandBarTest {
protected:
    /// The user's clipboard: text, a private memory format, and GDI data of several kinds.
    void FillClipboard() {
        auto& clipboard = desktop.Clipboard();
        clipboard.PutText(u"user's text");
        clipboard.PutMemory(kPrivateFormat, {1, 2, 3, 4, 5});
        clipboard.PutGdiHandle(cf::Palette, 0x77);
        clipboard.PutGdiHandle(cf::GdiObjectFirst + 5, 0x78);
        clipboard.PutGdiHandle(cf::DisplayBitmap, 0x79);
    }

    void ExpectUserClipboardBack() {
        auto& clipboard = desktop.Clipboard();
        EXPECT_EQ(clipboard.Get(cf::UnicodeText), sim::SimClipboard::Data(userText));
        EXPECT_EQ(clipboard.Get(kPrivateFormat),
                  sim::SimClipboard::Data(std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
        EXPECT_TRUE(clipboard.GdiReadsAsMemory().empty()) << "no GDI handle read as memory";
        EXPECT_FALSE(clipboard.IsOpen());
    }

    TadxCommandBarButton& Button(const base::Bitmap& face) {
        auto& bar = AddBar(u"Tarvex");
        auto& button = bar.Controls().Add<TadxCommandBarButton>();
        button.SetGlyph(face);
        barUnderTest = &bar;
        return button;
    }

    std::vector<std::uint8_t> userText = [] {
        std::vector<std::uint8_t> bytes;
        for (char16_t c : std::u16string(u"user's text")) {
            bytes.push_back(static_cast<std::uint8_t>(c));
            bytes.push_back(0);
        }
        bytes.push_back(0);
        bytes.push_back(0);
        return bytes;
    }();
    base::Bitmap glyph = MakeGlyph(0x336699);
    TadxCommandBar* barUnderTest = nullptr;
};

TEST_F(ButtonFaces, Office2000TakesTheFaceFromTheClipboardAndTheUsersClipboardComesBack) {
    Connect(u"9.0");
    desktop.SetButtonFaceColor(0xC0C0C0);
    FillClipboard();
    auto& button = Button(glyph);
    barUnderTest->CreateCommandBar();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Calls("CommandBarControl.Picture"), 0u);
    const auto handle = OfficeControl(button.OfficeTag());
    EXPECT_EQ(excel.Office().Control(handle).face.source, sim::ButtonFace::Source::Clipboard);
    EXPECT_EQ(excel.Office().ShownFace(handle, 0), SeenOn(glyph, 0xC0C0C0))
        << "transparent pixels in the button-face colour";
    ExpectUserClipboardBack();
    button.SetGlyph(glyph);
    EXPECT_EQ(desktop.MessageWindowCaptions().size(), 1u) << "one window for every face";
}

TEST_F(ButtonFaces, ABusyClipboardLeavesFaceAndClipboardAlone) {
    Connect(u"9.0");
    FillClipboard();
    desktop.Clipboard().HoldElsewhere(1000);
    auto& button = Button(glyph);
    barUnderTest->CreateCommandBar();
    EXPECT_EQ(Calls("CommandBarControl.PasteFace"), 0u) << "pasting would show another's data";
    EXPECT_EQ(excel.Office().Control(OfficeControl(button.OfficeTag())).face.source,
              sim::ButtonFace::Source::None);
    desktop.Clipboard().HoldElsewhere(0);
    ExpectUserClipboardBack();
}

TEST_F(ButtonFaces, PasteFaceIsTriedElevenTimesThenReportedAndTheClipboardStillComesBack) {
    Connect(u"9.0");
    FillClipboard();
    excel.Office().FailMember("CommandBarControl.PasteFace");
    Button(glyph);
    barUnderTest->CreateCommandBar();
    EXPECT_EQ(Calls("CommandBarControl.PasteFace"), 11u);
    EXPECT_EQ(messages.size(), 1u);
    ExpectUserClipboardBack();
}

TEST_F(ButtonFaces, ThePictureWayFallsBackToTheClipboard) {
    Connect(u"11.0");
    excel.Office().FailMember("CommandBarControl.Mask");
    auto& button = Button(glyph);
    barUnderTest->CreateCommandBar();
    EXPECT_TRUE(messages.empty());
    const auto handle = OfficeControl(button.OfficeTag());
    EXPECT_EQ(excel.Office().Control(handle).face.source, sim::ButtonFace::Source::Clipboard);
}

TEST_F(ButtonFaces, TheTransparentColourIsTheBottomLeftPixelUnlessNamed) {
    Connect(u"11.0");
    base::Bitmap odd = glyph;
    odd.pixels[15 * 16] = 0x123456; // bottom-left
    auto& button = Button(odd);
    barUnderTest->CreateCommandBar();
    const auto handle = OfficeControl(button.OfficeTag());
    EXPECT_EQ(excel.Office().ShownFace(handle, 0xFFFFFF), SeenOn(odd, 0xFFFFFF, 0x123456));

    button.SetGlyphTransparentColor(kMagenta);
    button.SetGlyph(odd);
    EXPECT_EQ(excel.Office().ShownFace(handle, 0xFFFFFF), SeenOn(odd, 0xFFFFFF, kMagenta))
        << "a glyph assigned while linked is painted at once";
}

TEST(SaveClipboard, KeepsMemoryFormatsOnlyAndRestoresNothingWhenNothingWasSaved) {
    sim::SimDesktop desktop;
    auto& clipboard = desktop.Clipboard();
    clipboard.PutBitmap(MakeGlyph(0));
    clipboard.PutGdiHandle(cf::EnhancedMetafile, 3);
    clipboard.PutGdiHandle(cf::DisplayEnhancedMetafile, 4);
    clipboard.PutGdiHandle(cf::GdiObjectLast, 5);
    const auto window = desktop.CreateMessageWindow(u"Owner", u"", {});
    TSaveClipboard saved(desktop, window->Handle());
    saved.Save();
    EXPECT_TRUE(saved.Saved().empty());
    EXPECT_TRUE(clipboard.GdiReadsAsMemory().empty());
    saved.Restore();
    EXPECT_EQ(clipboard.Formats().size(), 4u) << "nothing saved, nothing emptied";

    clipboard.PutText(u"x");
    saved.Save();
    ASSERT_EQ(saved.Saved().size(), 1u);
    EXPECT_EQ(saved.Saved()[0].first, cf::UnicodeText);
    clipboard.PutBitmap(MakeGlyph(1));
    saved.Restore();
    EXPECT_EQ(clipboard.Formats(), std::vector<std::uint32_t>{cf::UnicodeText});
}

} // namespace
} // namespace tarvex::framework::testing

namespace tarvex::framework::testing {
namespace {

TEST(SaveClipboard, TheSimulatedClipboardCatchesGdiDataReadAsMemory) {
    // What an unguarded copy of every format would do: the simulated clipboard answers
    // nothing and records it, which is what the tests above rely on.
    sim::SimDesktop desktop;
    desktop.Clipboard().PutGdiHandle(cf::Palette, 0x77);
    const auto session = desktop.OpenClipboard(0);
    ASSERT_TRUE(session);
    EXPECT_FALSE(session->Data(cf::Palette));
    EXPECT_EQ(desktop.Clipboard().GdiReadsAsMemory(), std::vector<std::uint32_t>{cf::Palette});
}

} // namespace
} // namespace tarvex::framework::testing
