// Application events of the simulated Excel, raised through its connection point as Excel
// raises them.

#include <gtest/gtest.h>

#include "sim_excel_support.h"

namespace tarvex::sim {
namespace {

using host::Variant;
using host::excel::Range;
using namespace host::excel;
using testing::EventSink;

std::vector<host::DispId> Ids(const EventSink& sink) {
    std::vector<host::DispId> ids;
    for (const auto& event : sink.events)
        ids.push_back(event.id);
    return ids;
}

std::u16string NameOf(const Variant& object) {
    return testing::Get(object.ToObject(), workbook::Name).ToString();
}

host::Ref<host::ConnectionPoint> EventPointOf(const SimExcel& excel) {
    auto container = host::QueryAs<host::ConnectionPointContainer>(
        excel.Application().Get(), host::iid::ConnectionPointContainer);
    host::Ref<host::ConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(iid::AppEvents, point), base::hr::Ok);
    return point;
}

TEST(SimEvents, AdviseNeedsAnAppEventsSinkAndUnadviseAKnownCookie) {
    SimExcel excel;
    auto point = EventPointOf(excel);
    base::Guid iid;
    EXPECT_EQ(point->GetConnectionInterface(iid), base::hr::Ok);
    EXPECT_EQ(iid, iid::AppEvents);

    auto plain = host::MakeRef<EventSink>(false);
    std::uint32_t cookie = 99;
    EXPECT_EQ(point->Advise(plain.Get(), cookie), base::hr::ConnectCannotConnect);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(point->Advise(nullptr, cookie), base::hr::Pointer);

    auto sink = host::MakeRef<EventSink>();
    ASSERT_EQ(point->Advise(sink.Get(), cookie), base::hr::Ok);
    EXPECT_EQ(point->Unadvise(cookie + 1), base::hr::ConnectNoConnection);
    EXPECT_EQ(point->Unadvise(cookie), base::hr::Ok);
    EXPECT_EQ(point->Unadvise(cookie), base::hr::ConnectNoConnection);

    auto container = host::QueryAs<host::ConnectionPointContainer>(
        excel.Application().Get(), host::iid::ConnectionPointContainer);
    host::Ref<host::ConnectionPoint> other;
    EXPECT_EQ(container->FindConnectionPoint(host::iid::Dispatch, other),
              base::hr::ConnectNoConnection);
    EXPECT_FALSE(other);
}

TEST(SimEvents, SheetChangeArrivesLastArgumentFirstAsAMethodCall) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1");
    auto sink = host::MakeRef<EventSink>();
    testing::Advise(excel, sink.Get());
    excel.TypeInto({7, 2}, u"abc");

    ASSERT_EQ(sink->events.size(), 1u);
    const auto& event = sink->events[0];
    EXPECT_EQ(event.id, events::SheetChange);
    EXPECT_EQ(event.kind, host::invoke::Method);
    ASSERT_EQ(event.comOrderValues.size(), 2u);
    // Target (declared second) comes first; Sh second.
    EXPECT_EQ(Range(event.comOrderValues[0].ToObject()).Address(xlA1), u"$B$7");
    EXPECT_EQ(testing::Get(event.comOrderValues[1].ToObject(), worksheet::Name).ToString(),
              u"Sheet1");
    // When the event arrives, the cell holds its text and the selection has moved on.
    EXPECT_EQ(Range(event.comOrderValues[0].ToObject()).Text(), u"abc");

    excel.Fill({1, 1, 2, 3}, u"x");
    excel.Clear({1, 1, 2, 3});
    ASSERT_EQ(sink->events.size(), 3u);
    EXPECT_EQ(Range(sink->events[1].comOrderValues[0].ToObject()).Address(xlA1), u"$A$1:$C$2");
    EXPECT_EQ(Range(sink->events[2].comOrderValues[0].ToObject()).Text(), u"");
}

