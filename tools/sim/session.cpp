#include "tools/sim/session.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "addin/identity.h"
#include "addin/module.h"
#include "base/error.h"
#include "base/scope_exit.h"
#include "base/text.h"
#include "framework/module.h"
#include "framework/ribbon_callbacks_dispatch.h"
#include "settings/information_form.h"
#include "sim/desktop/help_engine.h"
#include "sim/office/office.h"
#include "sim/registry/file_registry.h"
#include "sim/registry/memory_registry.h"
#include "tools/sim/csv.h"
#include "tools/sim/demo.h"
#include "tools/sim/script.h"

namespace tarvex::simtool {

namespace {
// The window handles that the simulated desktop hands out: Excel's main window is the
// foreground window while the user types.
constexpr host::WindowHandle kExcelWindow = 0x10010;

std::string Utf8(std::u16string_view text) {
    return base::Utf16ToUtf8(text);
}

[[noreturn]] void Malformed(const std::string& what) {
    throw ScriptError(what);
}

void ExpectCount(const std::vector<std::u16string>& words, std::size_t count, const char* usage) {
    if (words.size() != count)
        Malformed(std::string("usage: ") + usage);
}

bool OnOff(std::u16string_view value, const std::string& key) {
    if (value == u"on")
        return true;
    if (value == u"off")
        return false;
    Malformed(key + " must be on or off");
}

// The folder as the add-in's factory keeps it: ending in a separator, the one the folder
// itself uses (a Windows folder given to the simulator keeps its backslashes).
std::string FolderText(const std::filesystem::path& folder) {
    std::string text = folder.string();
    if (text.empty() || text.back() == '\\' || text.back() == '/')
        return text;
    return text + (text.find('\\') != std::string::npos ? '\\' : '/');
}

std::size_t CellCount(const sim::Area& area) {
    return static_cast<std::size_t>(area.bottom - area.top + 1) *
           static_cast<std::size_t>(area.right - area.left + 1);
}
} // namespace

Session::Session(const SessionOptions& options, std::ostream& out)
    : m_out(out)
    , m_defaultAnswer(options.defaultAnswer) {
    if (options.registryFile)
        m_registry = std::make_unique<sim::FileRegistry>(*options.registryFile);
    else
        m_registry = std::make_unique<sim::MemoryRegistry>();

    m_excel.SetVersion(options.excelVersion);
    if (options.emptyWorkbook)
        m_excel.AddWorkbook(u"Book1", {u"Sheet1"});
    else
        OpenDemoWorkbook(m_excel);
    m_excel.SetCallLogging(false);
    m_excel.SetActivationObserver(
        [this](sim::Cell cell) { m_out << "active: " << Utf8(sim::FormatA1(cell)) << '\n'; });
    m_desktop.SetForegroundWindow(kExcelWindow);
    m_desktop.SetActiveWindow(kExcelWindow);
    m_desktop.SetModalHandler([this](base::Form& form) { return AnswerModal(form); });
    m_desktop.SetMessageHandler([this](const sim::ShownMessage& message) {
        std::istringstream lines(Utf8(message.text));
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            m_out << "error: " << line << '\n';
        }
        return 1;
    });

    // A Windows installation as the help access expects it: the engine in the system
    // folder, registered under its class key with the usual unexpanded root variable.
    m_desktop.SetWindowsDirectory(u"C:\\Windows");
    m_desktop.SetSystemDirectory(u"C:\\Windows\\System32");
    if (options.helpEngine) {
        sim::InstallHelpEngine(m_desktop, m_machineRegistry, u"C:\\Windows\\System32\\hhctrl.ocx");
        sim::RegisterHelpEngine(m_machineRegistry, u"%SystemRoot%\\System32\\hhctrl.ocx",
                                host::RegistryType::ExpandString);
    }
    m_desktop.SetHelpHandler([this, pages = options.helpPages](const sim::HelpRequest& request) {
        m_out << (pages ? sim::DescribeHelpRequest(request, *pages) : "help: " + Utf8(request.text))
              << '\n';
    });
    m_help = std::make_unique<settings::HelpAccess>(m_desktop, m_machineRegistry);
    m_desktop.SetShellHandler(
        [this](const sim::ShellRequest& request) { m_out << "open: " << request.file << '\n'; });

