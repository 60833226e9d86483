// The simulated Excel's test hooks: the call log and failure injection.

#include <gtest/gtest.h>

#include "sim_excel_support.h"

namespace tarvex::sim {
namespace {

using host::Variant;
using host::excel::Range;
using namespace host::excel;
using testing::RangeAt;

const base::HResult kExcelError = base::MakeHResult(0x800A03EC);

TEST(SimCallLog, RecordsAFindAsTheWrapperSendsIt) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1");
    const Range column = RangeAt(excel, u"B:B");
    const Range after = RangeAt(excel, u"B7");
    excel.ClearCalls();
    column.Find(Variant(u"abc"), after, xlValues, xlWhole, xlByRows, xlNext, false, true);

    ASSERT_EQ(excel.Calls().size(), 1u);
    const SimExcel::CallRecord& call = excel.Calls()[0];
    EXPECT_EQ(call.member, "Range.Find");
    EXPECT_EQ(call.kind, host::invoke::Method);
    EXPECT_EQ(call.locale, host::lcid::UserDefault);
    EXPECT_EQ(call.args,
              (std::vector<std::string>{"String(\"abc\")", "Object", "Int32(-4163)", "Int32(1)",
                                        "Int32(1)", "Int32(1)", "Bool(false)", "Bool(true)"}));
}

TEST(SimCallLog, NamesEveryMemberAndCountsCalls) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1");
    const Application app(excel.Application());
    const Range cell = app.GetRange(u"C7");
    cell.Row();
    cell.Row();
    app.Intersect(cell, cell);
    EXPECT_EQ(excel.CallCount("Application.Range"), 1u);
    EXPECT_EQ(excel.CallCount("Range.Row"), 2u);
    EXPECT_EQ(excel.CallCount("Application.Intersect"), 1u);
    EXPECT_EQ(excel.CallCount("Range.Find"), 0u);
    EXPECT_EQ(excel.Calls()[0].args, (std::vector<std::string>{"String(\"C7\")", "Missing"}));
    EXPECT_EQ(excel.Calls()[3].args.size(), 30u);
    EXPECT_EQ(excel.Calls()[3].locale, host::lcid::Neutral);

    // Unknown members are recorded too, by their id.
    testing::InvokeRaw(*cell.Object(), 0x6, host::invoke::PropertyGet, {});
    EXPECT_EQ(excel.Calls().back().member, "Range.#6");

    excel.SetCallLogging(false);
    cell.Column();
    EXPECT_EQ(excel.CallCount("Range.Column"), 1u);
    EXPECT_EQ(excel.Calls().back().member, "Range.#6");

    excel.ClearCalls();
    EXPECT_TRUE(excel.Calls().empty());
    EXPECT_EQ(excel.CallCount("Range.Row"), 0u);
}

TEST(SimFailures, TheKthCallFromNowFailsOnce) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1");
    const Range cell = RangeAt(excel, u"C7");
    excel.FailCall(2);
    EXPECT_EQ(testing::CodeOf([&] { cell.Row(); }), base::hr::Ok);
    EXPECT_EQ(testing::CodeOf([&] { cell.Column(); }), kExcelError);
    EXPECT_EQ(testing::CodeOf([&] { cell.Column(); }), base::hr::Ok);
    EXPECT_EQ(excel.CallCount("Range.Column"), 2u); // the failed call arrived as well

    // Over the raw seam the default failure is Excel's exception.
    excel.FailCall(1);
    const auto outcome =
        testing::InvokeRaw(*cell.Object(), range::Column, host::invoke::PropertyGet, {});
    EXPECT_EQ(outcome.code, base::hr::DispException);
    EXPECT_EQ(outcome.excep.scode, kExcelError);
    EXPECT_EQ(outcome.excep.description, u"Unable to get the Column property of the Range class");

    excel.FailCall(1, base::hr::Fail);
    EXPECT_EQ(testing::CodeOf([&] { cell.Row(); }), base::hr::Fail);
    EXPECT_EQ(testing::CodeOf([&] { excel.FailCall(0); }), base::hr::InvalidArg);
}

TEST(SimFailures, EveryCallOfAMemberFailsUntilCleared) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1");
    excel.SetText({2, 2}, u"abc");
    const Range column = RangeAt(excel, u"B:B");
    auto find = [&] {
        return testing::CodeOf([&] {
            column.Find(Variant(u"abc"), Range(), xlValues, xlWhole, xlByRows, xlNext, false,
                        false);
        });
    };
    excel.FailMember("Range.Find", base::hr::Fail);
    EXPECT_EQ(find(), base::hr::Fail);
    EXPECT_EQ(find(), base::hr::Fail);
    EXPECT_EQ(testing::CodeOf([&] { column.Row(); }), base::hr::Ok);
    excel.FailMember("Range.Row");
    EXPECT_EQ(testing::CodeOf([&] { column.Row(); }), kExcelError);
    excel.ClearFailures();
    EXPECT_EQ(find(), base::hr::Ok);
    EXPECT_EQ(testing::CodeOf([&] { column.Row(); }), base::hr::Ok);
}

} // namespace
} // namespace tarvex::sim
