#pragma once

// Excel's published dispatch ids, interface ids and enumeration values: the one place they
// are written. Both the typed wrappers (which call Excel) and the simulated Excel (which
// answers those calls) use these names.

#include <cstddef>
#include <cstdint>

#include "base/guid.h"
#include "host/object.h"

namespace tarvex::host::excel {

namespace iid {
inline constexpr base::Guid Application =
    base::Guid::Parse("{000208D5-0000-0000-C000-000000000046}");
inline constexpr base::Guid Workbook = base::Guid::Parse("{000208DA-0000-0000-C000-000000000046}");
inline constexpr base::Guid Worksheet = base::Guid::Parse("{000208D8-0000-0000-C000-000000000046}");
inline constexpr base::Guid Range = base::Guid::Parse("{00020846-0000-0000-C000-000000000046}");
inline constexpr base::Guid Window = base::Guid::Parse("{00020893-0000-0000-C000-000000000046}");
inline constexpr base::Guid Hyperlink = base::Guid::Parse("{00024431-0000-0000-C000-000000000046}");
inline constexpr base::Guid PivotTable =
    base::Guid::Parse("{00020872-0000-0000-C000-000000000046}");
inline constexpr base::Guid AppEvents = base::Guid::Parse("{00024413-0000-0000-C000-000000000046}");
} // namespace iid

/// The class id of Excel.Application.
inline constexpr base::Guid kApplicationClsid =
    base::Guid::Parse("{00024500-0000-0000-C000-000000000046}");

namespace application {
inline constexpr DispId ActiveCell = 0x131;
inline constexpr DispId ActiveSheet = 0x133;
inline constexpr DispId ActiveWorkbook = 0x134;
inline constexpr DispId ActiveWindow = 0x2F7;
inline constexpr DispId Selection = 0x93;
inline constexpr DispId Version = 0x188;
inline constexpr DispId ConvertFormula = 0x145;
inline constexpr DispId Range = 0xC5;
inline constexpr DispId Intersect = 0x2FE;
inline constexpr DispId CommandBars = 0x59F;
inline constexpr DispId Workbooks = 0x23C;
inline constexpr DispId Hwnd = 0x79E;
inline constexpr DispId Name = 0x6E;
inline constexpr DispId Quit = 0x12E;
} // namespace application

namespace range {
inline constexpr DispId Text = 0x8A;
inline constexpr DispId Value = 0x6;
inline constexpr DispId Row = 0x101;
inline constexpr DispId Column = 0xF0;
inline constexpr DispId Count = 0x76;
inline constexpr DispId EntireColumn = 0xF6;
inline constexpr DispId EntireRow = 0xF7;
inline constexpr DispId Worksheet = 0x15C;
inline constexpr DispId Find = 0x18E;
inline constexpr DispId FindNext = 0x18F;
inline constexpr DispId FindPrevious = 0x190;
inline constexpr DispId Address = 0xEC;
inline constexpr DispId AddressLocal = 0x1B5;
inline constexpr DispId Activate = 0x130;
inline constexpr DispId Select = 0xEB;
} // namespace range

namespace workbook {
inline constexpr DispId Name = 0x6E;
} // namespace workbook

namespace worksheet {
inline constexpr DispId Name = 0x6E;
inline constexpr DispId Range = 0xC5;
inline constexpr DispId Activate = 0x130;
inline constexpr DispId UsedRange = 0x19C;
} // namespace worksheet

namespace events {
inline constexpr DispId WindowResize = 0x612;
inline constexpr DispId WindowActivate = 0x614;
inline constexpr DispId WindowDeactivate = 0x615;
inline constexpr DispId SheetSelectionChange = 0x616;
inline constexpr DispId SheetBeforeDoubleClick = 0x617;
inline constexpr DispId SheetBeforeRightClick = 0x618;
inline constexpr DispId SheetActivate = 0x619;
inline constexpr DispId SheetDeactivate = 0x61A;
inline constexpr DispId SheetCalculate = 0x61B;
inline constexpr DispId SheetChange = 0x61C;
inline constexpr DispId NewWorkbook = 0x61D;
inline constexpr DispId WorkbookOpen = 0x61F;
inline constexpr DispId WorkbookActivate = 0x620;
inline constexpr DispId WorkbookDeactivate = 0x621;
inline constexpr DispId WorkbookBeforeClose = 0x622;
inline constexpr DispId WorkbookBeforeSave = 0x623;
inline constexpr DispId WorkbookBeforePrint = 0x624;
inline constexpr DispId WorkbookNewSheet = 0x625;
inline constexpr DispId WorkbookAddinInstall = 0x626;
inline constexpr DispId WorkbookAddinUninstall = 0x627;
inline constexpr DispId SheetFollowHyperlink = 0x73E;
inline constexpr DispId SheetPivotTableUpdate = 0x86D;
inline constexpr DispId WorkbookPivotTableCloseConnection = 0x870;
inline constexpr DispId WorkbookPivotTableOpenConnection = 0x871;
inline constexpr DispId WorkbookSync = 0x8F1;
inline constexpr DispId WorkbookBeforeXmlImport = 0x8F2;
inline constexpr DispId WorkbookAfterXmlImport = 0x8F3;
inline constexpr DispId WorkbookBeforeXmlExport = 0x8F4;
inline constexpr DispId WorkbookAfterXmlExport = 0x8F5;
inline constexpr DispId WorkbookRowsetComplete = 0xA33;
inline constexpr DispId AfterCalculate = 0xA34;
} // namespace events

/// XlReferenceStyle.
inline constexpr std::int32_t xlA1 = 1;
inline constexpr std::int32_t xlR1C1 = -4150;
/// XlFindLookIn.
inline constexpr std::int32_t xlValues = -4163;
inline constexpr std::int32_t xlFormulas = -4123;
inline constexpr std::int32_t xlComments = -4144;
/// XlLookAt.
inline constexpr std::int32_t xlWhole = 1;
inline constexpr std::int32_t xlPart = 2;
/// XlSearchOrder.
inline constexpr std::int32_t xlByRows = 1;
inline constexpr std::int32_t xlByColumns = 2;
/// XlSearchDirection.
inline constexpr std::int32_t xlNext = 1;
inline constexpr std::int32_t xlPrevious = 2;
/// XlReferenceType.
inline constexpr std::int32_t xlAbsolute = 1;
inline constexpr std::int32_t xlAbsRowRelColumn = 2;
inline constexpr std::int32_t xlRelRowAbsColumn = 3;
inline constexpr std::int32_t xlRelative = 4;

/// The size of a worksheet.
inline constexpr std::int32_t kMaxRows = 1048576;
inline constexpr std::int32_t kMaxColumns = 16384;

/// The longest What text (in UTF-16 units) that Range.Find accepts from a program.
inline constexpr std::size_t kMaxFindText = 255;

} // namespace tarvex::host::excel
