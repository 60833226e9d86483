#include "tests/win/registered_dll.h"

#include <memory>
#include <string>

namespace tarvex::win {

std::wstring TestFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return folder;
}

std::wstring BuiltDll() {
    return TestFolder() + L"qorvel.dll";
}

DWORD RunProgram(std::wstring command) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return static_cast<DWORD>(-1);
    const UniqueKernelHandle processHandle(process.hProcess);
    const UniqueKernelHandle threadHandle(process.hThread);
    if (::WaitForSingleObject(process.hProcess, 100000) != WAIT_OBJECT_0)
        return static_cast<DWORD>(-1);
    DWORD code = static_cast<DWORD>(-1);
    ::GetExitCodeProcess(process.hProcess, &code);
    return code;
}

DWORD RunRegsvr32(const std::wstring& dll, bool unregister) {
    return RunProgram(std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") + L"\"" +
                      dll + L"\"");
}

bool SetExcelInstalled(host::Registry& registry, bool installed) {
    if (!installed) {
        static_cast<void>(registry.DeleteTree(host::RegistryRoot::ClassesRoot, kExcelProgId));
        return true;
    }
    std::unique_ptr<host::RegistryKey> key;
    return base::Succeeded(registry.CreateKey(host::RegistryRoot::ClassesRoot,
                                              std::string(kExcelProgId) + "\\CLSID", key)) &&
           base::Succeeded(key->SetValue(
               "", host::RegistryValue::FromString(u"{00024500-0000-0000-C000-000000000046}")));
}

DISPID DispIdOf(IDispatch* dispatch, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

HRESULT ServerCanUnloadNow() {
    const HMODULE dll = ::GetModuleHandleW(L"qorvel.dll");
    if (!dll)
        return E_FAIL;
    const auto canUnload = ProcAddress<HRESULT(STDAPICALLTYPE*)()>(dll, "DllCanUnloadNow");
    return canUnload ? canUnload() : E_FAIL;
}

RegistrationLock::RegistrationLock()
    : m_mutex(::CreateMutexW(nullptr, FALSE, L"Local\\TarvexRegistrationTests")) {
    if (m_mutex) {
        const DWORD waited = ::WaitForSingleObject(m_mutex.Get(), INFINITE);
        // An abandoned lock (a test process that crashed) is ours all the same.
        m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
}

RegistrationLock::~RegistrationLock() {
    if (m_held)
        ::ReleaseMutex(m_mutex.Get());
}

} // namespace tarvex::win