    m_factory = std::make_unique<framework::TadxFactory>(
        "qorvel", "Tarvex", "Tarvex Object", addin::kClsidTarvex, FolderText(options.addinFolder));
    m_addinDispatch =
        host::MakeRef<framework::TadxRibbonDispatch>([this]() -> framework::TadxCOMAddInModule* {
            return m_addin ? m_addin->Module() : nullptr;
        });
    m_addin = std::make_unique<framework::TadxAddin>(
        *m_factory,
        [this] {
            return framework::TadxCOMAddInModule::Create<addin::TAddInModule>(
                framework::ModuleServices{m_desktop, *m_registry},
                addin::AddInResources{.openHelp = [this](const std::string& fileAndTopic) {
                    m_help->OpenText(base::Utf8ToUtf16(fileAndTopic));
                }});
        },
        m_process);
    m_addin->SetSelfDispatch([this] { return m_addinDispatch; });

    // Excel starts with the add-in registered to load at start-up, as Office loads it:
    // connection, then (on a ribbon version) the customUI document and the ribbon's onLoad,
    // then start-up completion.
    const host::Ref<host::Dispatch> addInInst = m_excel.Office().AddComAddIn(
        u"qorvel.Tarvex", base::Utf8ToUtf16(addin::kClsidTarvexText), u"Tarvex");
    m_office.emplace(
        m_excel, *m_addin, m_addinDispatch, addInInst,
        [this](const sim::OfficeCall& call, const std::function<sim::OfficeHost::Outcome()>& run) {
            const sim::OfficeHost::Outcome outcome = run();
            Report(call.name, outcome);
            return outcome;
        });
    m_ribbonHost = m_office->RibbonVersion();
    m_office->StartUp();
}

Session::~Session() {
    // Excel's exit as Office runs it: begin-shutdown, then disconnection.
    m_office->ShutDown();
}

void Session::Report(std::string_view call, const framework::TadxCallOutcome& outcome) {
    if (!outcome.Failed())
        return;
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(outcome.code));
    m_out << "failed: " << call << " answered " << code;
    if (!outcome.description.empty())
        m_out << " (" << Utf8(outcome.description) << ')';
    m_out << '\n';
}

std::string Session::HelpText() {
    return "Commands (REF is a cell like B7; RANGE is A1:C10, B:B, 7:7 or a cell; either may\n"
           "name a sheet, Sheet2!B7 or 'My Sheet'!A1:A9, else it is on the active sheet):\n"
           "  put REF TEXT        set a cell, no event\n"
           "  type REF TEXT       type into REF and press Enter (the add-in checks it)\n"
           "  fill RANGE TEXT     one text into every cell of RANGE at once\n"
           "  paste RANGE TEXT... one text per cell, row by row\n"
           "  clear RANGE         empty RANGE\n"
           "  write RANGE TEXT    a program (a macro, a link) writes TEXT into every cell\n"
           "  select RANGE[,RANGE...]  select RANGE (several areas with commas)\n"
           "  select chart        select a chart\n"
           "  activate REF        make REF the active cell\n"
           "  hide ROWS|COLUMNS   hide rows (3:5) or columns (B:C)    unhide   show them all\n"
           "  new-sheet [NAME]    add a worksheet after the active one and go to it\n"
           "  sheet NAME          go to the worksheet NAME\n"
           "  new-workbook        open a new workbook\n"
           "  close-workbook      close the active workbook\n"
           "  track               the Track command: tracking on or off (click Track)\n"
           "  click PATH          press a control: Track, Options... [options words],\n"
           "                      launcher, \"Help > CAPTION\" (a Help menu item)\n"
           "  bar                 list the Tarvex command bar and its controls\n"
           "  ribbon              print the add-in's customUI document\n"
           "  answer yes|no|close queue the answer to the next prompt\n"
           "  options [help] [CHANGE...] [ok|cancel]\n"
           "                      open Options, show what it shows, press Help if asked,\n"
           "                      make the changes (columns=on|off rows=on|off case=on|off\n"
           "                      column-scope=column|range row-scope=row|range), then\n"
           "                      press Ok (the default) or Cancel\n"
           "  load FILE [REF]     put a CSV file's cells into the sheet from REF (A1)\n"
           "  show [RANGE]        list the non-empty cells (the used range by default)\n"
           "  help                this list\n"
           "  quit                end the session\n"
           "Texts with blanks go in double quotes; \"\" inside quotes is one quote.\n";
}

