// The simulated Excel's objects over the seam: interfaces, members and their invoke kinds,
// Text, Intersect, selection and activation, and objects that outlive their workbook.

#include <gtest/gtest.h>

#include "sim_excel_support.h"

namespace tarvex::sim {
namespace {

using detail::kMaxColumns;
using detail::kMaxRows;
using host::Variant;
using host::excel::Range;
using namespace host::excel;
using testing::Get;
using testing::RangeAt;

bool Answers(const host::Ref<host::Dispatch>& object, const base::Guid& iid) {
    return static_cast<bool>(host::QueryAs<host::Unknown>(object.Get(), iid));
}

TEST(SimObjects, EachObjectAnswersExactlyItsOwnInterfaces) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1");
    const auto app = excel.Application();
    EXPECT_TRUE(Answers(app, iid::Application));
    EXPECT_TRUE(Answers(app, host::iid::Dispatch));
    EXPECT_TRUE(Answers(app, host::iid::ConnectionPointContainer));
    EXPECT_FALSE(Answers(app, iid::Range));

    const auto range = RangeAt(excel, u"B2").Object();
    EXPECT_TRUE(Answers(range, iid::Range));
    EXPECT_TRUE(Answers(range, host::iid::Unknown));
    EXPECT_FALSE(Answers(range, iid::Worksheet));
    EXPECT_FALSE(Answers(range, host::iid::ConnectionPointContainer));

    const auto book = Get(app, application::ActiveWorkbook).ToObject();
    EXPECT_TRUE(Answers(book, iid::Workbook));
    EXPECT_FALSE(Answers(book, iid::Worksheet));
    const auto sheet = Get(app, application::ActiveSheet).ToObject();
    EXPECT_TRUE(Answers(sheet, iid::Worksheet));
    EXPECT_FALSE(Answers(sheet, iid::Range));

    excel.SelectChart();
    const auto chart = Get(app, application::Selection).ToObject();
    ASSERT_TRUE(chart);
    EXPECT_TRUE(Answers(chart, host::iid::Dispatch));
    EXPECT_FALSE(Answers(chart, iid::Range));

    // The identity rule: every interface of one object gives the same IUnknown.
    auto unknownOfApp = host::QueryAs<host::Unknown>(app.Get(), host::iid::Unknown);
    auto container = host::QueryAs<host::ConnectionPointContainer>(
        app.Get(), host::iid::ConnectionPointContainer);
    EXPECT_EQ(host::QueryAs<host::Unknown>(container.Get(), host::iid::Unknown).Get(),
              unknownOfApp.Get());
}

TEST(SimObjects, MembersAnswerOnlyTheirInvokeKinds) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1");
    const Range cell = RangeAt(excel, u"B2");
    host::Dispatch& range = *cell.Object();
    using testing::InvokeRaw;
    EXPECT_EQ(InvokeRaw(range, range::Row, host::invoke::Method, {}).result, Variant(2));
    EXPECT_EQ(InvokeRaw(range, range::Row, host::invoke::PropertyGet, {}).result, Variant(2));
    EXPECT_EQ(InvokeRaw(range, range::Row, host::invoke::PropertyPut, {Variant(3)}).code,
              base::hr::DispMemberNotFound);
    EXPECT_EQ(InvokeRaw(range, range::Activate, host::invoke::PropertyGet, {}).code,
              base::hr::DispMemberNotFound);
    EXPECT_EQ(InvokeRaw(range, range::Value, host::invoke::PropertyGet, {}).code,
              base::hr::DispMemberNotFound);
    EXPECT_EQ(InvokeRaw(range, range::Row, host::invoke::PropertyGet, {Variant(1)}).code,
              base::hr::DispBadParamCount);
    EXPECT_EQ(InvokeRaw(range, range::Find, host::invoke::Method, {}).code,
              base::hr::DispParamNotOptional);

    const base::Guid someIid = iid::Range;
    Variant result;
    const host::DispParams none{};
    EXPECT_EQ(range.Invoke(range::Row, someIid, 0, host::invoke::PropertyGet, none, &result,
                           nullptr, nullptr),
              base::hr::DispUnknownInterface);
}

