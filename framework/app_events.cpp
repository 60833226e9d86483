#include "framework/app_events.h"

#include <optional>
#include <vector>

#include "framework/errors.h"
#include "framework/module.h"
#include "framework/server_objects.h"
#include "host/error.h"
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

TadxEventDispatch::TadxEventDispatch(TadxCustomEvents* component, const host::Guid& eventsIid) noexcept
    : m_component(component), m_eventsIid(eventsIid) {
    ServerObjectCreated();
}

TadxEventDispatch::~TadxEventDispatch() { ServerObjectDestroyed(); }

host::HResult TadxEventDispatch::QueryInterface(const host::Guid& iid, void** object) {
    // The event interface is answered with the same IDispatch: Excel calls it by DISPID.
    return host::AnswerQuery(iid, object,
                             {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown, this),
                              host::InterfaceOffer::Of<host::Dispatch>(host::iid::Dispatch, this),
                              host::InterfaceOffer::Of<host::Dispatch>(m_eventsIid, this)});
}

std::uint32_t TadxEventDispatch::AddRef() {
    if (m_component)
        ++m_component->m_comRefCount;
    return ++m_refCount;
}

std::uint32_t TadxEventDispatch::Release() {
    if (m_component)
        --m_component->m_comRefCount;
    const std::uint32_t left = --m_refCount;
    // While the component lives it frees this object; an orphan frees itself.
    if (left == 0 && !m_component)
        delete this;
    return left;
}

bool TadxEventDispatch::Orphan() noexcept {
    m_component = nullptr;
    // The component's own reference goes now.
    const std::uint32_t left = --m_refCount;
    if (left == 0) {
        delete this;
        return true;
    }
    return false;
}

host::HResult TadxEventDispatch::GetTypeInfoCount(std::uint32_t& count) {
    count = 0;
    return host::hr::Ok;
}

host::HResult TadxEventDispatch::GetTypeInfo(std::uint32_t, std::uint32_t) {
    return host::hr::NotImpl;
}

host::HResult TadxEventDispatch::GetIDsOfNames(const host::Guid&, std::span<const std::u16string>,
                                               std::uint32_t, std::span<host::DispId>) {
    return host::hr::NotImpl;
}

namespace {
// The arguments of an event in declaration order: positional ones reversed (COM lists the
// last first), named ones at the position their id gives. Nothing when a named id falls
// outside the argument list or two arguments claim one position.
std::optional<std::vector<Variant>> DeclarationOrder(const host::DispParams& params) {
    const std::uint32_t count = params.argCount;
    if (count > 0 && !params.args)
        return std::nullopt;
    const std::uint32_t named = params.namedCount;
    if (named > count || (named > 0 && !params.namedIds))
        return std::nullopt;
    std::vector<Variant> args(count);
    std::vector<bool> taken(count, false);
    const std::uint32_t positional = count - named;
    for (std::uint32_t i = 0; i < positional; ++i) {
        args[i] = params.args[count - 1 - i];
        taken[i] = true;
    }
    for (std::uint32_t i = 0; i < named; ++i) {
        const host::DispId position = params.namedIds[i];
        if (position < 0 || static_cast<std::uint32_t>(position) >= count || taken[position])
            return std::nullopt;
        args[position] = params.args[i];
        taken[position] = true;
    }
    return args;
}
} // namespace

