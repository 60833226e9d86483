// Fuzzes the two objects through which Office and Excel call the add-in back: the event
// connection of a command bar control (TadxEventSink) and the application events' dispatch
// object, delivering to the add-in's own handlers (TadxEventDispatch). Random DISPIDs,
// argument counts and kinds, named arguments and by-reference flags: neither may crash,
// the application events always answer S_OK, and the control's connection answers only
// S_OK, DISP_E_MEMBERNOTFOUND or E_POINTER.

#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <vector>

#include "framework/app_events.h"
#include "framework/event_sink.h"
#include "fuzz/addin_fixture.h"
#include "fuzz/fuzz_values.h"
#include "host/excel/dispids.h"
#include "host/office/office.h"
#include "sim/office/office.h"

namespace {

using namespace tarvex;
namespace hr = base::hr;
namespace ev = host::excel::events;

[[noreturn]] void Fail(const char* call, base::HResult code) {
    std::fprintf(stderr, "%s answered an undocumented code 0x%08X\n", call,
                 static_cast<unsigned>(code));
    std::abort();
}

// A frame control as the connection sees it.
class FuzzControl final : public framework::TadxClickTarget {
public:
    std::u16string tag;
    bool linkWorks = true;

    std::u16string OfficeTag() const override { return tag; }
    bool LinkWorks() noexcept override { return linkWorks; }
    void Relink(const host::Ref<host::Dispatch>&) override { linkWorks = true; }
    void DoClick() override {}
};

constexpr host::DispId kExcelEvents[] = {ev::WindowResize,
                                         ev::WindowActivate,
                                         ev::WindowDeactivate,
                                         ev::SheetSelectionChange,
                                         ev::SheetBeforeDoubleClick,
                                         ev::SheetBeforeRightClick,
                                         ev::SheetActivate,
                                         ev::SheetDeactivate,
                                         ev::SheetCalculate,
                                         ev::SheetChange,
                                         ev::NewWorkbook,
                                         ev::WorkbookOpen,
                                         ev::WorkbookActivate,
                                         ev::WorkbookDeactivate,
                                         ev::WorkbookBeforeClose,
                                         ev::WorkbookBeforeSave,
                                         ev::WorkbookBeforePrint,
                                         ev::WorkbookNewSheet,
                                         ev::WorkbookAddinInstall,
                                         ev::WorkbookAddinUninstall,
                                         ev::SheetFollowHyperlink,
                                         ev::SheetPivotTableUpdate,
                                         ev::WorkbookPivotTableCloseConnection,
                                         ev::WorkbookPivotTableOpenConnection,
                                         ev::WorkbookSync,
                                         ev::WorkbookBeforeXmlImport,
                                         ev::WorkbookAfterXmlImport,
                                         ev::WorkbookBeforeXmlExport,
                                         ev::WorkbookAfterXmlExport,
                                         ev::WorkbookRowsetComplete,
                                         ev::AfterCalculate};

host::DispId ConsumeMember(FuzzedDataProvider& data, bool excel) {
    switch (data.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        return data.ConsumeIntegral<host::DispId>();
    case 1:
        return data.ConsumeIntegralInRange<host::DispId>(-2, 3);
    default:
        return excel ? kExcelEvents[data.ConsumeIntegralInRange<std::size_t>(
                           0, std::size(kExcelEvents) - 1)]
                     : 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    fuzz::AddinFixture fixture(data.ConsumeBool());

    // A command bar control of either type, with the connection of a frame control.
    namespace office = host::office;
    office::CommandBar bar = office::CommandBars(fixture.excel.Office().CommandBars())
                                 .Add(u"Fuzz", 1, std::nullopt, true);
    const std::int32_t type = data.ConsumeIntegralInRange<std::int32_t>(1, 4);
    const office::CommandBarControl control =
        bar.Controls().Add(type, std::nullopt, std::nullopt, std::nullopt, true);
    FuzzControl target;
    target.tag = data.ConsumeBool() ? u"{tag}" : fuzz::ConsumeText(data, 10);
    control.SetTag(u"{tag}");
    target.linkWorks = data.ConsumeBool();
    const host::Ref<framework::TadxEventSink> sink =
        framework::TadxEventSink::Connect(*fixture.module, target, control.Object());

    const host::excel::Application app(fixture.excel.Application());
    const std::vector<host::Ref<host::Dispatch>> objects{
        fixture.excel.Application(), control.Object(), app.GetRange(u"A3").Object(),
        app.GetRange(u"B:B").Object()};
    host::Dispatch& events = fixture.module->ExcelAppEvents().DispatchObject();

    while (data.remaining_bytes() > 0) {
        const bool excel = data.ConsumeBool();
        const host::DispId member = ConsumeMember(data, excel);
        fuzz::FuzzArguments arguments(data, objects, 8);
        host::Variant result;
        if (excel) {
            const base::HResult code =
                events.Invoke(member, host::iid::Null, host::lcid::UserDefault,
                              host::invoke::Method, arguments.Params(), &result, nullptr, nullptr);
            if (code != hr::Ok)
                Fail("the application events' Invoke", code);
        } else {
            const base::HResult code =
                sink->Invoke(member, host::iid::Null, host::lcid::UserDefault, host::invoke::Method,
                             arguments.Params(), &result, nullptr, nullptr);
            if (code != hr::Ok && code != hr::DispMemberNotFound && code != hr::Pointer)
                Fail("the control connection's Invoke", code);
        }
    }
    sink->Disconnect();
    return 0;
}
