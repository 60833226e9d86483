// The entry point and exports of qorvel.dll. Each export catches everything: no exception
// may reach the COM runtime or the registration tool.

#include <windows.h>

#include <ole2.h>

#include "base/error.h"
#include "host/module_lock.h"
#include "host/object.h"
#include "server/class_factory.h"
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
        return tarvex::host::MakeRef<tarvex::server::ClassFactory>(factory)->QueryInterface(iid,
                                                                                            object);
    } catch (...) {
        return tarvex::base::CatchCurrentFailure(E_UNEXPECTED).code;
    }
}

STDAPI DllCanUnloadNow() {
    return tarvex::host::ModuleLock::Held() != 0 ? S_FALSE : S_OK;
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
