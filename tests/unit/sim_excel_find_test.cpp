// Range.Find, FindNext and FindPrevious of the simulated Excel, called over the seam as the
// add-in calls them.

#include <gtest/gtest.h>

#include "sim_excel_support.h"

namespace tarvex::sim {
namespace {

using detail::TopLeft;
using host::Variant;
using host::excel::Range;
using namespace host::excel;
using testing::AddressOf;
using testing::RangeAt;

class SimFind : public ::testing::Test {
protected:
    SimFind() { excel.AddWorkbook(u"Book1"); }

    void Put(std::u16string_view a1, std::u16string text) {
        excel.SetText(TopLeft(*ParseA1Area(a1)), std::move(text));
    }

    // Find over `area` with the add-in's eight arguments; answers the found cell's address.
    std::u16string Find(std::u16string_view area, std::u16string what, std::u16string_view after,
                        std::int32_t lookAt = xlWhole, std::int32_t order = xlByRows,
                        bool matchCase = false, std::int32_t direction = xlNext) {
        const Range range = RangeAt(excel, area);
        return AddressOf(range.Find(Variant(std::move(what)), RangeAt(excel, after), xlValues,
                                    lookAt, order, direction, matchCase, true));
    }

    std::u16string FindNext(std::u16string_view area, std::u16string_view after) {
        return AddressOf(RangeAt(excel, area).FindNext(RangeAt(excel, after)));
    }

