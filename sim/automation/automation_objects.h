#pragma once

// The objects of a simulated application (Excel, Office) as seen over the seam: each answers
// Invoke by the application's dispatch ids, QueryInterface for exactly its own interface ids,
// and GetIDsOfNames for its member and parameter names.
//
// Every Invoke runs through one pipeline (RunInvoke): record the call in the application's
// call log, apply injected failures, check the member, invoke kind and argument count, call
// the member, and turn what it throws into the result code and exception information the
// application would give. Nothing thrown inside a member leaves Invoke.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "host/automation.h"
#include "host/object.h"
#include "host/variant.h"
#include "sim/automation/call_log.h"

namespace tarvex::sim::detail {

/// The result code of a call on an object whose server has gone (RPC_E_DISCONNECTED).
inline constexpr base::HResult kDisconnected = base::MakeHResult(0x80010108);

/// One member of an object: its dispatch id, name, whether it is a method (else a property
/// get), its parameter names in declaration order, how many of them are required, and the
/// put kinds (invoke::PropertyPut, PropertyPutRef) that a settable property takes.
struct MemberInfo {
    host::DispId id;
    std::string_view name;
    bool method;
    std::span<const std::string_view> params;
    std::uint32_t required;
    host::InvokeFlags puts = 0;
};

/// The members of one object kind, and the class name the application uses in its messages.
struct ClassInfo {
    std::string_view name;
    std::span<const MemberInfo> members;
};

/// The arguments of one call, by declaration position.
using CallArgs = host::DispArgs;

/// Thrown by a member: the argument at `comIndex` is wrong, and the call fails with `code`
/// (DISP_E_TYPEMISMATCH...) and that index.
struct ArgumentFailure {
    base::HResult code;
    std::uint32_t comIndex;
};

/// Thrown by a member: the call fails as a whole, with the exception the application raises
/// for that member (MemberCaller::Failure).
struct MemberFailure {};

/// An exception that the host raises for a call: DISP_E_EXCEPTION with this exception
/// information. Members may throw it for a failure of their own.
struct RaisedException {
    std::u16string source;
    std::u16string description;
    base::HResult scode;
};

/// What the pipeline asks of one object kind.
class MemberCaller {
public:
    virtual const ClassInfo& Class() const noexcept = 0;
    /// The exception raised when `member` (null for an unknown one) fails as a whole: a
    /// MemberFailure or an injected DISP_E_EXCEPTION.
    virtual RaisedException Failure(const MemberInfo* member) const = 0;

protected:
    ~MemberCaller() = default;
};

/// The call of a member on the live state of its application, as the pipeline makes it:
/// refers to a callable `(const MemberInfo&, const CallArgs&) -> host::Variant` that outlives
/// it.
class MemberCall {
public:
    template <class F>
    explicit MemberCall(const F& call) noexcept
        : m_context(&call)
        , m_call([](const void* context, const MemberInfo& member, const CallArgs& args) {
            return (*static_cast<const F*>(context))(member, args);
        }) {}

    host::Variant operator()(const MemberInfo& member, const CallArgs& args) const {
        return m_call(m_context, member, args);
    }

private:
    const void* m_context;
    host::Variant (*m_call)(const void* context, const MemberInfo& member, const CallArgs& args);
};

/// One Invoke of a simulated object: recorded in `log`, subject to its injected failures,
/// checked against the caller's member table, then `call` runs the member.
base::HResult RunInvoke(CallLog& log, const MemberCaller& caller, MemberCall call,
                        host::DispId member, const base::Guid& iid, std::uint32_t locale,
                        host::InvokeFlags flags, const host::DispParams& params,
                        host::Variant* result, host::ExcepInfo* excepInfo, std::uint32_t* argErr);

base::HResult ResolveNames(const ClassInfo& type, const base::Guid& iid,
                           std::span<const std::u16string> names, std::span<host::DispId> ids);

/// GetIDsOfNames of a simulated object: recorded in `log` as "<Class>.GetIDsOfNames" (invoke
/// kind 0, the names as arguments), subject to injected failures, then resolved.
base::HResult LookUpNames(CallLog& log, const ClassInfo& type, const base::Guid& iid,
                          std::uint32_t locale, std::span<const std::u16string> names,
                          std::span<host::DispId> ids);

/// The common part of the simulated objects: IDispatch over a MemberCaller, whose members run
/// on `State`, the state of the object's application, which holds the application's call log
/// as `callLog`. Objects hold that state weakly: once the application has gone, calls on
/// objects that a client still holds fail as calls on a vanished server do.
template <class State, class... Extra>
class SimObject : public host::RefCounted<host::Dispatch, Extra...>, protected MemberCaller {
public:
    using StateType = State;

    base::HResult GetTypeInfoCount(std::uint32_t& count) override {
        count = 0;
        return base::hr::Ok;
    }
    base::HResult GetTypeInfo(std::uint32_t, std::uint32_t) override {
        return base::hr::DispBadIndex;
    }
    base::HResult GetIDsOfNames(const base::Guid& iid, std::span<const std::u16string> names,
                                std::uint32_t locale, std::span<host::DispId> ids) override {
        const std::shared_ptr<State> state = m_state.lock();
        if (!state)
            return kDisconnected;
        return LookUpNames(*state->callLog, Class(), iid, locale, names, ids);
    }
    base::HResult Invoke(host::DispId member, const base::Guid& iid, std::uint32_t locale,
                         host::InvokeFlags flags, const host::DispParams& params,
                         host::Variant* result, host::ExcepInfo* excepInfo,
                         std::uint32_t* argErr) override {
        const std::shared_ptr<State> state = m_state.lock();
        if (!state)
            return kDisconnected;
        const auto call = [&](const MemberInfo& info, const CallArgs& args) {
            return Call(*state, info, args);
        };
        return RunInvoke(*state->callLog, *this, MemberCall(call), member, iid, locale, flags,
                         params, result, excepInfo, argErr);
    }

protected:
    explicit SimObject(std::weak_ptr<State> state)
        : m_state(std::move(state)) {}

    /// Runs `member`; throws ArgumentFailure, MemberFailure, RaisedException or base::Error on
    /// failure.
    virtual host::Variant Call(State& state, const MemberInfo& member, const CallArgs& args) = 0;

    std::weak_ptr<State> m_state;
};

/// A simulated object of one class that answers QueryInterface for IUnknown, IDispatch and
/// one interface id of its own. `Base` is the application's SimObject (ExcelObject<>,
/// OfficeObject<>).
template <class Base>
class SingleInterfaceObject : public Base {
public:
    base::HResult QueryInterface(const base::Guid& iid, void** object) override {
        return host::AnswerQuery(
            iid, object,
            {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown, this),
             host::InterfaceOffer::Of<host::Dispatch>(host::iid::Dispatch, this),
             host::InterfaceOffer::Of<host::Dispatch>(m_iid, this)});
    }

protected:
    /// `type` has static storage: it is the member table of every object of the class.
    SingleInterfaceObject(std::weak_ptr<typename Base::StateType> state, const ClassInfo& type,
                          const base::Guid& iid)
        : Base(std::move(state))
        , m_type(type)
        , m_iid(iid) {}

private:
    const ClassInfo& Class() const noexcept final { return m_type; }

    const ClassInfo& m_type;
    base::Guid m_iid;
};

} // namespace tarvex::sim::detail