TEST(SimObjects, NamesAndNamedArgumentsResolve) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1");
    excel.SetText({3, 2}, u"abc");
    const auto column = RangeAt(excel, u"B:B").Object();
    const std::u16string names[] = {u"find", u"What", u"LOOKAT"};
    host::DispId ids[3] = {};
    ASSERT_EQ(column->GetIDsOfNames(host::iid::Null, names, 0, ids), base::hr::Ok);
    EXPECT_EQ(ids[0], range::Find);
    EXPECT_EQ(ids[1], 0);
    EXPECT_EQ(ids[2], 3);
    const std::u16string unknown[] = {u"Frobnicate"};
    EXPECT_EQ(column->GetIDsOfNames(host::iid::Null, unknown, 0, {ids, 1}),
              base::hr::DispUnknownName);

    // Find(What:="ab", LookAt:=xlPart) with LookAt passed by name.
    Variant args[] = {Variant(xlPart), Variant(u"ab")};
    const host::DispId named[] = {3};
    const host::DispParams params{args, named, 2, 1};
    Variant result;
    ASSERT_EQ(column->Invoke(range::Find, host::iid::Null, 0, host::invoke::Method, params, &result,
                             nullptr, nullptr),
              base::hr::Ok);
    EXPECT_EQ(Range(result.ToObject()).Address(xlA1), u"$B$3");
}

TEST(SimObjects, TextIsTheCommonTextOrNull) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1");
    excel.SetText({1, 1}, u"x");
    excel.SetText({1, 2}, u"x");
    excel.SetText({2, 1}, u"x");
    excel.SetText({2, 2}, u"X");
    EXPECT_EQ(RangeAt(excel, u"A1").Text(), u"x");
    EXPECT_EQ(RangeAt(excel, u"C1").Text(), u"");
    EXPECT_EQ(RangeAt(excel, u"A1:B1").Text(), u"x");
    EXPECT_EQ(RangeAt(excel, u"A1:A2").Text(), u"x");
    EXPECT_TRUE(RangeAt(excel, u"A1:B2").Text() == std::nullopt); // X differs from x
    EXPECT_TRUE(RangeAt(excel, u"A1:C1").Text() == std::nullopt); // an empty cell displays ""
    EXPECT_EQ(RangeAt(excel, u"D:D").Text(), u"");
    EXPECT_TRUE(RangeAt(excel, u"A:A").Text() == std::nullopt);
    // Several areas: the text every cell of every area shows.
    EXPECT_EQ(RangeAt(excel, u"A1,B1:B1,A2").Text(), u"x");
    EXPECT_TRUE(RangeAt(excel, u"A1,B2").Text() == std::nullopt);
}

TEST(SimObjects, IntersectGivesTheOverlapOrNothing) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1", {u"Sheet1", u"Sheet2"});
    const Application app(excel.Application());
    EXPECT_EQ(app.Intersect(RangeAt(excel, u"B:B"), RangeAt(excel, u"7:7")).Address(xlA1), u"$B$7");
    EXPECT_EQ(app.Intersect(RangeAt(excel, u"A1:C3"), RangeAt(excel, u"B2:D9")).Address(xlA1),
              u"$B$2:$C$3");
    EXPECT_FALSE(app.Intersect(RangeAt(excel, u"A1:C3"), RangeAt(excel, u"D4")));
    EXPECT_FALSE(app.Intersect(RangeAt(excel, u"B:B"), RangeAt(excel, u"C7")));

    const auto excelError = base::MakeHResult(0x800A03EC);
    EXPECT_EQ(testing::CodeOf([&] { app.Intersect(RangeAt(excel, u"B2"), Range()); }), excelError);
    const Range other = RangeAt(excel, u"Sheet2!B2");
    EXPECT_EQ(testing::CodeOf([&] { app.Intersect(RangeAt(excel, u"B2"), other); }), excelError);

    // Several areas: the overlaps of each area with each, as one range of several areas.
    const Range areas = RangeAt(excel, u"A1:A10,C1:C10");
    EXPECT_EQ(app.Intersect(areas, RangeAt(excel, u"C7")).Address(xlA1), u"$C$7");
    EXPECT_FALSE(app.Intersect(areas, RangeAt(excel, u"B7")));
    EXPECT_EQ(app.Intersect(areas, RangeAt(excel, u"5:6,9:9")).Address(xlA1),
              u"$A$5:$A$6,$A$9,$C$5:$C$6,$C$9");
    EXPECT_EQ(areas.Row(), 1);
    EXPECT_EQ(RangeAt(excel, u"C3:C4,A1").Column(), 3) << "the first area's";
    EXPECT_EQ(Get(areas.Object(), host::excel::range::Count).ToInt32(), 20);
}