bool Session::Run(std::string_view line) {
    const std::vector<std::u16string> words = SplitWords(line);
    if (words.empty())
        return true;
    const std::string command = Utf8(words[0]);
    if (command == "quit") {
        ExpectCount(words, 1, "quit");
        return false;
    }
    if (command == "help") {
        m_out << HelpText();
    } else if (command == "put") {
        Put(words);
    } else if (command == "type") {
        TypeCommand(words);
    } else if (command == "fill") {
        FillCommand(words);
    } else if (command == "paste") {
        PasteCommand(words);
    } else if (command == "clear") {
        ClearCommand(words);
    } else if (command == "write") {
        WriteCommand(words);
    } else if (command == "select") {
        SelectCommand(words);
    } else if (command == "hide") {
        HideCommand(words);
    } else if (command == "unhide") {
        ExpectCount(words, 1, "unhide");
        RequireWorkbook();
        m_excel.UnhideAll({});
    } else if (command == "new-sheet") {
        if (words.size() > 2)
            Malformed("usage: new-sheet [NAME]");
        RequireWorkbook();
        if (words.size() == 2 && SheetExists(words[1]))
            throw ScriptError("new-sheet: the workbook has a sheet '" + Utf8(words[1]) + "'");
        m_excel.NewSheet(words.size() == 2 ? words[1] : std::u16string());
        m_out << "sheet: " << Utf8(m_excel.ActiveSheetName()) << '\n';
    } else if (command == "sheet") {
        ExpectCount(words, 2, "sheet NAME");
        GoToSheet(words[1]);
        m_out << "sheet: " << Utf8(m_excel.ActiveSheetName()) << '\n';
    } else if (command == "activate") {
        ActivateCommand(words);
    } else if (command == "new-workbook") {
        ExpectCount(words, 1, "new-workbook");
        m_excel.NewWorkbook();
    } else if (command == "close-workbook") {
        ExpectCount(words, 1, "close-workbook");
        RequireWorkbook();
        m_excel.CloseActiveWorkbook();
    } else if (command == "track") {
        ExpectCount(words, 1, "track");
        TrackCommand();
    } else if (command == "click") {
        ClickCommand(words);
    } else if (command == "bar") {
        BarCommand(words);
    } else if (command == "ribbon") {
        RibbonCommand(words);
    } else if (command == "answer") {
        AnswerCommand(words);
    } else if (command == "options") {
        OptionsCommand(words);
    } else if (command == "load") {
        LoadCommand(words);
    } else if (command == "show") {
        ShowCommand(words);
    } else {
        Malformed("unknown command '" + command + "' (try help)");
    }
    return true;
}

void Session::RequireWorkbook() const {
    if (!m_excel.HasActiveWorkbook())
        throw ScriptError("no workbook is open (try new-workbook)");
}

bool Session::SheetExists(std::u16string_view name) const {
    for (const std::u16string& sheet : m_excel.SheetNames()) {
        if (sim::TextsEqual(sheet, name, false))
            return true;
    }
    return false;
}

void Session::RequireSheet(std::u16string_view name) const {
    RequireWorkbook();
    if (!name.empty() && !SheetExists(name))
        throw ScriptError("the workbook has no sheet '" + Utf8(name) + "'");
}

void Session::GoToSheet(std::u16string_view name) {
    RequireSheet(name);
    if (!name.empty())
        m_excel.GoToSheet(name);
}

void Session::Put(const std::vector<std::u16string>& words) {
    ExpectCount(words, 3, "put REF TEXT");
    const SheetCell where = ParseSheetCell(words[1]);
    RequireSheet(where.sheet);
    m_excel.SetText(where.sheet, where.cell, words[2]);
}

