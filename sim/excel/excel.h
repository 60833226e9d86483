#pragma once

// The simulated Excel: workbooks of sparse worksheets whose cells hold displayed texts,
// reachable over the seam exactly as Excel is over COM (Application, Workbook, Worksheet and
// Range objects answering Invoke by Excel's dispatch ids, application events through a
// connection point), plus a C++ control API with which tests and tarvex-sim set up sheets,
// act as the user and watch the calls that arrive.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/result.h"
#include "host/object.h"
#include "host/variant.h"
#include "sim/automation/call_log.h"
#include "sim/sheet/cell.h"

namespace tarvex::sim {

/// Parses an A1 area: "B7", "$B$7", "A1:C10", "B:B", "7:7" (letters in either case).
/// Nothing when the text is not one of these.
std::optional<Area> ParseA1Area(std::u16string_view text);

/// Splits "Sheet2!B3" or "'My Sheet'!A1:A9" (a quote in a quoted name doubled) into the sheet
/// name and the reference; a text without "!" has no sheet name. False for a quoted name
/// that is not closed or not followed by "!".
bool SplitSheetName(std::u16string_view text, std::optional<std::u16string>& sheetName,
                    std::u16string_view& reference);

/// "B7".
std::u16string FormatA1(Cell cell);

/// "B7", "A1:C10"; whole columns as "B:B", whole rows (and the whole sheet) as "7:7".
std::u16string FormatA1(Area area);

/// Excel's comparison of displayed texts in Find: exact when `matchCase`, otherwise equal
/// under Unicode simple case folding ("ÄBC" equals "äbc"; "Straße" does not equal
/// "STRASSE", which would need full folding).
bool TextsEqual(std::u16string_view a, std::u16string_view b, bool matchCase);

namespace detail {
class ExcelState;
}

class SimOffice;

/// One simulated Excel application.
///
/// The set-up members change the model silently; the user actions raise Excel's
/// application events through the Application's connection point. Members that work on
/// "the active sheet" throw base::Error(E_UNEXPECTED) when no workbook is open; cells and
/// areas off the sheet give base::Error(E_INVALIDARG).
class SimExcel {
public:
    /// No workbook, version "16.0".
    SimExcel();
    ~SimExcel();
    SimExcel(const SimExcel&) = delete;
    SimExcel& operator=(const SimExcel&) = delete;

    /// Excel's Application object (always the same object).
    host::Ref<host::Dispatch> Application() const;
    /// The Office this application hosts: command bars (Application.CommandBars), ribbon
    /// and COM add-in objects. It shares this Excel's call log and failure injection.
    SimOffice& Office() noexcept { return *m_office; }
    const SimOffice& Office() const noexcept { return *m_office; }
    /// Sets the version text that Application.Version answers; the Office it hosts takes it
    /// as its own.
    void SetVersion(std::u16string version);
    /// The version text Application.Version answers ("16.0").
    const std::u16string& Version() const noexcept;
    /// Sets the letters of the local R1C1 notation that AddressLocal writes (u'Z', u'S' in
    /// a German Excel). Address and ConvertFormula keep the English R and C.
    void SetLocalR1C1Letters(char16_t row, char16_t column);

    // Set-up, without events.

    /// Opens a workbook, which becomes active with its first sheet active and A1 active
    /// and selected. The name must be new and the sheet names distinct and not empty.
    void AddWorkbook(std::u16string name, std::vector<std::u16string> sheetNames = {u"Sheet1"});
    bool HasActiveWorkbook() const;
    /// The active workbook's name, or "" when none is open.
    std::u16string ActiveWorkbookName() const;
    /// Makes the named sheet of the active workbook active.
    void ActivateSheet(std::u16string_view sheetName);
    /// The active sheet's name, or "" when no workbook is open.
    std::u16string ActiveSheetName() const;
    /// The names of the active workbook's sheets, in tab order.
    std::vector<std::u16string> SheetNames() const;

    // Members that take a sheet name work on that sheet of the active workbook; "" (and the
    // overloads without a name) stand for the active sheet. An unknown name is
    // base::Error(E_INVALIDARG).

    /// Sets a cell's displayed text; "" empties it.
    void SetText(Cell cell, std::u16string text);
    void SetText(std::u16string_view sheet, Cell cell, std::u16string text);
    /// A cell's displayed text ("" when empty).
    std::u16string Text(Cell cell) const;
    std::u16string Text(std::u16string_view sheet, Cell cell) const;
    /// The non-empty cells of `area`, along rows.
    std::vector<std::pair<Cell, std::u16string>> NonEmptyCells(Area area) const;
    std::vector<std::pair<Cell, std::u16string>> NonEmptyCells(std::u16string_view sheet,
                                                               Area area) const;
    /// The smallest area holding every non-empty cell.
    std::optional<Area> UsedArea() const;
    std::optional<Area> UsedArea(std::u16string_view sheet) const;
    /// Hides the rows top..bottom, or the columns left..right, of a sheet, as the user or a
    /// filter does; they stay hidden until UnhideAll.
    void HideRows(std::u16string_view sheet, std::int32_t top, std::int32_t bottom);
    void HideColumns(std::u16string_view sheet, std::int32_t left, std::int32_t right);
    void UnhideAll(std::u16string_view sheet);
    bool IsHidden(std::u16string_view sheet, Cell cell) const;
    /// Selection = `area`, active cell = its top-left cell.
    void Select(Area area);
    /// Selection = the areas (at least one: "A1:A10,C1:C10" selected with Ctrl), active
    /// cell = the top-left cell of the first.
    void Select(Areas areas);
    /// Selection = a chart object (not a Range); the active cell stays.
    void SelectChart();
    /// Nothing selected; the active cell stays.
    void SelectNothing();
    /// As Range.Activate does.
    void ActivateCell(Cell cell);
    Cell ActiveCell() const;
    /// The selected area (the first, when several are selected); nothing when a chart or
    /// nothing is selected.
    std::optional<Area> SelectedArea() const;
    /// Every selected area, in selection order; nothing when a chart or nothing is selected.
    std::optional<Areas> SelectedAreas() const;

