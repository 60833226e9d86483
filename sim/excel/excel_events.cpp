// The Application's AppEvents connection point.

#include <algorithm>
#include <new>

#include "base/error.h"
#include "host/excel/dispids.h"
#include "sim/excel/excel_objects.h"

namespace tarvex::sim::detail {

EventPoint::EventPoint(std::weak_ptr<ExcelState> state)
    : m_state(std::move(state)) {}

base::HResult EventPoint::QueryInterface(const base::Guid& iid, void** object) {
    return host::AnswerQuery(
        iid, object,
        {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown, this),
         host::InterfaceOffer::Of<host::ConnectionPoint>(host::iid::ConnectionPoint, this)});
}

base::HResult EventPoint::GetConnectionInterface(base::Guid& iid) {
    iid = host::excel::iid::AppEvents;
    return base::hr::Ok;
}

base::HResult EventPoint::Advise(host::Unknown* sink, std::uint32_t& cookie) {
    cookie = 0;
    const std::shared_ptr<ExcelState> state = m_state.lock();
    if (!state)
        return kDisconnected;
    if (!sink)
        return base::hr::Pointer;
    // Excel calls its sinks through AppEvents: a sink that does not answer it cannot
    // connect.
    host::Ref<host::Dispatch> events =
        host::QueryAs<host::Dispatch>(sink, host::excel::iid::AppEvents);
    if (!events)
        return base::hr::ConnectCannotConnect;
    try {
        state->connections.push_back({state->nextCookie, std::move(events)});
    } catch (...) {
        return base::CatchCurrentFailure(base::hr::OutOfMemory).code;
    }
    cookie = state->nextCookie++;
    return base::hr::Ok;
}

base::HResult EventPoint::Unadvise(std::uint32_t cookie) {
    const std::shared_ptr<ExcelState> state = m_state.lock();
    if (!state)
        return kDisconnected;
    auto& connections = state->connections;
    const auto it =
        std::find_if(connections.begin(), connections.end(),
                     [cookie](const ExcelState::Connection& c) { return c.cookie == cookie; });
    if (it == connections.end())
        return base::hr::ConnectNoConnection;
    // Release the sink only after the list is consistent again: its release may run code
    // that advises or unadvises.
    host::Ref<host::Dispatch> sink = std::move(it->sink);
    connections.erase(it);
    sink = nullptr;
    return base::hr::Ok;
}

} // namespace tarvex::sim::detail
