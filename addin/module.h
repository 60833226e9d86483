#pragma once

// TAddInModule: the add-in's own module. It holds the tracking state, checks every cell
// change against the rest of its column and row through Excel's own Find, prompts the user
// about a duplicate and jumps to it on request, and loads the user's options.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "addin/glyphs.h"
#include "addin/links.h"
#include "addin/strings.h"
#include "framework/app_events.h"
#include "framework/module.h"
#include "host/excel/excel.h"
#include "host/office/office.h"

namespace tarvex::framework {
class TadxCommandBar;
class TadxCommandBarButton;
class TadxRibbonButton;
class TadxRibbonTab;
} // namespace tarvex::framework

namespace tarvex::settings {
class TfrmInformation;
class TfrmOptions;
} // namespace tarvex::settings

namespace tarvex::addin {

/// Loads one of the module's strings (from the DLL's string table on Windows).
using StringLoader = std::function<std::u16string(unsigned id)>;

/// What the module takes from the program that loads it: its strings and images (the DLL's
/// resources on Windows, the built-in copies otherwise) and the process's help engine.
struct AddInResources {
    StringLoader loadString = BuiltInString;
    std::function<base::Bitmap(GlyphId)> loadGlyph = BuiltInGlyph;
    /// Hands "<folder>qorvel.chm::/<topic>" to the help engine; none: help is not available
    /// and the help commands do nothing.
    std::function<void(const std::string&)> openHelp;
};

/// The commands behind the add-in's buttons and menu items.
enum class Command {
    Track,
    Options,
    Help,
    RequestSupportOnline,
    RequestSupportViaEmail,
    AnonymousFeedback,
    TellAFriend,
    SubscribeToNews,
    SuggestNewFeature,
};

/// The add-in's module. Made by TadxCOMAddInModule::Create<TAddInModule>(services[,
/// resources]).
class TAddInModule : public framework::TadxCOMAddInModule {
public:
    ~TAddInModule() override;

    std::string ClassName() const override { return "TAddInModule"; }

    /// The components of the design.
    framework::TadxCommandBar& adxCommandBar() const noexcept { return *m_commandBar; }
    framework::TadxExcelAppEvents& ExcelAppEvents() const noexcept { return *m_excelAppEvents; }
    framework::TadxRibbonTab& adxRibbonTab() const noexcept { return *m_ribbonTab; }
    /// The Track control of each user interface.
    framework::TadxCommandBarButton& CommandBarTrack() const noexcept { return *m_barTrack; }
    framework::TadxRibbonButton& RibbonTrack() const noexcept { return *m_ribbonTrack; }

    /// OnCreate: tracking off, nothing tracked, case-sensitive, no stored range.
    void adxCOMAddInModuleCreate(framework::TComponent& sender);

    /// OnAddInInitialize: the dialogs are owned by Excel's active window from now on, and
    /// the records of persistent controls below the add-in's key ("\Controls") go before
    /// the command bars are built. Registry failures pass to the caller.
    void adxCOMAddInModuleAddInInitialize(framework::TComponent& sender);

    /// OnAddInStartupComplete: the Track control of the user interface the version selects
    /// up and enabled (on the ribbon, the command bar hidden), failures there swallowed;
    /// then the options loaded, whose failure passes to the caller.
    void adxCOMAddInModuleAddInStartupComplete(framework::TComponent& sender);

    /// OnAddInFinalize: the dialogs have no owner any more.
    void adxCOMAddInModuleAddInFinalize(framework::TComponent& sender);

    /// Excel's sheet change: checks the changed range's text against its column and row.
    /// Never fails: whatever goes wrong ends the check silently and Excel carries on.
    void ExcelAppEventsSheetChange(framework::TComponent& sender,
                                   const host::Ref<host::Dispatch>& sh,
                                   const host::Ref<host::Dispatch>& target) noexcept;

    /// A workbook became active: the Track control is enabled. Failures pass on.
    void ExcelAppEventsWorkbookActivate(framework::TComponent& sender,
                                        const host::Ref<host::Dispatch>& wb);
    /// A workbook stopped being active: the Track control is disabled. Failures pass on.
    void ExcelAppEventsWorkbookDeactivate(framework::TComponent& sender,
                                          const host::Ref<host::Dispatch>& wb);

    /// The Track command: reloads the options, toggles tracking and shows the new state on
    /// the Track control. When loading the options fails, tracking stays as it was, the
    /// ribbon's toggle is set back to show it, and the failure passes to the caller.
    void TrackClick(framework::TComponent& sender);

    /// The six links of the Help menu: each hands its address to the shell, which opens it
    /// in a normal window; whether the shell could is not reported.
    void RequestSupportOnline(framework::TComponent& sender);
    void RequestSupportViaEmail(framework::TComponent& sender);
    void AnonymousFeedback(framework::TComponent& sender);
    void TellAFriend(framework::TComponent& sender);
    void SubscribeTpoNews(framework::TComponent& sender);
    void SuggestNewFeature(framework::TComponent& sender);

    /// Runs `command` with the module as its sender.
    void RunCommand(Command command);

