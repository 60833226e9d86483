#include "server/server_registration.h"

#include <oleauto.h>

#include <memory>
#include <ole2.h>
#include <optional>
#include <string_view>

#include "addin/identity.h"
#include "addin/module.h"
#include "base/error.h"
#include "base/scope_exit.h"
#include "framework/factory.h"
#include "framework/registration.h"
#include "host/win/com_adapters.h"
#include "host/win/desktop.h"
#include "host/win/registry.h"
#include "host/win/wide_text.h"
#include "server/registration_host.h"
#include "server/server_identity.h"

// The per-user type library calls are in oleaut32 since Windows Vista SP1, but the mingw-w64
// headers do not declare them.
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* fullPath, OLECHAR* helpDir);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libId, WORD major, WORD minor, LCID lcid,
                                        SYSKIND syskind);
}

namespace tarvex::server {

namespace {

using framework::RegistrationScope;

win::ComPtr<ITypeLib> LoadServerTypeLib(const std::wstring& path) {
    win::ComPtr<ITypeLib> library;
    base::ThrowIfFailed(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Put()),
                        "Loading the type library");
    return library;
}

void RegisterTypeLibrary(const std::wstring& path, RegistrationScope scope) {
    const win::ComPtr<ITypeLib> library = LoadServerTypeLib(path);
    // RegisterTypeLib takes writable strings; it does not write to them.
    std::wstring fullPath = path;
    std::wstring folder = FolderOf(path);
    const HRESULT result =
        scope == RegistrationScope::CurrentUser
            ? ::RegisterTypeLibForUser(library.Get(), fullPath.data(), folder.data())
            : ::RegisterTypeLib(library.Get(), fullPath.data(), folder.data());
    base::ThrowIfFailed(result, "Registering the type library");
}

void UnregisterTypeLibrary(const std::wstring& path, RegistrationScope scope) {
    const win::ComPtr<ITypeLib> library = LoadServerTypeLib(path);
    TLIBATTR* attributes = nullptr;
    base::ThrowIfFailed(library->GetLibAttr(&attributes), "Reading the type library");
    const TLIBATTR copy = *attributes;
    library->ReleaseTLibAttr(attributes);
    const HRESULT result =
        scope == RegistrationScope::CurrentUser
            ? ::UnRegisterTypeLibForUser(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid,
                                         copy.syskind)
            : ::UnRegisterTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid,
                                  copy.syskind);
    // A library that is not registered is already where unregistration wants it.
    if (result != TYPE_E_REGISTRYACCESS && result != TYPE_E_LIBNOTREGISTERED)
        base::ThrowIfFailed(result, "Unregistering the type library");
}

// Runs one registration direction inside a COM apartment of its own when the calling thread
// has none (registration tools may call without initialising COM).
HRESULT RunRegistration(bool doRegister, RegistrationScope scope) noexcept {
    try {
        const HRESULT initialised = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const base::ScopeExit uninitialise([initialised]() noexcept {
            if (SUCCEEDED(initialised))
                ::CoUninitialize();
        });

        const std::wstring path = ServerPath();
        if (doRegister)
            RegisterTypeLibrary(path, scope);
        else
            UnregisterTypeLibrary(path, scope);

        win::Win32Registry registry;
        win::Win32Desktop desktop;
        Win32RegistrationHost hosts;
        const framework::RegistrationContext context{
            ServerFactory(),
            [](framework::ModuleServices services)
                -> std::unique_ptr<framework::TadxCOMAddInModule> {
                return framework::TadxCOMAddInModule::Create<addin::TAddInModule>(services);
            },
            framework::ModuleServices{desktop, registry},
            hosts,
            win::FromWide(path.c_str(), path.size()),
            addin::kLibId,
            addin::kTypeLibMajor,
            addin::kTypeLibMinor,
            scope};
        if (doRegister)
            framework::RegisterAddin(context);
        else
            framework::UnregisterAddin(context);
        return S_OK;
    } catch (...) {
        // Whatever failed, the registration tool is told E_FAIL.
        return base::CatchCurrentFailure(E_FAIL, false).code;
    }
}

} // namespace

bool IsServerClass(const framework::TadxFactory& factory, REFCLSID clsid) noexcept {
    return win::FromGuid(clsid) == factory.ClassId();
}

HRESULT RegisterServer() noexcept {
    return RunRegistration(true, RegistrationScope::Machine);
}

HRESULT UnregisterServer() noexcept {
    return RunRegistration(false, RegistrationScope::Machine);
}

HRESULT InstallServer(bool install, const wchar_t* commandLine) noexcept {
    if (!commandLine)
        return E_INVALIDARG;
    // wchar_t is UTF-16 on Windows.
    const std::wstring_view line(commandLine);
    const std::u16string text(line.begin(), line.end());
    const std::optional<RegistrationScope> scope = framework::InstallScopeOf(text);
    if (!scope)
        return E_INVALIDARG;
    return RunRegistration(install, *scope);
}

} // namespace tarvex::server
