#pragma once

// The state of one simulated Excel, shared by the control API (SimExcel) and the objects
// that answer over the seam. Seam objects hold it weakly: once the SimExcel is gone, calls
// on objects that a client still holds fail as calls on a vanished server do.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/object.h"
#include "host/variant.h"
#include "sim/automation/call_log.h"
#include "sim/excel/excel.h"
#include "sim/sheet/hidden_lines.h"
#include "sim/sheet/reference_notation.h"
#include "sim/sheet/sheet_cells.h"

namespace tarvex::sim::detail {

/// The code Excel puts in an exception it raises (its "application-defined error").
inline constexpr base::HResult kExcelError = base::MakeHResult(0x800A03EC);
/// The interface id of Excel's _Chart.
inline constexpr base::Guid kChartIid = base::Guid::Parse("{000208D6-0000-0000-C000-000000000046}");

struct BookModel;

/// What a sheet has selected: cells, a chart, or nothing.
enum class SelectionKind { Cells, Chart, Nothing };

/// One worksheet: its cells, its selection (each sheet keeps its own, as in Excel) and its
/// hidden rows and columns.
struct SheetModel {
    std::u16string name;
    SheetCells cells;
    SelectionKind selectionKind = SelectionKind::Cells;
    Areas selection{Area{}};
    Cell activeCell{};
    HiddenLines hidden;
    std::weak_ptr<BookModel> book;
    host::Ref<host::Dispatch> object; // its Worksheet object, made on first use
};

/// One open workbook.
struct BookModel {
    std::u16string name;
    std::vector<std::shared_ptr<SheetModel>> sheets;
    std::size_t activeSheet = 0;
    int nextSheetNumber = 0; // the number a new sheet's default name tries first
    bool open = true;
    host::Ref<host::Dispatch> object; // its Workbook object, made on first use
};

/// Find's settings: those Excel keeps from one Find to the next, and the last Find's What,
/// case switch and direction, which FindNext and FindPrevious reuse.
struct FindSettings {
    bool any = false; // a Find has run
    std::u16string what;
    std::int32_t lookIn = host::excel::xlFormulas;
    std::int32_t lookAt = host::excel::xlPart;
    std::int32_t searchOrder = host::excel::xlByRows;
    std::int32_t searchDirection = host::excel::xlNext;
    bool matchCase = false;
    bool matchByte = false;
};

/// Everything one simulated Excel holds.
class ExcelState : public std::enable_shared_from_this<ExcelState> {
public:
    // Workbooks, the most recently active first: the first one is the active workbook.
    std::vector<std::shared_ptr<BookModel>> books;
    std::u16string version = u"16.0";
    R1C1Letters localLetters;
    FindSettings find;
    int nextBookNumber = 1;
    std::function<void(Cell)> activationObserver; // told of Range.Activate over the seam
    // The Office this Excel hosts, which answers Application.CommandBars; null once it has
    // gone (it goes first when the SimExcel does).
    SimOffice* office = nullptr;
    // The call log and failure injection, shared with the Office.
    std::shared_ptr<CallLog> callLog = std::make_shared<CallLog>();

    std::shared_ptr<BookModel> ActiveBook() const;
    std::shared_ptr<SheetModel> ActiveSheet() const;
    /// The active sheet; throws base::Error when no workbook is open.
    std::shared_ptr<SheetModel> RequireActiveSheet() const;
    /// The sheet of the active workbook named `name` (letter case aside), the active sheet
    /// for ""; throws base::Error when there is none.
    std::shared_ptr<SheetModel> RequireSheet(std::u16string_view name) const;
    std::shared_ptr<BookModel> BookOf(const SheetModel& sheet) const;

    /// Makes `sheet` the active sheet of its workbook and that workbook the active one.
    void ActivateSheet(const std::shared_ptr<SheetModel>& sheet);
    /// Range.Activate: a single cell inside the selection becomes the active cell and the
    /// selection stays; anything else becomes the selection, its top-left cell active.
    void ActivateRange(const std::shared_ptr<SheetModel>& sheet, const Areas& areas);
    /// Range.Select: the areas become the selection, the top-left cell of the first active.
    void SelectRange(const std::shared_ptr<SheetModel>& sheet, const Areas& areas);

    /// The seam objects. Workbook and Worksheet objects are one per workbook and sheet, as
    /// in Excel; every Range is a new object.
    host::Ref<host::Dispatch> BookObject(const std::shared_ptr<BookModel>& book);
    host::Ref<host::Dispatch> SheetObject(const std::shared_ptr<SheetModel>& sheet);
    host::Ref<host::Dispatch> NewRange(const std::shared_ptr<SheetModel>& sheet, const Area& area);
    host::Ref<host::Dispatch> NewRange(const std::shared_ptr<SheetModel>& sheet, Areas areas);
    host::Ref<host::Dispatch> NewChart();

    // Application events.
    struct Connection {
        std::uint32_t cookie;
        host::Ref<host::Dispatch> sink;
    };
    std::vector<Connection> connections;
    std::uint32_t nextCookie = 1;
    /// Invokes `event` on every advised sink, in advise order.
    void Raise(host::DispId event, const std::vector<host::Variant>& argsInDeclarationOrder);
};

} // namespace tarvex::sim::detail
