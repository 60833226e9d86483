#include "framework/ribbon_callbacks_dispatch.h"

#include <utility>

#include "framework/ribbon_callbacks.h"
#include "host/variant.h"

namespace tarvex::framework {

TadxRibbonDispatch::TadxRibbonDispatch(ModuleSource module)
    : m_module(std::move(module)) {}

host::HResult TadxRibbonDispatch::QueryInterface(const host::Guid& iid, void** object) {
    return host::AnswerQuery(iid, object,
                             {host::InterfaceOffer::Of<host::Dispatch>(host::iid::Unknown, this),
                              host::InterfaceOffer::Of<host::Dispatch>(host::iid::Dispatch, this)});
}

host::HResult TadxRibbonDispatch::GetTypeInfoCount(std::uint32_t& count) {
    count = 0;
    return host::hr::Ok;
}

host::HResult TadxRibbonDispatch::GetTypeInfo(std::uint32_t, std::uint32_t) {
    return host::hr::DispBadIndex;
}

host::HResult TadxRibbonDispatch::GetIDsOfNames(const host::Guid&,
                                                std::span<const std::u16string> names,
                                                std::uint32_t, std::span<host::DispId> ids) {
    return GetRibbonCallbackIds(names, ids);
}

host::HResult TadxRibbonDispatch::Invoke(host::DispId member, const host::Guid&, std::uint32_t,
                                         host::InvokeFlags, const host::DispParams& params,
                                         host::Variant* result, host::ExcepInfo* excepInfo,
                                         std::uint32_t*) {
    if (!IsRibbonCallback(member))
        return host::hr::DispMemberNotFound;
    TadxCOMAddInModule* module = m_module ? m_module() : nullptr;
    if (!module) {
        if (excepInfo) {
            *excepInfo = host::ExcepInfo{};
            excepInfo->scode = host::hr::Unexpected;
            excepInfo->description = u"The add-in is not connected";
        }
        return host::hr::DispException;
    }
    return InvokeRibbonCallback(*module, member, params, result, excepInfo);
}

} // namespace tarvex::framework
