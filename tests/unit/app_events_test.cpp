// Excel's application events as the frame receives them: the dispatch object Excel calls,
// the conversion of arguments, handlers and their failures, connecting and disconnecting.

#include <gtest/gtest.h>
#include <numeric>

#include "framework/app_events.h"
#include "framework/errors.h"
#include "framework/module.h"
#include "host/automation.h"
#include "host/excel/dispids.h"
#include "host/module_lock.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_in_excel.h"
#include "tests/support/recording_dispatch.h"

namespace tarvex::framework {
namespace {

namespace ev = host::excel::events;
using host::Variant;

// A module with one Excel events component and nothing else.
class EventsModule : public TadxCOMAddInModule {
public:
    TadxExcelAppEvents* events = nullptr;

private:
    friend class TadxCOMAddInModule;
    explicit EventsModule(ModuleServices services)
        : TadxCOMAddInModule(services) {}
    void LoadDesign() override {
        SetAddInName(u"Tarvex");
        events = &CreateComponent<TadxExcelAppEvents>("ExcelAppEvents");
    }
};

// An object that counts how often it is asked for an interface.
class CountingObject : public host::RefCounted<host::Dispatch> {
public:
    int queries = 0;
    base::Guid answers = host::iid::Dispatch;
    base::HResult QueryInterface(const base::Guid& iid, void** object) override {
        ++queries;
        return host::AnswerQuery(
            iid, object,
            {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown, this),
             host::InterfaceOffer::Of<host::Dispatch>(host::iid::Dispatch, this),
             host::InterfaceOffer::Of<host::Dispatch>(answers, this)});
    }
    base::HResult GetTypeInfoCount(std::uint32_t& count) override {
        count = 0;
        return base::hr::Ok;
    }
    base::HResult GetTypeInfo(std::uint32_t, std::uint32_t) override { return base::hr::NotImpl; }
    base::HResult GetIDsOfNames(const base::Guid&, std::span<const std::u16string>, std::uint32_t,
                                std::span<host::DispId>) override {
        return base::hr::NotImpl;
    }
    base::HResult Invoke(host::DispId, const base::Guid&, std::uint32_t, host::InvokeFlags,
                         const host::DispParams&, Variant*, host::ExcepInfo*,
                         std::uint32_t*) override {
        return base::hr::DispMemberNotFound;
    }
};

class ApplicationEvents : public ::testing::Test {
protected:
    void SetUp() override {
        excel.AddWorkbook(u"Book1");
        desktop.SetMessageHandler([this](const sim::ShownMessage& message) {
            messages.push_back(message);
            return 1;
        });
    }

    /// Calls the dispatch object as Excel does: `args` last first.
    base::HResult Raise(host::DispId event, std::vector<Variant> argsLastFirst,
                        std::vector<host::DispId> named = {}) {
        const host::DispParams params{argsLastFirst.data(), named.empty() ? nullptr : named.data(),
                                      static_cast<std::uint32_t>(argsLastFirst.size()),
                                      static_cast<std::uint32_t>(named.size())};
        return module->events->DispatchObject().Invoke(
            event, host::iid::Null, 0, host::invoke::Method, params, nullptr, nullptr, nullptr);
    }