    /// Calls visit(row, text) for each non-empty cell of `column` on the active sheet, top to
    /// bottom, with `text` a `const std::u16string&` valid during the call. The visitor must
    /// not change the sheet.
    template <class F>
    void ForEachInColumn(std::int32_t column, F&& visit) const {
        using Visitor = std::remove_reference_t<F>;
        ForEachInColumnImpl(column, const_cast<void*>(static_cast<const void*>(&visit)),
                            [](void* context, std::int32_t row, const std::u16string& text) {
                                (*static_cast<Visitor*>(context))(row, text);
                            });
    }

    // What the user does; each raises Excel's application events.

    /// Types into a cell: it becomes the selection and active cell, takes the text, the
    /// selection and active cell move one row down (not past the last row), then
    /// SheetChange(Sh, Target = the cell).
    void TypeInto(Cell cell, std::u16string text);
    /// The area becomes the selection (top-left active), every cell takes `text`, then one
    /// SheetChange for the area.
    void Fill(Area area, std::u16string text);
    /// As Fill with one text per cell, along rows. `texts` must hold exactly one text per
    /// cell of `area`, else base::Error(E_INVALIDARG).
    void Paste(Area area, std::vector<std::u16string> texts);
    /// The area becomes the selection (top-left active), its cells are emptied, then one
    /// SheetChange for the area.
    void Clear(Area area);
    /// Creates "Book<n>": WorkbookDeactivate(old) if a workbook was active, NewWorkbook(new),
    /// WorkbookActivate(new).
    void NewWorkbook();
    /// Adds a worksheet to the active workbook after the active sheet, as the new-sheet button
    /// does, and makes it the active sheet; then SheetDeactivate(old sheet),
    /// WorkbookNewSheet(Wb, new sheet), SheetActivate(new sheet). It is named `name`, or
    /// "Sheet<n>" with the workbook's next unused number.
    void NewSheet(std::u16string name = {});
    /// The user clicks a sheet's tab: it becomes the active sheet (with the selection it
    /// had), then SheetDeactivate(old), SheetActivate(new). Nothing when it is active already.
    void GoToSheet(std::u16string_view sheetName);
    /// A program writes `text` into every cell of `areas` on a sheet of the active workbook
    /// (a macro, another add-in, a link update): then SheetChange(Sh = that sheet, Target =
    /// the areas). The active sheet, its selection and active cell stay as they are.
    void Write(std::u16string_view sheet, const Areas& areas, std::u16string text);
    /// WorkbookBeforeClose(Wb, Cancel by reference); false when a sink cancelled (or no
    /// workbook is open). Otherwise WorkbookDeactivate(Wb), the workbook closes, and
    /// WorkbookActivate follows for the most recently active remaining one, if any.
    bool CloseActiveWorkbook();
    /// Raises `event` on every advised sink, in advise order, as Excel does.
    void RaiseEvent(host::DispId event, std::vector<host::Variant> argsInDeclarationOrder);
    /// The sinks advised on the application's events, in advise order: a test may call
    /// them itself, as Excel does, with arguments it builds by hand.
    std::vector<host::Ref<host::Dispatch>> AdvisedSinks() const;

    // Test hooks.

    /// One call that arrived through Invoke or GetIDsOfNames ("Range.Find", its kind, locale
    /// and arguments), as sim::CallRecord describes it.
    using CallRecord = sim::CallRecord;
    const std::vector<CallRecord>& Calls() const;
    /// Forgets the recorded calls and the counts.
    void ClearCalls();
    /// How many calls of `member` ("Range.Find") arrived since the last ClearCalls.
    std::size_t CallCount(std::string_view member) const;
    /// Keeps only the counts, not the records (for long runs such as benchmarks).
    void SetCallLogging(bool on);
    /// Makes the k-th call from now (1 = the next one) fail with `code`. DISP_E_EXCEPTION
    /// comes with Excel's exception information (scode 0x800A03EC).
    void FailCall(std::size_t k, base::HResult code = base::hr::DispException);
    /// Calls `observer` with the new active cell after each Range.Activate that arrives
    /// through the seam (the add-in's jumps to a cell); an empty function stops it.
    void SetActivationObserver(std::function<void(Cell)> observer);
    /// Makes every call of `member` ("Range.Find") fail with `code`.
    void FailMember(std::string member, base::HResult code = base::hr::DispException);
    void ClearFailures();

private:
    using ColumnVisitor = void (*)(void* context, std::int32_t row, const std::u16string& text);
    void ForEachInColumnImpl(std::int32_t column, void* context, ColumnVisitor visit) const;

    std::shared_ptr<detail::ExcelState> m_state;
    host::Ref<host::Dispatch> m_application;
    std::unique_ptr<SimOffice> m_office;
};

} // namespace tarvex::sim
