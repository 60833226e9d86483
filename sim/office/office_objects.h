#pragma once

// The simulated Office's objects as seen over the seam. They run through the simulated
// applications' invoke pipeline (sim/automation: call log, failure injection, member and
// argument checks) and answer failures with Office's exception: DISP_E_EXCEPTION from
// "Microsoft Office" with scode E_INVALIDARG for a bad argument and E_FAIL for a refused or
// failed operation.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "sim/automation/automation_objects.h"
#include "sim/office/office_model.h"

namespace tarvex::sim::detail {

/// Office's exception for a call: throws RaisedException from "Microsoft Office".
[[noreturn]] void RaiseOffice(base::HResult scode, std::string_view description);

/// The simulated Office's current model; throws base::Error(E_UNEXPECTED) when the state
/// has none.
OfficeModel& OfficeOf(OfficeState& state);

/// The CommandBars object of the state's current Office (Application.CommandBars).
host::Ref<host::Dispatch> CommandBarsOf(OfficeState& state);

/// Office's exception when `member` (null for an unknown one) fails as a whole:
/// "Method 'Delete' of object 'CommandBar' failed", scode E_FAIL.
RaisedException OfficeFailure(const ClassInfo& type, const MemberInfo* member);

/// The common part of Office's objects: they run on Office's state and raise Office's
/// exception for failed calls.
template <class... Extra>
class OfficeObject : public SimObject<OfficeState, Extra...> {
protected:
    using SimObject<OfficeState, Extra...>::SimObject;

    RaisedException Failure(const MemberInfo* member) const override {
        return OfficeFailure(this->Class(), member);
    }
};

/// One of Office's objects with a single interface of its own.
using PlainOfficeObject = SingleInterfaceObject<OfficeObject<>>;

/// The CommandBars collection.
class CommandBarsObject final : public PlainOfficeObject {
public:
    CommandBarsObject(std::weak_ptr<OfficeState> state, std::weak_ptr<OfficeModel> office);

private:
    host::Variant Call(OfficeState& state, const MemberInfo& member, const CallArgs& args) override;

    std::weak_ptr<OfficeModel> m_office;
};

/// A CommandBar: a bar of the collection or a pop-up's own bar.
class CommandBarObject final : public PlainOfficeObject {
public:
    CommandBarObject(std::weak_ptr<OfficeState> state, std::weak_ptr<BarModel> bar);

    /// The bar, or null once Office has restarted.
    std::shared_ptr<BarModel> Bar() const { return m_bar.lock(); }

private:
    host::Variant Call(OfficeState& state, const MemberInfo& member, const CallArgs& args) override;
    host::Variant Put(OfficeState& state, BarModel& bar, const MemberInfo& member,
                      const CallArgs& args);

    std::weak_ptr<BarModel> m_bar;
};

/// The CommandBarControls of a bar.
class ControlsObject final : public PlainOfficeObject {
public:
    ControlsObject(std::weak_ptr<OfficeState> state, std::weak_ptr<BarModel> bar);

private:
    host::Variant Call(OfficeState& state, const MemberInfo& member, const CallArgs& args) override;
    host::Variant Add(OfficeState& state, const std::shared_ptr<BarModel>& bar,
                      const CallArgs& args);

    std::weak_ptr<BarModel> m_bar;
};

/// A control: a CommandBarButton, CommandBarPopup, CommandBarComboBox or a plain
/// CommandBarControl, by its type. Buttons and combo boxes are containers of their event
/// connection point.
class ControlObject final : public OfficeObject<host::ConnectionPointContainer> {
public:
    ControlObject(std::weak_ptr<OfficeState> state, std::weak_ptr<ControlModel> control,
                  ControlKind kind);
    base::HResult QueryInterface(const base::Guid& iid, void** object) override;
    base::HResult FindConnectionPoint(const base::Guid& iid,
                                      host::Ref<host::ConnectionPoint>& point) override;

    /// The control, or null once Office has restarted.
    std::shared_ptr<ControlModel> Control() const { return m_control.lock(); }

private:
    const ClassInfo& Class() const noexcept override;
    host::Variant Call(OfficeState& state, const MemberInfo& member, const CallArgs& args) override;
    host::Variant Put(OfficeState& state, ControlModel& control, const MemberInfo& member,
                      const CallArgs& args);
    host::Variant Move(OfficeState& state, const std::shared_ptr<ControlModel>& control,
                       const CallArgs& args);

    std::weak_ptr<ControlModel> m_control;
    ControlKind m_kind;
    host::Ref<host::ConnectionPoint> m_events;
};

/// The event connection point of a button (_CommandBarButtonEvents) or combo box
/// (_CommandBarComboBoxEvents). The sinks belong to the control, so every object of the
/// control and every copy of this point share them.
class ControlEventPoint final : public host::RefCounted<host::ConnectionPoint> {
public:
    ControlEventPoint(std::weak_ptr<OfficeState> state, std::weak_ptr<ControlModel> control,
                      const base::Guid& events);

    base::HResult QueryInterface(const base::Guid& iid, void** object) override;
    base::HResult GetConnectionInterface(base::Guid& iid) override;
    base::HResult Advise(host::Unknown* sink, std::uint32_t& cookie) override;
    base::HResult Unadvise(std::uint32_t cookie) override;

private:
    std::weak_ptr<OfficeState> m_state;
    std::weak_ptr<ControlModel> m_control;
    base::Guid m_events;
};

/// IRibbonUI: records each invalidation.
class RibbonUIObject final : public PlainOfficeObject {
public:
    RibbonUIObject(std::weak_ptr<OfficeState> state, std::weak_ptr<OfficeModel> office);

private:
    host::Variant Call(OfficeState& state, const MemberInfo& member, const CallArgs& args) override;

    std::weak_ptr<OfficeModel> m_office;
};

/// IRibbonControl: the control a ribbon callback is about.
class RibbonControlObject final : public PlainOfficeObject {
public:
    RibbonControlObject(std::weak_ptr<OfficeState> state, std::u16string id, std::u16string tag,
                        host::Ref<host::Dispatch> context);

private:
    host::Variant Call(OfficeState& state, const MemberInfo& member, const CallArgs& args) override;

    std::u16string m_id;
    std::u16string m_tag;
    host::Ref<host::Dispatch> m_context;
};

/// COMAddIn: one registered add-in.
class ComAddInObject final : public PlainOfficeObject {
public:
    ComAddInObject(std::weak_ptr<OfficeState> state, std::weak_ptr<AddInModel> addIn);

private:
    host::Variant Call(OfficeState& state, const MemberInfo& member, const CallArgs& args) override;

    std::weak_ptr<AddInModel> m_addIn;
};

// Reading Office's arguments. Office declares its method parameters as VARIANT and judges
// them itself: a value of the wrong kind is Office's exception (E_INVALIDARG). Property puts
// are typed, so a put value that does not convert fails as automation's conversion does
// (DISP_E_TYPEMISMATCH at the value).

std::optional<std::int32_t> OptionalInt(const CallArgs& args, std::uint32_t position);
std::optional<bool> OptionalBool(const CallArgs& args, std::uint32_t position);
std::optional<std::u16string> OptionalText(const CallArgs& args, std::uint32_t position);
std::int32_t PutInt(const CallArgs& args);
bool PutBool(const CallArgs& args);
std::u16string PutText(const CallArgs& args);
/// The object put (null for nothing).
host::Ref<host::Dispatch> PutObjectValue(const CallArgs& args);

} // namespace tarvex::sim::detail
