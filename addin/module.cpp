#include "addin/module.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "base/error.h"
#include "base/form.h"
#include "base/scope_exit.h"
#include "base/text.h"
#include "framework/command_bar.h"
#include "framework/command_bar_button.h"
#include "framework/command_bar_records.h"
#include "framework/factory.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_tab.h"
#include "host/excel/dispids.h"
#include "settings/information_form.h"
#include "settings/options.h"
#include "settings/options_form.h"

namespace tarvex::addin {

namespace excel = host::excel;

namespace {
bool IsBlank(char16_t c) {
    return c <= 32;
}

// The text without leading and trailing spaces and control characters.
std::u16string_view Trimmed(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}
} // namespace

std::string MakeR1C1Address(std::int32_t row, std::int32_t column) {
    std::string address = "R";
    address += std::to_string(row);
    address += 'C';
    address += std::to_string(column);
    return address;
}

std::u16string EscapeFindText(std::u16string_view text) {
    std::u16string escaped;
    escaped.reserve(text.size());
    for (char16_t c : text) {
        if (c == u'~' || c == u'*' || c == u'?')
            escaped.push_back(u'~');
        escaped.push_back(c);
    }
    return escaped;
}

TAddInModule::TAddInModule(framework::ModuleServices services, AddInResources resources)
    : TadxCOMAddInModule(services)
    , m_resources(std::move(resources)) {
    SetName("AddInModule");
}

TAddInModule::~TAddInModule() = default;

const excel::Application& TAddInModule::Excel() const {
    const excel::Application* application = ExcelApp();
    if (!application)
        throw base::Error(base::hr::Unexpected, "The add-in is not connected to Excel");
    return *application;
}

void TAddInModule::adxCOMAddInModuleCreate(framework::TComponent& /*sender*/) {
    FTracking = false;
    FActiveRow = false;
    FActiveColumn = false;
    FColumnSelectedRange = false;
    FRowSelectedRange = false;
    FCaseSensitive = true;
    FSelectedRange = excel::Range();
}

bool TAddInModule::HasActiveWorkbook() const {
    const excel::Application* application = ExcelApp();
    return application && application->ActiveWorkbook();
}

std::int32_t TAddInModule::ExcelMajorVersion() const {
    // A locale-independent parse: Excel's version text always uses "." as its separator,
    // whatever the user's number format says.
    const std::string text = base::Utf16ToUtf8(Excel().Version());
    const std::string_view trimmed = [&] {
        std::string_view view = text;
        while (!view.empty() && view.front() == ' ')
            view.remove_prefix(1);
        while (!view.empty() && view.back() == ' ')
            view.remove_suffix(1);
        return view;
    }();
    double number = 0;
    const auto [end, error] =
        std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), number);
    if (trimmed.empty() || error != std::errc() || end != trimmed.data() + trimmed.size() ||
        !std::isfinite(number) || std::fabs(number) > std::numeric_limits<std::int32_t>::max())
        throw base::Error(base::hr::DispTypeMismatch,
                          "'" + text + "' is not a valid floating point value");
    return static_cast<std::int32_t>(std::trunc(number));
}

void TAddInModule::LoadOptions() {
    settings::TOptions options(Registry());
    FCaseSensitive = options.CaseSensitive();
    if (options.TrackColumns()) {
        FActiveColumn = options.ActiveColumn();
        FColumnSelectedRange = options.ColumnSelectedRange();
    } else {
        FActiveColumn = false;
        FColumnSelectedRange = false;
    }
    if (options.TrackRows()) {
        FActiveRow = options.ActiveRow();
        FRowSelectedRange = options.RowSelectedRange();
    } else {
        FActiveRow = false;
        FRowSelectedRange = false;
    }
    if (!FColumnSelectedRange && !FRowSelectedRange) {
        FSelectedRange = excel::Range();
        return;
    }
    // The selected-range modes watch the range selected at this moment. A selection that
    // is not a range (a chart, say) cannot be watched: that is a failure for the caller,
    // and the range captured before stays.
    const host::Ref<host::Dispatch> selection = Excel().Selection();
    if (!selection) {
        FSelectedRange = excel::Range();
        return;
    }
    auto range = host::QueryAs<host::Dispatch>(selection.Get(), excel::iid::Range);
    if (!range)
        throw base::Error(base::hr::NoInterface, "Interface not supported");
    FSelectedRange = excel::Range(std::move(range));
}

