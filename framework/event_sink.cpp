#include "framework/event_sink.h"

#include <algorithm>

#include "base/error.h"
#include "base/scope_exit.h"
#include "framework/module.h"
#include "host/automation.h"
#include "host/office/dispids.h"
#include "host/office/office.h"

namespace tarvex::framework {

namespace office = host::office;

namespace {
constexpr std::int32_t kButton = 1;
constexpr host::DispId kClick = 1;

bool IsComboType(std::int32_t type) {
    return type >= 2 && type <= 4;
}
} // namespace

TadxEventSink::TadxEventSink(TadxCOMAddInModule& module, TadxClickTarget& target,
                             std::int32_t controlType)
    : m_module(&module)
    , m_target(&target)
    , m_controlType(controlType) {}

TadxEventSink::~TadxEventSink() {
    if (m_module)
        m_module->RemoveEventSink(this);
}

host::Ref<TadxEventSink> TadxEventSink::Connect(TadxCOMAddInModule& module, TadxClickTarget& target,
                                                const host::Ref<host::Dispatch>& officeControl) {
    const std::int32_t type = office::CommandBarControl(officeControl).Type();
    host::Ref<TadxEventSink> sink(new TadxEventSink(module, target, type));
    module.AddEventSink(sink.Get());
    auto container = host::QueryAs<host::ConnectionPointContainer>(
        officeControl.Get(), host::iid::ConnectionPointContainer);
    if (!container)
        throw base::Error(base::hr::NoInterface, "The command bar control has no events");
    host::Ref<host::ConnectionPoint> point;
    base::ThrowIfFailed(container->FindConnectionPoint(sink->EventsIid(), point),
                        "Finding the command bar control's events");
    std::uint32_t cookie = 0;
    base::ThrowIfFailed(point->Advise(sink.Get(), cookie), "Advising the command bar control");
    sink->m_cookie = cookie;
    sink->m_officeControl = officeControl;
    return sink;
}

void TadxEventSink::Disconnect() noexcept {
    try {
        if (m_officeControl && m_cookie != 0) {
            auto container = host::QueryAs<host::ConnectionPointContainer>(
                m_officeControl.Get(), host::iid::ConnectionPointContainer);
            host::Ref<host::ConnectionPoint> point;
            if (container && base::Succeeded(container->FindConnectionPoint(EventsIid(), point)) &&
                point)
                point->Unadvise(m_cookie);
        }
    } catch (...) {
        // The control may be gone already (Office deleted it): nothing to undo then.
    }
    m_cookie = 0;
    m_officeControl = nullptr;
    if (m_module)
        m_module->RemoveEventSink(this);
    m_module = nullptr;
    m_target = nullptr;
}

const base::Guid& TadxEventSink::EventsIid() const noexcept {
    return m_controlType == kButton ? office::iid::CommandBarButtonEvents
                                    : office::iid::CommandBarComboBoxEvents;
}

base::HResult TadxEventSink::QueryInterface(const base::Guid& iid, void** object) {
    return host::AnswerQuery(
        iid, object,
        {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown, this),
         host::InterfaceOffer::Of<host::Dispatch>(host::iid::Dispatch, this),
         host::InterfaceOffer::Of<host::Dispatch>(office::iid::CommandBarButtonEvents, this),
         host::InterfaceOffer::Of<host::Dispatch>(office::iid::CommandBarComboBoxEvents, this)});
}

base::HResult TadxEventSink::GetTypeInfoCount(std::uint32_t& count) {
    count = 0;
    return base::hr::Ok;
}

base::HResult TadxEventSink::GetTypeInfo(std::uint32_t, std::uint32_t) {
    return base::hr::Fail;
}

base::HResult TadxEventSink::GetIDsOfNames(const base::Guid&, std::span<const std::u16string> names,
                                           std::uint32_t, std::span<host::DispId> ids) {
    if (names.size() != 1 || ids.size() < 1)
        return names.empty() && ids.empty() ? base::hr::Pointer : base::hr::InvalidArg;
    const bool click = m_controlType == kButton && names[0] == u"Click";
    const bool change = IsComboType(m_controlType) && names[0] == u"Change";
    if (!click && !change) {
        ids[0] = host::dispid::Unknown;
        return base::hr::DispUnknownName;
    }
    ids[0] = kClick;
    return base::hr::Ok;
}

base::HResult TadxEventSink::Invoke(host::DispId member, const base::Guid&, std::uint32_t,
                                    host::InvokeFlags, const host::DispParams& params,
                                    host::Variant*, host::ExcepInfo*, std::uint32_t*) {
    if (member != kClick)
        return base::hr::DispMemberNotFound;
    if (params.argCount == 0 || !params.args)
        return base::hr::Pointer;
    // A button's Click(Ctrl, CancelDefault) or a combo box's Change(Ctrl): a call that lacks
    // the event's arguments delivers nothing.
    const std::uint32_t declared = m_controlType == kButton ? 2 : 1;
    const host::DispArgs args(params);
    const host::Variant* control = args.At(0);
    if (!control || params.argCount < declared || !m_target || !m_module)
        return base::hr::Ok;
    // A relink during the click may drop this connection: it stays alive until the end.
    const host::Ref<TadxEventSink> keepAlive(this);
    m_module->Guard([&] { HandleClick(*control); });
    return base::hr::Ok;
}

void TadxEventSink::HandleClick(const host::Variant& control) {
    const host::Ref<host::Dispatch> fired =
        host::QueryAs<host::Dispatch>(control.ToObject().Get(), office::iid::CommandBarControl);
    if (!fired)
        throw base::Error(base::hr::NoInterface, "Interface not supported");
    TadxClickTarget& target = *m_target;
    // Office raises the click on every control with the clicked one's tag.
    if (office::CommandBarControl(fired).Tag() != target.OfficeTag())
        return;
    if (!target.LinkWorks()) {
        const base::Guid& as = m_controlType == kButton ? office::iid::CommandBarButton
                                                        : office::iid::CommandBarComboBox;
        const host::Ref<host::Dispatch> relinked = host::QueryAs<host::Dispatch>(fired.Get(), as);
        if (!relinked)
            throw base::Error(base::hr::NoInterface, "Interface not supported");
        // The relink replaces this connection by a new one; the click still runs.
        target.Relink(relinked);
    }
    if (m_busy)
        return;
    m_busy = true;
    const base::ScopeExit idle([this] { m_busy = false; });
    target.DoClick();
}

} // namespace tarvex::framework