    Variant Workbook() {
        return Variant(host::Call(*excel.Application(), host::excel::application::ActiveWorkbook,
                                  host::invoke::PropertyGet, 0, {}, "ActiveWorkbook")
                           .ToObject());
    }

    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    std::vector<sim::ShownMessage> messages;
    std::unique_ptr<EventsModule> module =
        TadxCOMAddInModule::Create<EventsModule>(ModuleServices{desktop, registry});
};

TEST_F(ApplicationEvents, DispatchObjectAnswersItsThreeInterfacesOnly) {
    host::Dispatch& sink = module->events->DispatchObject();
    EXPECT_TRUE(host::QueryAs<host::Dispatch>(&sink, host::iid::Dispatch));
    EXPECT_TRUE(host::QueryAs<host::Unknown>(&sink, host::iid::Unknown));
    EXPECT_TRUE(host::QueryAs<host::Dispatch>(&sink, host::excel::iid::AppEvents));
    EXPECT_FALSE(host::QueryAs<host::Dispatch>(&sink, host::excel::iid::Range));
    std::uint32_t count = 7;
    EXPECT_EQ(sink.GetTypeInfoCount(count), base::hr::Ok);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(sink.GetTypeInfo(0, 0), base::hr::NotImpl);
    host::DispId id = 0;
    const std::u16string name = u"SheetChange";
    EXPECT_EQ(sink.GetIDsOfNames(host::iid::Null, {&name, 1}, 0, {&id, 1}), base::hr::NotImpl);
}

TEST_F(ApplicationEvents, ReferencesMoveTheComponentsCountInStep) {
    host::Dispatch& sink = module->events->DispatchObject();
    const std::int32_t before = module->events->ComRefCount();
    EXPECT_EQ(sink.AddRef(), 2u);
    EXPECT_EQ(module->events->ComRefCount(), before + 1);
    EXPECT_EQ(sink.Release(), 1u);
    EXPECT_EQ(module->events->ComRefCount(), before);
}

TEST_F(ApplicationEvents, SheetChangeReachesItsHandlerInDeclarationOrder) {
    Variant shSeen, targetSeen;
    module->events->OnSheetChange = [&](TComponent& sender, const host::Ref<host::Dispatch>& sh,
                                        const host::Ref<host::Dispatch>& target) {
        EXPECT_EQ(&sender, module->events);
        shSeen = Variant(sh);
        targetSeen = Variant(target);
    };
    testing::ConnectToExcel(*module, excel);
    excel.TypeInto({7, 2}, u"abc");
    ASSERT_FALSE(targetSeen.IsNothing());
    EXPECT_EQ(host::excel::Range(targetSeen.ToObject()).Address(host::excel::xlA1), u"$B$7");
    EXPECT_TRUE(
        host::QueryAs<host::Dispatch>(shSeen.ToObject().Get(), host::excel::iid::Worksheet));
}

TEST_F(ApplicationEvents, EmptySlotCostsNoConversionAndUnknownEventsAreIgnored) {
    auto wb = host::MakeRef<CountingObject>();
    EXPECT_EQ(Raise(ev::WorkbookActivate, {Variant(host::Ref<host::Dispatch>(wb))}), base::hr::Ok);
    EXPECT_EQ(wb->queries, 0) << "nothing is converted for an event nobody handles";

    bool called = false;
    module->events->OnWorkbookActivate = [&](TComponent&, const host::Ref<host::Dispatch>&) {
        called = true;
    };
    EXPECT_EQ(Raise(0x61E, {Variant(host::Ref<host::Dispatch>(wb))}), base::hr::Ok);
    EXPECT_EQ(Raise(0x613, {Variant(host::Ref<host::Dispatch>(wb))}), base::hr::Ok);
    EXPECT_FALSE(called);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ApplicationEvents, FailingHandlerIsReportedAndExcelStillGetsOk) {
    module->events->OnWorkbookActivate = [&](TComponent&, const host::Ref<host::Dispatch>&) {
        throw base::Error(base::hr::Fail, "the handler broke");
    };
    EXPECT_EQ(Raise(ev::WorkbookActivate, {Workbook()}), base::hr::Ok);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              u"Tarvex error: the add-in has fired an exception.\r\nthe handler broke");
    EXPECT_EQ(messages[0].style, host::message_box::Ok | host::message_box::IconError);
}

TEST_F(ApplicationEvents, ObjectWithoutTheDeclaredInterfaceIsReported) {
    bool called = false;
    module->events->OnWorkbookActivate = [&](TComponent&, const host::Ref<host::Dispatch>&) {
        called = true;
    };
    auto notAWorkbook = host::MakeRef<CountingObject>();
    EXPECT_EQ(Raise(ev::WorkbookActivate, {Variant(host::Ref<host::Dispatch>(notAWorkbook))}),
              base::hr::Ok);
    EXPECT_FALSE(called);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find(u"Interface not supported"), std::u16string::npos);

    // Nothing stays nothing: no conversion error.
    EXPECT_EQ(Raise(ev::WorkbookActivate, {Variant::Nothing()}), base::hr::Ok);
    EXPECT_TRUE(called);
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(ApplicationEvents, CancelWrittenByTheHandlerIsSeenByExcel) {
    module->events->OnWorkbookBeforeClose = [](TComponent&, const host::Ref<host::Dispatch>&,
                                               bool& cancel) { cancel = true; };
    testing::ConnectToExcel(*module, excel);
    EXPECT_FALSE(excel.CloseActiveWorkbook()) << "the close was cancelled";
    EXPECT_TRUE(excel.HasActiveWorkbook());

    Variant cancel(false);
    EXPECT_EQ(Raise(ev::WorkbookBeforeClose, {Variant::RefTo(cancel), Workbook()}), base::hr::Ok);
    EXPECT_TRUE(cancel.ToBool());
}

TEST_F(ApplicationEvents, NamedArgumentsArePlacedByTheirIds) {
    Variant seenSh;
    bool called = false;
    module->events->OnSheetChange = [&](TComponent&, const host::Ref<host::Dispatch>& sh,
                                        const host::Ref<host::Dispatch>&) {
        called = true;
        seenSh = Variant(sh);
    };
    auto sheet = host::MakeRef<CountingObject>();
    // Sh (position 0) and Target (position 1) given by name, in reverse order.
    EXPECT_EQ(Raise(ev::SheetChange,
                    {Variant::Nothing(), Variant(host::Ref<host::Dispatch>(sheet))}, {1, 0}),
              base::hr::Ok);
    EXPECT_TRUE(called);
    EXPECT_EQ(seenSh.ToObject().Get(), static_cast<host::Dispatch*>(sheet.Get()));
}

