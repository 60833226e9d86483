#pragma once

// A tarvex-sim session: a simulated Excel with the add-in loaded, driven by commands, and
// the transcript of what the add-in does.

#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "framework/addin_object.h"
#include "framework/factory.h"
#include "host/registry.h"
#include "settings/help.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/excel/office_host.h"
#include "sim/registry/memory_registry.h"

namespace tarvex::simtool {

struct SessionOptions {
    bool emptyWorkbook = false;
    std::u16string excelVersion = u"16.0";
    /// The per-user settings file; none keeps the settings in memory.
    std::optional<std::filesystem::path> registryFile;
    /// How a prompt is answered when no answer is queued and nobody is asked.
    int defaultAnswer = base::modal_result::No;
    /// The folder the add-in believes it was loaded from; its help file lies there.
    std::filesystem::path addinFolder;
    /// Whether the simulated Windows has its HTML Help engine installed.
    bool helpEngine = true;
    /// The help file's pages (docs/help), named beside each topic opened, when set.
    std::optional<std::filesystem::path> helpPages;
};

class Session {
public:
    /// `out` receives the transcript. `ask`, when set, asks the user at the terminal for a
    /// prompt's answer (it returns a modal result); otherwise the default answer is used.
    Session(const SessionOptions& options, std::ostream& out);
    ~Session();

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void SetAsker(std::function<int(const std::u16string& message)> ask) { m_ask = std::move(ask); }

    /// Runs one command line. Returns false for `quit`. Throws ScriptError for a malformed
    /// line or a command that cannot be carried out.
    bool Run(std::string_view line);

    /// The commands, one per line, for `help`.
    static std::string HelpText();

private:
    void Put(const std::vector<std::u16string>& words);
    void TypeCommand(const std::vector<std::u16string>& words);
    void FillCommand(const std::vector<std::u16string>& words);
    void PasteCommand(const std::vector<std::u16string>& words);
    void ClearCommand(const std::vector<std::u16string>& words);
    void WriteCommand(const std::vector<std::u16string>& words);
    void SelectCommand(const std::vector<std::u16string>& words);
    void HideCommand(const std::vector<std::u16string>& words);
    bool SheetExists(std::u16string_view name) const;
    /// A ScriptError unless a workbook is open and `name` ("" for the active sheet) is one
    /// of its sheets.
    void RequireSheet(std::u16string_view name) const;
    /// Goes to the sheet as the user does (its tab); "" stays on the active sheet.
    void GoToSheet(std::u16string_view name);
    void ActivateCommand(const std::vector<std::u16string>& words);
    void TrackCommand();
    void AnswerCommand(const std::vector<std::u16string>& words);
    void OptionsCommand(const std::vector<std::u16string>& words);
    void LoadCommand(const std::vector<std::u16string>& words);
    void ShowCommand(const std::vector<std::u16string>& words);
    void RequireWorkbook() const;
    void ClickCommand(const std::vector<std::u16string>& words);
    /// Presses the control at `path` as a user does; false when nothing was pressed (a
    /// menu, or a disabled control). An unknown path is a ScriptError.
    bool ClickOnRibbon(const std::u16string& path);
    bool ClickOnBar(const std::u16string& path);
    void BarCommand(const std::vector<std::u16string>& words);
    void RibbonCommand(const std::vector<std::u16string>& words);
    /// Prints a failure the add-in object answers Office, as Office would note it.
    void Report(std::string_view call, const framework::TadxCallOutcome& outcome);
    /// Presses the control at `path` on the ribbon or the bar, whichever Office shows; a
    /// script error raised while a dialog was up is thrown once the click returns.
    bool Press(const std::u16string& path);
    /// Whether the Track control shows tracking on (pressed, or its button down).
    bool TrackingShown();
    int AnswerModal(base::Form& form);
    int AnswerPrompt(base::Form& form);
    int AnswerOptions(base::Form& form);

    /// One change of the options command: the control to click, or the state a check box
    /// must end in.
    struct OptionsChange {
        std::string control;
        bool checked = false;
        std::string text;
    };
    /// What the options command does in the dialog once it is open.
    struct OptionsPlan {
        bool help = false;
        std::vector<OptionsChange> changes;
        bool ok = true;
    };
    /// The options words of `words` from index `first` on: [help] [CHANGE...] [ok|cancel].
    static OptionsPlan ParseOptionsPlan(const std::vector<std::u16string>& words,
                                        std::size_t first);

    std::ostream& m_out;
    int m_defaultAnswer;
    std::function<int(const std::u16string&)> m_ask;
    std::deque<int> m_answers;
    std::optional<OptionsPlan> m_optionsPlan;
    /// A script error met while answering a dialog: the dialog is cancelled, and the error
    /// ends the command once the add-in returns.
    std::exception_ptr m_dialogError;

    std::unique_ptr<host::Registry> m_registry;
    /// The machine's part of the registry (the help engine's class key).
    sim::MemoryRegistry m_machineRegistry;
    sim::SimDesktop m_desktop;
    std::unique_ptr<settings::HelpAccess> m_help;
    std::unique_ptr<framework::TadxFactory> m_factory;
    sim::SimExcel m_excel;
    /// Whether this Office shows the ribbon (version 12 and later) or command bars only.
    bool m_ribbonHost = false;
    framework::TadxAddinProcessState m_process;
    /// The add-in object's IDispatch as Office sees it: the ribbon callbacks.
    host::Ref<host::Dispatch> m_addinDispatch;
    std::unique_ptr<framework::TadxAddin> m_addin;
    /// Office loading the add-in; it keeps the customUI document and the ribbon shown from it.
    std::optional<sim::OfficeHost> m_office;
};

} // namespace tarvex::simtool
