#pragma once

// Application event components: Excel calls out through a connection point, and the
// component turns each call into a call of the handler the module assigned.
//
// TadxCustomEvents is the generic component; TadxEventDispatch is the object Excel holds
// and calls (its COM face comes from the seam's server adapter); TadxExcelAppEvents is the
// Excel component with its complete event table.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "base/guid.h"
#include "framework/component.h"
#include "host/automation.h"
#include "host/module_lock.h"
#include "host/object.h"
#include "host/variant.h"

namespace tarvex::framework {

class TadxCOMAddInModule;
class TadxCustomEvents;

/// What a component knows of its host's automation server: the application's class, its
/// default interface, its event interface, a version, and how many components exist.
struct TadxHostInterfaceRecord {
    base::Guid applicationClassId;
    base::Guid applicationIid;
    base::Guid eventsIid;
    std::int32_t version = 0;
    std::int32_t instanceCount = 0;
};

/// Excel's record: Excel.Application, _Application, AppEvents, version 500.
TadxHostInterfaceRecord& ExcelHostInterface() noexcept;

/// The object Excel holds as the event sink. It answers IUnknown, IDispatch and the host's
/// event interface. The component holds one reference, Excel the others; when the component
/// goes first, the object is orphaned: it ignores every call and goes with Excel's last
/// reference. While it lives it keeps the module loaded.
class TadxEventDispatch final : public host::RefCounted<host::Dispatch> {
public:
    TadxEventDispatch(TadxCustomEvents* component, const base::Guid& eventsIid) noexcept;

    base::HResult QueryInterface(const base::Guid& iid, void** object) override;
    base::HResult GetTypeInfoCount(std::uint32_t& count) override;
    base::HResult GetTypeInfo(std::uint32_t index, std::uint32_t locale) override;
    base::HResult GetIDsOfNames(const base::Guid& iid, std::span<const std::u16string> names,
                                std::uint32_t locale, std::span<host::DispId> ids) override;
    /// Delivers the event to the component; always S_OK.
    base::HResult Invoke(host::DispId member, const base::Guid& iid, std::uint32_t locale,
                         host::InvokeFlags flags, const host::DispParams& params,
                         host::Variant* result, host::ExcepInfo* excepInfo,
                         std::uint32_t* argErr) override;

    /// The component is being destroyed: from now on the object does nothing.
    void Orphan() noexcept { m_component = nullptr; }

private:
    TadxCustomEvents* m_component;
    base::Guid m_eventsIid;
    host::ModuleLock m_moduleLock;
};

/// The generic application event component, owned by an add-in module.
class TadxCustomEvents : public TComponent {
public:
    ~TadxCustomEvents() override;

    std::string ClassName() const override { return "TadxCustomEvents"; }

    /// Runs the handler for event `dispid` with the call's arguments (well formed). Does
    /// nothing here.
    virtual void DeliverEvent(host::DispId dispid, const host::DispArgs& args);

    /// Connects to `application`'s events (disconnecting first).
    virtual void ConnectTo(const host::Ref<host::Dispatch>& application) = 0;
    /// As ConnectTo; the version text is not used.
    virtual void ConnectToVersion(const host::Ref<host::Dispatch>& application,
                                  const std::u16string& versionText) = 0;
    virtual void Disconnect() noexcept = 0;

    /// The object that Excel holds and calls.
    host::Dispatch& DispatchObject() const noexcept { return *m_dispatch; }
    /// The references to it that others (Excel) hold.
    std::int32_t ComRefCount() const noexcept {
        return static_cast<std::int32_t>(m_dispatch->References()) - 1;
    }
    std::uint32_t Cookie() const noexcept { return m_cookie; }
    const TadxHostInterfaceRecord& HostInterface() const noexcept { return m_hostInterface; }

    /// The module that owns the component.
    TadxCOMAddInModule& Module() const noexcept { return *m_module; }

protected:
    /// Refuses an owner that is not an add-in module (Error 31113); counts the instance
    /// and creates the dispatch object.
    TadxCustomEvents(TComponent* owner, TadxHostInterfaceRecord& hostInterface,
                     std::string className);

    /// Advises the dispatch object at `application`'s connection point for the host's
    /// event interface. Silent when there is none or the advise fails (cookie 0).
    void Advise(host::Dispatch& application) noexcept;
    /// Unadvises with the kept cookie at `application`; the cookie is cleared only when
    /// that succeeded. Silent on every failure.
    void Unadvise(host::Dispatch& application) noexcept;

private:
    /// The application's connection point for the host's events, or null.
    host::Ref<host::ConnectionPoint> FindEventPoint(host::Dispatch& application) const noexcept;