TEST(SimObjects, ApplicationAnswersWhatIsActive) {
    SimExcel excel;
    const Application app(excel.Application());
    EXPECT_FALSE(app.ActiveWorkbook());
    EXPECT_FALSE(app.ActiveCell());
    EXPECT_FALSE(app.Selection());
    EXPECT_EQ(app.Version(), u"16.0");
    EXPECT_EQ(Get(excel.Application(), application::Name).ToString(), u"Microsoft Excel");
    EXPECT_EQ(testing::CodeOf([&] { RangeAt(excel, u"A1"); }), base::MakeHResult(0x800A03EC));
    excel.SetVersion(u"12.0");
    EXPECT_EQ(app.Version(), u"12.0");

    excel.AddWorkbook(u"Report");
    EXPECT_EQ(Get(app.ActiveWorkbook(), workbook::Name).ToString(), u"Report");
    EXPECT_EQ(Range(app.Selection()).Address(xlA1), u"$A$1");
    excel.Select({2, 2, 4, 3});
    EXPECT_EQ(app.ActiveCell().Address(xlA1), u"$B$2");
    EXPECT_EQ(Range(app.Selection()).Address(xlA1), u"$B$2:$C$4");
    excel.Select({{1, 1, 10, 1}, {1, 3, 10, 3}});
    EXPECT_EQ(app.ActiveCell().Address(xlA1), u"$A$1");
    EXPECT_EQ(Range(app.Selection()).Address(xlA1), u"$A$1:$A$10,$C$1:$C$10");
    EXPECT_EQ(Range(app.Selection()).Address(xlR1C1), u"R1C1:R10C1,R1C3:R10C3");
    excel.SelectNothing();
    EXPECT_FALSE(app.Selection());
    EXPECT_FALSE(excel.SelectedArea());
}

TEST(SimObjects, ActivateKeepsASelectionThatHoldsTheCell) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1", {u"Sheet1", u"Sheet2"});
    std::vector<Cell> observed;
    excel.SetActivationObserver([&](Cell cell) { observed.push_back(cell); });
    excel.Select({2, 2, 5, 5});
    RangeAt(excel, u"C3").Activate();
    EXPECT_EQ(excel.ActiveCell(), (Cell{3, 3}));
    EXPECT_EQ(excel.SelectedArea(), (Area{2, 2, 5, 5}));
    RangeAt(excel, u"H9").Activate();
    EXPECT_EQ(excel.ActiveCell(), (Cell{9, 8}));
    EXPECT_EQ(excel.SelectedArea(), (Area{9, 8, 9, 8}));

    // A range of another sheet and workbook brings both forward.
    const Range onSheet2 = RangeAt(excel, u"Sheet2!D4");
    excel.AddWorkbook(u"Book2");
    onSheet2.Activate();
    EXPECT_EQ(excel.ActiveWorkbookName(), u"Book1");
    EXPECT_EQ(excel.ActiveSheetName(), u"Sheet2");
    EXPECT_EQ(excel.ActiveCell(), (Cell{4, 4}));
    // Only activations over the seam are observed, not the control API's own.
    excel.ActivateCell({1, 1});
    EXPECT_EQ(observed, (std::vector<Cell>{{3, 3}, {9, 8}, {4, 4}}));
}

TEST(SimObjects, WorksheetMembers) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1", {u"Sheet1", u"Sheet2"});
    const auto sheet2 = Get(RangeAt(excel, u"Sheet2!A1").Object(), range::Worksheet).ToObject();
    EXPECT_EQ(Get(sheet2, worksheet::Name).ToString(), u"Sheet2");
    EXPECT_EQ(Range(Get(sheet2, worksheet::UsedRange).ToObject()).Address(xlA1), u"$A$1");
    testing::Method(sheet2, worksheet::Activate);
    EXPECT_EQ(excel.ActiveSheetName(), u"Sheet2");
    excel.SetText({3, 2}, u"a");
    excel.SetText({9, 4}, u"b");
    EXPECT_EQ(Range(Get(sheet2, worksheet::UsedRange).ToObject()).Address(xlA1), u"$B$3:$D$9");
    EXPECT_EQ(Range(Get(sheet2, worksheet::Range, {Variant(u"C5")}).ToObject()).Address(xlA1),
              u"$C$5");
    // The same sheet is the same object.
    EXPECT_EQ(Get(excel.Application(), application::ActiveSheet).ToObject(), sheet2);
}

