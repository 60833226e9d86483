// The simulated Office's control events: a button's Click reaches the sinks of every button
// that shares its tag, through each button's own connection point.

#include <gtest/gtest.h>

#include "sim_office_support.h"

namespace tarvex::sim {
namespace {

using host::Variant;
using namespace host::office;
using testing::AdviseOn;
using testing::BarsOf;
using testing::ControlSink;
using testing::FailureOf;

CommandBar VisibleBar(const SimExcel& excel, const char16_t* name) {
    const CommandBar bar = BarsOf(excel).Add(name, msoBarTop, std::nullopt, true);
    bar.SetVisible(true);
    return bar;
}

CommandBarControl AddButton(const CommandBar& bar, const char16_t* tag) {
    const CommandBarControl button =
        bar.Controls().Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, true);
    button.SetTag(tag);
    return button;
}

TEST(SimOfficeClick, ReachesTheSinksOfEveryButtonSharingTheTag) {
    SimExcel excel;
    SimOffice& simOffice = excel.Office();
    const CommandBarControl mine = AddButton(VisibleBar(excel, u"Tarvex"), u"{TRACK}");
    // A copy left on another bar (after a crash, say) and an unrelated button.
    const CommandBarControl copy = AddButton(VisibleBar(excel, u"Old"), u"{TRACK}");
    const CommandBarControl other = AddButton(VisibleBar(excel, u"Other"), u"{OTHER}");
    auto mineSink = host::MakeRef<ControlSink>();
    auto copySink = host::MakeRef<ControlSink>();
    auto otherSink = host::MakeRef<ControlSink>();
    AdviseOn(mine.Object(), mineSink.Get());
    AdviseOn(copy.Object(), copySink.Get());
    AdviseOn(other.Object(), otherSink.Get());

    const auto clicked = simOffice.FindControls(std::nullopt, std::nullopt, u"{TRACK}").back();
    EXPECT_FALSE(simOffice.Click(clicked));

    ASSERT_EQ(mineSink->calls.size(), 1u);
    ASSERT_EQ(copySink->calls.size(), 1u);
    EXPECT_TRUE(otherSink->calls.empty());
    // Click(Ctrl, CancelDefault) by DISPID 1 as a method; COM order: CancelDefault first, by
    // reference; Ctrl is the button that was clicked, for every sink.
    const tarvex::testing::RecordedCall& call = mineSink->calls[0];
    EXPECT_EQ(call.member, button_events::Click);
    EXPECT_EQ(call.flags, host::invoke::Method);
    EXPECT_EQ(call.args, (std::vector<std::string>{"ByRef->Bool(false)", "Object"}));
    EXPECT_EQ(mineSink->clicked[0].Get(), copy.Get());
    EXPECT_EQ(copySink->clicked[0].Get(), copy.Get());
}

TEST(SimOfficeClick, EverySinkSeesTheCancelDefaultLeftByTheOnesBefore) {
    SimExcel excel;
    const CommandBarControl first = AddButton(VisibleBar(excel, u"One"), u"{T}");
    const CommandBarControl second = AddButton(VisibleBar(excel, u"Two"), u"{T}");
    auto cancelling = host::MakeRef<ControlSink>();
    cancelling->cancel = true;
    auto later = host::MakeRef<ControlSink>();
    AdviseOn(first.Object(), cancelling.Get());
    AdviseOn(second.Object(), later.Get());

    const auto handle = excel.Office().FindControls(std::nullopt, std::nullopt, u"{T}").front();
    EXPECT_TRUE(excel.Office().Click(handle));
    EXPECT_EQ(cancelling->cancelSeen, std::vector<bool>{false});
    EXPECT_EQ(later->cancelSeen, std::vector<bool>{true});
}

TEST(SimOfficeClick, SinksAreCalledInAdviseOrderUntilTheyUnadvise) {
    SimExcel excel;
    SimOffice& simOffice = excel.Office();
    const CommandBarControl button = AddButton(VisibleBar(excel, u"Bar"), u"{B}");
    auto first = host::MakeRef<ControlSink>();
    auto second = host::MakeRef<ControlSink>();
    std::vector<int> order;
    first->reaction = [&] { order.push_back(1); };
    second->reaction = [&] { order.push_back(2); };
    AdviseOn(button.Object(), first.Get());
    const std::uint32_t secondCookie = AdviseOn(button.Object(), second.Get());
    EXPECT_EQ(simOffice.ConnectionCount(testing::TaggedControl(simOffice, u"{B}")), 2u);

    // The first sink drops the second one during the click: the second is not called.
    auto container = host::QueryAs<host::ConnectionPointContainer>(
        button.Get(), host::iid::ConnectionPointContainer);
    host::Ref<host::ConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(iid::CommandBarButtonEvents, point), base::hr::Ok);
    first->reaction = [&] {
        order.push_back(1);
        point->Unadvise(secondCookie);
    };
    simOffice.Click(testing::TaggedControl(simOffice, u"{B}"));
    EXPECT_EQ(order, std::vector<int>{1});
    EXPECT_EQ(point->Unadvise(secondCookie), base::hr::ConnectNoConnection);
    base::Guid events{};
    point->GetConnectionInterface(events);
    EXPECT_EQ(events, iid::CommandBarButtonEvents);
}

