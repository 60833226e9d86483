#pragma once

// The add-in's ribbon as its module designs it (tab "Morvane", group "Tarvex", Track,
// Options..., the Help menu and the dialog box launcher), built on a test module, with the
// customUI document Office must receive for it.

#include <cstdint>
#include <string>
#include <utility>

#include "base/bitmap.h"
#include "framework/module.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_tab.h"

namespace tarvex::testing {

/// A module with only what the ribbon needs: a name and the add-in's ribbon namespace.
class RibbonTestModule : public framework::TadxCOMAddInModule {
    friend class framework::TadxCOMAddInModule;
    explicit RibbonTestModule(framework::ModuleServices services)
        : TadxCOMAddInModule(services) {}
    void LoadDesign() override {
        SetAddInName(u"Tarvex");
        SetNamespace(u"MorvaneSoftware.Addin");
    }
};

/// A size x size glyph whose bottom-left pixel is magenta (drawn transparent).
inline base::Bitmap TestGlyph(int size, std::uint32_t colour = 0x336699) {
    base::Bitmap glyph;
    glyph.width = size;
    glyph.height = size;
    glyph.pixels.assign(static_cast<std::size_t>(size) * size, colour);
    glyph.pixels[static_cast<std::size_t>(size) * (size - 1)] = 0xFF00FF;
    return glyph;
}

/// The controls of the add-in's tab, for tests that look at them.
struct AddinRibbon {
    framework::TadxRibbonTab* tab = nullptr;
    framework::TadxRibbonGroup* group = nullptr;
    framework::TadxRibbonButton* track = nullptr;
    framework::TadxRibbonButton* options = nullptr;
    framework::TadxRibbonMenu* help = nullptr;
    framework::TadxRibbonDialogBoxLauncher* launcher = nullptr;
};

/// Builds the add-in's tab on `module`.
inline AddinRibbon BuildAddinRibbon(framework::TadxCOMAddInModule& module) {
    using namespace framework;
    AddinRibbon ribbon;
    TadxRibbonTab& tab = module.CreateComponent<TadxRibbonTab>();
    tab.SetCaption(u"Morvane");
    tab.SetId(u"adxRibbonTabD516D97599B14AE59FE2C8AE22A5B3F2");
    tab.SetIdMso(u"TabAddIns");
    tab.SetRibbons({TadxRibbon::msrExcelWorkbook});
    tab.SetShared(true);
    ribbon.tab = &tab;

    TadxRibbonGroup& group = tab.Controls().Add<TadxRibbonGroup>();
    group.SetId(u"adxRibbonGroup80B49DA0A50245B7AB0790DB764228DF");
    group.SetCaption(u"Tarvex");
    ribbon.group = &group;

    TadxRibbonButton& track = group.Controls().Add<TadxRibbonButton>();
    track.SetId(u"adxRibbonButton9C9DCA2AF7744E69B967F61693760765");
    track.SetCaption(u"Track");
    track.SetToggleButton(true);
    track.SetSize(TadxRibbonXControlSize::csLarge);
    track.SetGlyph(TestGlyph(24));
    ribbon.track = &track;

    TadxRibbonButton& options = group.Controls().Add<TadxRibbonButton>();
    options.SetId(u"adxRibbonButton9419ACA640D14F749D202A6874DAE101");
    options.SetCaption(u"Options...");
    options.SetGlyph(TestGlyph(16));
    ribbon.options = &options;

    TadxRibbonMenu& help = group.Controls().Add<TadxRibbonMenu>();
    help.SetId(u"adxRibbonMenu11A5D5C2006343C498F0E816AEB072FE");
    help.SetCaption(u"Help");
    help.SetGlyph(TestGlyph(16));
    ribbon.help = &help;

    const auto item = [&help](std::u16string hex, std::u16string caption, bool picture) {
        TadxRibbonButton& button = help.Controls().Add<TadxRibbonButton>();
        button.SetId(u"adxRibbonButton" + hex);
        button.SetCaption(std::move(caption));
        if (picture)
            button.SetGlyph(TestGlyph(16));
    };
    const auto separator = [&help](std::u16string hex) {
        help.Controls().Add<TadxRibbonMenuSeparator>().SetId(u"adxRibbonMenuSeparator" + hex);
    };
    item(u"AFD569575DA949D0B170F41433C6E88A", u"Request support online", false);
    item(u"FC4BF924AD2F4E06BE980BB4A1CA838A", u"Request support via e-mail", true);
    separator(u"01FFCEB933B84E29B5B493DB7B4B8705");
    item(u"7738649336584FFA87E8D96F91279651", u"Anonymous feedback", false);
    item(u"DA5A79BC36764633BCFB698A45284FC1", u"Tell a friend/colleague", false);
    item(u"2750447C374942D6A1B278D3675B997B", u"Subscribe to news", false);
    separator(u"65D1B40C13FB47F388289D0AD2800DA7");
    item(u"24D8F8697DFC4364817AE5FC96078478", u"Suggest new feature", false);
    separator(u"36D5FEFB411242169FA168D14456250D");
    item(u"A61226C4EE9F4CF2B82F950E0887F959", u"Help", true);

    TadxRibbonDialogBoxLauncher& launcher = group.Controls().Add<TadxRibbonDialogBoxLauncher>();
    launcher.SetId(u"adxRibbonDialogBoxLauncher9D6FDDFA07BB44578B3CA1DCA32C52D7");
    ribbon.launcher = &launcher;
    return ribbon;
}

} // namespace tarvex::testing
