// The event connection of a command bar control: which clicks reach the control, one at a
// time, and how the connection answers Office.

#include <gtest/gtest.h>

#include "base/error.h"
#include "framework/event_sink.h"
#include "framework/module.h"
#include "host/office/dispids.h"
#include "host/office/office.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/office/office.h"
#include "sim/registry/memory_registry.h"

namespace tarvex::framework {
namespace {

namespace office = host::office;

class PlainModule : public TadxCOMAddInModule {
    friend class TadxCOMAddInModule;
    explicit PlainModule(ModuleServices services)
        : TadxCOMAddInModule(services) {}
    void LoadDesign() override { SetAddInName(u"Tarvex"); }
};

// A frame control as the sink sees it: a tag, a link that works or not, a click handler.
class FakeControl final : public TadxClickTarget {
public:
    std::u16string tag;
    bool linkWorks = true;
    int clicks = 0;
    std::vector<host::Ref<host::Dispatch>> relinkedTo;
    std::function<void()> onClick;

    FakeControl() = default;
    virtual ~FakeControl() = default;

    std::u16string OfficeTag() const override { return tag; }
    bool LinkWorks() noexcept override { return linkWorks; }
    void Relink(const host::Ref<host::Dispatch>& control) override {
        relinkedTo.push_back(control);
        linkWorks = true;
    }
    void DoClick() override {
        ++clicks;
        if (onClick)
            onClick();
    }
};

class ControlEvents : public ::testing::Test {
protected:
    void SetUp() override {
        desktop.SetMessageHandler([this](const sim::ShownMessage& message) {
            messages.push_back(message.text);
            return 1;
        });
        bar =
            office::CommandBars(excel.Office().CommandBars()).Add(u"Tarvex", 1, std::nullopt, true);
        bar.SetVisible(true); // a new bar is hidden until made visible, as in Office
    }

