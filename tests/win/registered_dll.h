#pragma once

// qorvel.dll as a user registers it: the DLL built beside the test programs, the real
// regsvr32, and the lock that keeps test processes from registering the one class id at the
// same time.

#include <windows.h>

#include <oaidl.h>

#include <string>

#include "host/registry.h"
#include "host/win/handles.h"

namespace tarvex::win {

/// Excel's add-in key of the server, below HKEY_CURRENT_USER.
inline constexpr char kAddinKey[] = "Software\\Microsoft\\Office\\Excel\\AddIns\\qorvel.Tarvex";
/// Excel's ProgID, which registration looks up to tell whether Excel is installed.
inline constexpr char kExcelProgId[] = "Excel.Application";

/// Makes CLSIDFromProgID find Excel, as on a machine where it is installed, or removes it.
/// False when the registry refuses.
bool SetExcelInstalled(host::Registry& registry, bool installed);

/// The DISPID `dispatch` answers for `name` (DISPID_UNKNOWN when none).
DISPID DispIdOf(IDispatch* dispatch, const wchar_t* name);

/// The loaded qorvel.dll's own DllCanUnloadNow; E_FAIL when it is not loaded.
HRESULT ServerCanUnloadNow();

/// The folder of the running test program, ending in a backslash.
std::wstring TestFolder();

/// The qorvel.dll built beside the test programs.
std::wstring BuiltDll();

/// Runs a program of the prefix (regsvr32, msiexec) and answers its exit code, or -1 when it
/// cannot be started or does not end within 100 seconds.
DWORD RunProgram(std::wstring command);

/// Runs regsvr32 silently on `dll` (with /u to unregister); answers its exit code.
DWORD RunRegsvr32(const std::wstring& dll, bool unregister = false);

/// Held while a test registers, loads or unregisters the server: the tests run in parallel
/// processes that share one registry.
class RegistrationLock {
public:
    RegistrationLock();
    ~RegistrationLock();
    RegistrationLock(const RegistrationLock&) = delete;
    RegistrationLock& operator=(const RegistrationLock&) = delete;

    bool Held() const noexcept { return m_held; }

private:
    UniqueKernelHandle m_mutex;
    bool m_held = false;
};

} // namespace tarvex::win