void Session::TypeCommand(const std::vector<std::u16string>& words) {
    ExpectCount(words, 3, "type REF TEXT");
    const SheetCell where = ParseSheetCell(words[1]);
    GoToSheet(where.sheet);
    m_excel.TypeInto(where.cell, words[2]);
}

void Session::FillCommand(const std::vector<std::u16string>& words) {
    ExpectCount(words, 3, "fill RANGE TEXT");
    const SheetRange where = ParseSheetRange(words[1]);
    GoToSheet(where.sheet);
    m_excel.Fill(where.areas.front(), words[2]);
}

void Session::PasteCommand(const std::vector<std::u16string>& words) {
    if (words.size() < 3)
        Malformed("usage: paste RANGE TEXT...");
    const SheetRange where = ParseSheetRange(words[1]);
    const std::size_t cells = CellCount(where.areas.front());
    if (words.size() - 2 != cells)
        Malformed("paste " + Utf8(words[1]) + " needs " + std::to_string(cells) +
                  " texts, one per cell; got " + std::to_string(words.size() - 2));
    GoToSheet(where.sheet);
    m_excel.Paste(where.areas.front(), std::vector<std::u16string>(words.begin() + 2, words.end()));
}

void Session::ClearCommand(const std::vector<std::u16string>& words) {
    ExpectCount(words, 2, "clear RANGE");
    const SheetRange where = ParseSheetRange(words[1]);
    GoToSheet(where.sheet);
    m_excel.Clear(where.areas.front());
}

void Session::WriteCommand(const std::vector<std::u16string>& words) {
    ExpectCount(words, 3, "write RANGE TEXT");
    const SheetRange where = ParseSheetRange(words[1], true);
    RequireSheet(where.sheet);
    m_excel.Write(where.sheet, where.areas, words[2]);
}

void Session::SelectCommand(const std::vector<std::u16string>& words) {
    ExpectCount(words, 2, "select RANGE|chart");
    if (words[1] == u"chart") {
        RequireWorkbook();
        m_excel.SelectChart();
        return;
    }
    const SheetRange where = ParseSheetRange(words[1], true);
    GoToSheet(where.sheet);
    m_excel.Select(where.areas);
}

void Session::HideCommand(const std::vector<std::u16string>& words) {
    ExpectCount(words, 2, "hide ROWS|COLUMNS (3:5 or B:C)");
    const SheetRange where = ParseSheetRange(words[1]);
    const sim::Area& area = where.areas.front();
    const bool rows = area.left == 1 && area.right == host::excel::kMaxColumns;
    const bool columns = area.top == 1 && area.bottom == host::excel::kMaxRows;
    if (rows == columns)
        Malformed("hide takes whole rows (3:5) or whole columns (B:C), not '" + Utf8(words[1]) +
                  "'");
    RequireSheet(where.sheet);
    if (rows)
        m_excel.HideRows(where.sheet, area.top, area.bottom);
    else
        m_excel.HideColumns(where.sheet, area.left, area.right);
}

void Session::ActivateCommand(const std::vector<std::u16string>& words) {
    ExpectCount(words, 2, "activate REF");
    const SheetCell where = ParseSheetCell(words[1]);
    GoToSheet(where.sheet);
    m_excel.ActivateCell(where.cell);
}

void Session::TrackCommand() {
    ClickCommand({u"click", u"Track"});
}

void Session::ClickCommand(const std::vector<std::u16string>& words) {
    if (words.size() < 2)
        Malformed("usage: click PATH [options words]");
    const std::u16string& path = words[1];
    const bool options = path == u"Options..." || path == u"launcher";
    if (!options && words.size() != 2)
        Malformed("usage: click PATH (only Options... and launcher take more words)");
    if (options)
        m_optionsPlan = ParseOptionsPlan(words, 2);
    const bool pressed = Press(path);
    if (path == u"Track" && pressed)
        m_out << "tracking: " << (TrackingShown() ? "on" : "off") << '\n';
}

