#include "server/object_dispatch.h"

#include <oleauto.h>

#include <utility>

#include "framework/ribbon_callbacks.h"
#include "host/win/com_adapters.h"

namespace tarvex::server {

ObjectDispatch::ObjectDispatch(win::ComPtr<ITypeInfo> typeInfo, host::Ref<host::Dispatch> callbacks)
    : m_typeInfo(std::move(typeInfo))
    , m_callbacks(win::ToCom(callbacks.Get())) {}

HRESULT ObjectDispatch::GetTypeInfoCount(UINT* count) const noexcept {
    if (!count)
        return E_INVALIDARG;
    *count = m_typeInfo ? 1 : 0;
    return S_OK;
}

HRESULT ObjectDispatch::GetTypeInfo(UINT index, ITypeInfo** info) const noexcept {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0 || !m_typeInfo)
        return DISP_E_BADINDEX;
    m_typeInfo->AddRef();
    *info = m_typeInfo.Get();
    return S_OK;
}

HRESULT ObjectDispatch::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                      DISPID* ids) const noexcept {
    // Checked here: with no name the type library would answer success without an id.
    if (!names || count == 0 || !names[0] || !ids)
        return E_INVALIDARG;
    if (m_typeInfo) {
        const HRESULT answer = ::DispGetIDsOfNames(m_typeInfo.Get(), names, count, ids);
        if (SUCCEEDED(answer))
            return answer;
    }
    if (!m_callbacks)
        return DISP_E_UNKNOWNNAME;
    return m_callbacks->GetIDsOfNames(iid, names, count, locale, ids);
}

HRESULT ObjectDispatch::Invoke(void* instance, DISPID member, REFIID iid, LCID locale, WORD flags,
                               DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                               UINT* argErr) const noexcept {
    HRESULT answer = DISP_E_MEMBERNOTFOUND;
    if (m_typeInfo && instance) {
        answer = ::DispInvoke(instance, m_typeInfo.Get(), member, flags, params, result, exception,
                              argErr);
        if (SUCCEEDED(answer))
            return answer;
    }
    if (!m_callbacks || !framework::IsRibbonCallback(member))
        return answer;
    if (!params)
        return E_INVALIDARG;
    return m_callbacks->Invoke(member, iid, locale, flags, params, result, exception, argErr);
}

} // namespace tarvex::server