void TAddInModule::TrackClick(framework::TComponent& /*sender*/) {
    try {
        LoadOptions();
    } catch (...) {
        // On the ribbon the toggle already shows Office's new state: set it back, so that
        // it never shows tracking on while nothing is checked. The load's failure is the
        // one that counts.
        try {
            if (UsesRibbon())
                m_ribbonTrack->SetPressed(FTracking);
        } catch (...) {
        }
        throw;
    }
    FTracking = !FTracking;
    if (UsesRibbon())
        m_ribbonTrack->SetPressed(FTracking);
    else
        m_barTrack->SetState(FTracking ? framework::TadxMsoButtonState::adxMsoButtonDown
                                       : framework::TadxMsoButtonState::adxMsoButtonUp);
}

void TAddInModule::adxCOMAddInModuleAddInStartupComplete(framework::TComponent& /*sender*/) {
    // A Track control that cannot be set up is no reason to fail the start: the add-in
    // still works through the other one or after the next workbook event.
    if (ExcelMajorVersion() <= 11) {
        try {
            m_barTrack->SetState(framework::TadxMsoButtonState::adxMsoButtonUp);
            m_barTrack->SetEnabled(true);
        } catch (...) {
        }
    } else {
        try {
            m_commandBar->SetVisible(false);
            m_ribbonTrack->SetEnabled(true);
            m_ribbonTrack->SetPressed(false);
        } catch (...) {
        }
    }
    LoadOptions();
}

void TAddInModule::ExcelAppEventsWorkbookActivate(framework::TComponent& /*sender*/,
                                                  const host::Ref<host::Dispatch>& /*wb*/) {
    EnableTrack(true);
}

void TAddInModule::ExcelAppEventsWorkbookDeactivate(framework::TComponent& /*sender*/,
                                                    const host::Ref<host::Dispatch>& /*wb*/) {
    EnableTrack(false);
}

void TAddInModule::EnableTrack(bool enabled) {
    if (UsesRibbon())
        m_ribbonTrack->SetEnabled(enabled);
    else
        m_barTrack->SetEnabled(enabled);
}

void TAddInModule::OpenLink(Link link) {
    // A normal window: a browser or mail program asked to start hidden may show nothing.
    Desktop().ShellExecuteFile("open", LinkAddress(link), host::show_command::ShowNormal);
}

void TAddInModule::RequestSupportOnline(framework::TComponent&) {
    OpenLink(Link::RequestSupportOnline);
}
void TAddInModule::RequestSupportViaEmail(framework::TComponent&) {
    OpenLink(Link::RequestSupportViaEmail);
}
void TAddInModule::AnonymousFeedback(framework::TComponent&) {
    OpenLink(Link::AnonymousFeedback);
}
void TAddInModule::TellAFriend(framework::TComponent&) {
    OpenLink(Link::TellAFriend);
}
void TAddInModule::SubscribeTpoNews(framework::TComponent&) {
    OpenLink(Link::SubscribeToNews);
}
void TAddInModule::SuggestNewFeature(framework::TComponent&) {
    OpenLink(Link::SuggestNewFeature);
}

void TAddInModule::RunCommand(Command command) {
    switch (command) {
    case Command::Track:
        return TrackClick(*this);
    case Command::Options:
        return OptionsClick(*this);
    case Command::Help:
        return HelpClick(*this);
    case Command::RequestSupportOnline:
        return RequestSupportOnline(*this);
    case Command::RequestSupportViaEmail:
        return RequestSupportViaEmail(*this);
    case Command::AnonymousFeedback:
        return AnonymousFeedback(*this);
    case Command::TellAFriend:
        return TellAFriend(*this);
    case Command::SubscribeToNews:
        return SubscribeTpoNews(*this);
    case Command::SuggestNewFeature:
        return SuggestNewFeature(*this);
    }
}

// The ribbon's forwarders.

using host::office::RibbonControl;

void TAddInModule::adxRibbonTabControls0Controls0Click(framework::TComponent&,
                                                       const RibbonControl&) {
    TrackClick(*this);
}
void TAddInModule::adxRibbonTabControls0Controls1Click(framework::TComponent&,
                                                       const RibbonControl&) {
    OptionsClick(*this);
}
void TAddInModule::adxRibbonTabControls0Controls3Click(framework::TComponent&,
                                                       const RibbonControl&) {
    OptionsClick(*this);
}
void TAddInModule::adxRibbonTabControls0Controls2Controls0Click(framework::TComponent&,
                                                                const RibbonControl&) {
    RequestSupportOnline(*this);
}
void TAddInModule::adxRibbonTabControls0Controls2Controls1Click(framework::TComponent&,
                                                                const RibbonControl&) {
    RequestSupportViaEmail(*this);
}
void TAddInModule::adxRibbonTabControls0Controls2Controls3Click(framework::TComponent&,
                                                                const RibbonControl&) {
    AnonymousFeedback(*this);
}
void TAddInModule::adxRibbonTabControls0Controls2Controls4Click(framework::TComponent&,
                                                                const RibbonControl&) {
    TellAFriend(*this);
}
void TAddInModule::adxRibbonTabControls0Controls2Controls5Click(framework::TComponent&,
                                                                const RibbonControl&) {
    SubscribeTpoNews(*this);
}
void TAddInModule::adxRibbonTabControls0Controls2Controls7Click(framework::TComponent&,
                                                                const RibbonControl&) {
    SuggestNewFeature(*this);
}
void TAddInModule::adxRibbonTabControls0Controls2Controls9Click(framework::TComponent&,
                                                                const RibbonControl&) {
    HelpClick(*this);
}

