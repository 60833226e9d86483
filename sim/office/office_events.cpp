// The event connection points of buttons and combo boxes, and how Office raises a control's
// events: to the sinks of every control that shares its tag.

#include <algorithm>
#include <new>

#include "base/error.h"
#include "host/office/dispids.h"
#include "sim/automation/sink_calls.h"
#include "sim/office/office_objects.h"

namespace tarvex::sim::detail {

namespace {
// Whether Office raises `source`'s events on `control` as well: controls of one kind that
// share a tag share their events; without a tag, the copies of one built-in control do.
bool SharesEvents(const ControlModel& source, const ControlModel& control) {
    if (KindOf(source.data.type) != KindOf(control.data.type))
        return false;
    if (!source.data.tag.empty())
        return control.data.tag == source.data.tag;
    if (!source.data.builtIn)
        return &control == &source;
    return control.data.builtIn && control.data.tag.empty() && control.data.id == source.data.id;
}

struct Pending {
    std::shared_ptr<ControlModel> control;
    std::uint32_t cookie;
};
} // namespace

ControlEventPoint::ControlEventPoint(std::weak_ptr<OfficeState> state,
                                     std::weak_ptr<ControlModel> control, const base::Guid& events)
    : m_state(std::move(state))
    , m_control(std::move(control))
    , m_events(events) {}

base::HResult ControlEventPoint::QueryInterface(const base::Guid& iid, void** object) {
    return host::AnswerQuery(
        iid, object,
        {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown, this),
         host::InterfaceOffer::Of<host::ConnectionPoint>(host::iid::ConnectionPoint, this)});
}

base::HResult ControlEventPoint::GetConnectionInterface(base::Guid& iid) {
    iid = m_events;
    return base::hr::Ok;
}

base::HResult ControlEventPoint::Advise(host::Unknown* sink, std::uint32_t& cookie) {
    cookie = 0;
    const std::shared_ptr<OfficeState> state = m_state.lock();
    const std::shared_ptr<ControlModel> control = m_control.lock();
    if (!state || !control || !state->model)
        return kDisconnected;
    if (!sink)
        return base::hr::Pointer;
    if (control->deleted)
        return base::hr::ConnectCannotConnect;
    // Office calls its sinks through the event interface: a sink that does not answer it
    // cannot connect.
    host::Ref<host::Dispatch> events = host::QueryAs<host::Dispatch>(sink, m_events);
    if (!events)
        return base::hr::ConnectCannotConnect;
    OfficeModel& office = *state->model;
    try {
        control->connections.push_back({office.nextCookie, std::move(events)});
    } catch (...) {
        return base::CatchCurrentFailure(base::hr::OutOfMemory).code;
    }
    cookie = office.nextCookie++;
    return base::hr::Ok;
}

base::HResult ControlEventPoint::Unadvise(std::uint32_t cookie) {
    const std::shared_ptr<ControlModel> control = m_control.lock();
    if (!m_state.lock() || !control)
        return kDisconnected;
    auto& connections = control->connections;
    const auto it = std::find_if(connections.begin(), connections.end(),
                                 [cookie](const SinkConnection& c) { return c.cookie == cookie; });
    if (it == connections.end())
        return base::hr::ConnectNoConnection;
    // Release the sink only after the list is consistent again: its release may run code
    // that advises or unadvises.
    host::Ref<host::Dispatch> sink = std::move(it->sink);
    connections.erase(it);
    sink = nullptr;
    return base::hr::Ok;
}

void RaiseControlEvent(OfficeState& state, const std::shared_ptr<ControlModel>& source,
                       host::DispId event, std::vector<host::Variant> argsInDeclarationOrder) {
    // The sinks of every control sharing the events, connected when the event starts.
    std::vector<Pending> pending;
    OfficeOf(state).WalkAll([&](const std::shared_ptr<ControlModel>& control) {
        if (SharesEvents(*source, *control)) {
            for (const SinkConnection& connection : control->connections)
                pending.push_back({control, connection.cookie});
        }
        return false;
    });
    RaiseToSinks(event, argsInDeclarationOrder, pending.size(), [&](std::size_t i) {
        const auto& connections = pending[i].control->connections;
        const auto it =
            std::find_if(connections.begin(), connections.end(),
                         [&](const SinkConnection& c) { return c.cookie == pending[i].cookie; });
        return it == connections.end() ? host::Ref<host::Dispatch>() : it->sink;
    });
}

} // namespace tarvex::sim::detail
