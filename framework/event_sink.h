#pragma once

// TadxEventSink: the event connection of one command bar control. Office raises a click on
// the connection point of every control that shares the clicked control's tag; the sink
// passes on only the clicks of its own control, one at a time.

#include <cstdint>
#include <string>

#include "host/object.h"
#include "host/variant.h"

namespace tarvex::framework {

class TadxCOMAddInModule;

/// The frame's control that a sink serves.
class TadxClickTarget {
public:
    /// The tag the control carries in Office.
    virtual std::u16string OfficeTag() const = 0;
    /// Whether the control's link to its Office control still works.
    virtual bool LinkWorks() noexcept = 0;
    /// Links the control to `officeControl` (a CommandBarButton, or a CommandBarComboBox for
    /// the other types) and connects its events anew.
    virtual void Relink(const host::Ref<host::Dispatch>& officeControl) = 0;
    /// Runs the control's click handler.
    virtual void DoClick() = 0;

protected:
    ~TadxClickTarget() = default;
};

class TadxEventSink final : public host::RefCounted<host::Dispatch> {
public:
    /// Makes a sink for `target` and advises it at `officeControl`'s connection point:
    /// _CommandBarButtonEvents for a button (type 1), _CommandBarComboBoxEvents otherwise.
    /// The module keeps it in its list of sinks. Office's failures pass on.
    static host::Ref<TadxEventSink> Connect(TadxCOMAddInModule& module, TadxClickTarget& target,
                                            const host::Ref<host::Dispatch>& officeControl);
    ~TadxEventSink() override;

    /// Unadvises the sink and takes it out of the module's list; every failure is swallowed.
    void Disconnect() noexcept;

    /// The control type the sink was made for (1 for a button).
    std::int32_t ControlType() const noexcept { return m_controlType; }
    std::uint32_t Cookie() const noexcept { return m_cookie; }

    base::HResult QueryInterface(const base::Guid& iid, void** object) override;
    base::HResult GetTypeInfoCount(std::uint32_t& count) override;
    base::HResult GetTypeInfo(std::uint32_t index, std::uint32_t locale) override;
    /// "Click" for a button, "Change" for types 2 to 4: DISPID 1.
    base::HResult GetIDsOfNames(const base::Guid& iid, std::span<const std::u16string> names,
                                std::uint32_t locale, std::span<host::DispId> ids) override;
    base::HResult Invoke(host::DispId member, const base::Guid& iid, std::uint32_t locale,
                         host::InvokeFlags flags, const host::DispParams& params,
                         host::Variant* result, host::ExcepInfo* excepInfo,
                         std::uint32_t* argErr) override;

private:
    TadxEventSink(TadxCOMAddInModule& module, TadxClickTarget& target, std::int32_t controlType);
    const base::Guid& EventsIid() const noexcept;
    void HandleClick(const host::Variant& control);

    TadxCOMAddInModule* m_module;
    TadxClickTarget* m_target;
    std::int32_t m_controlType;
    host::Ref<host::Dispatch> m_officeControl;
    std::uint32_t m_cookie = 0;
    bool m_busy = false;
};

} // namespace tarvex::framework