    TadxHostInterfaceRecord& m_hostInterface;
    TadxCOMAddInModule* m_module;
    host::Ref<TadxEventDispatch> m_dispatch;
    std::uint32_t m_cookie = 0;
};

/// Excel's application events, with one handler slot per event. Every handler receives the
/// component as `sender`; object arguments arrive converted to the interface the event
/// declares ("Interface not supported" when they do not answer it); `cancel` is Excel's own
/// by-reference argument.
class TadxExcelAppEvents : public TadxCustomEvents {
public:
    using Object = host::Ref<host::Dispatch>;
    using WorkbookEvent = std::function<void(TComponent& sender, const Object& wb)>;
    using SheetEvent = std::function<void(TComponent& sender, const Object& sh)>;
    using SheetRangeEvent =
        std::function<void(TComponent& sender, const Object& sh, const Object& target)>;
    using SheetRangeCancelEvent = std::function<void(TComponent& sender, const Object& sh,
                                                     const Object& target, bool& cancel)>;
    using WorkbookCancelEvent =
        std::function<void(TComponent& sender, const Object& wb, bool& cancel)>;
    using WorkbookSaveEvent =
        std::function<void(TComponent& sender, const Object& wb, bool saveAsUI, bool& cancel)>;
    using WorkbookObjectEvent =
        std::function<void(TComponent& sender, const Object& wb, const Object& target)>;
    using WindowEvent = std::function<void(TComponent& sender, const Object& wb, const Object& wn)>;
    using WorkbookSyncEvent =
        std::function<void(TComponent& sender, const Object& wb, std::int32_t syncEventType)>;
    using BeforeXmlImportEvent =
        std::function<void(TComponent& sender, const Object& wb, const Object& map,
                           const std::u16string& url, bool isRefresh, bool& cancel)>;
    using AfterXmlImportEvent =
        std::function<void(TComponent& sender, const Object& wb, const Object& map, bool isRefresh,
                           std::int32_t result)>;
    using BeforeXmlExportEvent =
        std::function<void(TComponent& sender, const Object& wb, const Object& map,
                           const std::u16string& url, bool& cancel)>;
    using AfterXmlExportEvent =
        std::function<void(TComponent& sender, const Object& wb, const Object& map,
                           const std::u16string& url, std::int32_t result)>;
    using RowsetCompleteEvent =
        std::function<void(TComponent& sender, const Object& wb, const std::u16string& description,
                           const std::u16string& sheet, bool success)>;
    using NotifyEvent = std::function<void(TComponent& sender)>;

    explicit TadxExcelAppEvents(TComponent* owner, std::string name = {});
    ~TadxExcelAppEvents() override;

    std::string ClassName() const override { return "TadxExcelAppEvents"; }

    void DeliverEvent(host::DispId dispid, const host::DispArgs& args) override;
    void ConnectTo(const host::Ref<host::Dispatch>& application) override;
    void ConnectToVersion(const host::Ref<host::Dispatch>& application,
                          const std::u16string& versionText) override;
    void Disconnect() noexcept override;

    /// The connected application (null while not connected).
    const host::Ref<host::Dispatch>& Application() const noexcept { return m_application; }

    WorkbookEvent OnNewWorkbook;
    SheetRangeEvent OnSheetSelectionChange;
    SheetRangeCancelEvent OnSheetBeforeDoubleClick;
    SheetRangeCancelEvent OnSheetBeforeRightClick;
    SheetEvent OnSheetActivate;
    SheetEvent OnSheetDeactivate;
    SheetEvent OnSheetCalculate;
    SheetRangeEvent OnSheetChange;
    WorkbookEvent OnWorkbookOpen;
    WorkbookEvent OnWorkbookActivate;
    WorkbookEvent OnWorkbookDeactivate;
    WorkbookCancelEvent OnWorkbookBeforeClose;
    WorkbookSaveEvent OnWorkbookBeforeSave;
    WorkbookCancelEvent OnWorkbookBeforePrint;
    WorkbookObjectEvent OnWorkbookNewSheet;
    WorkbookEvent OnWorkbookAddinInstall;
    WorkbookEvent OnWorkbookAddinUninstall;
    WindowEvent OnWindowResize;
    WindowEvent OnWindowActivate;
    WindowEvent OnWindowDeactivate;
    SheetRangeEvent OnSheetFollowHyperlink;
    SheetRangeEvent OnSheetPivotTableUpdate;
    WorkbookObjectEvent OnWorkbookPivotTableCloseConnection;
    WorkbookObjectEvent OnWorkbookPivotTableOpenConnection;
    WorkbookSyncEvent OnWorkbookSync;
    BeforeXmlImportEvent OnWorkbookBeforeXmlImport;
    AfterXmlImportEvent OnWorkbookAfterXmlImport;
    BeforeXmlExportEvent OnWorkbookBeforeXmlExport;
    AfterXmlExportEvent OnWorkbookAfterXmlExport;
    RowsetCompleteEvent OnWorkbookRowsetComplete;
    NotifyEvent OnAfterCalculate;

private:
    host::Ref<host::Dispatch> m_application;
};

} // namespace tarvex::framework
