// Workbook, Worksheet and chart objects, and the resolution of range texts that
// Application.Range and Worksheet.Range share.

#include <algorithm>
#include <array>

#include "base/error.h"
#include "host/excel/dispids.h"
#include "sim/excel/excel_objects.h"

namespace tarvex::sim {

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

} // namespace tarvex::sim

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

// One end of a Range call: a Range object, or an A1 text on `sheet` or on the sheet that
// the text names (in the same workbook). The text may list several areas with the union
// operator, a comma ("A1:A10,C1:C10").
std::pair<std::shared_ptr<SheetModel>, Areas> ResolveCell(ExcelState& state,
                                                          const std::shared_ptr<SheetModel>& sheet,
                                                          const CallArgs& args,
                                                          std::uint32_t position) {
    const Variant& arg = args.At(position)->Deref();
    if (arg.GetKind() == Variant::Kind::Object) {
        const host::Ref<RangeObject> range = ReadRange(args, position);
        if (!range)
            throw ExcelFailure{};
        return {LiveSheet(*range), range->GetAreas()};
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
    Areas areas;
    for (;;) {
        const std::size_t comma = reference.find(u',');
        const std::optional<Area> area = ParseA1Area(reference.substr(0, comma));
        if (!area)
            throw ExcelFailure{};
        areas.push_back(*area);
        if (comma == std::u16string_view::npos)
            break;
        reference.remove_prefix(comma + 1);
    }
    return {target, std::move(areas)};
}
} // namespace

Variant ResolveRange(ExcelState& state, const std::shared_ptr<SheetModel>& sheet,
                     const CallArgs& args, bool sheetMustMatch) {
    auto [target, areas] = ResolveCell(state, sheet, args, 0);
    if (args.IsGiven(1)) {
        const auto [otherSheet, others] = ResolveCell(state, sheet, args, 1);
        // The span of two ends of several areas each is not known here: refused.
        if (otherSheet != target || areas.size() != 1 || others.size() != 1)
            throw ExcelFailure{};
        Area& area = areas.front();
        const Area& other = others.front();
        area = {std::min(area.top, other.top), std::min(area.left, other.left),
                std::max(area.bottom, other.bottom), std::max(area.right, other.right)};
    }
    if (sheetMustMatch && target != sheet)
        throw ExcelFailure{};
    return Variant(state.NewRange(target, std::move(areas)));
}

WorkbookObject::WorkbookObject(std::weak_ptr<ExcelState> state, std::weak_ptr<BookModel> book)
    : PlainExcelObject(std::move(state), kWorkbookClass, host::excel::iid::Workbook)
    , m_book(std::move(book)) {}

Variant WorkbookObject::Call(ExcelState&, const MemberInfo& member, const CallArgs&) {
    const std::shared_ptr<BookModel> book = m_book.lock();
    if (!book || !book->open)
        throw base::Error(kDisconnected, "The workbook has been closed");
    if (member.id == host::excel::workbook::Name)
        return Variant(book->name);
    throw base::Error(base::hr::DispMemberNotFound, "No such member");
}

WorksheetObject::WorksheetObject(std::weak_ptr<ExcelState> state, std::weak_ptr<SheetModel> sheet)
    : PlainExcelObject(std::move(state), kWorksheetClass, host::excel::iid::Worksheet)
    , m_sheet(std::move(sheet)) {}

Variant WorksheetObject::Call(ExcelState& state, const MemberInfo& member, const CallArgs& args) {
    const std::shared_ptr<SheetModel> sheet = m_sheet.lock();
    if (!sheet || !state.BookOf(*sheet))
        throw base::Error(kDisconnected, "The worksheet's workbook has been closed");
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
        throw base::Error(base::hr::DispMemberNotFound, "No such member");
    }
}

ChartObject::ChartObject(std::weak_ptr<ExcelState> state)
    : PlainExcelObject(std::move(state), kChartClass, kChartIid) {}

Variant ChartObject::Call(ExcelState&, const MemberInfo&, const CallArgs&) {
    throw base::Error(base::hr::DispMemberNotFound, "No such member");
}

} // namespace tarvex::sim::detail
