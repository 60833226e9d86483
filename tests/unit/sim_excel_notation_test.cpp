// A1 and R1C1 texts in the simulated Excel: Address, AddressLocal, Application.Range and
// ConvertFormula, and the control API's own parsing and formatting.

#include <gtest/gtest.h>

#include "base/text.h"
#include "sim_excel_support.h"

namespace tarvex::sim {
namespace {

using detail::kMaxColumns;
using detail::kMaxRows;
using host::Variant;
using host::excel::Range;
using namespace host::excel;
using testing::RangeAt;

class SimNotation : public ::testing::Test {
protected:
    SimNotation() { excel.AddWorkbook(u"Book1", {u"Sheet1", u"My Sheet"}); }

    // Range.Address or AddressLocal with all five arguments given.
    std::u16string Address(std::u16string_view area, bool rowAbsolute, bool columnAbsolute,
                           std::int32_t style, bool external = false,
                           std::u16string_view relativeTo = {}, bool local = false) {
        const Variant relative =
            relativeTo.empty() ? Variant::Missing() : Variant(RangeAt(excel, relativeTo).Object());
        return testing::Get(RangeAt(excel, area).Object(),
                            local ? range::AddressLocal : range::Address,
                            {Variant(rowAbsolute), Variant(columnAbsolute), Variant(style),
                             Variant(external), relative})
            .ToString();
    }

    // ConvertFormula with the cell that relative references relate to.
    Variant Convert(std::u16string formula, std::int32_t from, std::int32_t to,
                    const Variant& toAbsolute = Variant::Missing(),
                    std::u16string_view relativeTo = u"B5") {
        return testing::Method(excel.Application(), application::ConvertFormula,
                               {Variant(std::move(formula)), Variant(from), Variant(to), toAbsolute,
                                Variant(RangeAt(excel, relativeTo).Object())});
    }

    std::u16string ConvertText(std::u16string formula, std::int32_t from, std::int32_t to,
                               const Variant& toAbsolute = Variant::Missing()) {
        return Convert(std::move(formula), from, to, toAbsolute).ToString();
    }