TEST(SimObjects, CountOverflowsOnAWholeSheetAsExcelDoes) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1");
    EXPECT_EQ(Get(RangeAt(excel, u"B:C").Object(), range::Count), Variant(2 * kMaxRows));
    EXPECT_EQ(testing::CodeOf([&] { Get(RangeAt(excel, u"1:1048576").Object(), range::Count); }),
              base::hr::DispOverflow);
}

TEST(SimObjects, ObjectsOfAClosedWorkbookOrAGoneExcelFailSafely) {
    auto excel = std::make_unique<SimExcel>();
    excel->AddWorkbook(u"Book1");
    excel->AddWorkbook(u"Book2");
    const Range range = RangeAt(*excel, u"B2");
    const auto book = Application(excel->Application()).ActiveWorkbook();
    ASSERT_TRUE(excel->CloseActiveWorkbook());
    const base::HResult disconnected = base::MakeHResult(0x80010108);
    EXPECT_EQ(testing::CodeOf([&] { range.Row(); }), disconnected);
    EXPECT_EQ(testing::CodeOf([&] { Get(book, workbook::Name); }), disconnected);
    // A closed workbook's range is no After for a live range.
    EXPECT_EQ(testing::CodeOf([&] { RangeAt(*excel, u"B:B").FindNext(range); }),
              base::MakeHResult(0x800A03EC));

    const auto app = excel->Application();
    const Range live = RangeAt(*excel, u"A1");
    excel.reset();
    EXPECT_EQ(testing::CodeOf([&] { live.Row(); }), disconnected);
    EXPECT_EQ(testing::CodeOf([&] { Application(app).Version(); }), disconnected);
}

TEST(SimControl, TypingMovesTheSelectionDown) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1");
    excel.TypeInto({7, 2}, u"abc");
    EXPECT_EQ(excel.Text({7, 2}), u"abc");
    EXPECT_EQ(excel.ActiveCell(), (Cell{8, 2}));
    EXPECT_EQ(excel.SelectedArea(), (Area{8, 2, 8, 2}));
    excel.TypeInto({kMaxRows, 2}, u"last");
    EXPECT_EQ(excel.ActiveCell(), (Cell{kMaxRows, 2}));
    excel.TypeInto({7, 2}, u"");
    EXPECT_EQ(excel.NonEmptyCells({1, 1, kMaxRows, kMaxColumns}),
              (std::vector<std::pair<Cell, std::u16string>>{{{kMaxRows, 2}, u"last"}}));
}

TEST(SimControl, FillPasteAndClearWriteTheirAreas) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1");
    excel.Paste({2, 2, 3, 3}, {u"a", u"b", u"c", u"d"});
    EXPECT_EQ(excel.NonEmptyCells({1, 1, 9, 9}),
              (std::vector<std::pair<Cell, std::u16string>>{
                  {{2, 2}, u"a"}, {{2, 3}, u"b"}, {{3, 2}, u"c"}, {{3, 3}, u"d"}}));
    EXPECT_EQ(excel.UsedArea(), (Area{2, 2, 3, 3}));
    EXPECT_EQ(excel.ActiveCell(), (Cell{2, 2}));
    excel.Clear({3, 1, 3, kMaxColumns});
    EXPECT_EQ(excel.UsedArea(), (Area{2, 2, 2, 3}));
    excel.Fill({5, 1, 6, 2}, u"z");
    EXPECT_EQ(excel.SelectedArea(), (Area{5, 1, 6, 2}));
    EXPECT_EQ(excel.Text({6, 2}), u"z");

    auto invalid = [](const std::function<void()>& action) {
        return testing::CodeOf(action) == base::hr::InvalidArg;
    };
    EXPECT_TRUE(invalid([&] { excel.Paste({1, 1, 2, 2}, {u"a", u"b", u"c"}); }));
    EXPECT_TRUE(invalid([&] { excel.Fill({1, 1, kMaxRows, kMaxColumns}, u"x"); }));
    EXPECT_TRUE(invalid([&] { excel.SetText({0, 1}, u"x"); }));
    EXPECT_TRUE(invalid([&] { excel.Select({5, 5, 4, 4}); }));
    EXPECT_TRUE(invalid([&] { excel.AddWorkbook(u"book1"); }));
}

} // namespace
} // namespace tarvex::sim
