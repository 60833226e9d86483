#include <algorithm>
#include <array>

#include "base/error.h"
#include "host/excel/dispids.h"
#include "sim/excel/excel_objects.h"
#include "sim/office/office.h"
#include "sim/sheet/formula_conversion.h"

namespace tarvex::sim::detail {

namespace {
namespace app = host::excel::application;
using host::Variant;

constexpr std::array<std::string_view, 5> kConvertFormulaParams{
    "Formula", "FromReferenceStyle", "ToReferenceStyle", "ToAbsolute", "RelativeTo"};
constexpr std::array<std::string_view, 2> kRangeParams{"Cell1", "Cell2"};
constexpr std::array<std::string_view, 30> kIntersectParams{
    "Arg1",  "Arg2",  "Arg3",  "Arg4",  "Arg5",  "Arg6",  "Arg7",  "Arg8",  "Arg9",  "Arg10",
    "Arg11", "Arg12", "Arg13", "Arg14", "Arg15", "Arg16", "Arg17", "Arg18", "Arg19", "Arg20",
    "Arg21", "Arg22", "Arg23", "Arg24", "Arg25", "Arg26", "Arg27", "Arg28", "Arg29", "Arg30"};

constexpr std::array<MemberInfo, 10> kMembers{{
    {app::ActiveWorkbook, "ActiveWorkbook", false, {}, 0},
    {app::ActiveCell, "ActiveCell", false, {}, 0},
    {app::ActiveSheet, "ActiveSheet", false, {}, 0},
    {app::Selection, "Selection", false, {}, 0},
    {app::Version, "Version", false, {}, 0},
    {app::ConvertFormula, "ConvertFormula", true, kConvertFormulaParams, 2},
    {app::Range, "Range", false, kRangeParams, 1},
    {app::Intersect, "Intersect", true, kIntersectParams, 2},
    {app::Name, "Name", false, {}, 0},
    {app::CommandBars, "CommandBars", false, {}, 0},
}};

constexpr ClassInfo kClass{"Application", kMembers};

bool IsReferenceStyle(std::int32_t style) noexcept {
    return style == host::excel::xlA1 || style == host::excel::xlR1C1;
}

Variant ConvertFormula(ExcelState& state, const CallArgs& args) {
    const Variant& formula = *args.At(0);
    if (formula.Deref().GetKind() != Variant::Kind::String)
        throw ExcelFailure{};
    const std::int32_t from = ReadTypedInt(args, 1, host::excel::xlA1);
    const std::int32_t to = ReadVariantInt(args, 2, from);
    if (!IsReferenceStyle(from) || !IsReferenceStyle(to))
        throw ExcelFailure{};
    FormulaConversion conversion;
    conversion.fromR1C1 = from == host::excel::xlR1C1;
    conversion.toR1C1 = to == host::excel::xlR1C1;
    if (args.IsGiven(3)) {
        const std::int32_t type = ReadVariantInt(args, 3, host::excel::xlAbsolute);
        if (type < host::excel::xlAbsolute || type > host::excel::xlRelative)
            throw ExcelFailure{};
        conversion.toAbsolute = type;
    }
    // Relative references relate to RelativeTo; without it, to the active cell.
    if (const host::Ref<RangeObject> relativeTo = ReadRange(args, 4)) {
        LiveSheet(*relativeTo);
        conversion.relativeTo = TopLeft(relativeTo->GetArea());
    } else if (const auto sheet = state.ActiveSheet()) {
        conversion.relativeTo = sheet->activeCell;
    }
    const auto converted = detail::ConvertFormula(formula.ToString(), conversion);
    if (!converted)
        throw ExcelFailure{};
    return Variant(*converted);
}

// The cells common to every given range: for ranges of several areas, each overlap of an
// area of one with an area of the other. Ranges of different sheets are Excel's exception.
Variant Intersect(ExcelState& state, const CallArgs& args) {
    std::shared_ptr<SheetModel> sheet;
    std::optional<Areas> common;
    for (std::uint32_t position = 0; position < kIntersectParams.size(); ++position) {
        if (!args.IsGiven(position))
            continue;
        const host::Ref<RangeObject> range = ReadRange(args, position);
        if (!range)
            throw ExcelFailure{}; // Nothing is not a range to intersect
        const std::shared_ptr<SheetModel> rangeSheet = LiveSheet(*range);
        if (sheet && rangeSheet != sheet)
            throw ExcelFailure{}; // ranges of different sheets
        sheet = rangeSheet;
        if (!common) {
            common = range->GetAreas();
            continue;
        }
        Areas overlaps;
        for (const Area& a : *common) {
            for (const Area& b : range->GetAreas()) {
                const Area overlap{std::max(a.top, b.top), std::max(a.left, b.left),
                                   std::min(a.bottom, b.bottom), std::min(a.right, b.right)};
                if (overlap.top <= overlap.bottom && overlap.left <= overlap.right)
                    overlaps.push_back(overlap);
            }
        }
        common = std::move(overlaps);
    }
    if (!sheet || common->empty())
        return Variant::Nothing();
    return Variant(state.NewRange(sheet, std::move(*common)));
}
} // namespace

ApplicationObject::ApplicationObject(std::weak_ptr<ExcelState> state)
    : ExcelObject(std::move(state)) {}

base::HResult ApplicationObject::QueryInterface(const base::Guid& iid, void** object) {
    return host::AnswerQuery(
        iid, object,
        {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown,
                                                 static_cast<host::Dispatch*>(this)),
         host::InterfaceOffer::Of<host::Dispatch>(host::iid::Dispatch, this),
         host::InterfaceOffer::Of<host::Dispatch>(host::excel::iid::Application, this),
         host::InterfaceOffer::Of<host::ConnectionPointContainer>(
             host::iid::ConnectionPointContainer, this)});
}

