#pragma once

// qorvel.dll as a user registers it: the DLL built beside the test programs, the real
// regsvr32, and the lock that keeps test processes from registering the one class id at the
// same time.

#include <windows.h>

#include <string>

#include "host/win/handles.h"

namespace tarvex::win {

/// The folder of the running test program, ending in a backslash.
std::wstring TestFolder();

/// The qorvel.dll built beside the test programs.
std::wstring BuiltDll();

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
