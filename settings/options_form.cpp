#include "options_form.h"

#include <cstdint>
#include <utility>

#include "base/error.h"
#include "base/scope_exit.h"
#include "base/text.h"
#include "settings/options.h"

namespace tarvex::settings {

using base::ControlKind;
namespace modal_result = base::modal_result;

namespace {

constexpr int kClientWidth = 376;
constexpr int kClientHeight = 218;
constexpr int kButtonStripHeight = 41;
// Check boxes and radio buttons are as wide as their longest caption needs at 8 points, with
// room to spare, and as high as the box beside the text.
constexpr int kCheckBoxWidth = 97;
constexpr int kRadioButtonWidth = 113;
constexpr int kCheckHeight = 17;

constexpr std::uint32_t kSaveFailureStyle = host::message_box::Ok | host::message_box::IconError;

} // namespace

TfrmOptions::TfrmOptions(host::Registry& registry, host::Desktop& desktop,
                         HelpTopicOpener openHelpTopic)
    : m_registry(registry)
    , m_desktop(desktop)
    , m_openHelpTopic(std::move(openHelpTopic)) {
    if (!m_openHelpTopic)
        throw base::Error(base::hr::InvalidArg, "The options dialog needs a way to open help");
    caption = u"Options";
    clientWidth = kClientWidth;
    clientHeight = kClientHeight;

    m_grpTrack = Add("grpTrack", ControlKind::GroupBox, u"Track", {11, 8, 353, 129}, -1, 0);
    m_chkColumns = Add("chkColumns", ControlKind::CheckBox, u"Columns",
                       {16, 24, kCheckBoxWidth, kCheckHeight}, m_grpTrack, 0);
    m_pnlColumns = Add("pnlColumns", ControlKind::Panel, u"", {8, 48, 145, 73}, m_grpTrack, 1);
    m_rbActiveColumn = Add("rbActiveColumn", ControlKind::RadioButton, u"Active column",
                           {16, 8, kRadioButtonWidth, kCheckHeight}, m_pnlColumns, 0);
    m_rbColumnSelectedRange =
        Add("rbColumnSelectedRange", ControlKind::RadioButton, u"Selected range",
            {16, 42, kRadioButtonWidth, kCheckHeight}, m_pnlColumns, 1);
    m_chkRows = Add("chkRows", ControlKind::CheckBox, u"Rows",
                    {200, 24, kCheckBoxWidth, kCheckHeight}, m_grpTrack, 2);
    m_pnlRows = Add("pnlRows", ControlKind::Panel, u"", {192, 48, 145, 73}, m_grpTrack, 3);
    m_rbActiveRow = Add("rbActiveRow", ControlKind::RadioButton, u"Active row",
                        {21, 8, kRadioButtonWidth, kCheckHeight}, m_pnlRows, 0);
    m_rbRowSelectedRange = Add("rbRowSelectedRange", ControlKind::RadioButton, u"Selected range",
                               {21, 42, kRadioButtonWidth, kCheckHeight}, m_pnlRows, 1);
    m_chkCaseSensitive = Add("chkCaseSensitive", ControlKind::CheckBox, u"Case sensitive",
                             {16, 154, kCheckBoxWidth, kCheckHeight}, -1, 1);

    // The strip runs along the bottom edge over the full width; the buttons sit in it.
    m_pnlButtons =
        Add("pnlButtons", ControlKind::Panel, u"",
            {0, kClientHeight - kButtonStripHeight, kClientWidth, kButtonStripHeight}, -1, 2);
    // "Ok" ends the dialog from its own code, and only once the options are saved; no button
    // is the default or the cancel button, so Escape does nothing.
    m_btnOk = Add("btnOk", ControlKind::Button, u"Ok", {128, 8, 75, 25}, m_pnlButtons, 0);
    m_btnCancel = Add("btnCancel", ControlKind::Button, u"Cancel", {208, 8, 75, 25}, m_pnlButtons,
                      1, modal_result::Cancel);
    m_btnHelp = Add("btnHelp", ControlKind::Button, u"Help", {288, 8, 75, 25}, m_pnlButtons, 2);

    FormCreate();
}

int TfrmOptions::Add(const char* name, ControlKind kind, std::u16string text, base::Rect bounds,
                     int parent, int tabOrder, int modalResult) {
    base::FormControl control;
    control.name = name;
    control.kind = kind;
    control.caption = std::move(text);
    control.bounds = bounds;
    control.parent = parent;
    control.tabOrder = tabOrder;
    control.modalResult = modalResult;
    return AddControl(std::move(control));
}

void TfrmOptions::OnShow() {
    FormShow();
}

void TfrmOptions::OnClick(int index) {
    if (index == m_chkColumns)
        chkColumns1Click();
    else if (index == m_chkRows)
        chkRows1Click();
    else if (index == m_btnOk)
        btnOkClick();
    else if (index == m_btnHelp)
        btnHelpClick();
}

void TfrmOptions::FormCreate() {
    SetChecked(m_chkColumns, false);
    UpdateColumnControls();
    SetChecked(m_rbActiveColumn, true);
    SetChecked(m_chkRows, false);
    UpdateRowControls();
    SetChecked(m_rbActiveRow, true);
}

void TfrmOptions::FormShow() {
    LoadControls();
}

void TfrmOptions::chkColumns1Click() {
    UpdateColumnControls();
}

void TfrmOptions::chkRows1Click() {
    UpdateRowControls();
}

void TfrmOptions::btnOkClick() {
    // The error box is modal to the owner window, not to this dialog: a second click on Ok
    // while it is up would save again and stack another box.
    if (m_reportingSaveFailure)
        return;
    try {
        SaveControls();
    } catch (const base::Error& error) {
        m_reportingSaveFailure = true;
        const base::ScopeExit reported([this] { m_reportingSaveFailure = false; });
        m_desktop.ShowMessage(base::Utf8ToUtf16(error.Message()), u"Error", kSaveFailureStyle);
        return;
    }
    SetModalResult(modal_result::Ok);
}

void TfrmOptions::btnHelpClick() {
    m_openHelpTopic(HelpFolder + "qorvel.chm::/Lesson1.htm");
}

void TfrmOptions::UpdateColumnControls() {
    const bool enabled = Checked(m_chkColumns);
    SetEnabled(m_rbActiveColumn, enabled);
    SetEnabled(m_rbColumnSelectedRange, enabled);
}

void TfrmOptions::UpdateRowControls() {
    const bool enabled = Checked(m_chkRows);
    SetEnabled(m_rbActiveRow, enabled);
    SetEnabled(m_rbRowSelectedRange, enabled);
}

void TfrmOptions::LoadControls() {
    // A check box that changes runs its click code, which enables or disables its radio
    // buttons. The selected-range buttons come last: when both of a pair are stored true,
    // checking the second clears the first.
    TOptions options(m_registry);
    SetChecked(m_chkColumns, options.TrackColumns());
    SetChecked(m_chkRows, options.TrackRows());
    SetChecked(m_chkCaseSensitive, options.CaseSensitive());
    SetChecked(m_rbActiveColumn, options.ActiveColumn());
    SetChecked(m_rbActiveRow, options.ActiveRow());
    SetChecked(m_rbColumnSelectedRange, options.ColumnSelectedRange());
    SetChecked(m_rbRowSelectedRange, options.RowSelectedRange());
}

void TfrmOptions::SaveControls() {
    TOptions options(m_registry);
    options.SetTrackColumns(Checked(m_chkColumns));
    options.SetActiveColumn(Checked(m_rbActiveColumn));
    options.SetColumnSelectedRange(Checked(m_rbColumnSelectedRange));
    options.SetTrackRows(Checked(m_chkRows));
    options.SetActiveRow(Checked(m_rbActiveRow));
    options.SetRowSelectedRange(Checked(m_rbRowSelectedRange));
    options.SetCaseSensitive(Checked(m_chkCaseSensitive));
}

} // namespace tarvex::settings
