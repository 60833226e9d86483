#pragma once

// The "Options" dialog: what the add-in tracks (columns, rows, each the active one or a
// selected range) and whether the duplicate search is case-sensitive. It reads the stored
// options when shown and writes all seven back on "Ok"; "Cancel" and the close box write
// nothing. It keeps no copy of the options: every load and save goes through TOptions.

#include <functional>
#include <string>

#include "base/form.h"
#include "host/desktop.h"
#include "host/registry.h"

namespace tarvex::settings {

/// Opens a help topic given as "<folder>qorvel.chm::/<topic>.htm" (the help engine's own
/// file::/topic notation).
using HelpTopicOpener = std::function<void(const std::string& helpFileAndTopic)>;

/// The modal dialog "Options" over the options store.
class TfrmOptions : public base::Form {
public:
    /// Builds the dialog as FormCreate leaves it. `registry` holds the options, `desktop`
    /// shows the box that reports a failed save, `openHelpTopic` serves the "Help" button.
    /// All three must outlive the dialog. Throws Error(E_INVALIDARG) for an empty opener.
    TfrmOptions(host::Registry& registry, host::Desktop& desktop, HelpTopicOpener openHelpTopic);

    /// The folder of the add-in's DLL and help file, ending in a backslash; set by the caller
    /// before the dialog is shown.
    std::string HelpFolder;

    /// Both check boxes cleared, their radio buttons disabled, "Active column" and "Active
    /// row" checked.
    void FormCreate();
    /// Loads the stored options into the controls.
    void FormShow();
    /// "Columns" changed: its radio buttons follow it.
    void chkColumns1Click();
    /// "Rows" changed: its radio buttons follow it.
    void chkRows1Click();
    /// Saves all seven options and ends the dialog with 1. A failed save is shown to the user
    /// in an error box and the dialog stays open; what was written before the failure stays.
    void btnOkClick();
    /// Opens the topic "Lesson1.htm" of the help file in HelpFolder; the dialog stays open.
    void btnHelpClick();
    /// Enables the column radio buttons exactly when "Columns" is checked.
    void UpdateColumnControls();
    /// Enables the row radio buttons exactly when "Rows" is checked.
    void UpdateRowControls();
    /// Sets the controls from the stored options.
    void LoadControls();
    /// Writes every control's state to the stored options, disabled ones included.
    void SaveControls();

protected:
    void OnShow() override;
    void OnClick(int index) override;

private:
    int Add(const char* name, base::ControlKind kind, std::u16string text, base::Rect bounds,
            int parent, int tabOrder, int modalResult = base::modal_result::None);
    bool Checked(int index) const { return Control(index).checked; }

    host::Registry& m_registry;
    host::Desktop& m_desktop;
    HelpTopicOpener m_openHelpTopic;
    bool m_reportingSaveFailure = false;

    int m_grpTrack = -1;
    int m_chkColumns = -1;
    int m_pnlColumns = -1;
    int m_rbActiveColumn = -1;
    int m_rbColumnSelectedRange = -1;
    int m_chkRows = -1;
    int m_pnlRows = -1;
    int m_rbActiveRow = -1;
    int m_rbRowSelectedRange = -1;
    int m_chkCaseSensitive = -1;
    int m_pnlButtons = -1;
    int m_btnOk = -1;
    int m_btnCancel = -1;
    int m_btnHelp = -1;
};

} // namespace tarvex::settings
