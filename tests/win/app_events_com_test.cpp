// Excel's application events through real COM: a hand-written event source calls the
// frame's event sink through its IDispatch vtable, as Excel does.

#include <gtest/gtest.h>

#include "base/error.h"
#include "framework/app_events.h"
#include "framework/module.h"
#include "host/excel/dispids.h"
#include "host/module_lock.h"
#include "host/win/com_adapters.h"
#include "sim/desktop/desktop.h"
#include "sim/registry/memory_registry.h"
#include "tests/win/raw_com.h"

namespace tarvex::framework {
namespace {

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

class ApplicationEventsOverCom : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        excel.alsoAnswers = win::ToGuid(host::excel::iid::Application);
        desktop.SetMessageHandler([this](const sim::ShownMessage& message) {
            messages.push_back(message.text);
            return 1;
        });
    }
    void TearDown() override { ::CoUninitialize(); }

    testing::RawEventSource excel{win::ToGuid(host::excel::iid::AppEvents)};
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    std::vector<std::u16string> messages;
};

TEST_F(ApplicationEventsOverCom, CancelSetByTheHandlerReachesExcelsVariant) {
    {
        auto module = TadxCOMAddInModule::Create<EventsModule>(ModuleServices{desktop, registry});
        int activations = 0;
        module->events->OnWorkbookBeforeClose = [](TComponent&, const host::Ref<host::Dispatch>&,
                                                   bool& cancel) { cancel = true; };
        module->events->OnWorkbookActivate = [&](TComponent&, const host::Ref<host::Dispatch>&) {
            ++activations;
            throw base::Error(base::hr::Fail, "handler failed");
        };
        module->events->ConnectTo(win::FromCom(&excel));
        ASSERT_EQ(excel.AdvisedCount(), 1u);
        EXPECT_GT(module->events->ComRefCount(), 0) << "Excel's references reach the component";

        // WorkbookBeforeClose(Wb, Cancel): Cancel first, by reference, as Excel sends it.
        VARIANT_BOOL cancel = VARIANT_FALSE;
        std::vector<VARIANT> args(2);
        args[0].vt = VT_BYREF | VT_BOOL;
        args[0].pboolVal = &cancel;
        args[1].vt = VT_DISPATCH;
        args[1].pdispVal = nullptr;
        excel.Fire(host::excel::events::WorkbookBeforeClose, args);
        EXPECT_EQ(excel.lastResult, S_OK);
        EXPECT_EQ(cancel, VARIANT_TRUE);

        std::vector<VARIANT> workbook(1);
        workbook[0].vt = VT_DISPATCH;
        workbook[0].pdispVal = nullptr;
        excel.Fire(0x61E, workbook);
        EXPECT_EQ(excel.lastResult, S_OK) << "an unknown event is ignored";
        excel.Fire(host::excel::events::WorkbookActivate, workbook);
        EXPECT_EQ(excel.lastResult, S_OK) << "a failing handler still answers S_OK";
        EXPECT_EQ(activations, 1);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0],
                  u"Tarvex error: the add-in has fired an exception.\r\nhandler failed");

        // The add-in goes while Excel still holds the sink (the sink is not unadvised here).
        module->events->OnWorkbookBeforeClose = nullptr;
    }
    EXPECT_EQ(excel.AdvisedCount(), 0u) << "destroying the module disconnected the events";
    EXPECT_EQ(host::ModuleLock::Held(), 0);
}

TEST_F(ApplicationEventsOverCom, OrphanedSinkStaysInertUntilExcelReleasesIt) {
    const long before = host::ModuleLock::Held();
    auto module = TadxCOMAddInModule::Create<EventsModule>(ModuleServices{desktop, registry});
    bool called = false;
    module->events->OnWorkbookActivate = [&](TComponent&, const host::Ref<host::Dispatch>&) {
        called = true;
    };
    // Excel keeps its own reference to the sink, as a connection point does.
    win::ComPtr<IDispatch> held = win::ToCom(&module->events->DispatchObject());
    const long whileHeld = host::ModuleLock::Held();
    module.reset();
    EXPECT_EQ(host::ModuleLock::Held(), whileHeld) << "the orphan counts as alive";

    VARIANT workbook;
    workbook.vt = VT_DISPATCH;
    workbook.pdispVal = nullptr;
    DISPPARAMS params{&workbook, nullptr, 1, 0};
    EXPECT_EQ(held->Invoke(host::excel::events::WorkbookActivate, IID_NULL, 0, DISPATCH_METHOD,
                           &params, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_FALSE(called);
    held.Reset();
    EXPECT_EQ(host::ModuleLock::Held(), before);
    EXPECT_EQ(host::ModuleLock::Held(), 0);
}

} // namespace
} // namespace tarvex::framework