void TAddInModule::adxCOMAddInModuleAddInInitialize(framework::TComponent& /*sender*/) {
    host::Desktop& desktop = Desktop();
    desktop.SetOwnerWindow(desktop.ActiveWindow());
    // Without the factory there is no add-in key: "\Controls" alone would name a key at
    // the root of the user's registry, which is not the add-in's to delete.
    const std::string addinKey = GetAddinKey();
    if (addinKey.empty())
        return;
    const std::string controls = addinKey + "\\Controls";
    const base::HResult deleted = Registry().DeleteTree(host::RegistryRoot::CurrentUser, controls);
    if (base::Succeeded(deleted) || deleted == base::hr::FileNotFound)
        return;
    // A key that cannot even be read (access denied) holds no record this start could
    // reuse, as the command bars' own start-up takes it: only records that stay within
    // reach are worth a message at every start of Excel.
    std::vector<std::u16string> records;
    if (base::Failed(framework::ListRecordNames(*this, framework::record_key::Controls, records)))
        return;
    base::ThrowIfFailed(deleted, "Deleting " + controls);
}

void TAddInModule::adxCOMAddInModuleAddInFinalize(framework::TComponent& /*sender*/) {
    Desktop().SetOwnerWindow(0);
}

void TAddInModule::OptionsClick(framework::TComponent& /*sender*/) {
    // The dialog is owned by the window in the foreground (Excel's main window while the
    // user works in it); the previous owner comes back however the dialog ends.
    host::Desktop& desktop = Desktop();
    const host::WindowHandle previousOwner = desktop.OwnerWindow();
    const base::ScopeExit restoreOwner([&] { desktop.SetOwnerWindow(previousOwner); });
    desktop.SetOwnerWindow(desktop.ForegroundWindow());

    settings::TfrmOptions dialog(Registry(), desktop, [this](const std::string& fileAndTopic) {
        OpenHelpText(fileAndTopic);
    });
    m_options = &dialog;
    const base::ScopeExit forget([this] { m_options = nullptr; });
    dialog.HelpFolder = AddinFolder();
    if (desktop.ShowModal(dialog) == base::modal_result::Ok)
        LoadOptions();
}

void TAddInModule::HelpClick(framework::TComponent& /*sender*/) {
    OpenHelpText(AddinFolder() + "qorvel.chm::/Introduction.htm");
}

void TAddInModule::OpenHelpText(const std::string& fileAndTopic) const noexcept {
    // Help that cannot be shown is simply not shown: the commands never fail for it.
    if (!m_resources.openHelp)
        return;
    try {
        m_resources.openHelp(fileAndTopic);
    } catch (...) {
    }
}

std::string TAddInModule::AddinFolder() const {
    return Factory() ? Factory()->AddinFolder() : std::string();
}

bool TAddInModule::IsActiveSheet(const host::Ref<host::Dispatch>& sheet) const {
    return sheet && host::IsSameObject(sheet.Get(), Excel().ActiveSheet().Get());
}

void TAddInModule::ExcelAppEventsSheetChange(framework::TComponent& /*sender*/,
                                             const host::Ref<host::Dispatch>& sh,
                                             const host::Ref<host::Dispatch>& changed) noexcept {
    try {
        const excel::Range target(changed);
        // The cheap guards first: with tracking off a change costs one call to Excel.
        if (!HasActiveWorkbook())
            return;
        if (!FActiveColumn && !FActiveRow && !FColumnSelectedRange && !FRowSelectedRange)
            return;
        if (!FTracking)
            return;
        // The searches look at the sheet in front of the user. A change on another sheet
        // or in another workbook (a macro, a link, a query writing there) is left alone: it
        // would be checked against the wrong cells, and Yes would jump to an unrelated one.
        if (!IsActiveSheet(sh))
            return;

        // Excel gives Null for a range whose cells display different texts. The text is
        // read a second time once it is known not to be Null: a change costs a fixed count
        // of host calls, which callers and measurements rely on.
        std::u16string text;
        if (target && target.Text())
            text = target.Text().value_or(std::u16string());
        if (Trimmed(text).empty())
            return;

        const std::int32_t column = target.Column();
        const std::int32_t row = target.Row();
        std::string address;
        if ((FActiveColumn || FColumnSelectedRange) &&
            FindDuplicateInColumn(row, column, address, text))
            ReportDuplicate(target, address);
        if ((FActiveRow || FRowSelectedRange) && FindDuplicateInRow(row, column, address, text))
            ReportDuplicate(target, address);
    } catch (...) {
        // A failing check must never disturb Excel or the user: the change simply goes
        // unchecked.
    }
}