bool Session::Press(const std::u16string& path) {
    const base::ScopeExit forget([this] {
        m_optionsPlan.reset();
        m_dialogError = nullptr;
    });
    const bool pressed = m_ribbonHost ? ClickOnRibbon(path) : ClickOnBar(path);
    if (m_dialogError)
        std::rethrow_exception(m_dialogError);
    return pressed;
}

bool Session::TrackingShown() {
    if (m_ribbonHost) {
        sim::RibbonView* ribbon = m_office->Ribbon();
        const sim::RibbonElement* track = ribbon ? ribbon->Find(u"Track") : nullptr;
        return track && ribbon->Pressed(*track);
    }
    sim::SimOffice& office = m_excel.Office();
    if (const auto bar = office.FindBar(u"Tarvex"))
        for (const auto handle : office.Controls(*bar))
            if (office.Control(handle).caption == u"Track")
                return office.Control(handle).state == -1;
    return false;
}

bool Session::ClickOnRibbon(const std::u16string& path) {
    sim::RibbonView* ribbon = m_office->Ribbon();
    if (!ribbon)
        throw ScriptError("click: the add-in's ribbon is not loaded");
    const sim::RibbonElement* control = ribbon->Find(path);
    if (!control)
        throw ScriptError("click: no control '" + Utf8(path) + "' on the ribbon");
    if (control->tag == u"menu")
        return false; // the menu opens; nothing is pressed
    if (!ribbon->Enabled(*control)) {
        m_out << "disabled: " << Utf8(path) << '\n';
        return false;
    }
    // Office passes the control and, for a toggle button, the state the click gives it;
    // the add-in reports a failing command itself.
    ribbon->Press(*control);
    return true;
}

bool Session::ClickOnBar(const std::u16string& path) {
    if (path == u"launcher")
        throw ScriptError("click: the dialog box launcher is on the ribbon only");
    sim::SimOffice& office = m_excel.Office();
    const auto bar = office.FindBar(u"Tarvex");
    if (!bar)
        throw ScriptError("click: the Tarvex command bar is not there");
    const auto find =
        [&office](sim::SimOffice::BarHandle in,
                  std::u16string_view caption) -> std::optional<sim::SimOffice::ControlHandle> {
        for (const auto handle : office.Controls(in))
            if (office.Control(handle).caption == caption)
                return handle;
        return std::nullopt;
    };
    std::optional<sim::SimOffice::ControlHandle> control;
    if (path.starts_with(u"Help > ")) {
        if (const auto popup = find(*bar, u"Help"))
            if (const auto items = office.PopupBar(*popup))
                control = find(*items, path.substr(7));
    } else {
        control = find(*bar, path);
    }
    if (!control)
        throw ScriptError("click: no control '" + Utf8(path) + "' on the command bar");
    if (path == u"Help")
        return false; // the popup opens; nothing is pressed
    if (!office.Control(*control).enabled || !office.Bar(*bar).visible) {
        m_out << "disabled: " << Utf8(path) << '\n';
        return false;
    }
    office.Click(*control);
    return true;
}

void Session::BarCommand(const std::vector<std::u16string>& words) {
    ExpectCount(words, 1, "bar");
    sim::SimOffice& office = m_excel.Office();
    const auto bar = office.FindBar(u"Tarvex");
    if (!bar) {
        m_out << "bar: none\n";
        return;
    }
    m_out << "bar: Tarvex visible=" << (office.Bar(*bar).visible ? "yes" : "no") << '\n';
    const std::function<void(sim::SimOffice::BarHandle, int)> list =
        [&](sim::SimOffice::BarHandle in, int level) {
            for (const auto handle : office.Controls(in)) {
                const sim::CommandBarControlData control = office.Control(handle);
                const char* state = control.state == 0    ? "up"
                                    : control.state == -1 ? "down"
                                                          : "mixed";
                m_out << std::string(static_cast<std::size_t>(level) * 2, ' ')
                      << Utf8(control.caption) << " | state=" << state
                      << " | enabled=" << (control.enabled ? "yes" : "no")
                      << " | group=" << (control.beginGroup ? "yes" : "no") << " | face="
                      << (control.face.source != sim::ButtonFace::Source::None ? "yes" : "no")
                      << '\n';
                if (const auto popup = office.PopupBar(handle))
                    list(*popup, level + 1);
            }
        };
    list(*bar, 1);
}

