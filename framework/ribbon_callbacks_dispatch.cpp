#include "framework/ribbon_callbacks_dispatch.h"

#include <utility>

#include "framework/ribbon_callbacks.h"
#include "host/variant.h"

namespace tarvex::framework {

TadxRibbonDispatch::TadxRibbonDispatch(ModuleSource module)
    : m_module(std::move(module)) {}

base::HResult TadxRibbonDispatch::QueryInterface(const base::Guid& iid, void** object) {
    return host::AnswerQuery(iid, object,
                             {host::InterfaceOffer::Of<host::Dispatch>(host::iid::Unknown, this),
                              host::InterfaceOffer::Of<host::Dispatch>(host::iid::Dispatch, this)});
}

base::HResult TadxRibbonDispatch::GetTypeInfoCount(std::uint32_t& count) {
    count = 0;
    return base::hr::Ok;
}

base::HResult TadxRibbonDispatch::GetTypeInfo(std::uint32_t, std::uint32_t) {
    return base::hr::DispBadIndex;
}

base::HResult TadxRibbonDispatch::GetIDsOfNames(const base::Guid&,
                                                std::span<const std::u16string> names,
                                                std::uint32_t, std::span<host::DispId> ids) {
    return GetRibbonCallbackIds(names, ids);
}

base::HResult TadxRibbonDispatch::Invoke(host::DispId member, const base::Guid&, std::uint32_t,
                                         host::InvokeFlags, const host::DispParams& params,
                                         host::Variant* result, host::ExcepInfo* excepInfo,
                                         std::uint32_t*) {
    if (!IsRibbonCallback(member))
        return base::hr::DispMemberNotFound;
    TadxCOMAddInModule* module = m_module ? m_module() : nullptr;
    if (!module) {
        if (excepInfo) {
            *excepInfo = host::ExcepInfo{};
            excepInfo->scode = base::hr::Unexpected;
            excepInfo->description = u"The add-in is not connected";
        }
        return base::hr::DispException;
    }
    return InvokeRibbonCallback(*module, member, params, result, excepInfo);
}

} // namespace tarvex::framework
