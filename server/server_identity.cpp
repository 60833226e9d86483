#include "server/server_identity.h"

#include <oleauto.h>

#include <memory>
#include <mutex>

#include "addin/identity.h"
#include "base/error.h"
#include "base/text.h"
#include "framework/factory.h"
#include "host/win/com_adapters.h"
#include "host/win/handles.h"
#include "host/win/wide_text.h"

namespace tarvex::server {

namespace {

HMODULE g_module = nullptr;

std::unique_ptr<framework::TadxFactory> MakeFactory() {
    const std::wstring path = ServerPath();
    win::ComPtr<ITypeLib> library;
    base::ThrowIfFailed(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Put()),
                        "Loading the type library");
    win::UniqueBstr libraryName;
    base::ThrowIfFailed(library->GetDocumentation(-1, libraryName.Put(), nullptr, nullptr, nullptr),
                        "Reading the type library's name");
    win::ComPtr<ITypeInfo> coclass;
    base::ThrowIfFailed(library->GetTypeInfoOfGuid(win::ToGuid(addin::kClsidTarvex), coclass.Put()),
                        "Finding the class in the type library");
    win::UniqueBstr className, description;
    base::ThrowIfFailed(coclass->GetDocumentation(MEMBERID_NIL, className.Put(), description.Put(),
                                                  nullptr, nullptr),
                        "Reading the class's name");
    return std::make_unique<framework::TadxFactory>(
        base::Utf16ToUtf8(win::FromWide(libraryName.Get())),
        base::Utf16ToUtf8(win::FromWide(className.Get())),
        base::Utf16ToUtf8(win::FromWide(description.Get())), addin::kClsidTarvex,
        base::Utf16ToUtf8(win::FromWide(FolderOf(path).c_str())));
}

} // namespace

void SetServerModule(HMODULE module) noexcept {
    g_module = module;
}

HMODULE ServerModule() noexcept {
    return g_module;
}

std::wstring ServerPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            throw base::Error(base::hr::Fail, "The DLL's file name cannot be read");
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

const framework::TadxFactory& ServerFactory() {
    // Made outside DllMain: loading the type library there would run under the loader lock.
    static std::once_flag once;
    static std::unique_ptr<framework::TadxFactory> factory;
    std::call_once(once, [] { factory = MakeFactory(); });
    return *factory;
}

} // namespace tarvex::server