TEST_F(ApplicationEvents, ShortOrMalformedArgumentListsDeliverNothing) {
    int calls = 0;
    module->events->OnSheetChange = [&](TComponent&, const host::Ref<host::Dispatch>&,
                                        const host::Ref<host::Dispatch>&) { ++calls; };
    module->events->OnWorkbookBeforeClose = [&](TComponent&, const host::Ref<host::Dispatch>&,
                                                bool&) { ++calls; };
    EXPECT_EQ(Raise(ev::SheetChange, {Variant::Nothing()}), base::hr::Ok);
    EXPECT_EQ(Raise(ev::SheetChange, {}), base::hr::Ok);
    EXPECT_EQ(Raise(ev::WorkbookBeforeClose, {Workbook()}), base::hr::Ok);
    EXPECT_EQ(Raise(ev::SheetChange, {Variant::Nothing(), Variant::Nothing()}, {0, 7}),
              base::hr::Ok)
        << "a named id outside the argument list";
    EXPECT_EQ(Raise(ev::SheetChange, {Variant::Nothing(), Variant::Nothing()}, {1, 1}),
              base::hr::Ok)
        << "two arguments for one position";
    std::vector<host::DispId> names(70);
    std::iota(names.begin(), names.end(), 0);
    names.back() = 3;
    EXPECT_EQ(Raise(ev::SheetChange, std::vector<Variant>(70, Variant::Nothing()), names),
              base::hr::Ok)
        << "a name repeated in a long list of names";
    EXPECT_EQ(calls, 0);
    names.back() = 69;
    EXPECT_EQ(Raise(ev::SheetChange, std::vector<Variant>(70, Variant::Nothing()), names),
              base::hr::Ok);
    EXPECT_EQ(calls, 1) << "a long list of distinct names is well formed";
    EXPECT_TRUE(messages.empty());
}

TEST_F(ApplicationEvents, ConnectingTwiceLeavesOneConnection) {
    int calls = 0;
    module->events->OnSheetChange = [&](TComponent&, const host::Ref<host::Dispatch>&,
                                        const host::Ref<host::Dispatch>&) { ++calls; };
    module->events->ConnectTo(excel.Application());
    const std::uint32_t first = module->events->Cookie();
    EXPECT_NE(first, 0u);
    module->events->ConnectToVersion(excel.Application(), u"16.0");
    excel.TypeInto({1, 1}, u"x");
    EXPECT_EQ(calls, 1);

    module->events->Disconnect();
    EXPECT_EQ(module->events->Cookie(), 0u);
    EXPECT_FALSE(module->events->Application());
    excel.TypeInto({2, 1}, u"y");
    EXPECT_EQ(calls, 1);
}

TEST_F(ApplicationEvents, ApplicationWithoutConnectionPointIsHeldButNotAdvised) {
    auto bare = host::MakeRef<CountingObject>();
    bare->answers = host::excel::iid::Application;
    module->events->ConnectTo(host::Ref<host::Dispatch>(bare));
    EXPECT_EQ(module->events->Cookie(), 0u);
    EXPECT_TRUE(module->events->Application());
    module->events->Disconnect();
    EXPECT_FALSE(module->events->Application());

    auto notExcel = host::MakeRef<CountingObject>();
    EXPECT_THROW(module->events->ConnectTo(host::Ref<host::Dispatch>(notExcel)), base::Error);
}

TEST_F(ApplicationEvents, SinkHeldAfterTheComponentGoesIsInertAndFreesItself) {
    const long liveBefore = host::ModuleLock::Held();
    host::Ref<host::Dispatch> held(&module->events->DispatchObject());
    bool called = false;
    module->events->OnWorkbookActivate = [&](TComponent&, const host::Ref<host::Dispatch>&) {
        called = true;
    };
    module.reset();
    EXPECT_EQ(host::ModuleLock::Held(), liveBefore) << "the orphan still counts as alive";
    Variant none = Variant::Nothing();
    const host::DispParams params{&none, nullptr, 1, 0};
    EXPECT_EQ(held->Invoke(ev::WorkbookActivate, host::iid::Null, 0, host::invoke::Method, params,
                           nullptr, nullptr, nullptr),
              base::hr::Ok);
    EXPECT_FALSE(called);
    held.Reset();
    EXPECT_EQ(host::ModuleLock::Held(), liveBefore - 1) << "the last release freed the orphan";
}

TEST_F(ApplicationEvents, ComponentsBelongOnAnAddInModuleOnly) {
    const std::int32_t instances = ExcelHostInterface().instanceCount;
    TComponent stranger;
    try {
        TadxExcelAppEvents events(&stranger);
        FAIL() << "created on a plain component";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), error_code::WrongOwner);
        EXPECT_STREQ(error.what(),
                     "The TadxExcelAppEvents class can not be contained in the TComponent class.");
    }
    try {
        TadxExcelAppEvents events(nullptr);
        FAIL() << "created without an owner";
    } catch (const base::Error& error) {
        EXPECT_STREQ(error.what(),
                     "The TadxExcelAppEvents class can not be contained in the nil class.");
    }
    EXPECT_EQ(ExcelHostInterface().instanceCount, instances);
    module->CreateComponent<TadxExcelAppEvents>("Second");
    EXPECT_EQ(ExcelHostInterface().instanceCount, instances + 1);
}

} // namespace
} // namespace tarvex::framework