host::HResult TadxEventDispatch::Invoke(host::DispId member, const host::Guid&, std::uint32_t,
                                        host::InvokeFlags, const host::DispParams& params,
                                        Variant*, host::ExcepInfo*, std::uint32_t*) {
    if (!m_component)
        return host::hr::Ok;
    std::optional<std::vector<Variant>> args = DeclarationOrder(params);
    if (!args)
        return host::hr::Ok;
    TadxCustomEvents& component = *m_component;
    try {
        component.DeliverEvent(member, *args);
    } catch (const std::exception& error) {
        component.Module().HandleError(error);
    } catch (...) {
        component.Module().HandleError(host::Error(host::hr::Unexpected, "Unknown exception"));
    }
    // A by-reference argument that the handler replaced (rather than wrote through) is
    // copied back into Excel's own argument.
    for (std::uint32_t i = 0; i < params.argCount; ++i) {
        const Variant& original = params.args[i];
        if (!original.Is(Variant::Kind::ByRef))
            continue;
        const std::uint32_t position = i < params.namedCount
                                           ? static_cast<std::uint32_t>(params.namedIds[i])
                                           : params.argCount - 1 - i;
        Variant& delivered = (*args)[position];
        if (!delivered.Is(Variant::Kind::ByRef))
            original.Target() = delivered;
    }
    return host::hr::Ok;
}

// ---------------------------------------------------------------------------------------
// TadxCustomEvents

TadxCustomEvents::TadxCustomEvents(TComponent* owner, TadxHostInterfaceRecord& hostInterface,
                                   std::string className)
    : TComponent(owner), m_hostInterface(hostInterface), m_module(nullptr), m_dispatch(nullptr) {
    m_module = dynamic_cast<TadxCOMAddInModule*>(owner);
    if (!m_module)
        throw WrongOwnerError(className, owner ? owner->ClassName() : "nil");
    ++m_hostInterface.instanceCount;
    m_dispatch = new TadxEventDispatch(this, m_hostInterface.eventsIid);
}

TadxCustomEvents::~TadxCustomEvents() {
    // Excel may still hold the dispatch object: it then stays alive, inert, until Excel
    // lets it go.
    m_dispatch->Orphan();
    --m_hostInterface.instanceCount;
}

void TadxCustomEvents::DeliverEvent(host::DispId, std::span<Variant>) {}

host::Ref<host::ConnectionPoint>
TadxCustomEvents::FindEventPoint(host::Dispatch& application) const noexcept {
    try {
        auto container = host::QueryAs<host::ConnectionPointContainer>(
            &application, host::iid::ConnectionPointContainer);
        host::Ref<host::ConnectionPoint> point;
        if (container &&
            host::Succeeded(container->FindConnectionPoint(m_hostInterface.eventsIid, point)))
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
        if (point && host::Succeeded(point->Advise(m_dispatch, cookie)))
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
        if (point && host::Succeeded(point->Unadvise(m_cookie)))
            m_cookie = 0;
    } catch (...) {
        // Disconnecting never fails; the cookie is kept for a later attempt.
    }
}

// ---------------------------------------------------------------------------------------
// TadxExcelAppEvents

