#include "framework/app_events.h"

#include <tuple>

#include "base/error.h"
#include "framework/errors.h"
#include "framework/module.h"
#include "host/automation.h"
#include "host/excel/dispids.h"

namespace tarvex::framework {

namespace excel = host::excel;
using host::Variant;

TadxHostInterfaceRecord& ExcelHostInterface() noexcept {
    static TadxHostInterfaceRecord record{excel::kApplicationClsid, excel::iid::Application,
                                          excel::iid::AppEvents, 500, 0};
    return record;
}

// ---------------------------------------------------------------------------------------
// TadxEventDispatch

TadxEventDispatch::TadxEventDispatch(TadxCustomEvents* component,
                                     const base::Guid& eventsIid) noexcept
    : m_component(component)
    , m_eventsIid(eventsIid) {}

base::HResult TadxEventDispatch::QueryInterface(const base::Guid& iid, void** object) {
    // The event interface is answered with the same IDispatch: Excel calls it by DISPID.
    return host::AnswerQuery(iid, object,
                             {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown, this),
                              host::InterfaceOffer::Of<host::Dispatch>(host::iid::Dispatch, this),
                              host::InterfaceOffer::Of<host::Dispatch>(m_eventsIid, this)});
}

base::HResult TadxEventDispatch::GetTypeInfoCount(std::uint32_t& count) {
    count = 0;
    return base::hr::Ok;
}

base::HResult TadxEventDispatch::GetTypeInfo(std::uint32_t, std::uint32_t) {
    return base::hr::NotImpl;
}

base::HResult TadxEventDispatch::GetIDsOfNames(const base::Guid&, std::span<const std::u16string>,
                                               std::uint32_t, std::span<host::DispId>) {
    return base::hr::NotImpl;
}

base::HResult TadxEventDispatch::Invoke(host::DispId member, const base::Guid&, std::uint32_t,
                                        host::InvokeFlags, const host::DispParams& params, Variant*,
                                        host::ExcepInfo*, std::uint32_t*) {
    // A call whose arguments are not laid out as COM lays them out delivers nothing.
    const host::DispArgs args(params);
    if (!m_component || !args.WellFormed())
        return base::hr::Ok;
    TadxCustomEvents& component = *m_component;
    component.Module().Guard([&] { component.DeliverEvent(member, args); });
    return base::hr::Ok;
}

// ---------------------------------------------------------------------------------------
// TadxCustomEvents

TadxCustomEvents::TadxCustomEvents(TComponent* owner, TadxHostInterfaceRecord& hostInterface,
                                   std::string className)
    : TComponent(owner)
    , m_hostInterface(hostInterface)
    , m_module(nullptr) {
    m_module = dynamic_cast<TadxCOMAddInModule*>(owner);
    if (!m_module)
        throw WrongOwnerError(className, owner ? owner->ClassName() : "nil");
    ++m_hostInterface.instanceCount;
    m_dispatch = host::MakeRef<TadxEventDispatch>(this, m_hostInterface.eventsIid);
}

TadxCustomEvents::~TadxCustomEvents() {
    // Excel may still hold the dispatch object: it then stays alive, inert, until Excel
    // lets it go.
    m_dispatch->Orphan();
    --m_hostInterface.instanceCount;
}

void TadxCustomEvents::DeliverEvent(host::DispId, const host::DispArgs&) {}

host::Ref<host::ConnectionPoint>
TadxCustomEvents::FindEventPoint(host::Dispatch& application) const noexcept {
    try {
        auto container = host::QueryAs<host::ConnectionPointContainer>(
            &application, host::iid::ConnectionPointContainer);
        host::Ref<host::ConnectionPoint> point;
        if (container &&
            base::Succeeded(container->FindConnectionPoint(m_hostInterface.eventsIid, point)))
            return point;
    } catch (...) {
        // No connection point is no error: the component just hears nothing.
    }
    return nullptr;
}

