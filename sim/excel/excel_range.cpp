#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "base/error.h"
#include "base/text.h"
#include "host/excel/dispids.h"
#include "sim/excel/excel_objects.h"
#include "sim/sheet/find_pattern.h"

namespace tarvex::sim::detail {

namespace {
namespace rng = host::excel::range;
using host::Variant;

constexpr std::array<std::string_view, 9> kFindParams{"What",      "After",       "LookIn",
                                                      "LookAt",    "SearchOrder", "SearchDirection",
                                                      "MatchCase", "MatchByte",   "SearchFormat"};
constexpr std::array<std::string_view, 1> kAfterParams{"After"};
constexpr std::array<std::string_view, 5> kAddressParams{
    "RowAbsolute", "ColumnAbsolute", "ReferenceStyle", "External", "RelativeTo"};

constexpr std::array<MemberInfo, 14> kMembers{{
    {rng::Text, "Text", false, {}, 0},
    {rng::Row, "Row", false, {}, 0},
    {rng::Column, "Column", false, {}, 0},
    {rng::Count, "Count", false, {}, 0},
    {rng::EntireColumn, "EntireColumn", false, {}, 0},
    {rng::EntireRow, "EntireRow", false, {}, 0},
    {rng::Worksheet, "Worksheet", false, {}, 0},
    {rng::Find, "Find", true, kFindParams, 1},
    {rng::FindNext, "FindNext", true, kAfterParams, 0},
    {rng::FindPrevious, "FindPrevious", true, kAfterParams, 0},
    {rng::Address, "Address", false, kAddressParams, 0},
    {rng::AddressLocal, "AddressLocal", false, kAddressParams, 0},
    {rng::Activate, "Activate", true, {}, 0},
    {rng::Select, "Select", true, {}, 0},
}};

constexpr ClassInfo kClass{"Range", kMembers};

// The text that Find looks for when What is not a text: numbers as Excel writes them
// without a format, logical values in capitals.
std::u16string WhatText(const Variant& what) {
    const Variant& value = what.Deref();
    switch (value.GetKind()) {
    case Variant::Kind::String:
        return value.ToString();
    case Variant::Kind::Empty:
        return {};
    case Variant::Kind::Bool:
        return value.ToBool() ? u"TRUE" : u"FALSE";
    case Variant::Kind::Int32:
        return base::Utf8ToUtf16(std::to_string(value.ToInt32()));
    case Variant::Kind::Double: {
        const double number = value.ToDouble();
        if (!std::isfinite(number))
            throw ExcelFailure{};
        if (number == 0)
            return u"0";
        // Fifteen significant digits, exponent form for very large and small numbers
        // ("1E+20"), as Excel writes a number without a format.
        char text[48];
        const auto written =
            std::to_chars(text, text + sizeof text, number, std::chars_format::general, 15);
        std::u16string result;
        for (const char* c = text; c != written.ptr; ++c)
            result += static_cast<char16_t>(*c == 'e' ? 'E' : *c);
        return result;
    }
    default:
        // Null, an object or an error value: nothing Find can read as a text.
        throw ExcelFailure{};
    }
}

// The first of `areas` that holds `cell`; areas.size() when none does.
std::size_t AreaHolding(const Areas& areas, Cell cell) {
    for (std::size_t i = 0; i < areas.size(); ++i) {
        if (Contains(areas[i], cell))
            return i;
    }
    return areas.size();
}

// After must be one cell of the searched range; without it the search starts after the
// range's top-left cell (of its first area).
Cell ReadAfter(const CallArgs& args, std::uint32_t position, const SheetModel& sheet,
               const Areas& areas) {
    const host::Ref<RangeObject> after = ReadRange(args, position);
    if (!after)
        return TopLeft(areas.front());
    if (LiveSheet(*after).get() != &sheet || after->GetAreas().size() != 1 ||
        !IsSingleCell(after->GetArea()) ||
        AreaHolding(areas, TopLeft(after->GetArea())) == areas.size())
        throw ExcelFailure{};
    return TopLeft(after->GetArea());
}

// The text all cells of `areas` display, or Null when they display different texts.
Variant CommonTextOf(const SheetCells& cells, const Areas& areas) {
    std::optional<std::u16string> shared;
    for (const Area& area : areas) {
        CommonText common = cells.TextOf(area);
        if (common.mixed || (shared && *shared != common.text))
            return Variant::Null();
        shared = std::move(common.text);
    }
    return Variant(std::move(*shared));
}

bool NeedsQuotes(std::u16string_view name) {
    if (name.empty() || (name.front() >= u'0' && name.front() <= u'9') || ParseA1Area(name))
        return true;
    for (const char16_t c : name) {
        const bool plain = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
                           (c >= u'0' && c <= u'9') || c == u'_' || c == u'.' || c >= 0x80;
        if (!plain)
            return true;
    }
    return false;
}

// "[Book1]Sheet1!", quoted as '[My Book]My Sheet'! when a name needs it.
std::u16string ExternalPrefix(const BookModel& book, const SheetModel& sheet) {
    std::u16string prefix = u"[" + book.name + u"]" + sheet.name;
    if (NeedsQuotes(book.name) || NeedsQuotes(sheet.name)) {
        std::u16string quoted = u"'";
        for (const char16_t c : prefix) {
            quoted += c;
            if (c == u'\'')
                quoted += c;
        }
        prefix = quoted + u"'";
    }
    return prefix + u"!";
}

} // namespace

RangeObject::RangeObject(std::weak_ptr<ExcelState> state, std::weak_ptr<SheetModel> sheet,
                         Areas areas)
    : PlainExcelObject(std::move(state), kClass, host::excel::iid::Range)
    , m_sheet(std::move(sheet))
    , m_areas(std::move(areas)) {}

std::shared_ptr<SheetModel> RangeObject::Sheet() const {
    std::shared_ptr<SheetModel> sheet = m_sheet.lock();
    if (!sheet)
        return nullptr;
    const std::shared_ptr<BookModel> book = sheet->book.lock();
    return book && book->open ? sheet : nullptr;
}

Variant RangeObject::Call(ExcelState& state, const MemberInfo& member, const CallArgs& args) {
    const std::shared_ptr<SheetModel> sheet = Sheet();
    if (!sheet)
        throw base::Error(kDisconnected, "The range's workbook has been closed");
    switch (member.id) {
    case rng::Text:
        if (m_areas.size() == 1 && IsSingleCell(GetArea())) {
            const std::u16string* text = sheet->cells.Text(TopLeft(GetArea()));
            return Variant(text ? *text : std::u16string());
        }
        return CommonTextOf(sheet->cells, m_areas);
    // Row and Column describe the first area; Count counts the cells of every area.
    case rng::Row:
        return Variant(GetArea().top);
    case rng::Column:
        return Variant(GetArea().left);
    case rng::Count: {
        std::uint64_t count = 0;
        for (const Area& area : m_areas)
            count += CellCount(area);
        if (count > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
            throw base::Error(base::hr::DispOverflow, "Overflow");
        return Variant(static_cast<std::int32_t>(count));
    }
    case rng::EntireColumn:
    case rng::EntireRow: {
        Areas whole;
        for (const Area& area : m_areas)
            whole.push_back(member.id == rng::EntireColumn
                                ? Area{1, area.left, kMaxRows, area.right}
                                : Area{area.top, 1, area.bottom, kMaxColumns});
        return Variant(state.NewRange(sheet, std::move(whole)));
    }
    case rng::Worksheet:
        return Variant(state.SheetObject(sheet));
    case rng::Find:
        return Find(state, sheet, args);
    case rng::FindNext:
        return FindAgain(state, sheet, args, false);
    case rng::FindPrevious:
        return FindAgain(state, sheet, args, true);
    case rng::Address:
        return Address(state, *sheet, args, false);
    case rng::AddressLocal:
        return Address(state, *sheet, args, true);
    case rng::Activate:
        state.ActivateRange(sheet, m_areas);
        if (state.activationObserver)
            state.activationObserver(sheet->activeCell);
        return Variant(true);
    case rng::Select:
        state.SelectRange(sheet, m_areas);
        return Variant(true);
    default:
        throw base::Error(base::hr::DispMemberNotFound, "No such member");
    }
}

Variant RangeObject::Find(ExcelState& state, const std::shared_ptr<SheetModel>& sheet,
                          const CallArgs& args) {
    using namespace host::excel;
    FindSettings settings = state.find;
    settings.what = WhatText(*args.At(0));
    // A longer text fails as one of the wrong type would.
    if (settings.what.size() > host::excel::kMaxFindText)
        throw ArgumentFailure{base::hr::DispTypeMismatch, args.ComIndex(0)};
    const Cell after = ReadAfter(args, 1, *sheet, m_areas);
    // LookIn, LookAt, SearchOrder and MatchByte carry over from the last Find when omitted;
    // SearchDirection and MatchCase do not.
    settings.lookIn = ReadVariantInt(args, 2, settings.lookIn);
    settings.lookAt = ReadVariantInt(args, 3, settings.lookAt);
    settings.searchOrder = ReadVariantInt(args, 4, settings.searchOrder);
    settings.searchDirection = ReadTypedInt(args, 5, xlNext);
    settings.matchCase = ReadVariantBool(args, 6, false);
    settings.matchByte = ReadVariantBool(args, 7, settings.matchByte);
    ReadVariantBool(args, 8, false); // SearchFormat: there are no formats to match
    if ((settings.lookIn != xlValues && settings.lookIn != xlFormulas &&
         settings.lookIn != xlComments) ||
        (settings.lookAt != xlWhole && settings.lookAt != xlPart) ||
        (settings.searchOrder != xlByRows && settings.searchOrder != xlByColumns) ||
        (settings.searchDirection != xlNext && settings.searchDirection != xlPrevious))
        throw ExcelFailure{};
    settings.any = true;
    state.find = settings;
    return Search(state, sheet, after, false);
}

Variant RangeObject::FindAgain(ExcelState& state, const std::shared_ptr<SheetModel>& sheet,
                               const CallArgs& args, bool previous) {
    const Cell after = ReadAfter(args, 0, *sheet, m_areas);
    if (!state.find.any)
        return Variant::Nothing(); // no Find has run: nothing to look for
    return Search(state, sheet, after, previous);
}

// Runs the last Find's search over this range. FindNext keeps the Find's direction and
// FindPrevious reverses it. Values are what the cells display, so cells of hidden rows and
// columns, which display nothing, never match them; formulas are found there too.
//
// A range of several areas is searched area by area in their order (in the search's
// direction): the rest of After's area, the areas that follow it, round to those before it,
// and last the part of After's own area up to After.
Variant RangeObject::Search(ExcelState& state, const std::shared_ptr<SheetModel>& sheet, Cell after,
                            bool reverse) const {
    using namespace host::excel;
    const FindSettings& settings = state.find;
    // The simulated cells have no comments; values and formulas are the displayed texts,
    // as the cells hold no formulas.
    if (settings.lookIn == xlComments)
        return Variant::Nothing();
    const FindPattern pattern(settings.what, settings.lookAt == xlWhole, settings.matchCase);
    FindRequest request;
    request.after = after;
    request.byColumns = settings.searchOrder == xlByColumns;
    request.previous = (settings.searchDirection == xlPrevious) != reverse;
    request.passOver = settings.lookIn == xlValues ? &sheet->hidden : nullptr;

    const std::size_t count = m_areas.size();
    const std::size_t start = AreaHolding(m_areas, after);
    const auto searchIn = [&](std::size_t index, FindPart part) {
        request.area = m_areas[index];
        return sheet->cells.Find(pattern, request, part);
    };
    std::optional<Cell> found =
        searchIn(start, count == 1 ? FindPart::Wrapping : FindPart::AfterStart);
    for (std::size_t step = 1; !found && step < count; ++step)
        found = searchIn(request.previous ? (start + count - step) % count : (start + step) % count,
                         FindPart::Whole);
    if (!found && count > 1)
        found = searchIn(start, FindPart::UpToStart);
    return found ? Variant(state.NewRange(sheet, AreaOf(*found))) : Variant::Nothing();
}

Variant RangeObject::Address(ExcelState& state, const SheetModel& sheet, const CallArgs& args,
                             bool local) {
    using namespace host::excel;
    const bool rowAbsolute = ReadVariantBool(args, 0, true);
    const bool columnAbsolute = ReadVariantBool(args, 1, true);
    const std::int32_t style = ReadTypedInt(args, 2, xlA1);
    const bool external = ReadVariantBool(args, 3, false);
    // Relative R1C1 references relate to RelativeTo, A1 when it is omitted.
    Cell base{1, 1};
    if (const host::Ref<RangeObject> relativeTo = ReadRange(args, 4)) {
        LiveSheet(*relativeTo);
        base = TopLeft(relativeTo->GetArea());
    }
    if (style != xlA1 && style != xlR1C1)
        throw ExcelFailure{};
    // Several areas are written as a reference list, the notation Range reads them in. How
    // Excel prefixes such a list with its workbook and sheet is not known here: refused.
    if (external && m_areas.size() > 1)
        throw ExcelFailure{};
    std::u16string text;
    for (const Area& area : m_areas) {
        const Reference reference = ReferenceFor(area, rowAbsolute, columnAbsolute);
        if (!text.empty())
            text += u',';
        text += style == xlA1 ? FormatA1Reference(reference)
                              : FormatR1C1Reference(reference, base,
                                                    local ? state.localLetters : R1C1Letters{});
    }
    if (external) {
        const std::shared_ptr<BookModel> book = state.BookOf(sheet);
        if (!book)
            throw ExcelFailure{};
        text = ExternalPrefix(*book, sheet) + text;
    }
    return Variant(std::move(text));
}

} // namespace tarvex::sim::detail
