#include "server/registration_host.h"

#include <windows.h>

#include <ole2.h>
#include <optional>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "host/automation.h"
#include "host/win/com_adapters.h"
#include "host/win/wide_text.h"

namespace tarvex::server {

namespace {

std::optional<CLSID> ClassIdOf(std::string_view progId) {
    CLSID clsid{};
    const std::wstring name = win::ToWide(base::Utf8ToUtf16(progId));
    if (FAILED(::CLSIDFromProgID(name.c_str(), &clsid)) || ::IsEqualCLSID(clsid, CLSID_NULL))
        return std::nullopt;
    return clsid;
}

} // namespace

bool Win32RegistrationHost::IsInstalled(std::string_view progId) {
    return ClassIdOf(progId).has_value();
}

host::Ref<host::Dispatch> Win32RegistrationHost::GetRunning(std::string_view progId) {
    const std::optional<CLSID> clsid = ClassIdOf(progId);
    if (!clsid)
        return nullptr;
    win::ComPtr<IUnknown> running;
    if (FAILED(::GetActiveObject(*clsid, nullptr, running.Put())) || !running)
        return nullptr;
    return win::FromComUnknown(running.Get());
}

host::Ref<host::Dispatch> Win32RegistrationHost::Start(std::string_view progId) {
    const std::optional<CLSID> clsid = ClassIdOf(progId);
    if (!clsid)
        throw base::Error(base::hr::ClassNotRegistered, std::string(progId) + " is not registered");
    win::ComPtr<IDispatch> application;
    base::ThrowIfFailed(::CoCreateInstance(*clsid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                           reinterpret_cast<void**>(application.Put())),
                        "Starting " + std::string(progId));
    host::Ref<host::Dispatch> started = win::FromCom(application.Get());
    if (!started)
        throw base::Error(base::hr::NoInterface, std::string(progId) + " is no automation object");
    return started;
}

void Win32RegistrationHost::Quit(host::Dispatch& application) {
    const std::u16string name = u"Quit";
    host::DispId id = host::dispid::Unknown;
    base::ThrowIfFailed(
        application.GetIDsOfNames(host::iid::Null, {&name, 1}, host::lcid::UserDefault, {&id, 1}),
        "Application.Quit");
    host::Call(application, id, host::invoke::Method, host::lcid::UserDefault, {},
               "Application.Quit");
}

std::u16string Win32RegistrationHost::ShortPath(std::u16string_view path) {
    const std::wstring longPath = win::ToWide(path);
    const DWORD needed = ::GetShortPathNameW(longPath.c_str(), nullptr, 0);
    if (needed == 0)
        throw base::Error(HRESULT_FROM_WIN32(::GetLastError()),
                          "The short form of the DLL's path cannot be read");
    std::wstring shortPath(needed, L'\0');
    const DWORD length = ::GetShortPathNameW(longPath.c_str(), shortPath.data(), needed);
    if (length == 0 || length >= needed)
        throw base::Error(base::hr::Fail, "The short form of the DLL's path cannot be read");
    shortPath.resize(length);
    return std::u16string(shortPath.begin(), shortPath.end());
}

} // namespace tarvex::server
