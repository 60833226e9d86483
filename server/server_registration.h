#pragma once

// The registration exports' work: the type library through the platform, then the
// add-in's own registry entries through the portable registration logic, for the machine
// (DllRegisterServer) or for the current user alone (DllInstall with "user").

#include <windows.h>

namespace tarvex::framework {
class TadxFactory;
}

namespace tarvex::server {

/// True when `clsid` is the class that `factory` creates.
bool IsServerClass(const framework::TadxFactory& factory, REFCLSID clsid) noexcept;

/// Registers the type library (help folder: the DLL's folder), the COM class and the add-in
/// keys. S_OK, or E_FAIL when any step failed.
HRESULT RegisterServer() noexcept;

/// Unregisters the type library, cleans the add-in out of the hosts and removes its keys.
/// S_OK, or E_FAIL when any step failed.
HRESULT UnregisterServer() noexcept;

/// DllInstall: with the command line "user" (any letter case), registers or unregisters the
/// server for the current user only: class entries below HKEY_CURRENT_USER\Software\Classes,
/// the type library through the per-user call, the add-in key as always. E_INVALIDARG for
/// any other command line, E_FAIL when any step failed.
HRESULT InstallServer(bool install, const wchar_t* commandLine) noexcept;

} // namespace tarvex::server
