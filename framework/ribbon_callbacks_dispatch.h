#pragma once

// TadxRibbonDispatch: the ribbon callbacks as one automation object. The add-in object's
// IDispatch hands Office's names and calls to it once the type library has had its turn; on
// Windows the COM adapter converts the arguments and writes by-reference ones back.

#include <functional>

#include "host/object.h"

namespace tarvex::framework {

class TadxCOMAddInModule;

class TadxRibbonDispatch final : public host::RefCounted<host::Dispatch> {
public:
    /// Answers the module of the current connection, or null between connections.
    using ModuleSource = std::function<TadxCOMAddInModule*()>;

    /// The callbacks of whatever module `module` answers at the time of each call.
    explicit TadxRibbonDispatch(ModuleSource module);

    /// IUnknown and IDispatch only.
    base::HResult QueryInterface(const base::Guid& iid, void** object) override;
    /// No type information of its own: the add-in's type library describes the object.
    base::HResult GetTypeInfoCount(std::uint32_t& count) override;
    base::HResult GetTypeInfo(std::uint32_t index, std::uint32_t locale) override;
    /// The callback table (GetRibbonCallbackIds).
    base::HResult GetIDsOfNames(const base::Guid& iid, std::span<const std::u16string> names,
                                std::uint32_t locale, std::span<host::DispId> ids) override;
    /// InvokeRibbonCallback on the current module; without one, DISP_E_EXCEPTION
    /// (E_UNEXPECTED) for a callback's DISPID.
    base::HResult Invoke(host::DispId member, const base::Guid& iid, std::uint32_t locale,
                         host::InvokeFlags flags, const host::DispParams& params,
                         host::Variant* result, host::ExcepInfo* excepInfo,
                         std::uint32_t* argErr) override;

private:
    ModuleSource m_module;
};

} // namespace tarvex::framework