namespace {
using Object = TadxExcelAppEvents::Object;

// An object argument asked for `iid`; nothing stays nothing.
Object As(const Variant& arg, const host::Guid& iid) {
    const Object object = arg.ToObject();
    if (!object)
        return nullptr;
    Object converted = host::QueryAs<host::Dispatch>(object.Get(), iid);
    if (!converted)
        throw host::Error(host::hr::NoInterface, "Interface not supported");
    return converted;
}

// An object argument passed on as it came.
Object Plain(const Variant& arg) { return arg.ToObject(); }

// Runs `handler` with a Boolean that is Excel's by-reference argument `arg`: what the
// handler stores there is what Excel sees.
template <class Handler>
void WithCancel(Variant& arg, Handler&& handler) {
    bool cancel = arg.ToBool();
    handler(cancel);
    arg.Deref() = Variant(cancel);
}
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
        throw host::Error(host::hr::Pointer, "No application to connect the events to");
    auto excelApplication = host::QueryAs<host::Dispatch>(application.Get(), excel::iid::Application);
    if (!excelApplication)
        throw host::Error(host::hr::NoInterface, "Interface not supported");
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

void TadxExcelAppEvents::DeliverEvent(host::DispId dispid, std::span<Variant> args) {
    namespace ev = excel::events;
    // Each event reads only the arguments it declares, and only when Excel passed them all.
    const auto has = [&](std::size_t count) { return args.size() >= count; };
    TComponent& sender = *this;
    switch (dispid) {
    case ev::WindowResize:
        if (OnWindowResize && has(2))
            OnWindowResize(sender, As(args[0], excel::iid::Workbook), As(args[1], excel::iid::Window));
        break;
    case ev::WindowActivate:
        if (OnWindowActivate && has(2))
            OnWindowActivate(sender, As(args[0], excel::iid::Workbook),
                             As(args[1], excel::iid::Window));
        break;
    case ev::WindowDeactivate:
        if (OnWindowDeactivate && has(2))
            OnWindowDeactivate(sender, As(args[0], excel::iid::Workbook),
                               As(args[1], excel::iid::Window));
        break;
    case ev::SheetSelectionChange:
        if (OnSheetSelectionChange && has(2))
            OnSheetSelectionChange(sender, Plain(args[0]), As(args[1], excel::iid::Range));
        break;
    case ev::SheetBeforeDoubleClick:
        if (OnSheetBeforeDoubleClick && has(3)) {
            const Object sh = Plain(args[0]);
            const Object target = As(args[1], excel::iid::Range);
            WithCancel(args[2], [&](bool& cancel) {
                OnSheetBeforeDoubleClick(sender, sh, target, cancel);
            });
        }
        break;
    case ev::SheetBeforeRightClick:
        if (OnSheetBeforeRightClick && has(3)) {
            const Object sh = Plain(args[0]);
            const Object target = As(args[1], excel::iid::Range);
            WithCancel(args[2], [&](bool& cancel) {
                OnSheetBeforeRightClick(sender, sh, target, cancel);
            });
        }
        break;
    case ev::SheetActivate:
        if (OnSheetActivate && has(1))
            OnSheetActivate(sender, Plain(args[0]));
        break;
    case ev::SheetDeactivate:
        if (OnSheetDeactivate && has(1))
            OnSheetDeactivate(sender, Plain(args[0]));
        break;
    case ev::SheetCalculate:
        if (OnSheetCalculate && has(1))
            OnSheetCalculate(sender, Plain(args[0]));
        break;
    case ev::SheetChange:
        if (OnSheetChange && has(2)) {
            const Object target = As(args[1], excel::iid::Range);
            OnSheetChange(sender, Plain(args[0]), target);
        }
        break;
    case ev::NewWorkbook:
        if (OnNewWorkbook && has(1))
            OnNewWorkbook(sender, As(args[0], excel::iid::Workbook));
        break;
    case ev::WorkbookOpen:
        if (OnWorkbookOpen && has(1))
            OnWorkbookOpen(sender, As(args[0], excel::iid::Workbook));
        break;
    case ev::WorkbookActivate:
        if (OnWorkbookActivate && has(1))
            OnWorkbookActivate(sender, As(args[0], excel::iid::Workbook));
        break;
    case ev::WorkbookDeactivate:
        if (OnWorkbookDeactivate && has(1))
            OnWorkbookDeactivate(sender, As(args[0], excel::iid::Workbook));
        break;
    case ev::WorkbookBeforeClose:
        if (OnWorkbookBeforeClose && has(2)) {
            const Object wb = As(args[0], excel::iid::Workbook);
            WithCancel(args[1], [&](bool& cancel) { OnWorkbookBeforeClose(sender, wb, cancel); });
        }
        break;
    case ev::WorkbookBeforeSave:
        if (OnWorkbookBeforeSave && has(3)) {
            const Object wb = As(args[0], excel::iid::Workbook);
            const bool saveAsUI = args[1].ToBool();
            WithCancel(args[2], [&](bool& cancel) {
                OnWorkbookBeforeSave(sender, wb, saveAsUI, cancel);
            });
        }
        break;
    case ev::WorkbookBeforePrint:
        if (OnWorkbookBeforePrint && has(2)) {
            const Object wb = As(args[0], excel::iid::Workbook);
            WithCancel(args[1], [&](bool& cancel) { OnWorkbookBeforePrint(sender, wb, cancel); });
        }
        break;
    case ev::WorkbookNewSheet:
        if (OnWorkbookNewSheet && has(2))
            OnWorkbookNewSheet(sender, As(args[0], excel::iid::Workbook), Plain(args[1]));
        break;
    case ev::WorkbookAddinInstall:
        if (OnWorkbookAddinInstall && has(1))
            OnWorkbookAddinInstall(sender, As(args[0], excel::iid::Workbook));
        break;
    case ev::WorkbookAddinUninstall:
        if (OnWorkbookAddinUninstall && has(1))
            OnWorkbookAddinUninstall(sender, As(args[0], excel::iid::Workbook));
        break;
    case ev::SheetFollowHyperlink:
        if (OnSheetFollowHyperlink && has(2))
            OnSheetFollowHyperlink(sender, Plain(args[0]), As(args[1], excel::iid::Hyperlink));
        break;
    case ev::SheetPivotTableUpdate:
        if (OnSheetPivotTableUpdate && has(2))
            OnSheetPivotTableUpdate(sender, Plain(args[0]), As(args[1], excel::iid::PivotTable));
        break;
    case ev::WorkbookPivotTableCloseConnection:
        if (OnWorkbookPivotTableCloseConnection && has(2))
            OnWorkbookPivotTableCloseConnection(sender, As(args[0], excel::iid::Workbook),
                                                As(args[1], excel::iid::PivotTable));
        break;
    case ev::WorkbookPivotTableOpenConnection:
        if (OnWorkbookPivotTableOpenConnection && has(2))
            OnWorkbookPivotTableOpenConnection(sender, As(args[0], excel::iid::Workbook),
                                               As(args[1], excel::iid::PivotTable));
        break;
    case ev::WorkbookSync:
        if (OnWorkbookSync && has(2))
            OnWorkbookSync(sender, As(args[0], excel::iid::Workbook), args[1].ToInt32());
        break;
    case ev::WorkbookBeforeXmlImport:
        if (OnWorkbookBeforeXmlImport && has(5)) {
            const Object wb = As(args[0], excel::iid::Workbook);
            const Object map = Plain(args[1]);
            const std::u16string url = args[2].ToString();
            const bool isRefresh = args[3].ToBool();
            WithCancel(args[4], [&](bool& cancel) {
                OnWorkbookBeforeXmlImport(sender, wb, map, url, isRefresh, cancel);
            });
        }
        break;
    case ev::WorkbookAfterXmlImport:
        if (OnWorkbookAfterXmlImport && has(4))
            OnWorkbookAfterXmlImport(sender, As(args[0], excel::iid::Workbook), Plain(args[1]),
                                     args[2].ToBool(), args[3].ToInt32());
        break;
    case ev::WorkbookBeforeXmlExport:
        if (OnWorkbookBeforeXmlExport && has(4)) {
            const Object wb = As(args[0], excel::iid::Workbook);
            const Object map = Plain(args[1]);
            const std::u16string url = args[2].ToString();
            WithCancel(args[3], [&](bool& cancel) {
                OnWorkbookBeforeXmlExport(sender, wb, map, url, cancel);
            });
        }
        break;
    case ev::WorkbookAfterXmlExport:
        if (OnWorkbookAfterXmlExport && has(4))
            OnWorkbookAfterXmlExport(sender, As(args[0], excel::iid::Workbook), Plain(args[1]),
                                     args[2].ToString(), args[3].ToInt32());
        break;
    case ev::WorkbookRowsetComplete:
        if (OnWorkbookRowsetComplete && has(4))
            OnWorkbookRowsetComplete(sender, As(args[0], excel::iid::Workbook), args[1].ToString(),
                                     args[2].ToString(), args[3].ToBool());
        break;
    case ev::AfterCalculate:
        if (OnAfterCalculate)
            OnAfterCalculate(sender);
        break;
    default:
        // Not an event of the table (0x613, 0x61E, later additions): ignored.
        break;
    }
}

} // namespace tarvex::framework