    SimExcel excel;
};

TEST_F(SimFind, WrapsAroundToTheUpperOfTwoOccurrencesAbove) {
    Put(u"B2", u"abc");
    Put(u"B4", u"abc");
    Put(u"B7", u"abc");
    Put(u"C7", u"abc"); // another column: never part of a column search
    EXPECT_EQ(Find(u"B:B", u"abc", u"B7"), u"$B$2");
    EXPECT_EQ(FindNext(u"B:B", u"B2"), u"$B$4");
    EXPECT_EQ(FindNext(u"B:B", u"B4"), u"$B$7");
    EXPECT_EQ(FindNext(u"B:B", u"B7"), u"$B$2");
}

TEST_F(SimFind, FindsBelowBeforeWrapping) {
    Put(u"B2", u"abc");
    Put(u"B7", u"abc");
    Put(u"B9", u"abc");
    EXPECT_EQ(Find(u"B:B", u"abc", u"B7"), u"$B$9");
    // The last row wraps to the first.
    Put(u"B1048576", u"end");
    Put(u"B1", u"end");
    EXPECT_EQ(Find(u"B:B", u"end", u"B1048576"), u"$B$1");
}

TEST_F(SimFind, ReturnsAfterWhenItIsTheOnlyMatch) {
    Put(u"B7", u"abc");
    EXPECT_EQ(Find(u"B:B", u"abc", u"B7"), u"$B$7");
    EXPECT_EQ(FindNext(u"B:B", u"B7"), u"$B$7");
    EXPECT_EQ(Find(u"7:7", u"abc", u"B7", xlWhole, xlByColumns), u"$B$7");
}

TEST_F(SimFind, NothingWhenNoCellMatches) {
    Put(u"B7", u"abc");
    EXPECT_EQ(Find(u"B:B", u"abd", u"B7"), u"");
    EXPECT_EQ(Find(u"C:C", u"abc", u"C7"), u"");
    // Empty cells never match, not even "*"; an empty What matches nothing.
    EXPECT_EQ(Find(u"C:C", u"*", u"C7"), u"");
    EXPECT_EQ(Find(u"B:B", u"", u"B7", xlPart), u"");
}

TEST_F(SimFind, ByColumnsRunsAlongARowAndWraps) {
    Put(u"A7", u"x");
    Put(u"C7", u"x");
    Put(u"E7", u"x");
    Put(u"D8", u"x");
    EXPECT_EQ(Find(u"7:7", u"x", u"C7", xlWhole, xlByColumns), u"$E$7");
    EXPECT_EQ(Find(u"7:7", u"x", u"E7", xlWhole, xlByColumns), u"$A$7");
    EXPECT_EQ(Find(u"7:7", u"x", u"E7", xlWhole, xlByColumns, false, xlPrevious), u"$C$7");
    EXPECT_EQ(Find(u"7:7", u"x", u"A7", xlWhole, xlByColumns, false, xlPrevious), u"$E$7");
}

TEST_F(SimFind, ThreeColumnRangeSearchedByRowsMeetsItsOwnRowFirst) {
    for (const auto* cell : {u"A5", u"B5", u"C5", u"A8"})
        Put(cell, u"x");
    EXPECT_EQ(Find(u"A5:C10", u"x", u"A5"), u"$B$5");
    EXPECT_EQ(FindNext(u"A5:C10", u"B5"), u"$C$5");
    EXPECT_EQ(FindNext(u"A5:C10", u"C5"), u"$A$8");
    // By columns the same range runs down column A first.
    EXPECT_EQ(Find(u"A5:C10", u"x", u"A5", xlWhole, xlByColumns), u"$A$8");
    EXPECT_EQ(FindNext(u"A5:C10", u"A8"), u"$B$5");
    // A match outside the range is never reported.
    Put(u"D6", u"x");
    EXPECT_EQ(Find(u"A5:C10", u"x", u"C5"), u"$A$8");
}

TEST_F(SimFind, WholeCellVersusPart) {
    Put(u"B3", u"abc");
    EXPECT_EQ(Find(u"B:B", u"ab", u"B7"), u"");
    EXPECT_EQ(Find(u"B:B", u"ab", u"B7", xlPart), u"$B$3");
    EXPECT_EQ(Find(u"B:B", u"bc", u"B7", xlPart), u"$B$3");
    EXPECT_EQ(Find(u"B:B", u"abcd", u"B7", xlPart), u"");
}

TEST_F(SimFind, CaseSwitchUsesSimpleCaseFolding) {
    Put(u"B1", u"abc");
    Put(u"B2", u"äbc");
    Put(u"B3", u"Straße");
    Put(u"B4", u"σας");
    Put(u"B5", u"\U00010428"); // DESERET SMALL LETTER LONG I
    EXPECT_EQ(Find(u"B:B", u"ABC", u"B9"), u"$B$1");
    EXPECT_EQ(Find(u"B:B", u"ABC", u"B9", xlWhole, xlByRows, true), u"");
    EXPECT_EQ(Find(u"B:B", u"ÄBC", u"B9"), u"$B$2");
    EXPECT_EQ(Find(u"B:B", u"ÄBC", u"B9", xlWhole, xlByRows, true), u"");
    // Simple folding maps one character to one: ß does not become ss.
    EXPECT_EQ(Find(u"B:B", u"STRASSE", u"B9"), u"");
    EXPECT_EQ(Find(u"B:B", u"STRAßE", u"B9"), u"$B$3");
    EXPECT_EQ(Find(u"B:B", u"ΣΑΣ", u"B9"), u"$B$4"); // final sigma folds to sigma
    EXPECT_EQ(Find(u"B:B", u"\U00010400", u"B9"), u"$B$5");
    // The same rules hold when the text is scanned rather than looked up.
    EXPECT_EQ(Find(u"B:B", u"*SSE", u"B9"), u"");
    EXPECT_EQ(Find(u"B:B", u"Ä*", u"B9"), u"$B$2");
}

TEST_F(SimFind, FindsTheNearestOfSeveralCaseVariants) {
    Put(u"B2", u"Abc");
    Put(u"B5", u"ABC");
    Put(u"B9", u"abc");
    EXPECT_EQ(Find(u"B:B", u"abc", u"B3"), u"$B$5");
    EXPECT_EQ(Find(u"B:B", u"abc", u"B6"), u"$B$9");
    EXPECT_EQ(Find(u"B:B", u"abc", u"B9"), u"$B$2");
    EXPECT_EQ(Find(u"B:B", u"abc", u"B3", xlWhole, xlByRows, true), u"$B$9");
    EXPECT_EQ(Find(u"B:B", u"abc", u"B6", xlWhole, xlByRows, false, xlPrevious), u"$B$5");
}

TEST_F(SimFind, WildcardsAndTheirEscapes) {
    Put(u"A1", u"abc");
    Put(u"A2", u"ac");
    Put(u"A3", u"abbc");
    Put(u"A4", u"a*c");
    Put(u"A5", u"a?c");
    Put(u"A6", u"a~c");
    Put(u"A7", u"a~bc");
    EXPECT_EQ(Find(u"A:A", u"*", u"A7"), u"$A$1");
    EXPECT_EQ(Find(u"A:A", u"a?c", u"A1"), u"$A$4"); // one character, any character
    EXPECT_EQ(Find(u"A:A", u"a?c", u"A5"), u"$A$6");
    EXPECT_EQ(Find(u"A:A", u"a*c", u"A1"), u"$A$2");
    EXPECT_EQ(Find(u"A:A", u"a~*c", u"A1"), u"$A$4");
    EXPECT_EQ(Find(u"A:A", u"a~*c", u"A4"), u"$A$4");
    EXPECT_EQ(Find(u"A:A", u"a~?c", u"A1"), u"$A$5");
    EXPECT_EQ(Find(u"A:A", u"a~~c", u"A1"), u"$A$6");
    EXPECT_EQ(Find(u"A:A", u"a~bc", u"A1"), u"$A$7"); // ~ before another letter is a tilde
    EXPECT_EQ(Find(u"A:A", u"b?", u"A1", xlPart), u"$A$3");
    EXPECT_EQ(Find(u"A:A", u"*b", u"A1"), u"");
}

TEST_F(SimFind, FindNextKeepsTheLastFindsSettings) {
    Put(u"B2", u"xABCx");
    Put(u"B4", u"abc");
    Put(u"B6", u"xabcx");
    // Part match, case-sensitive: FindNext goes on with both.
    EXPECT_EQ(Find(u"B:B", u"abc", u"B1", xlPart, xlByRows, true), u"$B$4");
    EXPECT_EQ(FindNext(u"B:B", u"B4"), u"$B$6");
    EXPECT_EQ(FindNext(u"B:B", u"B6"), u"$B$4");
    EXPECT_EQ(AddressOf(RangeAt(excel, u"B:B").FindNext(Range())), u"$B$4");
    // FindPrevious runs the other way.
    const auto previous =
        testing::Method(RangeAt(excel, u"B:B").Object(), host::excel::range::FindPrevious,
                        {Variant(RangeAt(excel, u"B4").Object())});
    EXPECT_EQ(AddressOf(Range(previous.ToObject())), u"$B$6");
    // A Find with only What keeps LookAt from the last Find (part) but not MatchCase.
    const auto found = testing::Method(RangeAt(excel, u"B:B").Object(), host::excel::range::Find,
                                       {Variant(u"ABC")});
    EXPECT_EQ(AddressOf(Range(found.ToObject())), u"$B$2");
}

TEST_F(SimFind, FindNextBeforeAnyFindFindsNothing) {
    Put(u"B2", u"abc");
    EXPECT_EQ(FindNext(u"B:B", u"B2"), u"");
}

TEST_F(SimFind, NonTextWhatIsReadAsExcelWritesIt) {
    Put(u"B2", u"5");
    Put(u"B3", u"2.5");
    Put(u"B4", u"TRUE");
    const Range column = RangeAt(excel, u"B:B");
    EXPECT_EQ(AddressOf(column.Find(Variant(5), Range(), xlValues, xlWhole, xlByRows, xlNext, false,
                                    false)),
              u"$B$2");
    EXPECT_EQ(AddressOf(column.Find(Variant(2.5), Range(), xlValues, xlWhole, xlByRows, xlNext,
                                    false, false)),
              u"$B$3");
    EXPECT_EQ(AddressOf(column.Find(Variant(true), Range(), xlValues, xlWhole, xlByRows, xlNext,
                                    false, false)),
              u"$B$4");
}

TEST_F(SimFind, BadArgumentsFailAsExcelDoes) {
    Put(u"B2", u"abc");
    const Range column = RangeAt(excel, u"B:B");
    const auto excelError = base::MakeHResult(0x800A03EC);
    auto find = [&](const Variant& what, const Range& after, std::int32_t lookAt) {
        return testing::CodeOf(
            [&] { column.Find(what, after, xlValues, lookAt, xlByRows, xlNext, false, false); });
    };
    EXPECT_EQ(find(Variant(u"abc"), RangeAt(excel, u"C2"), xlWhole), excelError);
    EXPECT_EQ(find(Variant(u"abc"), RangeAt(excel, u"B2:B3"), xlWhole), excelError);
    EXPECT_EQ(find(Variant::Null(), Range(), xlWhole), excelError);
    EXPECT_EQ(find(Variant(u"abc"), Range(), 7), excelError);

    // Over the raw seam: DISP_E_EXCEPTION with Excel's description; a SearchDirection that
    // is no number is refused by the argument conversion, at its index.
    auto outcome =
        testing::InvokeRaw(*column.Object(), host::excel::range::Find, host::invoke::Method,
                           {Variant(u"abc"), Variant(RangeAt(excel, u"C2").Object())});
    EXPECT_EQ(outcome.code, base::hr::DispException);
    EXPECT_EQ(outcome.excep.scode, excelError);
    EXPECT_EQ(outcome.excep.description, u"Find method of Range class failed");
    outcome = testing::InvokeRaw(*column.Object(), host::excel::range::Find, host::invoke::Method,
                                 {Variant(u"abc"), Variant::Missing(), Variant::Missing(),
                                  Variant::Missing(), Variant::Missing(), Variant(u"down")});
    EXPECT_EQ(outcome.code, base::hr::DispTypeMismatch);
    EXPECT_EQ(outcome.argErr, 0u); // the last argument passed is first in COM's order

    // What longer than Excel takes fails at What, after escaping as given.
    Put(u"B3", std::u16string(255, u'x'));
    EXPECT_EQ(Find(u"B:B", std::u16string(255, u'x'), u"B2"), u"$B$3");
    outcome = testing::InvokeRaw(*column.Object(), host::excel::range::Find, host::invoke::Method,
                                 {Variant(std::u16string(256, u'x')), Variant::Missing()});
    EXPECT_EQ(outcome.code, base::hr::DispTypeMismatch);
    EXPECT_EQ(outcome.argErr, 1u);
}

TEST_F(SimFind, ValuesPassOverHiddenRowsAndColumnsFormulasDoNot) {
    for (const auto* cell : {u"B2", u"B4", u"B5", u"B9", u"D9", u"F9"})
        Put(cell, u"x");
    excel.HideRows({}, 3, 5);
    excel.HideRows({}, 7, 7);
    excel.HideColumns({}, 4, 5);
    EXPECT_EQ(Find(u"B:B", u"x", u"B2"), u"$B$9");
    EXPECT_EQ(FindNext(u"B:B", u"B9"), u"$B$2");
    EXPECT_EQ(Find(u"B:B", u"x", u"B9", xlWhole, xlByRows, false, xlPrevious), u"$B$2");
    EXPECT_EQ(Find(u"B:B", u"*", u"B2"), u"$B$9"); // scanned as well as looked up
    EXPECT_EQ(Find(u"9:9", u"x", u"B9", xlWhole, xlByColumns), u"$F$9");
    EXPECT_EQ(Find(u"A1:F9", u"x", u"F9"), u"$B$2");
    const auto formulas = RangeAt(excel, u"B:B")
                              .Find(Variant(u"x"), RangeAt(excel, u"B2"), xlFormulas, xlWhole,
                                    xlByRows, xlNext, false, false);
    EXPECT_EQ(AddressOf(formulas), u"$B$4");
    excel.UnhideAll({});
    EXPECT_EQ(Find(u"B:B", u"x", u"B2"), u"$B$4");
}

TEST_F(SimFind, SeveralAreasAreSearchedInTheirOrderAndWrapAround) {
    for (const auto* cell : {u"A2", u"C3", u"C9", u"E1"})
        Put(cell, u"x");
    const std::u16string_view areas = u"C1:C10,A1:A5,E1";
    EXPECT_EQ(Find(areas, u"x", u"C3"), u"$C$9");
    EXPECT_EQ(FindNext(areas, u"C9"), u"$A$2");
    EXPECT_EQ(FindNext(areas, u"A2"), u"$E$1");
    EXPECT_EQ(FindNext(areas, u"E1"), u"$C$3");
    EXPECT_EQ(Find(areas, u"x", u"A2", xlWhole, xlByRows, false, xlPrevious), u"$C$9");
    EXPECT_EQ(Find(areas, u"x", u"C3", xlWhole, xlByRows, false, xlPrevious), u"$E$1");
    // Without After the search starts after the first area's top-left cell.
    EXPECT_EQ(AddressOf(RangeAt(excel, areas)
                            .Find(Variant(u"x"), Range(), xlValues, xlWhole, xlByRows, xlNext,
                                  false, false)),
              u"$C$3");
    EXPECT_EQ(Find(u"C1:C2,A1", u"x", u"C1"), u""); // only its areas are searched
}

} // namespace
} // namespace tarvex::sim
