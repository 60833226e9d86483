#pragma once

// The add-in object's one IDispatch: the members of the type library's ITarvex answer first,
// then the ribbon callbacks that the customUI document names. Office resolves the callback
// names through this dispatch and calls them by DISPID.

#include <windows.h>

#include <oaidl.h>

#include "host/object.h"
#include "host/win/handles.h"

namespace tarvex::server {

class ObjectDispatch {
public:
    /// `typeInfo` describes ITarvex (null when the type library could not be loaded);
    /// `callbacks` is the portable dispatch of the ribbon callbacks.
    ObjectDispatch(win::ComPtr<ITypeInfo> typeInfo, host::Ref<host::Dispatch> callbacks);

    /// 1 with type information, else 0.
    HRESULT GetTypeInfoCount(UINT* count) const noexcept;
    /// ITarvex's type information for index 0.
    HRESULT GetTypeInfo(UINT index, ITypeInfo** info) const noexcept;
    /// The type library's names first, then the callbacks'. E_INVALIDARG without a name.
    HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                          DISPID* ids) const noexcept;
    /// The type library's members on `instance` (the object's ITarvex) first, then the
    /// callbacks, whose arguments the COM adapter converts and writes back.
    HRESULT Invoke(void* instance, DISPID member, REFIID iid, LCID locale, WORD flags,
                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                   UINT* argErr) const noexcept;

private:
    win::ComPtr<ITypeInfo> m_typeInfo;
    win::ComPtr<IDispatch> m_callbacks;
};

} // namespace tarvex::server