bool TAddInModule::FindDuplicateInColumn(std::int32_t row, std::int32_t column,
                                         std::string& address, const std::u16string& text) {
    return FindDuplicate(Axis::Column, row, column, address, text);
}

bool TAddInModule::FindDuplicateInRow(std::int32_t row, std::int32_t column, std::string& address,
                                      const std::u16string& text) {
    return FindDuplicate(Axis::Row, row, column, address, text);
}

bool TAddInModule::FindDuplicate(Axis axis, std::int32_t row, std::int32_t column,
                                 std::string& address, const std::u16string& text) {
    address.clear();
    // Excel's Find refuses a longer text: such an entry is not searched at all.
    const std::u16string what = EscapeFindText(text);
    if (what.size() > excel::kMaxFindText)
        return false;
    const excel::Application& excel = Excel();
    const excel::Range cell = RangeOfR1C1(MakeR1C1Address(row, column));

    const bool inStoredRange = axis == Axis::Column ? FColumnSelectedRange : FRowSelectedRange;
    // A stored range on another sheet holds none of this sheet's cells (Excel's Intersect
    // refuses ranges of two sheets): no overlap, as for a range elsewhere on this sheet.
    if (inStoredRange &&
        (!IsActiveSheet(FSelectedRange.Worksheet()) || !excel.Intersect(cell, FSelectedRange)))
        return false;
    const excel::Range area = inStoredRange          ? FSelectedRange
                              : axis == Axis::Column ? cell.EntireColumn()
                                                     : cell.EntireRow();

    // A match in the changed cell's own row (column search) or column (row search) is
    // taken for the changed cell itself; one FindNext looks past it.
    const auto inOwnLine = [&](const excel::Range& found) {
        return axis == Axis::Column ? found.Row() == row : found.Column() == column;
    };
    excel::Range found = area.Find(what, cell, excel::xlValues, excel::xlWhole,
                                   axis == Axis::Column ? excel::xlByRows : excel::xlByColumns,
                                   excel::xlNext, FCaseSensitive, true);
    if (!found)
        return false;
    if (inOwnLine(found)) {
        found = area.FindNext(found);
        if (!found || inOwnLine(found))
            return false;
    }
    // The English R1C1 form, which ConvertFormula reads on every Excel; the local form
    // ("Z7S3" on a German Excel) would be refused there.
    address = base::Utf16ToUtf8(found.Address(excel::xlR1C1));
    return true;
}

excel::Range TAddInModule::RangeOfR1C1(const std::string& address) const {
    // Application.Range reads A1 references only: the address goes through ConvertFormula,
    // relative to the active cell, first.
    const excel::Application& excel = Excel();
    const excel::Range relativeTo = excel.ActiveCell();
    return excel.GetRange(
        excel.ConvertFormula(base::Utf8ToUtf16(address), excel::xlR1C1, excel::xlA1, relativeTo));
}

void TAddInModule::ReportDuplicate(const excel::Range& target, const std::string& address) {
    const excel::Range found = RangeOfR1C1(address);
    std::u16string shown = found.Address(excel::xlA1);
    std::erase(shown, u'$');
    const std::u16string message =
        FormatTemplate(m_resources.loadString(kIdsDuplicatePrompt), {shown, shown});

    // The prompt is owned by the window in the foreground (Excel's, while the user edits);
    // the owner before, and the module's pointer to an outer prompt, come back however the
    // prompt ends.
    host::Desktop& desktop = Desktop();
    const host::WindowHandle previousOwner = desktop.OwnerWindow();
    settings::TfrmInformation* const outerPrompt = m_information;
    const base::ScopeExit restore([&] {
        m_information = outerPrompt;
        desktop.SetOwnerWindow(previousOwner);
    });
    desktop.SetOwnerWindow(desktop.ForegroundWindow());
    settings::TfrmInformation prompt;
    m_information = &prompt;
    prompt.SetMessage(message);
    if (desktop.ShowModal(prompt) == base::modal_result::Yes) {
        if (found)
            found.Activate();
    } else if (target) {
        target.Activate();
    }
}

} // namespace tarvex::addin
