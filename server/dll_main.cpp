// The entry point and exports of qorvel.dll. Each export catches everything: no exception
// may reach the COM runtime or the registration tool.

#include <windows.h>

#include <new>
#include <ole2.h>

#include "server/class_factory.h"
#include "server/server_counts.h"
#include "server/server_identity.h"
#include "server/server_registration.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        tarvex::server::SetServerModule(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    try {
        const tarvex::framework::TadxFactory& factory = tarvex::server::ServerFactory();
        if (!tarvex::server::IsServerClass(factory, clsid))
            return CLASS_E_CLASSNOTAVAILABLE;
        auto* classFactory = new tarvex::server::ClassFactory(factory);
        const HRESULT result = classFactory->QueryInterface(iid, object);
        classFactory->Release();
        return result;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

STDAPI DllCanUnloadNow() {
    return tarvex::server::ServerInUse() ? S_FALSE : S_OK;
}

STDAPI DllRegisterServer() {
    return tarvex::server::RegisterServer();
}

STDAPI DllUnregisterServer() {
    return tarvex::server::UnregisterServer();
}

// `regsvr32 /n /i:user` and `regsvr32 /u /n /i:user`: registration for the current user,
// which needs no administrator.
STDAPI DllInstall(BOOL install, PCWSTR commandLine) {
    return tarvex::server::InstallServer(install != FALSE, commandLine);
}
