#pragma once

// Helpers for the simulated Excel's tests: reaching its objects over the seam the way the
// add-in does, and an event sink that records what it receives.

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/error.h"
#include "host/automation.h"
#include "host/excel/dispids.h"
#include "host/excel/excel.h"
#include "sim/excel/excel.h"

namespace tarvex::sim::testing {

/// The outcome of one raw Invoke.
struct Outcome {
    base::HResult code = base::hr::Ok;
    host::Variant result;
    host::ExcepInfo excep;
    std::uint32_t argErr = UINT32_MAX;
};

/// Invokes `member` with `args` in declaration order, as COM passes them (last first).
inline Outcome InvokeRaw(host::Dispatch& object, host::DispId member, host::InvokeFlags kind,
                         std::vector<host::Variant> args) {
    std::vector<host::Variant> comOrder(args.rbegin(), args.rend());
    const host::DispParams params{comOrder.data(), nullptr,
                                  static_cast<std::uint32_t>(comOrder.size()), 0};
    Outcome outcome;
    outcome.code = object.Invoke(member, host::iid::Null, host::lcid::UserDefault, kind, params,
                                 &outcome.result, &outcome.excep, &outcome.argErr);
    return outcome;
}

/// A property get through host::Call; throws base::Error on failure.
inline host::Variant Get(const host::Ref<host::Dispatch>& object, host::DispId member,
                         std::initializer_list<host::Variant> args = {}) {
    return host::Call(*object, member, host::invoke::PropertyGet, host::lcid::UserDefault, args,
                      "get");
}

/// A method call through host::Call; throws base::Error on failure.
inline host::Variant Method(const host::Ref<host::Dispatch>& object, host::DispId member,
                            std::initializer_list<host::Variant> args = {}) {
    return host::Call(*object, member, host::invoke::Method, host::lcid::UserDefault, args,
                      "method");
}

/// Application.Range(text) on the active sheet.
inline host::excel::Range RangeAt(const SimExcel& excel, std::u16string_view a1) {
    return host::excel::Application(excel.Application()).GetRange(std::u16string(a1));
}

/// "$B$7", or "" for nothing.
inline std::u16string AddressOf(const host::excel::Range& range) {
    return range ? range.Address(host::excel::xlA1) : std::u16string();
}

/// The code a call fails with (Ok when it does not).
inline base::HResult CodeOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const base::Error& error) {
        return error.Code();
    }
    return base::hr::Ok;
}

/// An event that reached a sink: its id and arguments in COM order, described.
struct ReceivedEvent {
    host::DispId id;
    host::InvokeFlags kind;
    std::vector<std::string> comOrderArgs;
    std::vector<host::Variant> comOrderValues;
};

/// An AppEvents sink that records every event and can run a reaction to each.
class EventSink : public host::RefCounted<host::Dispatch> {
public:
    explicit EventSink(bool answersAppEvents = true)
        : m_answersAppEvents(answersAppEvents) {}

    std::vector<ReceivedEvent> events;
    std::function<void(host::DispId, const host::DispParams&)> reaction;

    base::HResult QueryInterface(const base::Guid& iid, void** object) override {
        if (iid == host::excel::iid::AppEvents && m_answersAppEvents)
            return host::AnswerQuery(iid, object,
                                     {host::InterfaceOffer::Of<host::Dispatch>(iid, this)});
        return host::AnswerQuery(
            iid, object,
            {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown, this),
             host::InterfaceOffer::Of<host::Dispatch>(host::iid::Dispatch, this)});
    }
    base::HResult GetTypeInfoCount(std::uint32_t& count) override {
        count = 0;
        return base::hr::Ok;
    }
    base::HResult GetTypeInfo(std::uint32_t, std::uint32_t) override {
        return base::hr::DispBadIndex;
    }
    base::HResult GetIDsOfNames(const base::Guid&, std::span<const std::u16string>, std::uint32_t,
                                std::span<host::DispId>) override {
        return base::hr::DispUnknownName;
    }
    base::HResult Invoke(host::DispId member, const base::Guid&, std::uint32_t,
                         host::InvokeFlags flags, const host::DispParams& params, host::Variant*,
                         host::ExcepInfo*, std::uint32_t*) override {
        ReceivedEvent event{member, flags, {}, {}};
        for (std::uint32_t i = 0; i < params.argCount; ++i) {
            event.comOrderArgs.push_back(params.args[i].Describe());
            event.comOrderValues.push_back(params.args[i].Deref());
        }
        events.push_back(std::move(event));
        if (reaction)
            reaction(member, params);
        return base::hr::Ok;
    }

private:
    bool m_answersAppEvents;
};

/// Advises `sink` on the Application's AppEvents point; answers the cookie.
inline std::uint32_t Advise(const SimExcel& excel, host::Unknown* sink) {
    auto container = host::QueryAs<host::ConnectionPointContainer>(
        excel.Application().Get(), host::iid::ConnectionPointContainer);
    host::Ref<host::ConnectionPoint> point;
    base::ThrowIfFailed(container->FindConnectionPoint(host::excel::iid::AppEvents, point),
                        "FindConnectionPoint");
    std::uint32_t cookie = 0;
    base::ThrowIfFailed(point->Advise(sink, cookie), "Advise");
    return cookie;
}

} // namespace tarvex::sim::testing
