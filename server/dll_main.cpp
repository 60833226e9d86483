// The entry point and exports of qorvel.dll. The class factory and the registration of the
// add-in are not built yet: until they are, the exports answer with failure codes that say
// so, never with success.

#include <windows.h>
#include <ole2.h>

#include "framework/server_objects.h"
#include "host/win/com_adapters.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH)
        ::DisableThreadLibraryCalls(instance);
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID /*clsid*/, REFIID /*iid*/, LPVOID* object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    const bool inUse =
        tarvex::win::LiveServerObjects() != 0 || tarvex::framework::LiveFrameObjects() != 0;
    return inUse ? S_FALSE : S_OK;
}

STDAPI DllRegisterServer() { return E_NOTIMPL; }

STDAPI DllUnregisterServer() { return E_NOTIMPL; }