void TadxCustomEvents::Advise(host::Dispatch& application) noexcept {
    m_cookie = 0;
    try {
        const host::Ref<host::ConnectionPoint> point = FindEventPoint(application);
        std::uint32_t cookie = 0;
        if (point && base::Succeeded(point->Advise(m_dispatch.Get(), cookie)))
            m_cookie = cookie;
    } catch (...) {
        // A failed advise leaves the component unconnected, silently.
    }
}

void TadxCustomEvents::Unadvise(host::Dispatch& application) noexcept {
    if (m_cookie == 0)
        return;
    try {
        const host::Ref<host::ConnectionPoint> point = FindEventPoint(application);
        if (point && base::Succeeded(point->Unadvise(m_cookie)))
            m_cookie = 0;
    } catch (...) {
        // Disconnecting never fails; the cookie is kept for a later attempt.
    }
}

// ---------------------------------------------------------------------------------------
// TadxExcelAppEvents

namespace {
using Object = TadxExcelAppEvents::Object;
using host::DispArgs;

// How one declared argument of an event reaches its handler. Arguments are read only when a
// handler is assigned, in declaration order.
struct ObjectArg {
    std::uint32_t position;
    const base::Guid* iid; // the interface the event declares; null passes the object on
};
struct BoolArg {
    std::uint32_t position;
};
struct IntArg {
    std::uint32_t position;
};
struct TextArg {
    std::uint32_t position;
};
/// Excel's by-reference Cancel: what the handler stores in it is what Excel sees.
struct CancelArg {
    std::uint32_t position;
};

constexpr ObjectArg Wb(std::uint32_t position) {
    return {position, &excel::iid::Workbook};
}
constexpr ObjectArg Wn(std::uint32_t position) {
    return {position, &excel::iid::Window};
}
constexpr ObjectArg Target(std::uint32_t position) {
    return {position, &excel::iid::Range};
}
constexpr ObjectArg Plain(std::uint32_t position) {
    return {position, nullptr};
}

// An object argument asked for its interface ("Interface not supported" when it does not
// answer it); nothing stays nothing.
Object Read(const DispArgs& args, ObjectArg arg) {
    const Object object = args.At(arg.position)->ToObject();
    if (!object || !arg.iid)
        return object;
    Object converted = host::QueryAs<host::Dispatch>(object.Get(), *arg.iid);
    if (!converted)
        throw base::Error(base::hr::NoInterface, "Interface not supported");
    return converted;
}
bool Read(const DispArgs& args, BoolArg arg) {
    return args.At(arg.position)->ToBool();
}
std::int32_t Read(const DispArgs& args, IntArg arg) {
    return args.At(arg.position)->ToInt32();
}
std::u16string Read(const DispArgs& args, TextArg arg) {
    return args.At(arg.position)->ToString();
}

struct CancelValue {
    const Variant& argument;
    bool value;
};
CancelValue Read(const DispArgs& args, CancelArg arg) {
    const Variant& argument = *args.At(arg.position);
    return {argument, argument.ToBool()};
}

template <class T>
T& Pass(T& value) {
    return value;
}
bool& Pass(CancelValue& cancel) {
    return cancel.value;
}

template <class T>
void HandBack(const T&) {}
void HandBack(const CancelValue& cancel) {
    host::WriteBack(cancel.argument, Variant(cancel.value));
}

// Calls `handler`, when one is assigned, with the component and the arguments `readers`
// read, then hands a by-reference Cancel back to Excel.
template <class Handler, class... Readers>
void Fire(const Handler& handler, TComponent& sender, const DispArgs& args, Readers... readers) {
    if (!handler)
        return;
    std::tuple values{Read(args, readers)...};
    std::apply([&](auto&... value) { handler(sender, Pass(value)...); }, values);
    std::apply([](const auto&... value) { (HandBack(value), ...); }, values);
}

using Events = TadxExcelAppEvents;

// One row per event of Excel's AppEvents: its id, how many arguments it declares, and the
// call of its handler.
struct EventRow {
    host::DispId id;
    std::uint32_t arguments;
    void (*deliver)(Events& events, const DispArgs& args);
};

namespace ev = excel::events;
constexpr EventRow kEvents[] = {
    {ev::WindowResize, 2,
     [](Events& e, const DispArgs& a) { Fire(e.OnWindowResize, e, a, Wb(0), Wn(1)); }},
    {ev::WindowActivate, 2,
     [](Events& e, const DispArgs& a) { Fire(e.OnWindowActivate, e, a, Wb(0), Wn(1)); }},
    {ev::WindowDeactivate, 2,
     [](Events& e, const DispArgs& a) { Fire(e.OnWindowDeactivate, e, a, Wb(0), Wn(1)); }},
    {ev::SheetSelectionChange, 2,
     [](Events& e, const DispArgs& a) {
         Fire(e.OnSheetSelectionChange, e, a, Plain(0), Target(1));
     }},
    {ev::SheetBeforeDoubleClick, 3,
     [](Events& e, const DispArgs& a) {
         Fire(e.OnSheetBeforeDoubleClick, e, a, Plain(0), Target(1), CancelArg{2});
     }},
    {ev::SheetBeforeRightClick, 3,
     [](Events& e, const DispArgs& a) {
         Fire(e.OnSheetBeforeRightClick, e, a, Plain(0), Target(1), CancelArg{2});
     }},
    {ev::SheetActivate, 1,
     [](Events& e, const DispArgs& a) { Fire(e.OnSheetActivate, e, a, Plain(0)); }},
    {ev::SheetDeactivate, 1,
     [](Events& e, const DispArgs& a) { Fire(e.OnSheetDeactivate, e, a, Plain(0)); }},
    {ev::SheetCalculate, 1,
     [](Events& e, const DispArgs& a) { Fire(e.OnSheetCalculate, e, a, Plain(0)); }},
    {ev::SheetChange, 2,
     [](Events& e, const DispArgs& a) { Fire(e.OnSheetChange, e, a, Plain(0), Target(1)); }},
    {ev::NewWorkbook, 1, [](Events& e, const DispArgs& a) { Fire(e.OnNewWorkbook, e, a, Wb(0)); }},
    {ev::WorkbookOpen, 1,
     [](Events& e, const DispArgs& a) { Fire(e.OnWorkbookOpen, e, a, Wb(0)); }},
    {ev::WorkbookActivate, 1,
     [](Events& e, const DispArgs& a) { Fire(e.OnWorkbookActivate, e, a, Wb(0)); }},
    {ev::WorkbookDeactivate, 1,
     [](Events& e, const DispArgs& a) { Fire(e.OnWorkbookDeactivate, e, a, Wb(0)); }},
    {ev::WorkbookBeforeClose, 2,
     [](Events& e, const DispArgs& a) {
         Fire(e.OnWorkbookBeforeClose, e, a, Wb(0), CancelArg{1});
     }},
    {ev::WorkbookBeforeSave, 3,
     [](Events& e, const DispArgs& a) {
         Fire(e.OnWorkbookBeforeSave, e, a, Wb(0), BoolArg{1}, CancelArg{2});
     }},
    {ev::WorkbookBeforePrint, 2,
     [](Events& e, const DispArgs& a) {
         Fire(e.OnWorkbookBeforePrint, e, a, Wb(0), CancelArg{1});
     }},
    {ev::WorkbookNewSheet, 2,
     [](Events& e, const DispArgs& a) { Fire(e.OnWorkbookNewSheet, e, a, Wb(0), Plain(1)); }},
    {ev::WorkbookAddinInstall, 1,
     [](Events& e, const DispArgs& a) { Fire(e.OnWorkbookAddinInstall, e, a, Wb(0)); }},
    {ev::WorkbookAddinUninstall, 1,
     [](Events& e, const DispArgs& a) { Fire(e.OnWorkbookAddinUninstall, e, a, Wb(0)); }},
    {ev::SheetFollowHyperlink, 2,
     [](Events& e, const DispArgs& a) {
         Fire(e.OnSheetFollowHyperlink, e, a, Plain(0), ObjectArg{1, &excel::iid::Hyperlink});
     }},
    {ev::SheetPivotTableUpdate, 2,
     [](Events& e, const DispArgs& a) {
         Fire(e.OnSheetPivotTableUpdate, e, a, Plain(0), ObjectArg{1, &excel::iid::PivotTable});
     }},
    {ev::WorkbookPivotTableCloseConnection, 2,
     [](Events& e, const DispArgs& a) {
         Fire(e.OnWorkbookPivotTableCloseConnection, e, a, Wb(0),
              ObjectArg{1, &excel::iid::PivotTable});
     }},
    {ev::WorkbookPivotTableOpenConnection, 2,
     [](Events& e, const DispArgs& a) {
         Fire(e.OnWorkbookPivotTableOpenConnection, e, a, Wb(0),
              ObjectArg{1, &excel::iid::PivotTable});
     }},
    {ev::WorkbookSync, 2,
     [](Events& e, const DispArgs& a) { Fire(e.OnWorkbookSync, e, a, Wb(0), IntArg{1}); }},
    {ev::WorkbookBeforeXmlImport, 5,
     [](Events& e, const DispArgs& a) {
         Fire(e.OnWorkbookBeforeXmlImport, e, a, Wb(0), Plain(1), TextArg{2}, BoolArg{3},
              CancelArg{4});
     }},
    {ev::WorkbookAfterXmlImport, 4,
     [](Events& e, const DispArgs& a) {
         Fire(e.OnWorkbookAfterXmlImport, e, a, Wb(0), Plain(1), BoolArg{2}, IntArg{3});
     }},
    {ev::WorkbookBeforeXmlExport, 4,
     [](Events& e, const DispArgs& a) {
         Fire(e.OnWorkbookBeforeXmlExport, e, a, Wb(0), Plain(1), TextArg{2}, CancelArg{3});
     }},
    {ev::WorkbookAfterXmlExport, 4,
     [](Events& e, const DispArgs& a) {
         Fire(e.OnWorkbookAfterXmlExport, e, a, Wb(0), Plain(1), TextArg{2}, IntArg{3});
     }},
    {ev::WorkbookRowsetComplete, 4,
     [](Events& e, const DispArgs& a) {
         Fire(e.OnWorkbookRowsetComplete, e, a, Wb(0), TextArg{1}, TextArg{2}, BoolArg{3});
     }},
    {ev::AfterCalculate, 0, [](Events& e, const DispArgs& a) { Fire(e.OnAfterCalculate, e, a); }},
};
} // namespace

