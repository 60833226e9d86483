// Fuzzes the simulated Excel's reference texts and its Find: A1 and R1C1 parsing (what
// parses formats back to the same area, inside the sheet), Application.Range and
// ConvertFormula through the seam, and Range.Find with random patterns, wildcards, start
// cells and directions over a small sheet of random texts (a found cell lies in the range
// and is not empty).

#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "fuzz/fuzz_values.h"
#include "host/excel/dispids.h"
#include "host/excel/excel.h"
#include "sim/excel/excel.h"
#include "sim/sheet/reference_notation.h"

namespace {

using namespace tarvex;
using host::Variant;
namespace xl = host::excel;

[[noreturn]] void Fail(const char* what, const std::u16string& text) {
    std::fprintf(stderr, "%s: '%s'\n", what, base::Utf16ToUtf8(text).c_str());
    std::abort();
}

bool InSheet(const sim::Area& area) {
    return area.top >= 1 && area.left >= 1 && area.top <= area.bottom && area.left <= area.right &&
           area.bottom <= xl::kMaxRows && area.right <= xl::kMaxColumns;
}

bool SameArea(const sim::Area& a, const sim::Area& b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

const std::u16string kReferences[] = {u"B7",  u"$C$7",       u"A1:C10", u"B:B",
                                      u"7:7", u"XFD1048576", u"R7C3",   u"R[-1]C[2]",
                                      u"RC",  u"C3:C5",      u"R1:R3",  u"a1:b2"};
const std::u16string kPatterns[] = {u"*",  u"?",   u"~*",  u"a*c", u"ab?", u"~?",
                                    u"~~", u"abc", u"ABC", u"*~",  u"?*?"};

void CheckNotation(const std::u16string& text, sim::Cell base) {
    if (const std::optional<sim::Area> area = sim::ParseA1Area(text)) {
        if (!InSheet(*area))
            Fail("an A1 area outside the sheet", text);
        const std::u16string formatted = sim::FormatA1(*area);
        const std::optional<sim::Area> again = sim::ParseA1Area(formatted);
        if (!again || !SameArea(*again, *area))
            Fail("an A1 area that does not parse back", text);
    }
    std::size_t pos = 0;
    if (const auto reference = sim::detail::ParseR1C1Reference(text, pos, base)) {
        if (pos == 0 || pos > text.size())
            Fail("an R1C1 reference that did not move past itself", text);
        const sim::Area area = sim::detail::AreaOf(*reference);
        if (!InSheet(area))
            Fail("an R1C1 reference outside the sheet", text);
        const std::u16string formatted = sim::detail::FormatR1C1Reference(*reference, base);
        std::size_t again = 0;
        const auto reparsed = sim::detail::ParseR1C1Reference(formatted, again, base);
        if (!reparsed || again != formatted.size() ||
            !SameArea(sim::detail::AreaOf(*reparsed), area))
            Fail("an R1C1 reference that does not parse back", text);
    }
    pos = 0;
    if (const auto reference = sim::detail::ParseA1Reference(text, pos)) {
        if (pos == 0 || pos > text.size() || !InSheet(sim::detail::AreaOf(*reference)))
            Fail("an A1 reference outside the sheet or text", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const sim::Cell base{data.ConsumeIntegralInRange<std::int32_t>(1, xl::kMaxRows),
                         data.ConsumeIntegralInRange<std::int32_t>(1, xl::kMaxColumns)};
    const std::u16string reference = fuzz::ConsumeTextOrChoice(data, kReferences, 40);
    CheckNotation(reference, base);

    // One simulated Excel for every input (making one costs more than a run): the block
    // that inputs write is emptied first, and Find keeps no other state between calls.
    static sim::SimExcel& excel = []() -> sim::SimExcel& {
        static sim::SimExcel shared;
        shared.AddWorkbook(u"Book1");
        shared.SetCallLogging(false);
        return shared;
    }();
    for (std::int32_t row = 1; row <= 6; ++row) {
        for (std::int32_t column = 1; column <= 6; ++column)
            excel.SetText({row, column}, u"");
    }
    for (int i = data.ConsumeIntegralInRange<int>(0, 12); i > 0; --i) {
        const sim::Cell cell{data.ConsumeIntegralInRange<std::int32_t>(1, 6),
                             data.ConsumeIntegralInRange<std::int32_t>(1, 6)};
        excel.SetText(cell, fuzz::ConsumeTextOrChoice(data, kPatterns, 8));
    }
    const xl::Application app(excel.Application());

    // Application.Range and ConvertFormula on the random text: refusals are Excel's errors.
    try {
        const xl::Range range = app.GetRange(reference);
        const std::u16string address = range.Address(xl::xlA1);
        const std::optional<sim::Area> area = sim::ParseA1Area(address);
        if (!area)
            Fail("Application.Range gave a range whose address does not parse", reference);
    } catch (const base::Error&) {
    }
    try {
        const bool toR1C1 = data.ConsumeBool();
        app.ConvertFormula(u"=" + reference, toR1C1 ? xl::xlA1 : xl::xlR1C1,
                           toR1C1 ? xl::xlR1C1 : xl::xlA1, app.GetRange(u"C3"));
    } catch (const base::Error&) {
    }

    // Find over a column, a row or a block, from a cell inside it.
    static const std::u16string kAreas[] = {u"A:A", u"C:C", u"2:2", u"A1:F6", u"B2:D4", u"F:F"};
    const std::u16string areaText = kAreas[data.ConsumeIntegralInRange<std::size_t>(0, 5)];
    const sim::Area area = *sim::ParseA1Area(areaText);
    const sim::Cell after{
        data.ConsumeIntegralInRange<std::int32_t>(area.top, std::min(area.bottom, 8)),
        data.ConsumeIntegralInRange<std::int32_t>(area.left, std::min(area.right, 8))};
    const std::u16string what = fuzz::ConsumeTextOrChoice(data, kPatterns, 12);
    try {
        const xl::Range range = app.GetRange(areaText);
        const xl::Range found =
            range.Find(Variant(what), app.GetRange(sim::FormatA1(after)), xl::xlValues,
                       data.ConsumeBool() ? xl::xlWhole : xl::xlPart,
                       data.ConsumeBool() ? xl::xlByRows : xl::xlByColumns,
                       data.ConsumeBool() ? xl::xlNext : xl::xlPrevious, data.ConsumeBool(), false);
        if (found) {
            const sim::Cell cell{found.Row(), found.Column()};
            if (cell.row < area.top || cell.row > area.bottom || cell.column < area.left ||
                cell.column > area.right)
                Fail("Find answered a cell outside its range", what);
            if (excel.Text(cell).empty())
                Fail("Find answered an empty cell", what);
            const xl::Range next = range.FindNext(found);
            if (!next)
                Fail("FindNext lost the match that Find made", what);
        }
    } catch (const base::Error&) {
    }
    return 0;
}