    /// The ribbon's forwarders: each ignores its arguments and runs its command.
    void adxRibbonTabControls0Controls0Click(framework::TComponent& sender,
                                             const host::office::RibbonControl& control);
    void adxRibbonTabControls0Controls1Click(framework::TComponent& sender,
                                             const host::office::RibbonControl& control);
    void adxRibbonTabControls0Controls3Click(framework::TComponent& sender,
                                             const host::office::RibbonControl& control);
    void adxRibbonTabControls0Controls2Controls0Click(framework::TComponent& sender,
                                                      const host::office::RibbonControl& control);
    void adxRibbonTabControls0Controls2Controls1Click(framework::TComponent& sender,
                                                      const host::office::RibbonControl& control);
    void adxRibbonTabControls0Controls2Controls3Click(framework::TComponent& sender,
                                                      const host::office::RibbonControl& control);
    void adxRibbonTabControls0Controls2Controls4Click(framework::TComponent& sender,
                                                      const host::office::RibbonControl& control);
    void adxRibbonTabControls0Controls2Controls5Click(framework::TComponent& sender,
                                                      const host::office::RibbonControl& control);
    void adxRibbonTabControls0Controls2Controls7Click(framework::TComponent& sender,
                                                      const host::office::RibbonControl& control);
    void adxRibbonTabControls0Controls2Controls9Click(framework::TComponent& sender,
                                                      const host::office::RibbonControl& control);

    /// The Options command: shows the options dialog, owned by the foreground window, and
    /// after "Ok" takes the saved options over at once. Failures pass to the caller, the
    /// owner window restored and the dialog gone.
    void OptionsClick(framework::TComponent& sender);

    /// The Help command: opens the help file's introduction. Without a help engine it does
    /// nothing; it never fails.
    void HelpClick(framework::TComponent& sender);

    /// The folder of the add-in's file with a trailing backslash, as the class factory
    /// recorded it; empty while the module has no factory.
    std::string AddinFolder() const;

    /// The options dialog while OptionsClick shows it.
    settings::TfrmOptions* OptionsDialog() const noexcept { return m_options; }

    /// Copies the stored options into the module and captures the selection for the
    /// selected-range modes.
    void LoadOptions();

    /// Whether the version selects the ribbon (Excel 2007 and later) over the command bar.
    bool UsesRibbon() const { return ExcelMajorVersion() > 11; }

    /// The integer part of Excel's version number (11 for "11.0", 16 for "16.0").
    std::int32_t ExcelMajorVersion() const;

    /// True when an Excel application is attached and a workbook is active.
    bool HasActiveWorkbook() const;
    /// Whether `sheet` is the active sheet of the active workbook (the same object).
    bool IsActiveSheet(const host::Ref<host::Dispatch>& sheet) const;

    bool Tracking() const noexcept { return FTracking; }
    bool CaseSensitiveSearch() const noexcept { return FCaseSensitive; }
    bool ActiveColumnMode() const noexcept { return FActiveColumn; }
    bool ActiveRowMode() const noexcept { return FActiveRow; }
    bool ColumnSelectedRangeMode() const noexcept { return FColumnSelectedRange; }
    bool RowSelectedRangeMode() const noexcept { return FRowSelectedRange; }
    const host::excel::Range& SelectedRange() const noexcept { return FSelectedRange; }

private:
    friend class framework::TadxCOMAddInModule;

    explicit TAddInModule(framework::ModuleServices services, AddInResources resources = {});

    void OpenLink(Link link);
    /// Enables or disables the Track control of the user interface in use.
    void EnableTrack(bool enabled);

    /// The module's design: its properties, components and event bindings.
    void LoadDesign() override;

    enum class Axis { Column, Row };

    /// Hands "<folder>qorvel.chm::/<topic>" to the help engine, if there is one.
    void OpenHelpText(const std::string& fileAndTopic) const noexcept;
    void ReportDuplicate(const host::excel::Range& target, const std::string& address);
    /// The cell or range at an R1C1 address of the active sheet.
    host::excel::Range RangeOfR1C1(const std::string& address) const;
    bool FindDuplicateInColumn(std::int32_t row, std::int32_t column, std::string& address,
                               const std::u16string& text);
    bool FindDuplicateInRow(std::int32_t row, std::int32_t column, std::string& address,
                            const std::u16string& text);
    bool FindDuplicate(Axis axis, std::int32_t row, std::int32_t column, std::string& address,
                       const std::u16string& text);
    const host::excel::Application& Excel() const;

    AddInResources m_resources;
    framework::TadxCommandBar* m_commandBar = nullptr;
    framework::TadxCommandBarButton* m_barTrack = nullptr;
    framework::TadxExcelAppEvents* m_excelAppEvents = nullptr;
    framework::TadxRibbonTab* m_ribbonTab = nullptr;
    framework::TadxRibbonButton* m_ribbonTrack = nullptr;
    /// The prompt on screen, if any.
    settings::TfrmInformation* m_information = nullptr;
    /// The options dialog on screen, if any.
    settings::TfrmOptions* m_options = nullptr;

    bool FCaseSensitive = true;
    bool FTracking = false;
    host::excel::Range FSelectedRange;
    bool FActiveColumn = false;
    bool FActiveRow = false;
    bool FColumnSelectedRange = false;
    bool FRowSelectedRange = false;
};

/// "R<row>C<column>": the absolute R1C1 reference of a cell.
std::string MakeR1C1Address(std::int32_t row, std::int32_t column);

/// The text for Range.Find's What that matches `text` literally: Excel reads "*", "?" and
/// "~" in What as wildcards, so each is preceded by "~".
std::u16string EscapeFindText(std::u16string_view text);

} // namespace tarvex::addin
