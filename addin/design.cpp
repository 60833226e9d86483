// The module's design: its properties, its three components (the command bar for Excel 2003
// and earlier, the Excel application events, the ribbon tab for Excel 2007 and later) and
// how their events reach the module. Everything a user sees of the add-in is in the tables
// below; LoadDesign turns them into components.

#include <optional>
#include <string_view>

#include "addin/module.h"
#include "framework/command_bar.h"
#include "framework/command_bar_button.h"
#include "framework/command_bar_popup.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_tab.h"

namespace tarvex::addin {

namespace {

using namespace framework;

constexpr std::uint32_t kFuchsia = 0xFF00FF;

/// A button of the command bar or of its Help popup.
struct BarButtonDesign {
    std::u16string_view caption;
    bool beginGroup;
    std::optional<GlyphId> glyph;
    /// Whether the glyph's fuchsia pixels are named transparent (otherwise the bottom-left
    /// pixel decides, which is fuchsia too).
    bool fuchsiaTransparent;
    /// Description and tooltip; empty: none.
    std::u16string_view tip;
    std::u16string_view officeTag;
    Command command;
};

constexpr BarButtonDesign kBarButtons[] = {
    {u"Track", true, GlyphId::Track16, false, u"Track", u"{15371C52-2B93-42C6-B57E-437CC0670502}",
     Command::Track},
    {u"Options...", false, GlyphId::Options16, false, u"Options",
     u"{D8385DF2-8284-4217-BEF8-3C9F73036A20}", Command::Options},
};

constexpr std::u16string_view kHelpPopupTag = u"{2BBF4EA2-AE21-4576-BCEA-3C3C157A6E73}";

constexpr BarButtonDesign kHelpPopupButtons[] = {
    {u"Request support online",
     false,
     std::nullopt,
     false,
     {},
     u"{07A35AD8-886C-4483-8BFB-F0806396BE23}",
     Command::RequestSupportOnline},
    {u"Request support via e-mail",
     false,
     GlyphId::Email16,
     true,
     {},
     u"{881BCF4A-75EE-466A-8FEF-29A355DC0778}",
     Command::RequestSupportViaEmail},
    {u"Anonymous feedback",
     true,
     std::nullopt,
     false,
     {},
     u"{D00C654A-C63A-404C-8876-05126D34AD35}",
     Command::AnonymousFeedback},
    {u"Tell a friend/colleague",
     false,
     std::nullopt,
     false,
     {},
     u"{99AA10FD-2763-4779-AF01-9FCB0385C7BB}",
     Command::TellAFriend},
    {u"Subscribe to news",
     false,
     std::nullopt,
     false,
     {},
     u"{89AEBCC6-F87B-48AC-86E0-0F18B73462EA}",
     Command::SubscribeToNews},
    {u"Suggest new feature",
     true,
     std::nullopt,
     false,
     {},
     u"{5ED8F7CD-66C0-4674-97CE-37404A2EF2E0}",
     Command::SuggestNewFeature},
    {u"Help",
     true,
     GlyphId::Help16,
     true,
     {},
     u"{0FF2D7A6-FEA0-4F43-A840-587D5D2DF59A}",
     Command::Help},
};

using RibbonForwarder = void (TAddInModule::*)(TComponent&, const host::office::RibbonControl&);

/// An item of the ribbon's Help menu: a button, or a separator when it has no caption.
struct RibbonItemDesign {
    std::u16string_view id;
    std::u16string_view caption;
    std::optional<GlyphId> glyph;
    RibbonForwarder forwarder;
};

constexpr RibbonItemDesign kHelpMenuItems[] = {
    {u"adxRibbonButtonAFD569575DA949D0B170F41433C6E88A", u"Request support online", std::nullopt,
     &TAddInModule::adxRibbonTabControls0Controls2Controls0Click},
    {u"adxRibbonButtonFC4BF924AD2F4E06BE980BB4A1CA838A", u"Request support via e-mail",
     GlyphId::Email16, &TAddInModule::adxRibbonTabControls0Controls2Controls1Click},
    {u"adxRibbonMenuSeparator01FFCEB933B84E29B5B493DB7B4B8705", {}, std::nullopt, nullptr},
    {u"adxRibbonButton7738649336584FFA87E8D96F91279651", u"Anonymous feedback", std::nullopt,
     &TAddInModule::adxRibbonTabControls0Controls2Controls3Click},
    {u"adxRibbonButtonDA5A79BC36764633BCFB698A45284FC1", u"Tell a friend/colleague", std::nullopt,
     &TAddInModule::adxRibbonTabControls0Controls2Controls4Click},
    {u"adxRibbonButton2750447C374942D6A1B278D3675B997B", u"Subscribe to news", std::nullopt,
     &TAddInModule::adxRibbonTabControls0Controls2Controls5Click},
    {u"adxRibbonMenuSeparator65D1B40C13FB47F388289D0AD2800DA7", {}, std::nullopt, nullptr},
    {u"adxRibbonButton24D8F8697DFC4364817AE5FC96078478", u"Suggest new feature", std::nullopt,
     &TAddInModule::adxRibbonTabControls0Controls2Controls7Click},
    {u"adxRibbonMenuSeparator36D5FEFB411242169FA168D14456250D", {}, std::nullopt, nullptr},
    {u"adxRibbonButtonA61226C4EE9F4CF2B82F950E0887F959", u"Help", GlyphId::Help16,
     &TAddInModule::adxRibbonTabControls0Controls2Controls9Click},
};

} // namespace

void TAddInModule::LoadDesign() {
    SetAddInName(u"Tarvex");
    SetNamespace(u"MorvaneSoftware.Addin");
    OnCreate = [this](TComponent& sender) { adxCOMAddInModuleCreate(sender); };
    OnAddInInitialize = [this](TComponent& sender) { adxCOMAddInModuleAddInInitialize(sender); };
    OnAddInStartupComplete = [this](TComponent& sender) {
        adxCOMAddInModuleAddInStartupComplete(sender);
    };
    OnAddInFinalize = [this](TComponent& sender) { adxCOMAddInModuleAddInFinalize(sender); };

    // The command bar, for Excel 2003 and earlier.
    TadxCommandBar& bar = CreateComponent<TadxCommandBar>(std::string("adxCommandBar"));
    bar.SetCommandBarName(u"Tarvex");
    bar.SetPosition(TadxMsoBarPosition::adxMsoBarTop);
    bar.SetTemporary(true);
    bar.SetUseForRibbon(true);
    bar.SetSupportedApps({TadxOfficeHostApp::ohaExcel});
    const auto addButton = [this](TadxCommandBarControls& controls, const BarButtonDesign& design) {
        TadxCommandBarButton& button = controls.Add<TadxCommandBarButton>();
        button.SetCaption(std::u16string(design.caption));
        button.SetBeginGroup(design.beginGroup);
        button.SetOfficeTag(std::u16string(design.officeTag));
        button.SetTemporary(true);
        if (!design.tip.empty()) {
            button.SetStyle(TadxMsoButtonStyle::adxMsoButtonIconAndCaption);
            button.SetDescriptionText(std::u16string(design.tip));
            button.SetTooltipText(std::u16string(design.tip));
        }
        if (design.glyph) {
            button.SetGlyph(m_resources.loadGlyph(*design.glyph));
            if (design.fuchsiaTransparent)
                button.SetGlyphTransparentColor(kFuchsia);
        }
        const Command command = design.command;
        button.OnClick = [this, command](TadxCommandBarButton&) { RunCommand(command); };
        return &button;
    };
    m_barTrack = addButton(bar.Controls(), kBarButtons[0]);
    addButton(bar.Controls(), kBarButtons[1]);
    TadxCommandBarPopup& popup = bar.Controls().Add<TadxCommandBarPopup>();
    popup.SetCaption(u"Help");
    popup.SetBeginGroup(true);
    popup.SetOfficeTag(std::u16string(kHelpPopupTag));
    popup.SetTemporary(true);
    for (const BarButtonDesign& design : kHelpPopupButtons)
        addButton(popup.Controls(), design);
    m_commandBar = &bar;

    // The application events.
    m_excelAppEvents = &CreateComponent<TadxExcelAppEvents>(std::string("ExcelAppEvents"));
    m_excelAppEvents->OnSheetChange = [this](TComponent& sender,
                                             const host::Ref<host::Dispatch>& sh,
                                             const host::Ref<host::Dispatch>& target) {
        ExcelAppEventsSheetChange(sender, sh, target);
    };
    m_excelAppEvents->OnWorkbookActivate = [this](TComponent& sender,
                                                  const host::Ref<host::Dispatch>& wb) {
        ExcelAppEventsWorkbookActivate(sender, wb);
    };
    m_excelAppEvents->OnWorkbookDeactivate = [this](TComponent& sender,
                                                    const host::Ref<host::Dispatch>& wb) {
        ExcelAppEventsWorkbookDeactivate(sender, wb);
    };

    // The ribbon tab, for Excel 2007 and later: shared with the maker's other add-ins.
    TadxRibbonTab& tab = CreateComponent<TadxRibbonTab>();
    tab.SetName("adxRibbonTab");
    tab.SetCaption(u"Morvane");
    tab.SetId(u"adxRibbonTabD516D97599B14AE59FE2C8AE22A5B3F2");
    tab.SetIdMso(u"TabAddIns");
    tab.SetRibbons({TadxRibbon::msrExcelWorkbook});
    tab.SetShared(true);
    TadxRibbonGroup& group = tab.Controls().Add<TadxRibbonGroup>();
    group.SetId(u"adxRibbonGroup80B49DA0A50245B7AB0790DB764228DF");
    group.SetCaption(u"Tarvex");
    const auto forward = [this](RibbonForwarder forwarder) {
        return [this, forwarder](TComponent& sender, const host::office::RibbonControl& control) {
            (this->*forwarder)(sender, control);
        };
    };

    TadxRibbonButton& track = group.Controls().Add<TadxRibbonButton>();
    track.SetId(u"adxRibbonButton9C9DCA2AF7744E69B967F61693760765");
    track.SetCaption(u"Track");
    track.SetToggleButton(true);
    track.SetSize(TadxRibbonXControlSize::csLarge);
    track.SetGlyph(m_resources.loadGlyph(GlyphId::Track24));
    track.OnClick = forward(&TAddInModule::adxRibbonTabControls0Controls0Click);
    m_ribbonTrack = &track;

    TadxRibbonButton& options = group.Controls().Add<TadxRibbonButton>();
    options.SetId(u"adxRibbonButton9419ACA640D14F749D202A6874DAE101");
    options.SetCaption(u"Options...");
    options.SetGlyph(m_resources.loadGlyph(GlyphId::Options16));
    options.OnClick = forward(&TAddInModule::adxRibbonTabControls0Controls1Click);

    TadxRibbonMenu& help = group.Controls().Add<TadxRibbonMenu>();
    help.SetId(u"adxRibbonMenu11A5D5C2006343C498F0E816AEB072FE");
    help.SetCaption(u"Help");
    help.SetGlyph(m_resources.loadGlyph(GlyphId::Help16));
    for (const RibbonItemDesign& design : kHelpMenuItems) {
        if (!design.forwarder) {
            help.Controls().Add<TadxRibbonMenuSeparator>().SetId(std::u16string(design.id));
            continue;
        }
        TadxRibbonButton& item = help.Controls().Add<TadxRibbonButton>();
        item.SetId(std::u16string(design.id));
        item.SetCaption(std::u16string(design.caption));
        if (design.glyph)
            item.SetGlyph(m_resources.loadGlyph(*design.glyph));
        item.OnClick = forward(design.forwarder);
    }

    TadxRibbonDialogBoxLauncher& launcher = group.Controls().Add<TadxRibbonDialogBoxLauncher>();
    launcher.SetId(u"adxRibbonDialogBoxLauncher9D6FDDFA07BB44578B3CA1DCA32C52D7");
    launcher.OnClick = forward(&TAddInModule::adxRibbonTabControls0Controls3Click);
    m_ribbonTab = &tab;
}

} // namespace tarvex::addin