TEST(SimOfficeClick, WithoutATagOnlyCopiesOfTheSameBuiltInControlShare) {
    SimExcel excel;
    SimOffice& simOffice = excel.Office();
    const CommandBar bar = VisibleBar(excel, u"Bar");
    const CommandBarControl custom = AddButton(bar, u"");
    const CommandBarControl otherCustom = AddButton(bar, u"");
    auto customSink = host::MakeRef<ControlSink>();
    auto otherSink = host::MakeRef<ControlSink>();
    AdviseOn(custom.Object(), customSink.Get());
    AdviseOn(otherCustom.Object(), otherSink.Get());
    simOffice.Click(simOffice.Controls(*simOffice.FindBar(u"Bar")).front());
    EXPECT_EQ(customSink->calls.size(), 1u);
    EXPECT_TRUE(otherSink->calls.empty());

    // Copy (id 19) stands in the Edit menu, on Standard and in the Cell menu.
    auto copySink = host::MakeRef<ControlSink>();
    AdviseOn(BarsOf(excel).FindControl(std::nullopt, 19, std::nullopt, std::nullopt).Object(),
             copySink.Get());
    const auto copies = simOffice.FindControls(std::nullopt, 19, std::nullopt);
    ASSERT_EQ(copies.size(), 3u);
    simOffice.Click(copies[2]); // in the cell's shortcut menu
    ASSERT_EQ(copySink->clicked.size(), 1u);
    EXPECT_EQ(copySink->clicked[0].Get(), simOffice.ObjectOf(copies[2]).Get());
}

TEST(SimOfficeClick, TheUserCannotClickWhatIsHiddenOrDisabled) {
    SimExcel excel;
    SimOffice& simOffice = excel.Office();
    const CommandBar bar = VisibleBar(excel, u"Bar");
    const CommandBarControl button = AddButton(bar, u"{B}");
    const auto handle = testing::TaggedControl(simOffice, u"{B}");
    button.SetEnabled(false);
    EXPECT_THROW(simOffice.Click(handle), base::Error);
    button.SetEnabled(true);
    bar.SetVisible(false);
    EXPECT_THROW(simOffice.Click(handle), base::Error);
    bar.SetVisible(true);
    EXPECT_NO_THROW(simOffice.Click(handle));

    const CommandBarControl popup =
        bar.Controls().Add(msoControlPopup, std::nullopt, std::nullopt, std::nullopt, true);
    EXPECT_THROW(simOffice.Click(simOffice.Controls(*simOffice.FindBar(u"Bar")).back()),
                 base::Error);
    AddButton(popup.CommandBar(), u"{INNER}");
    popup.SetVisible(false);
    EXPECT_THROW(simOffice.Click(testing::TaggedControl(simOffice, u"{INNER}")), base::Error);
}

TEST(SimOfficeClick, ConnectionPointsAnswerOnlyTheirOwnEventInterface) {
    SimExcel excel;
    const CommandBar bar = VisibleBar(excel, u"Bar");
    const CommandBarControl button = AddButton(bar, u"{B}");
    const CommandBarControl combo =
        bar.Controls().Add(msoControlComboBox, std::nullopt, std::nullopt, std::nullopt, true);
    const CommandBarControl popup =
        bar.Controls().Add(msoControlPopup, std::nullopt, std::nullopt, std::nullopt, true);

    auto container = host::QueryAs<host::ConnectionPointContainer>(
        button.Get(), host::iid::ConnectionPointContainer);
    host::Ref<host::ConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(iid::CommandBarComboBoxEvents, point),
              base::hr::ConnectNoConnection);
    EXPECT_FALSE(host::QueryAs<host::ConnectionPointContainer>(
        popup.Get(), host::iid::ConnectionPointContainer));

    // A sink that does not answer the event interface cannot connect.
    auto plain = host::MakeRef<tarvex::testing::RecordingDispatch>();
    EXPECT_EQ(FailureOf([&] { AdviseOn(button.Object(), plain.Get()); }),
              base::hr::ConnectCannotConnect);

    auto comboSink = host::MakeRef<ControlSink>(iid::CommandBarComboBoxEvents);
    AdviseOn(combo.Object(), comboSink.Get(), iid::CommandBarComboBoxEvents);
    const auto handle = excel.Office().Controls(*excel.Office().FindBar(u"Bar"))[1];
    EXPECT_THROW(excel.Office().Click(handle), base::Error);
    excel.Office().Change(handle);
    ASSERT_EQ(comboSink->calls.size(), 1u);
    EXPECT_EQ(comboSink->calls[0].member, combo_box_events::Change);
    EXPECT_EQ(comboSink->calls[0].args, std::vector<std::string>{"Object"});
}

TEST(SimOfficeClick, ARestartDropsTheConnections) {
    SimExcel excel;
    SimOffice& simOffice = excel.Office();
    const CommandBar bar = BarsOf(excel).Add(u"Kept", msoBarTop, std::nullopt, false);
    bar.SetVisible(true);
    const CommandBarControl button =
        bar.Controls().Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, false);
    button.SetTag(u"{K}");
    tarvex::testing::LiveCount live;
    AdviseOn(button.Object(), host::MakeRef<ControlSink>(iid::CommandBarButtonEvents, &live).Get());
    EXPECT_EQ(live.value, 1); // Office holds the sink
    const auto handle = testing::TaggedControl(simOffice, u"{K}");
    simOffice.Restart();
    EXPECT_EQ(simOffice.ConnectionCount(handle), 0u);
    EXPECT_FALSE(simOffice.Click(handle)); // nobody listens any more
    EXPECT_EQ(FailureOf([&] { AdviseOn(button.Object(), host::MakeRef<ControlSink>().Get()); }),
              base::MakeHResult(0x80010108));
    EXPECT_EQ(live.value, 0);
}

} // namespace
} // namespace tarvex::sim