TEST(SimEvents, EverySinkInAdviseOrderSharesTheCancelFlag) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1");
    excel.AddWorkbook(u"Book2");
    auto first = host::MakeRef<EventSink>();
    auto second = host::MakeRef<EventSink>();
    std::vector<int> order;
    first->reaction = [&](host::DispId id, const host::DispParams& params) {
        order.push_back(1);
        if (id == events::WorkbookBeforeClose)
            params.args[0].Target() = Variant(true); // Cancel, by reference
    };
    bool secondSawCancel = false;
    second->reaction = [&](host::DispId id, const host::DispParams& params) {
        order.push_back(2);
        if (id == events::WorkbookBeforeClose)
            secondSawCancel = params.args[0].ToBool();
    };
    testing::Advise(excel, first.Get());
    testing::Advise(excel, second.Get());

    EXPECT_FALSE(excel.CloseActiveWorkbook());
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_TRUE(secondSawCancel);
    EXPECT_EQ(excel.ActiveWorkbookName(), u"Book2");
    ASSERT_EQ(first->events.size(), 1u);
    EXPECT_EQ(first->events[0].comOrderArgs[0], "ByRef->Bool(false)");
    EXPECT_EQ(NameOf(first->events[0].comOrderValues[1]), u"Book2");
}

TEST(SimEvents, ClosingDeactivatesAndActivatesTheMostRecentRemainingWorkbook) {
    SimExcel excel;
    excel.AddWorkbook(u"A");
    const Range inA = testing::RangeAt(excel, u"A1");
    excel.AddWorkbook(u"B");
    excel.AddWorkbook(u"C");
    inA.Activate();
    auto sink = host::MakeRef<EventSink>();
    // The workbook is asked for its name while the event runs: once closed, its object
    // answers no more.
    std::vector<std::u16string> names;
    sink->reaction = [&](host::DispId, const host::DispParams& params) {
        names.push_back(NameOf(params.args[params.argCount - 1]));
    };
    testing::Advise(excel, sink.Get());

    // C was opened last, then A was used: A is active, C the most recent other one.
    ASSERT_TRUE(excel.CloseActiveWorkbook());
    EXPECT_EQ(Ids(*sink),
              (std::vector<host::DispId>{events::WorkbookBeforeClose, events::WorkbookDeactivate,
                                         events::WorkbookActivate}));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"A", u"A", u"C"}));
    EXPECT_EQ(excel.ActiveWorkbookName(), u"C");

    ASSERT_TRUE(excel.CloseActiveWorkbook());
    ASSERT_TRUE(excel.CloseActiveWorkbook());
    EXPECT_FALSE(excel.HasActiveWorkbook());
    EXPECT_EQ(Ids(*sink).back(), events::WorkbookDeactivate); // nothing left to activate
    EXPECT_FALSE(excel.CloseActiveWorkbook());
}

TEST(SimEvents, NewWorkbookDeactivatesTheOldOneFirst) {
    SimExcel excel;
    auto sink = host::MakeRef<EventSink>();
    testing::Advise(excel, sink.Get());
    excel.NewWorkbook();
    EXPECT_EQ(Ids(*sink),
              (std::vector<host::DispId>{events::NewWorkbook, events::WorkbookActivate}));
    EXPECT_EQ(NameOf(sink->events[0].comOrderValues[0]), u"Book1");

    sink->events.clear();
    excel.NewWorkbook();
    EXPECT_EQ(Ids(*sink),
              (std::vector<host::DispId>{events::WorkbookDeactivate, events::NewWorkbook,
                                         events::WorkbookActivate}));
    EXPECT_EQ(NameOf(sink->events[0].comOrderValues[0]), u"Book1");
    EXPECT_EQ(NameOf(sink->events[1].comOrderValues[0]), u"Book2");
    // The same workbook is the same object in every event.
    EXPECT_EQ(sink->events[1].comOrderValues[0], sink->events[2].comOrderValues[0]);
    EXPECT_EQ(excel.ActiveSheetName(), u"Sheet1");
}

