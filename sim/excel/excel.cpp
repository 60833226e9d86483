// SimExcel: the control API over the simulated Excel's model.

#include "sim/excel/excel.h"

#include <algorithm>

#include "base/case_folding.h"
#include "base/error.h"
#include "host/excel/dispids.h"
#include "sim/excel/excel_model.h"
#include "sim/excel/excel_objects.h"
#include "sim/office/office.h"

namespace tarvex::sim {

bool TextsEqual(std::u16string_view a, std::u16string_view b, bool matchCase) {
    return matchCase ? a == b : base::FoldedEqual(a, b);
}

namespace {
namespace events = host::excel::events;
using detail::AreaOf;
using detail::BookModel;
using detail::CellCount;
using detail::IsOnSheet;
using detail::kMaxColumns;
using detail::kMaxRows;
using detail::SheetModel;

// Fill and Paste write every cell: refuse areas that no sheet could take in reasonable
// memory (a whole column is about a million cells; a whole sheet is 17 billion).
constexpr std::uint64_t kMaxWrittenCells = std::uint64_t{1} << 24;

void RequireOnSheet(Cell cell) {
    if (!IsOnSheet(cell))
        throw base::Error(base::hr::InvalidArg, "The cell lies outside the worksheet");
}

void RequireOnSheet(const Area& area) {
    if (!IsOnSheet(area))
        throw base::Error(base::hr::InvalidArg, "The area lies outside the worksheet");
}

void RequireWritable(const Area& area) {
    RequireOnSheet(area);
    if (CellCount(area) > kMaxWrittenCells)
        throw base::Error(base::hr::InvalidArg, "The area has too many cells to write");
}

// One text into every cell of `area`; "" empties them.
void WriteCells(detail::SheetCells& cells, const Area& area, std::u16string_view text) {
    if (text.empty()) {
        for (const Cell cell : cells.NonEmptyCellList(area))
            cells.SetText(cell, {});
        return;
    }
    for (std::int32_t row = area.top; row <= area.bottom; ++row) {
        for (std::int32_t column = area.left; column <= area.right; ++column)
            cells.SetText({row, column}, text);
    }
}
} // namespace

SimExcel::SimExcel()
    : m_state(std::make_shared<detail::ExcelState>())
    , m_application(host::MakeRef<detail::ApplicationObject>(m_state))
    , m_office(std::make_unique<SimOffice>(m_state->callLog, m_application)) {
    m_state->office = m_office.get();
}

SimExcel::~SimExcel() {
    // Excel lets go of its event sinks when it goes away; objects that clients still hold
    // fail their calls from now on. Its Office goes first.
    m_state->office = nullptr;
    m_office.reset();
    std::vector<detail::ExcelState::Connection> connections = std::move(m_state->connections);
    m_state->connections.clear();
    connections.clear();
    m_application = nullptr;
    m_state.reset();
}

host::Ref<host::Dispatch> SimExcel::Application() const {
    return m_application;
}

void SimExcel::SetVersion(std::u16string version) {
    m_office->SetVersion(version);
    m_state->version = std::move(version);
}

const std::u16string& SimExcel::Version() const noexcept {
    return m_state->version;
}

void SimExcel::SetLocalR1C1Letters(char16_t row, char16_t column) {
    m_state->localLetters = {row, column};
}

void SimExcel::AddWorkbook(std::u16string name, std::vector<std::u16string> sheetNames) {
    if (name.empty() || sheetNames.empty())
        throw base::Error(base::hr::InvalidArg, "A workbook needs a name and a sheet");
    for (const auto& book : m_state->books) {
        if (TextsEqual(book->name, name, false))
            throw base::Error(base::hr::InvalidArg, "A workbook of that name is open");
    }
    auto book = std::make_shared<BookModel>();
    book->name = std::move(name);
    for (auto& sheetName : sheetNames) {
        if (sheetName.empty())
            throw base::Error(base::hr::InvalidArg, "A sheet needs a name");
        for (const auto& sheet : book->sheets) {
            if (TextsEqual(sheet->name, sheetName, false))
                throw base::Error(base::hr::InvalidArg, "Two sheets have the same name");
        }
        auto sheet = std::make_shared<SheetModel>();
        sheet->name = std::move(sheetName);
        sheet->book = book;
        book->sheets.push_back(std::move(sheet));
    }
    book->nextSheetNumber = static_cast<int>(book->sheets.size()) + 1;
    m_state->books.insert(m_state->books.begin(), std::move(book));
}

bool SimExcel::HasActiveWorkbook() const {
    return m_state->ActiveBook() != nullptr;
}

std::u16string SimExcel::ActiveWorkbookName() const {
    const auto book = m_state->ActiveBook();
    return book ? book->name : std::u16string();
}

void SimExcel::ActivateSheet(std::u16string_view sheetName) {
    if (!sheetName.empty() && m_state->ActiveBook())
        m_state->ActivateSheet(m_state->RequireSheet(sheetName));
    else
        throw base::Error(base::hr::InvalidArg, "The active workbook has no sheet of that name");
}

std::u16string SimExcel::ActiveSheetName() const {
    const auto sheet = m_state->ActiveSheet();
    return sheet ? sheet->name : std::u16string();
}

std::vector<std::u16string> SimExcel::SheetNames() const {
    std::vector<std::u16string> names;
    if (const auto book = m_state->ActiveBook()) {
        for (const auto& sheet : book->sheets)
            names.push_back(sheet->name);
    }
    return names;
}

void SimExcel::SetText(Cell cell, std::u16string text) {
    SetText({}, cell, std::move(text));
}

void SimExcel::SetText(std::u16string_view sheet, Cell cell, std::u16string text) {
    RequireOnSheet(cell);
    m_state->RequireSheet(sheet)->cells.SetText(cell, text);
}

std::u16string SimExcel::Text(Cell cell) const {
    return Text({}, cell);
}

std::u16string SimExcel::Text(std::u16string_view sheet, Cell cell) const {
    RequireOnSheet(cell);
    const std::u16string* text = m_state->RequireSheet(sheet)->cells.Text(cell);
    return text ? *text : std::u16string();
}

std::vector<std::pair<Cell, std::u16string>> SimExcel::NonEmptyCells(Area area) const {
    return NonEmptyCells({}, area);
}

std::vector<std::pair<Cell, std::u16string>> SimExcel::NonEmptyCells(std::u16string_view sheet,
                                                                     Area area) const {
    RequireOnSheet(area);
    return m_state->RequireSheet(sheet)->cells.NonEmptyCells(area);
}

std::optional<Area> SimExcel::UsedArea() const {
    return UsedArea({});
}

std::optional<Area> SimExcel::UsedArea(std::u16string_view sheet) const {
    return m_state->RequireSheet(sheet)->cells.UsedArea();
}

void SimExcel::HideRows(std::u16string_view sheet, std::int32_t top, std::int32_t bottom) {
    RequireOnSheet(Area{std::min(top, bottom), 1, std::max(top, bottom), 1});
    m_state->RequireSheet(sheet)->hidden.rows.Add(top, bottom);
}

void SimExcel::HideColumns(std::u16string_view sheet, std::int32_t left, std::int32_t right) {
    RequireOnSheet(Area{1, std::min(left, right), 1, std::max(left, right)});
    m_state->RequireSheet(sheet)->hidden.columns.Add(left, right);
}

void SimExcel::UnhideAll(std::u16string_view sheet) {
    const auto model = m_state->RequireSheet(sheet);
    model->hidden.rows.Clear();
    model->hidden.columns.Clear();
}

bool SimExcel::IsHidden(std::u16string_view sheet, Cell cell) const {
    return m_state->RequireSheet(sheet)->hidden.Hides(cell);
}

void SimExcel::Select(Area area) {
    Select(Areas{area});
}

void SimExcel::Select(Areas areas) {
    if (areas.empty())
        throw base::Error(base::hr::InvalidArg, "A selection needs an area");
    for (const Area& area : areas)
        RequireOnSheet(area);
    m_state->SelectRange(m_state->RequireActiveSheet(), areas);
}

void SimExcel::SelectChart() {
    m_state->RequireActiveSheet()->selectionKind = detail::SelectionKind::Chart;
}

void SimExcel::SelectNothing() {
    m_state->RequireActiveSheet()->selectionKind = detail::SelectionKind::Nothing;
}

void SimExcel::ActivateCell(Cell cell) {
    RequireOnSheet(cell);
    m_state->ActivateRange(m_state->RequireActiveSheet(), {AreaOf(cell)});
}

Cell SimExcel::ActiveCell() const {
    return m_state->RequireActiveSheet()->activeCell;
}

std::optional<Area> SimExcel::SelectedArea() const {
    const std::optional<Areas> areas = SelectedAreas();
    return areas ? std::optional<Area>(areas->front()) : std::nullopt;
}

std::optional<Areas> SimExcel::SelectedAreas() const {
    const auto sheet = m_state->ActiveSheet();
    if (!sheet || sheet->selectionKind != detail::SelectionKind::Cells)
        return std::nullopt;
    return sheet->selection;
}

void SimExcel::ForEachInColumnImpl(std::int32_t column, void* context, ColumnVisitor visit) const {
    if (column < 1 || column > kMaxColumns)
        throw base::Error(base::hr::InvalidArg, "The column lies outside the worksheet");
    m_state->RequireActiveSheet()->cells.ForEachInColumn(
        column, [&](std::int32_t row, const std::u16string& text) { visit(context, row, text); });
}

void SimExcel::TypeInto(Cell cell, std::u16string text) {
    RequireOnSheet(cell);
    const auto sheet = m_state->RequireActiveSheet();
    m_state->SelectRange(sheet, {AreaOf(cell)});
    sheet->cells.SetText(cell, text);
    // Enter moves the selection one row down; the last row stays where it is.
    const Cell next{std::min(cell.row + 1, kMaxRows), cell.column};
    m_state->SelectRange(sheet, {AreaOf(next)});
    m_state->Raise(events::SheetChange, {host::Variant(m_state->SheetObject(sheet)),
                                         host::Variant(m_state->NewRange(sheet, AreaOf(cell)))});
}

void SimExcel::Fill(Area area, std::u16string text) {
    RequireWritable(area);
    const auto sheet = m_state->RequireActiveSheet();
    m_state->SelectRange(sheet, {area});
    WriteCells(sheet->cells, area, text);
    m_state->Raise(events::SheetChange, {host::Variant(m_state->SheetObject(sheet)),
                                         host::Variant(m_state->NewRange(sheet, area))});
}

void SimExcel::Paste(Area area, std::vector<std::u16string> texts) {
    RequireOnSheet(area);
    if (CellCount(area) != texts.size())
        throw base::Error(base::hr::InvalidArg, "Paste needs exactly one text per cell");
    RequireWritable(area);
    const auto sheet = m_state->RequireActiveSheet();
    m_state->SelectRange(sheet, {area});
    std::size_t next = 0;
    for (std::int32_t row = area.top; row <= area.bottom; ++row) {
        for (std::int32_t column = area.left; column <= area.right; ++column)
            sheet->cells.SetText({row, column}, texts[next++]);
    }
    m_state->Raise(events::SheetChange, {host::Variant(m_state->SheetObject(sheet)),
                                         host::Variant(m_state->NewRange(sheet, area))});
}

void SimExcel::Clear(Area area) {
    RequireOnSheet(area);
    const auto sheet = m_state->RequireActiveSheet();
    m_state->SelectRange(sheet, {area});
    for (const Cell cell : sheet->cells.NonEmptyCellList(area))
        sheet->cells.SetText(cell, {});
    m_state->Raise(events::SheetChange, {host::Variant(m_state->SheetObject(sheet)),
                                         host::Variant(m_state->NewRange(sheet, area))});
}

void SimExcel::NewWorkbook() {
    if (const auto old = m_state->ActiveBook())
        m_state->Raise(events::WorkbookDeactivate, {host::Variant(m_state->BookObject(old))});
    // Excel numbers new workbooks Book1, Book2...; a number whose name is taken is skipped.
    std::u16string name;
    for (;;) {
        name = u"Book";
        for (const char c : std::to_string(m_state->nextBookNumber++))
            name += static_cast<char16_t>(c);
        const bool taken =
            std::any_of(m_state->books.begin(), m_state->books.end(),
                        [&](const auto& book) { return TextsEqual(book->name, name, false); });
        if (!taken)
            break;
    }
    AddWorkbook(name);
    const auto book = m_state->ActiveBook();
    m_state->Raise(events::NewWorkbook, {host::Variant(m_state->BookObject(book))});
    m_state->Raise(events::WorkbookActivate, {host::Variant(m_state->BookObject(book))});
}

void SimExcel::NewSheet(std::u16string name) {
    const auto book = m_state->ActiveBook();
    if (!book)
        throw base::Error(base::hr::Unexpected, "No workbook is open in the simulated Excel");
    const auto taken = [&](std::u16string_view candidate) {
        return std::any_of(book->sheets.begin(), book->sheets.end(), [&](const auto& sheet) {
            return TextsEqual(sheet->name, candidate, false);
        });
    };
    if (name.empty()) {
        // Excel numbers new sheets Sheet2, Sheet3...; a number whose name is taken is skipped.
        do {
            name = u"Sheet";
            for (const char c : std::to_string(book->nextSheetNumber++))
                name += static_cast<char16_t>(c);
        } while (taken(name));
    } else if (taken(name)) {
        throw base::Error(base::hr::InvalidArg, "A sheet of that name is in the workbook");
    }
    const auto old = book->sheets[book->activeSheet];
    auto sheet = std::make_shared<SheetModel>();
    sheet->name = std::move(name);
    sheet->book = book;
    book->sheets.insert(book->sheets.begin() + static_cast<std::ptrdiff_t>(book->activeSheet) + 1,
                        sheet);
    m_state->ActivateSheet(sheet);
    // Excel documents these three events but not their order when a sheet is added: the
    // simulated Excel raises them as the user sees the change, the old sheet leaving first.
    m_state->Raise(events::SheetDeactivate, {host::Variant(m_state->SheetObject(old))});
    m_state->Raise(events::WorkbookNewSheet, {host::Variant(m_state->BookObject(book)),
                                              host::Variant(m_state->SheetObject(sheet))});
    m_state->Raise(events::SheetActivate, {host::Variant(m_state->SheetObject(sheet))});
}

void SimExcel::GoToSheet(std::u16string_view sheetName) {
    const auto sheet = m_state->RequireSheet(sheetName);
    const auto old = m_state->RequireActiveSheet();
    if (sheet == old)
        return;
    m_state->ActivateSheet(sheet);
    // Excel documents these three events but not their order when a sheet is added: the
    // simulated Excel raises them as the user sees the change, the old sheet leaving first.
    m_state->Raise(events::SheetDeactivate, {host::Variant(m_state->SheetObject(old))});
    m_state->Raise(events::SheetActivate, {host::Variant(m_state->SheetObject(sheet))});
}

void SimExcel::Write(std::u16string_view sheetName, const Areas& areas, std::u16string text) {
    if (areas.empty())
        throw base::Error(base::hr::InvalidArg, "A write needs an area");
    for (const Area& area : areas)
        RequireWritable(area);
    const auto sheet = m_state->RequireSheet(sheetName);
    for (const Area& area : areas)
        WriteCells(sheet->cells, area, text);
    m_state->Raise(events::SheetChange, {host::Variant(m_state->SheetObject(sheet)),
                                         host::Variant(m_state->NewRange(sheet, areas))});
}

bool SimExcel::CloseActiveWorkbook() {
    const auto book = m_state->ActiveBook();
    if (!book)
        return false;
    host::Variant cancel(false);
    m_state->Raise(events::WorkbookBeforeClose,
                   {host::Variant(m_state->BookObject(book)), host::Variant::RefTo(cancel)});
    if (cancel.ToBool())
        return false;
    // A sink may have closed the workbook itself meanwhile.
    if (!book->open)
        return true;
    m_state->Raise(events::WorkbookDeactivate, {host::Variant(m_state->BookObject(book))});
    if (!book->open)
        return true;
    book->open = false;
    auto& books = m_state->books;
    books.erase(std::remove(books.begin(), books.end(), book), books.end());
    if (const auto next = m_state->ActiveBook())
        m_state->Raise(events::WorkbookActivate, {host::Variant(m_state->BookObject(next))});
    return true;
}

void SimExcel::RaiseEvent(host::DispId event, std::vector<host::Variant> argsInDeclarationOrder) {
    m_state->Raise(event, argsInDeclarationOrder);
}

std::vector<host::Ref<host::Dispatch>> SimExcel::AdvisedSinks() const {
    std::vector<host::Ref<host::Dispatch>> sinks;
    for (const auto& connection : m_state->connections)
        sinks.push_back(connection.sink);
    return sinks;
}

const std::vector<SimExcel::CallRecord>& SimExcel::Calls() const {
    return m_state->callLog->Calls();
}

void SimExcel::ClearCalls() {
    m_state->callLog->ClearCalls();
}

std::size_t SimExcel::CallCount(std::string_view member) const {
    return m_state->callLog->CallCount(member);
}

void SimExcel::SetCallLogging(bool on) {
    m_state->callLog->SetCallLogging(on);
}

void SimExcel::FailCall(std::size_t k, base::HResult code) {
    m_state->callLog->FailCall(k, code);
}

void SimExcel::SetActivationObserver(std::function<void(Cell)> observer) {
    m_state->activationObserver = std::move(observer);
}

void SimExcel::FailMember(std::string member, base::HResult code) {
    m_state->callLog->FailMember(std::move(member), code);
}

void SimExcel::ClearFailures() {
    m_state->callLog->ClearFailures();
}

} // namespace tarvex::sim
