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
    host::HResult QueryInterface(const host::Guid& iid, void** object) override;
    /// No type information of its own: the add-in's type library describes the object.
    host::HResult GetTypeInfoCount(std::uint32_t& count) override;
    host::HResult GetTypeInfo(std::uint32_t index, std::uint32_t locale) override;
    /// The callback table (GetRibbonCallbackIds).
    host::HResult GetIDsOfNames(const host::Guid& iid, std::span<const std::u16string> names,
                                std::uint32_t locale, std::span<host::DispId> ids) override;
    /// InvokeRibbonCallback on the current module; without one, DISP_E_EXCEPTION
    /// (E_UNEXPECTED) for a callback's DISPID.
    host::HResult Invoke(host::DispId member, const host::Guid& iid, std::uint32_t locale,
                         host::InvokeFlags flags, const host::DispParams& params,
                         host::Variant* result, host::ExcepInfo* excepInfo,
                         std::uint32_t* argErr) override;

private:
    ModuleSource m_module;
};

} // namespace tarvex::framework
