// Workbook, Worksheet and chart objects, and the resolution of range texts that
// Application.Range and Worksheet.Range share.

#include <algorithm>
#include <array>

#include "excel_objects.h"
#include "host/error.h"
#include "host/excel/dispids.h"

namespace tarvex::sim::detail {

namespace {
using host::Variant;

constexpr std::array<std::string_view, 2> kRangeParams{"Cell1", "Cell2"};

constexpr std::array<MemberInfo, 1> kWorkbookMembers{{
    {host::excel::workbook::Name, "Name", false, {}, 0},
}};
constexpr ClassInfo kWorkbookClass{"Workbook", kWorkbookMembers};

constexpr std::array<MemberInfo, 4> kWorksheetMembers{{
    {host::excel::worksheet::Name, "Name", false, {}, 0},
    {host::excel::worksheet::Range, "Range", false, kRangeParams, 1},
    {host::excel::worksheet::Activate, "Activate", true, {}, 0},
    {host::excel::worksheet::UsedRange, "UsedRange", false, {}, 0},
}};
constexpr ClassInfo kWorksheetClass{"Worksheet", kWorksheetMembers};

constexpr ClassInfo kChartClass{"Chart", {}};

// Splits "Sheet1!A1" or "'My Sheet'!A1" into the sheet name and the reference. A text
// without "!" has no sheet name.
bool SplitSheetName(std::u16string_view text, std::optional<std::u16string>& sheetName,
                    std::u16string_view& reference) {
    sheetName.reset();
    reference = text;
    if (!text.empty() && text.front() == u'\'') {
        std::u16string name;
        std::size_t pos = 1;
        for (;;) {
            if (pos >= text.size())
                return false;
            if (text[pos] == u'\'') {
                if (pos + 1 < text.size() && text[pos + 1] == u'\'') {
                    name += u'\'';
                    pos += 2;
                    continue;
                }
                break;
            }
            name += text[pos++];
        }
        if (pos + 1 >= text.size() || text[pos + 1] != u'!')
            return false;
        sheetName = std::move(name);
        reference = text.substr(pos + 2);
        return true;
    }
    const std::size_t bang = text.find(u'!');
    if (bang != std::u16string_view::npos) {
        sheetName = std::u16string(text.substr(0, bang));
        reference = text.substr(bang + 1);
    }
    return true;
}

// One end of a Range call: a Range object, or an A1 text on `sheet` or on the sheet that
// the text names (in the same workbook).
std::pair<std::shared_ptr<SheetModel>, Area> ResolveCell(ExcelState& state,
                                                         const std::shared_ptr<SheetModel>& sheet,
                                                         const CallArgs& args,
                                                         std::uint32_t position) {
    const Variant& arg = args.At(position)->Deref();
    if (arg.GetKind() == Variant::Kind::Object) {
        const host::Ref<RangeObject> range = ReadRange(args, position);
        if (!range)
            throw ExcelFailure{};
        return {LiveSheet(*range), range->GetArea()};
    }
    if (arg.GetKind() != Variant::Kind::String)
        throw ExcelFailure{};
    std::optional<std::u16string> sheetName;
    std::u16string_view reference;
    if (!SplitSheetName(arg.ToString(), sheetName, reference))
        throw ExcelFailure{};
    std::shared_ptr<SheetModel> target = sheet;
    if (sheetName) {
        target = nullptr;
        if (const auto book = state.BookOf(*sheet)) {
            for (const auto& candidate : book->sheets) {
                if (TextsEqual(candidate->name, *sheetName, false))
                    target = candidate;
            }
        }
        if (!target)
            throw ExcelFailure{};
    }
    const std::optional<Area> area = ParseA1Area(reference);
    if (!area)
        throw ExcelFailure{};
    return {target, *area};
}
} // namespace

Variant ResolveRange(ExcelState& state, const std::shared_ptr<SheetModel>& sheet,
                     const CallArgs& args, bool sheetMustMatch) {
    auto [target, area] = ResolveCell(state, sheet, args, 0);
    if (args.Given(1)) {
        const auto [otherSheet, other] = ResolveCell(state, sheet, args, 1);
        if (otherSheet != target)
            throw ExcelFailure{};
        area = {std::min(area.top, other.top), std::min(area.left, other.left),
                std::max(area.bottom, other.bottom), std::max(area.right, other.right)};
    }
    if (sheetMustMatch && target != sheet)
        throw ExcelFailure{};
    return Variant(state.NewRange(target, area));
}

WorkbookObject::WorkbookObject(std::weak_ptr<ExcelState> state, std::weak_ptr<BookModel> book)
    : PlainExcelObject(std::move(state), kWorkbookClass, host::excel::iid::Workbook)
    , m_book(std::move(book)) {}

Variant WorkbookObject::Call(ExcelState&, const MemberInfo& member, const CallArgs&) {
    const std::shared_ptr<BookModel> book = m_book.lock();
    if (!book || !book->open)
        throw host::Error(kDisconnected, "The workbook has been closed");
    if (member.id == host::excel::workbook::Name)
        return Variant(book->name);
    throw host::Error(host::hr::DispMemberNotFound, "No such member");
}

WorksheetObject::WorksheetObject(std::weak_ptr<ExcelState> state, std::weak_ptr<SheetModel> sheet)
    : PlainExcelObject(std::move(state), kWorksheetClass, host::excel::iid::Worksheet)
    , m_sheet(std::move(sheet)) {}

Variant WorksheetObject::Call(ExcelState& state, const MemberInfo& member, const CallArgs& args) {
    const std::shared_ptr<SheetModel> sheet = m_sheet.lock();
    if (!sheet || !state.BookOf(*sheet))
        throw host::Error(kDisconnected, "The worksheet's workbook has been closed");
    switch (member.id) {
    case host::excel::worksheet::Name:
        return Variant(sheet->name);
    case host::excel::worksheet::Range:
        return ResolveRange(state, sheet, args, true);
    case host::excel::worksheet::Activate:
        state.ActivateSheet(sheet);
        return Variant();
    case host::excel::worksheet::UsedRange:
        // An empty sheet's used range is A1.
        return Variant(state.NewRange(sheet, sheet->cells.UsedArea().value_or(Area{})));
    default:
        throw host::Error(host::hr::DispMemberNotFound, "No such member");
    }
}

ChartObject::ChartObject(std::weak_ptr<ExcelState> state)
    : PlainExcelObject(std::move(state), kChartClass, kChartIid) {}

Variant ChartObject::Call(ExcelState&, const MemberInfo&, const CallArgs&) {
    throw host::Error(host::hr::DispMemberNotFound, "No such member");
}

} // namespace tarvex::sim::detail