void Session::RibbonCommand(const std::vector<std::u16string>& words) {
    ExpectCount(words, 1, "ribbon");
    if (!m_ribbonHost) {
        m_out << "ribbon: none\n";
        return;
    }
    m_out << Utf8(m_office->CustomUI()) << '\n';
}

void Session::AnswerCommand(const std::vector<std::u16string>& words) {
    ExpectCount(words, 2, "answer yes|no|close");
    if (words[1] == u"yes")
        m_answers.push_back(base::modal_result::Yes);
    else if (words[1] == u"no")
        m_answers.push_back(base::modal_result::No);
    else if (words[1] == u"close")
        m_answers.push_back(base::modal_result::Cancel);
    else
        Malformed("usage: answer yes|no|close");
}

void Session::OptionsCommand(const std::vector<std::u16string>& words) {
    // Options... as the user reaches it: the button on the ribbon or the bar.
    m_optionsPlan = ParseOptionsPlan(words, 1);
    Press(u"Options...");
}

Session::OptionsPlan Session::ParseOptionsPlan(const std::vector<std::u16string>& words,
                                               std::size_t first) {
    // The whole line is checked before the dialog opens, so that a typing error changes
    // nothing; whether a change can be made is known only in the dialog.
    OptionsPlan plan;
    std::size_t end = words.size();
    if (end > first && (words[end - 1] == u"ok" || words[end - 1] == u"cancel")) {
        plan.ok = words[end - 1] == u"ok";
        --end;
    }
    std::size_t i = first;
    if (i < end && words[i] == u"help") {
        plan.help = true;
        ++i;
    }
    for (; i < end; ++i) {
        const std::u16string& word = words[i];
        const std::size_t equals = word.find(u'=');
        if (equals == std::u16string::npos)
            Malformed("usage: options [help] [CHANGE...] [ok|cancel], not '" + Utf8(word) + "'");
        const std::string key = Utf8(word.substr(0, equals));
        const std::u16string value = word.substr(equals + 1);
        OptionsChange change;
        if (key == "columns" || key == "rows" || key == "case") {
            change.control = key == "columns" ? "chkColumns"
                             : key == "rows"  ? "chkRows"
                                              : "chkCaseSensitive";
            change.checked = OnOff(value, key);
        } else if (key == "column-scope") {
            if (value != u"column" && value != u"range")
                Malformed("column-scope must be column or range");
            change.control = value == u"column" ? "rbActiveColumn" : "rbColumnSelectedRange";
        } else if (key == "row-scope") {
            if (value != u"row" && value != u"range")
                Malformed("row-scope must be row or range");
            change.control = value == u"row" ? "rbActiveRow" : "rbRowSelectedRange";
        } else {
            Malformed("unknown option '" + key + "'");
        }
        change.text = Utf8(word);
        plan.changes.push_back(std::move(change));
    }
    return plan;
}

int Session::AnswerOptions(base::Form& form) {
    const auto on = [&](const char* name) { return form.Control(name).checked ? "on" : "off"; };
    const auto scope = [&](const char* active, const char* range, const char* activeWord) {
        if (form.Control(active).checked)
            return activeWord;
        return form.Control(range).checked ? "range" : "none";
    };
    m_out << "options: columns=" << on("chkColumns") << " rows=" << on("chkRows")
          << " column-scope=" << scope("rbActiveColumn", "rbColumnSelectedRange", "column")
          << " row-scope=" << scope("rbActiveRow", "rbRowSelectedRange", "row")
          << " case=" << on("chkCaseSensitive") << '\n';
    const OptionsPlan plan = *m_optionsPlan;
    if (plan.help)
        form.UserClick(form.IndexOf("btnHelp"));
    for (const OptionsChange& change : plan.changes) {
        const int index = form.IndexOf(change.control);
        if (!form.AcceptsInput(index))
            throw ScriptError("options: '" + change.text + "' changes a disabled control");
        // A check box is clicked only when it must change; a radio button is clicked even
        // when already checked, which changes nothing, as for a user.
        const base::ControlKind kind = form.Control(index).kind;
        if (kind != base::ControlKind::CheckBox || form.Control(index).checked != change.checked)
            form.UserClick(index);
    }
    form.UserClick(form.IndexOf(plan.ok ? "btnOk" : "btnCancel"));
    // A failed save leaves the dialog open with its error shown: the user gives up then.
    return form.ModalResult() == base::modal_result::None ? base::modal_result::Cancel
                                                          : form.ModalResult();
}

