#include <algorithm>

#include "base/error.h"
#include "sim/automation/sink_calls.h"
#include "sim/excel/excel_model.h"
#include "sim/excel/excel_objects.h"

namespace tarvex::sim::detail {

std::shared_ptr<BookModel> ExcelState::ActiveBook() const {
    return books.empty() ? nullptr : books.front();
}

std::shared_ptr<SheetModel> ExcelState::ActiveSheet() const {
    const std::shared_ptr<BookModel> book = ActiveBook();
    return book ? book->sheets[book->activeSheet] : nullptr;
}

std::shared_ptr<SheetModel> ExcelState::RequireActiveSheet() const {
    std::shared_ptr<SheetModel> sheet = ActiveSheet();
    if (!sheet)
        throw base::Error(base::hr::Unexpected, "No workbook is open in the simulated Excel");
    return sheet;
}

std::shared_ptr<SheetModel> ExcelState::RequireSheet(std::u16string_view name) const {
    std::shared_ptr<SheetModel> active = RequireActiveSheet();
    if (name.empty())
        return active;
    for (const auto& sheet : ActiveBook()->sheets) {
        if (TextsEqual(sheet->name, name, false))
            return sheet;
    }
    throw base::Error(base::hr::InvalidArg, "The active workbook has no sheet of that name");
}

std::shared_ptr<BookModel> ExcelState::BookOf(const SheetModel& sheet) const {
    std::shared_ptr<BookModel> book = sheet.book.lock();
    return book && book->open ? book : nullptr;
}

void ExcelState::ActivateSheet(const std::shared_ptr<SheetModel>& sheet) {
    const std::shared_ptr<BookModel> book = BookOf(*sheet);
    if (!book)
        return;
    for (std::size_t i = 0; i < book->sheets.size(); ++i) {
        if (book->sheets[i] == sheet)
            book->activeSheet = i;
    }
    const auto it = std::find(books.begin(), books.end(), book);
    if (it != books.end())
        std::rotate(books.begin(), it, it + 1);
}

void ExcelState::ActivateRange(const std::shared_ptr<SheetModel>& sheet, const Areas& areas) {
    ActivateSheet(sheet);
    if (sheet->selectionKind == SelectionKind::Cells && areas.size() == 1 &&
        IsSingleCell(areas.front())) {
        const Cell cell = TopLeft(areas.front());
        for (const Area& selected : sheet->selection) {
            if (Contains(selected, cell)) {
                sheet->activeCell = cell;
                return;
            }
        }
    }
    SelectRange(sheet, areas);
}

void ExcelState::SelectRange(const std::shared_ptr<SheetModel>& sheet, const Areas& areas) {
    ActivateSheet(sheet);
    sheet->selectionKind = SelectionKind::Cells;
    sheet->selection = areas;
    sheet->activeCell = TopLeft(areas.front());
}

host::Ref<host::Dispatch> ExcelState::BookObject(const std::shared_ptr<BookModel>& book) {
    if (!book->object)
        book->object = host::MakeRef<WorkbookObject>(weak_from_this(), book);
    return book->object;
}

host::Ref<host::Dispatch> ExcelState::SheetObject(const std::shared_ptr<SheetModel>& sheet) {
    if (!sheet->object)
        sheet->object = host::MakeRef<WorksheetObject>(weak_from_this(), sheet);
    return sheet->object;
}

host::Ref<host::Dispatch> ExcelState::NewRange(const std::shared_ptr<SheetModel>& sheet,
                                               const Area& area) {
    return NewRange(sheet, Areas{area});
}

host::Ref<host::Dispatch> ExcelState::NewRange(const std::shared_ptr<SheetModel>& sheet,
                                               Areas areas) {
    return host::MakeRef<RangeObject>(weak_from_this(), sheet, std::move(areas));
}

host::Ref<host::Dispatch> ExcelState::NewChart() {
    return host::MakeRef<ChartObject>(weak_from_this());
}

void ExcelState::Raise(host::DispId event,
                       const std::vector<host::Variant>& argsInDeclarationOrder) {
    // The sinks advised when the event starts receive it, in advise order.
    std::vector<std::uint32_t> cookies;
    for (const Connection& connection : connections)
        cookies.push_back(connection.cookie);
    RaiseToSinks(event, argsInDeclarationOrder, cookies.size(), [&](std::size_t i) {
        const auto it = std::find_if(connections.begin(), connections.end(),
                                     [&](const Connection& c) { return c.cookie == cookies[i]; });
        return it == connections.end() ? host::Ref<host::Dispatch>() : it->sink;
    });
}

} // namespace tarvex::sim::detail