TadxExcelAppEvents::TadxExcelAppEvents(TComponent* owner, std::string name)
    : TadxCustomEvents(owner, ExcelHostInterface(), "TadxExcelAppEvents") {
    SetName(std::move(name));
}

TadxExcelAppEvents::~TadxExcelAppEvents() {
    Disconnect();
    Module().ForgetHostEvents(this);
}

void TadxExcelAppEvents::ConnectTo(const host::Ref<host::Dispatch>& application) {
    Disconnect();
    if (!application)
        throw base::Error(base::hr::Pointer, "No application to connect the events to");
    auto excelApplication =
        host::QueryAs<host::Dispatch>(application.Get(), excel::iid::Application);
    if (!excelApplication)
        throw base::Error(base::hr::NoInterface, "Interface not supported");
    m_application = excelApplication;
    Advise(*m_application);
}

void TadxExcelAppEvents::ConnectToVersion(const host::Ref<host::Dispatch>& application,
                                          const std::u16string&) {
    ConnectTo(application);
}

void TadxExcelAppEvents::Disconnect() noexcept {
    if (!m_application)
        return;
    Unadvise(*m_application);
    m_application = nullptr;
}

void TadxExcelAppEvents::DeliverEvent(host::DispId dispid, const host::DispArgs& args) {
    // Each event reads only the arguments it declares, and only when Excel passed them all;
    // an id outside the table (0x613, 0x61E, later additions) is ignored.
    for (const EventRow& row : kEvents) {
        if (row.id == dispid) {
            if (args.Count() >= row.arguments)
                row.deliver(*this, args);
            return;
        }
    }
}

} // namespace tarvex::framework
