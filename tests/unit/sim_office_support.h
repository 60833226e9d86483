#pragma once

// Helpers for the simulated Office's tests: its objects reached through the typed wrappers
// the way the frame reaches them, and a sink for the controls' events.

#include <functional>
#include <string>
#include <vector>

#include "base/error.h"
#include "host/automation.h"
#include "host/office/dispids.h"
#include "host/office/office.h"
#include "sim/excel/excel.h"
#include "sim/office/office.h"
#include "tests/support/recording_dispatch.h"

namespace tarvex::sim::testing {

namespace office = host::office;

/// Application.CommandBars of `excel`, reached by name as the frame reaches it.
inline office::CommandBars BarsOf(const SimExcel& excel) {
    return office::CommandBarsOf(*excel.Application());
}

/// The code a call fails with (Ok when it does not).
inline base::HResult FailureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const base::Error& error) {
        return error.Code();
    }
    return base::hr::Ok;
}

/// A sink of a button's (or combo box's) events: records each event it receives and, when
/// `cancel` is set, writes True into CancelDefault.
class ControlSink : public tarvex::testing::RecordingDispatch {
public:
    explicit ControlSink(const base::Guid& events = office::iid::CommandBarButtonEvents,
                         tarvex::testing::LiveCount* live = nullptr)
        : RecordingDispatch(live, {events}) {
        answer = [this](const host::DispParams& params, host::Variant*, host::ExcepInfo*) {
            // Click(Ctrl, CancelDefault): COM order puts CancelDefault first.
            if (params.argCount == 2) {
                clicked.push_back(params.args[1].ToObject());
                cancelSeen.push_back(params.args[0].ToBool());
                if (cancel)
                    params.args[0].Target() = host::Variant(true);
            }
            if (reaction)
                reaction();
            return base::hr::Ok;
        };
    }

    bool cancel = false;
    std::function<void()> reaction;
    /// Ctrl of each Click received, and CancelDefault as it arrived.
    std::vector<host::Ref<host::Dispatch>> clicked;
    std::vector<bool> cancelSeen;
};

/// Advises `sink` on the control's event point; answers the cookie.
inline std::uint32_t AdviseOn(const host::Ref<host::Dispatch>& control, host::Unknown* sink,
                              const base::Guid& events = office::iid::CommandBarButtonEvents) {
    auto container = host::QueryAs<host::ConnectionPointContainer>(
        control.Get(), host::iid::ConnectionPointContainer);
    if (!container)
        throw base::Error(base::hr::NoInterface, "no connection point container");
    host::Ref<host::ConnectionPoint> point;
    base::ThrowIfFailed(container->FindConnectionPoint(events, point), "FindConnectionPoint");
    std::uint32_t cookie = 0;
    base::ThrowIfFailed(point->Advise(sink, cookie), "Advise");
    return cookie;
}

/// The handle of the only control with `tag`.
inline SimOffice::ControlHandle TaggedControl(const SimOffice& simOffice, std::u16string tag) {
    const auto found = simOffice.FindControls(std::nullopt, std::nullopt, std::move(tag));
    if (found.size() != 1)
        throw base::Error(base::hr::InvalidArg, "not exactly one control with that tag");
    return found.front();
}

} // namespace tarvex::sim::testing