base::HResult ApplicationObject::FindConnectionPoint(const base::Guid& iid,
                                                     host::Ref<host::ConnectionPoint>& point) {
    point = nullptr;
    if (iid != host::excel::iid::AppEvents)
        return base::hr::ConnectNoConnection;
    try {
        if (!m_events)
            m_events = host::MakeRef<EventPoint>(m_state);
    } catch (...) {
        return base::CatchCurrentFailure(base::hr::OutOfMemory).code;
    }
    point = m_events;
    return base::hr::Ok;
}

const ClassInfo& ApplicationObject::Class() const noexcept {
    return kClass;
}

Variant ApplicationObject::Call(ExcelState& state, const MemberInfo& member, const CallArgs& args) {
    const std::shared_ptr<SheetModel> sheet = state.ActiveSheet();
    switch (member.id) {
    case app::ActiveWorkbook:
        if (const auto book = state.ActiveBook())
            return Variant(state.BookObject(book));
        return Variant::Nothing();
    case app::ActiveCell:
        return sheet ? Variant(state.NewRange(sheet, AreaOf(sheet->activeCell)))
                     : Variant::Nothing();
    case app::ActiveSheet:
        return sheet ? Variant(state.SheetObject(sheet)) : Variant::Nothing();
    case app::Selection:
        if (!sheet)
            return Variant::Nothing();
        switch (sheet->selectionKind) {
        case SelectionKind::Cells:
            return Variant(state.NewRange(sheet, sheet->selection));
        case SelectionKind::Chart:
            return Variant(state.NewChart());
        case SelectionKind::Nothing:
            break;
        }
        return Variant::Nothing();
    case app::Version:
        return Variant(state.version);
    case app::ConvertFormula:
        return ConvertFormula(state, args);
    case app::Range:
        if (!sheet)
            throw ExcelFailure{};
        return ResolveRange(state, sheet, args, false);
    case app::Intersect:
        return Intersect(state, args);
    case app::Name:
        return Variant(u"Microsoft Excel");
    case app::CommandBars:
        // The command bars are Office's, which Excel hosts.
        if (!state.office)
            throw base::Error(base::hr::Unexpected, "The simulated Office is not running");
        return Variant(state.office->CommandBars());
    default:
        throw base::Error(base::hr::DispMemberNotFound, "No such member");
    }
}

} // namespace tarvex::sim::detail