void Session::LoadCommand(const std::vector<std::u16string>& words) {
    if (words.size() != 2 && words.size() != 3)
        Malformed("usage: load FILE [REF]");
    const SheetCell origin = words.size() == 3 ? ParseSheetCell(words[2]) : SheetCell{};
    RequireSheet(origin.sheet);
    const std::filesystem::path path(Utf8(words[1]));
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw ScriptError("cannot read '" + path.string() + "'");
    std::vector<std::vector<std::u16string>> records;
    try {
        records = ReadCsv(file);
    } catch (const ScriptError& error) {
        throw ScriptError(path.string() + ": " + error.what());
    }
    for (std::size_t r = 0; r < records.size(); ++r) {
        for (std::size_t c = 0; c < records[r].size(); ++c) {
            const std::int64_t row = origin.cell.row + static_cast<std::int64_t>(r);
            const std::int64_t column = origin.cell.column + static_cast<std::int64_t>(c);
            if (row > host::excel::kMaxRows || column > host::excel::kMaxColumns)
                throw ScriptError(path.string() + ": line " + std::to_string(r + 1) +
                                  " reaches past the edge of the sheet");
        }
    }
    for (std::size_t r = 0; r < records.size(); ++r) {
        for (std::size_t c = 0; c < records[r].size(); ++c)
            m_excel.SetText(origin.sheet,
                            {origin.cell.row + static_cast<std::int32_t>(r),
                             origin.cell.column + static_cast<std::int32_t>(c)},
                            records[r][c]);
    }
}

void Session::ShowCommand(const std::vector<std::u16string>& words) {
    if (words.size() > 2)
        Malformed("usage: show [RANGE]");
    const SheetRange where = words.size() == 2 ? ParseSheetRange(words[1]) : SheetRange{};
    RequireSheet(where.sheet);
    const std::optional<sim::Area> area = words.size() == 2
                                              ? std::optional<sim::Area>(where.areas.front())
                                              : m_excel.UsedArea(where.sheet);
    if (!area)
        return;
    for (const auto& [cell, text] : m_excel.NonEmptyCells(where.sheet, *area))
        m_out << Utf8(sim::FormatA1(cell)) << ": " << Quoted(text) << '\n';
}

int Session::AnswerModal(base::Form& form) {
    try {
        if (m_optionsPlan && form.caption == u"Options")
            return AnswerOptions(form);
        return AnswerPrompt(form);
    } catch (const ScriptError&) {
        // The user cannot do what the script asks: the dialog is closed, and the command
        // fails once the add-in has returned.
        m_dialogError = std::current_exception();
        return base::modal_result::Cancel;
    }
}

int Session::AnswerPrompt(base::Form& form) {
    const std::u16string message = form.Control("lblMessage").caption;
    m_out << "prompt: " << Utf8(message) << '\n';
    int answer = m_defaultAnswer;
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    } else if (m_ask) {
        m_out.flush();
        answer = m_ask(message);
    }
    switch (answer) {
    case base::modal_result::Yes:
        m_out << "answer: Yes\n";
        form.UserClick(form.IndexOf("btnYes"));
        break;
    case base::modal_result::No:
        m_out << "answer: No\n";
        form.UserClick(form.IndexOf("btnNo"));
        break;
    default:
        m_out << "answer: Close\n";
        return base::modal_result::Cancel;
    }
    return form.ModalResult();
}

} // namespace tarvex::simtool