    SimExcel excel;
};

TEST(SimA1, ParsesAndFormatsAreas) {
    EXPECT_EQ(ParseA1Area(u"B7"), (Area{7, 2, 7, 2}));
    EXPECT_EQ(ParseA1Area(u"$b$7"), (Area{7, 2, 7, 2}));
    EXPECT_EQ(ParseA1Area(u"C10:A1"), (Area{1, 1, 10, 3}));
    EXPECT_EQ(ParseA1Area(u"B:D"), (Area{1, 2, kMaxRows, 4}));
    EXPECT_EQ(ParseA1Area(u"$7:$7"), (Area{7, 1, 7, kMaxColumns}));
    EXPECT_EQ(ParseA1Area(u"XFD1048576"), (Area{kMaxRows, kMaxColumns, kMaxRows, kMaxColumns}));
    for (const auto* bad : {u"", u"A0", u"XFE1", u"A1048577", u"B", u"7", u"A1:B", u"A1:", u" A1",
                            u"A1B", u"R7C3", u"ABCD1"})
        EXPECT_FALSE(ParseA1Area(bad)) << base::Utf16ToUtf8(bad);

    EXPECT_EQ(FormatA1(Cell{7, 2}), u"B7");
    EXPECT_EQ(FormatA1(Cell{1, 16384}), u"XFD1");
    EXPECT_EQ(FormatA1(Cell{3, 27}), u"AA3");
    EXPECT_EQ(FormatA1(Area{1, 1, 10, 3}), u"A1:C10");
    EXPECT_EQ(FormatA1(Area{1, 2, kMaxRows, 2}), u"B:B");
    EXPECT_EQ(FormatA1(Area{7, 1, 7, kMaxColumns}), u"7:7");
    EXPECT_EQ(FormatA1(Area{1, 1, kMaxRows, kMaxColumns}), u"1:1048576");
}

TEST_F(SimNotation, AddressInBothStyles) {
    EXPECT_EQ(RangeAt(excel, u"C7").Address(xlA1), u"$C$7");
    EXPECT_EQ(RangeAt(excel, u"A1:C10").Address(xlA1), u"$A$1:$C$10");
    EXPECT_EQ(RangeAt(excel, u"B:B").Address(xlA1), u"$B:$B");
    EXPECT_EQ(RangeAt(excel, u"7:7").Address(xlA1), u"$7:$7");
    EXPECT_EQ(RangeAt(excel, u"C7").Address(xlR1C1), u"R7C3");
    EXPECT_EQ(RangeAt(excel, u"A1:C10").Address(xlR1C1), u"R1C1:R10C3");
    EXPECT_EQ(RangeAt(excel, u"B:B").Address(xlR1C1), u"C2");
    EXPECT_EQ(RangeAt(excel, u"B:D").Address(xlR1C1), u"C2:C4");
    EXPECT_EQ(RangeAt(excel, u"7:7").Address(xlR1C1), u"R7");
    EXPECT_EQ(Address(u"C7", false, false, xlA1), u"C7");
    EXPECT_EQ(Address(u"C7", true, false, xlA1), u"C$7");
    EXPECT_EQ(Address(u"B:B", false, false, xlA1), u"B:B");
    // Relative R1C1 relates to RelativeTo, and to A1 without it.
    EXPECT_EQ(Address(u"C7", false, false, xlR1C1, false, u"D8"), u"R[-1]C[-1]");
    EXPECT_EQ(Address(u"C7", false, false, xlR1C1, false, u"A7"), u"RC[2]");
    EXPECT_EQ(Address(u"C7", false, false, xlR1C1), u"R[6]C[2]");
    EXPECT_EQ(Address(u"C7", true, true, xlA1, true), u"[Book1]Sheet1!$C$7");
}

TEST_F(SimNotation, ExternalAddressQuotesNamesWithSpaces) {
    excel.ActivateSheet(u"My Sheet");
    EXPECT_EQ(Address(u"C7", true, true, xlA1, true), u"'[Book1]My Sheet'!$C$7");
}

TEST_F(SimNotation, AddressLocalUsesTheLocalLettersAndAddressStaysEnglish) {
    excel.SetLocalR1C1Letters(u'Z', u'S');
    EXPECT_EQ(RangeAt(excel, u"C7").AddressLocal(xlR1C1), u"Z7S3");
    EXPECT_EQ(RangeAt(excel, u"A1:C10").AddressLocal(xlR1C1), u"Z1S1:Z10S3");
    EXPECT_EQ(RangeAt(excel, u"B:B").AddressLocal(xlR1C1), u"S2");
    EXPECT_EQ(RangeAt(excel, u"C7").AddressLocal(xlA1), u"$C$7");
    EXPECT_EQ(RangeAt(excel, u"C7").Address(xlR1C1), u"R7C3");
}

TEST_F(SimNotation, ApplicationRangeTakesA1Texts) {
    EXPECT_EQ(RangeAt(excel, u"B:B").Address(xlA1), u"$B:$B");
    EXPECT_EQ(RangeAt(excel, u"7:7").Address(xlA1), u"$7:$7");
    EXPECT_EQ(RangeAt(excel, u"$C$7").Address(xlA1), u"$C$7");
    EXPECT_EQ(RangeAt(excel, u"c7").Address(xlA1), u"$C$7");
    const Variant spanning =
        testing::Get(excel.Application(), application::Range, {Variant(u"C3"), Variant(u"A5")});
    EXPECT_EQ(Range(spanning.ToObject()).Address(xlA1), u"$A$3:$C$5");
    const Variant fromObjects =
        testing::Get(excel.Application(), application::Range,
                     {Variant(RangeAt(excel, u"B2").Object()), Variant(u"D4")});
    EXPECT_EQ(Range(fromObjects.ToObject()).Address(xlA1), u"$B$2:$D$4");

    const Variant onOtherSheet =
        testing::Get(excel.Application(), application::Range, {Variant(u"'My Sheet'!B2")});
    const Variant sheet = testing::Get(onOtherSheet.ToObject(), range::Worksheet);
    EXPECT_EQ(testing::Get(sheet.ToObject(), worksheet::Name).ToString(), u"My Sheet");

    const auto excelError = base::MakeHResult(0x800A03EC);
    // The union operator lists areas.
    EXPECT_EQ(RangeAt(excel, u"A1,B2:C3").Address(xlA1), u"$A$1,$B$2:$C$3");
    for (const auto* bad : {u"A0", u"XFE1", u"A1:B", u"A1,", u",B2", u"Nowhere!A1", u"R7C3"})
        EXPECT_EQ(testing::CodeOf([&] { RangeAt(excel, bad); }), excelError);
}

TEST_F(SimNotation, ConvertFormulaBetweenStyles) {
    EXPECT_EQ(ConvertText(u"R7C3", xlR1C1, xlA1), u"$C$7");
    EXPECT_EQ(ConvertText(u"=R7C3", xlR1C1, xlA1), u"=$C$7");
    EXPECT_EQ(ConvertText(u"$C$7", xlA1, xlR1C1), u"R7C3");
    EXPECT_EQ(ConvertText(u"$A$1:$C$10", xlA1, xlR1C1), u"R1C1:R10C3");
    EXPECT_EQ(ConvertText(u"$B:$B", xlA1, xlR1C1), u"C2");
    EXPECT_EQ(ConvertText(u"B:B", xlA1, xlR1C1), u"C"); // relative to B5's column
    EXPECT_EQ(ConvertText(u"C2", xlR1C1, xlA1), u"$B:$B");
    EXPECT_EQ(ConvertText(u"$7:$7", xlA1, xlR1C1), u"R7");
    // Relative references relate to RelativeTo (B5 here).
    EXPECT_EQ(ConvertText(u"C7", xlA1, xlR1C1), u"R[2]C[1]");
    EXPECT_EQ(ConvertText(u"R[-1]C[2]", xlR1C1, xlA1), u"D4");
    EXPECT_EQ(ConvertText(u"RC", xlR1C1, xlA1), u"B5");
    EXPECT_EQ(ConvertText(u"r7c3", xlR1C1, xlA1), u"$C$7");
    EXPECT_EQ(ConvertText(u"=SUM(A1:B2)+C3*2.5E+3", xlA1, xlR1C1),
              u"=SUM(R[-4]C[-1]:R[-3]C)+R[-2]C[1]*2.5E+3");
    EXPECT_EQ(ConvertText(u"=\"A1\"&A1&TRUE", xlA1, xlR1C1), u"=\"A1\"&R[-4]C[-1]&TRUE");
    EXPECT_EQ(ConvertText(u"=Sheet1!A1+'My Sheet'!$B$2", xlA1, xlR1C1),
              u"=Sheet1!R[-4]C[-1]+'My Sheet'!R2C2");
}

TEST_F(SimNotation, ConvertFormulaChangesTheReferenceType) {
    EXPECT_EQ(ConvertText(u"C7", xlA1, xlA1, Variant(xlAbsolute)), u"$C$7");
    EXPECT_EQ(ConvertText(u"C7", xlA1, xlA1, Variant(xlAbsRowRelColumn)), u"C$7");
    EXPECT_EQ(ConvertText(u"C7", xlA1, xlA1, Variant(xlRelRowAbsColumn)), u"$C7");
    EXPECT_EQ(ConvertText(u"$C$7", xlA1, xlR1C1, Variant(xlRelative)), u"R[2]C[1]");
    EXPECT_EQ(ConvertText(u"R[1]C", xlR1C1, xlR1C1, Variant(xlAbsolute)), u"R6C2");
}

TEST_F(SimNotation, ConvertFormulaRefusesWhatExcelRefuses) {
    const auto excelError = base::MakeHResult(0x800A03EC);
    auto code = [&](std::u16string formula, std::int32_t from, std::int32_t to,
                    std::u16string_view relativeTo = u"B5") {
        return testing::CodeOf(
            [&] { Convert(std::move(formula), from, to, Variant::Missing(), relativeTo); });
    };
    // R1C1 is read in English letters only, even by a German Excel that writes Z7S3.
    excel.SetLocalR1C1Letters(u'Z', u'S');
    EXPECT_EQ(code(u"Z7S3", xlR1C1, xlA1), excelError);
    EXPECT_EQ(code(u"R7C3", xlA1, xlR1C1), excelError);          // not an A1 reference
    EXPECT_EQ(code(u"R[-1]C", xlR1C1, xlA1, u"B1"), excelError); // above row 1
    EXPECT_EQ(code(u"=A1&\"open", xlA1, xlR1C1), excelError);
    EXPECT_EQ(code(u"=" + std::u16string(255, u'1'), xlA1, xlR1C1), excelError);
    EXPECT_EQ(code(u"A1", 3, xlR1C1), excelError);
}

} // namespace
} // namespace tarvex::sim