TEST(SimEvents, NewSheetsAndSheetTabsRaiseTheSheetEvents) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1", {u"Sheet1", u"Data"});
    auto sink = host::MakeRef<EventSink>();
    testing::Advise(excel, sink.Get());
    const auto sheetName = [](const Variant& sheet) {
        return testing::Get(sheet.ToObject(), worksheet::Name).ToString();
    };

    // A new sheet goes after the active one and takes the next free number.
    excel.NewSheet();
    excel.NewSheet(u"My Sheet");
    EXPECT_EQ(excel.SheetNames(),
              (std::vector<std::u16string>{u"Sheet1", u"Sheet3", u"My Sheet", u"Data"}));
    EXPECT_EQ(excel.ActiveSheetName(), u"My Sheet");
    ASSERT_EQ(Ids(*sink),
              (std::vector<host::DispId>{events::SheetDeactivate, events::WorkbookNewSheet,
                                         events::SheetActivate, events::SheetDeactivate,
                                         events::WorkbookNewSheet, events::SheetActivate}));
    EXPECT_EQ(sheetName(sink->events[0].comOrderValues[0]), u"Sheet1");
    // WorkbookNewSheet(Wb, Sh) arrives last argument first.
    EXPECT_EQ(sheetName(sink->events[1].comOrderValues[0]), u"Sheet3");
    EXPECT_EQ(NameOf(sink->events[1].comOrderValues[1]), u"Book1");
    EXPECT_EQ(sheetName(sink->events[5].comOrderValues[0]), u"My Sheet");
    EXPECT_EQ(testing::CodeOf([&] { excel.NewSheet(u"data"); }), base::hr::InvalidArg);

    // A tab click: the old sheet first; no event for the sheet already in front, and no
    // workbook event at all.
    sink->events.clear();
    excel.GoToSheet(u"data");
    excel.GoToSheet(u"Data");
    ASSERT_EQ(Ids(*sink),
              (std::vector<host::DispId>{events::SheetDeactivate, events::SheetActivate}));
    EXPECT_EQ(sheetName(sink->events[0].comOrderValues[0]), u"My Sheet");
    EXPECT_EQ(sheetName(sink->events[1].comOrderValues[0]), u"Data");
    EXPECT_EQ(testing::CodeOf([&] { excel.GoToSheet(u"Nowhere"); }), base::hr::InvalidArg);
}

TEST(SimEvents, AProgramWritingCellsRaisesTheirSheetsChangeAndMovesNothing) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1", {u"Sheet1", u"Sheet2"});
    excel.Select({3, 3, 4, 4});
    auto sink = host::MakeRef<EventSink>();
    testing::Advise(excel, sink.Get());

    excel.Write(u"Sheet2", {{7, 2, 7, 2}, {1, 5, 2, 5}}, u"abc");
    ASSERT_EQ(Ids(*sink), std::vector<host::DispId>{events::SheetChange});
    const Range target(sink->events[0].comOrderValues[0].ToObject());
    EXPECT_EQ(target.Address(xlA1), u"$B$7,$E$1:$E$2");
    EXPECT_EQ(
        testing::Get(sink->events[0].comOrderValues[1].ToObject(), worksheet::Name).ToString(),
        u"Sheet2");
    EXPECT_EQ(excel.Text(u"Sheet2", {2, 5}), u"abc");
    EXPECT_EQ(excel.Text({7, 2}), u"") << "the active sheet is not written";
    EXPECT_EQ(excel.ActiveSheetName(), u"Sheet1");
    EXPECT_EQ(excel.SelectedArea(), (Area{3, 3, 4, 4}));
    EXPECT_EQ(excel.ActiveCell(), (Cell{3, 3}));
}

TEST(SimEvents, ASinkThatUnadvisesDuringAnEventGetsNoMore) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1");
    auto first = host::MakeRef<EventSink>();
    auto second = host::MakeRef<EventSink>();
    const std::uint32_t firstCookie = testing::Advise(excel, first.Get());
    const std::uint32_t secondCookie = testing::Advise(excel, second.Get());
    auto point = EventPointOf(excel);
    // The first sink disconnects the second while handling the event.
    first->reaction = [&](host::DispId, const host::DispParams&) { point->Unadvise(secondCookie); };
    excel.TypeInto({1, 1}, u"a");
    EXPECT_EQ(first->events.size(), 1u);
    EXPECT_TRUE(second->events.empty());
    EXPECT_EQ(point->Unadvise(firstCookie), base::hr::Ok);
    excel.TypeInto({1, 1}, u"b");
    EXPECT_EQ(first->events.size(), 1u);
}

TEST(SimEvents, RaiseEventPassesArgumentsAsGiven) {
    SimExcel excel;
    auto sink = host::MakeRef<EventSink>();
    testing::Advise(excel, sink.Get());
    Variant cancel(false);
    excel.RaiseEvent(events::SheetBeforeDoubleClick,
                     {Variant(u"sheet"), Variant(7), Variant::RefTo(cancel)});
    ASSERT_EQ(sink->events.size(), 1u);
    EXPECT_EQ(sink->events[0].comOrderArgs,
              (std::vector<std::string>{"ByRef->Bool(false)", "Int32(7)", "String(\"sheet\")"}));
}

} // namespace
} // namespace tarvex::sim