    /// Adds a control of `type` with `tag` to the bar; returns its Office object and handle.
    std::pair<host::Ref<host::Dispatch>, sim::SimOffice::ControlHandle> Add(std::int32_t type,
                                                                            std::u16string tag) {
        const office::CommandBarControl control =
            bar.Controls().Add(type, std::nullopt, std::nullopt, std::nullopt, true);
        control.SetTag(tag);
        control.SetCaption(u"Track");
        const auto handles = excel.Office().FindControls(type, std::nullopt, tag);
        return {control.Object(), handles.back()};
    }

    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    std::vector<std::u16string> messages;
    std::unique_ptr<PlainModule> module =
        TadxCOMAddInModule::Create<PlainModule>(ModuleServices{desktop, registry});
    office::CommandBar bar;
};

TEST_F(ControlEvents, ClickOfTheOwnTagReachesTheControlOthersDoNot) {
    FakeControl track;
    track.tag = u"{15371C52-2B93-42C6-B57E-437CC0670502}";
    const auto [trackObject, trackHandle] = Add(1, track.tag);
    const auto [otherObject, otherHandle] = Add(1, u"{D8385DF2-8284-4217-BEF8-3C9F73036A20}");
    const auto sink = TadxEventSink::Connect(*module, track, trackObject);
    EXPECT_EQ(module->EventSinks(), std::vector<TadxEventSink*>{sink.Get()});
    EXPECT_EQ(excel.Office().ConnectionCount(trackHandle), 1u);

    excel.Office().Click(trackHandle);
    EXPECT_EQ(track.clicks, 1);
    excel.Office().Click(otherHandle);
    EXPECT_EQ(track.clicks, 1) << "another tag's click is not this control's";

    // A copy of the button elsewhere carries the same tag: its click is this control's.
    const auto copy = Add(1, track.tag);
    excel.Office().Click(copy.second);
    EXPECT_EQ(track.clicks, 2);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ControlEvents, BrokenLinkIsRelinkedToTheClickedButton) {
    FakeControl track;
    track.tag = u"{tag}";
    const auto [object, handle] = Add(1, track.tag);
    const auto sink = TadxEventSink::Connect(*module, track, object);
    track.linkWorks = false;
    excel.Office().Click(handle);
    ASSERT_EQ(track.relinkedTo.size(), 1u);
    EXPECT_TRUE(
        host::QueryAs<host::Dispatch>(track.relinkedTo[0].Get(), office::iid::CommandBarButton));
    EXPECT_EQ(track.clicks, 1) << "the click still runs after the relink";
}

TEST_F(ControlEvents, ClickArrivingDuringAClickIsDropped) {
    FakeControl track;
    track.tag = u"{tag}";
    const auto [object, handle] = Add(1, track.tag);
    const auto sink = TadxEventSink::Connect(*module, track, object);
    track.onClick = [&, handle = handle] {
        if (track.clicks == 1)
            excel.Office().Click(handle); // a modal dialog's message loop lets this through
    };
    excel.Office().Click(handle);
    EXPECT_EQ(track.clicks, 1);
    excel.Office().Click(handle);
    EXPECT_EQ(track.clicks, 2) << "the next click after the first ended runs";
}

TEST_F(ControlEvents, FailingHandlerIsReportedAndOfficeGetsOk) {
    FakeControl track;
    track.tag = u"{tag}";
    const auto [object, handle] = Add(1, track.tag);
    const auto sink = TadxEventSink::Connect(*module, track, object);
    track.onClick = [] { throw base::Error(base::hr::Fail, "Track failed"); };
    EXPECT_FALSE(excel.Office().Click(handle)) << "CancelDefault is left as it was";
    EXPECT_EQ(messages, std::vector<std::u16string>{
                            u"Tarvex error: the add-in has fired an exception.\r\nTrack failed"});
}

TEST_F(ControlEvents, AnswersOfficeByTheRules) {
    FakeControl track;
    track.tag = u"{tag}";
    const auto [object, handle] = Add(1, track.tag);
    const auto sink = TadxEventSink::Connect(*module, track, object);

    host::DispId id = 0;
    const std::u16string click = u"Click", change = u"Change";
    EXPECT_EQ(sink->GetIDsOfNames(host::iid::Null, {&click, 1}, 0, {&id, 1}), base::hr::Ok);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(sink->GetIDsOfNames(host::iid::Null, {&change, 1}, 0, {&id, 1}),
              base::hr::DispUnknownName)
        << "a button has no Change";
    const std::u16string two[] = {click, change};
    host::DispId ids[2];
    EXPECT_EQ(sink->GetIDsOfNames(host::iid::Null, two, 0, ids), base::hr::InvalidArg);
    EXPECT_EQ(sink->GetIDsOfNames(host::iid::Null, {}, 0, {}), base::hr::Pointer);
    EXPECT_EQ(sink->GetTypeInfo(0, 0), base::hr::Fail);
    EXPECT_TRUE(host::QueryAs<host::Dispatch>(sink.Get(), office::iid::CommandBarButtonEvents));
    EXPECT_FALSE(host::QueryAs<host::Dispatch>(sink.Get(), office::iid::CommandBarControl));

    const host::DispParams none{};
    EXPECT_EQ(
        sink->Invoke(2, host::iid::Null, 0, host::invoke::Method, none, nullptr, nullptr, nullptr),
        base::hr::DispMemberNotFound);
    EXPECT_EQ(
        sink->Invoke(1, host::iid::Null, 0, host::invoke::Method, none, nullptr, nullptr, nullptr),
        base::hr::Pointer);
    host::Variant onlyCtrl[] = {host::Variant(object)};
    const host::DispParams shortList{onlyCtrl, nullptr, 1, 0};
    EXPECT_EQ(sink->Invoke(1, host::iid::Null, 0, host::invoke::Method, shortList, nullptr, nullptr,
                           nullptr),
              base::hr::Ok);
    EXPECT_EQ(track.clicks, 0) << "a click without CancelDefault delivers nothing";
}

TEST_F(ControlEvents, ComboBoxesAreConnectedThroughTheirOwnEvents) {
    FakeControl combo;
    combo.tag = u"{combo}";
    const auto [object, handle] = Add(4, combo.tag);
    const auto sink = TadxEventSink::Connect(*module, combo, object);
    EXPECT_EQ(sink->ControlType(), 4);
    host::DispId id = 0;
    const std::u16string change = u"Change";
    EXPECT_EQ(sink->GetIDsOfNames(host::iid::Null, {&change, 1}, 0, {&id, 1}), base::hr::Ok);
    excel.Office().Change(handle);
    EXPECT_EQ(combo.clicks, 1);
}

TEST_F(ControlEvents, DisconnectedSinkHearsNothingAndLeavesTheModulesList) {
    FakeControl track;
    track.tag = u"{tag}";
    const auto [object, handle] = Add(1, track.tag);
    const auto sink = TadxEventSink::Connect(*module, track, object);
    sink->Disconnect();
    EXPECT_TRUE(module->EventSinks().empty());
    EXPECT_EQ(excel.Office().ConnectionCount(handle), 0u);
    excel.Office().Click(handle);
    EXPECT_EQ(track.clicks, 0);
    sink->Disconnect(); // twice is harmless
}

} // namespace
} // namespace tarvex::framework
