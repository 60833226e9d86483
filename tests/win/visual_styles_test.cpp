// qorvel.dll carries the common controls 6 manifest, and the dialogs' activation context
// made from it is active exactly while the scope lives.

#include <windows.h>

#include <gtest/gtest.h>
#include <string>

#include "host/win/handles.h"
#include "host/win/visual_styles.h"

namespace tarvex::win {
namespace {

std::wstring DllPath() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return folder + L"qorvel.dll";
}

HANDLE CurrentContext() {
    HANDLE context = nullptr;
    ::GetCurrentActCtx(&context);
    return context;
}

// Releases the reference GetCurrentActCtx added.
void Release(HANDLE context) {
    if (context && context != INVALID_HANDLE_VALUE)
        ::ReleaseActCtx(context);
}

TEST(VisualStyles, QorvelDllCarriesTheCommonControls6ManifestAsResource2) {
    const UniqueHmodule dll(::LoadLibraryExW(DllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(dll) << "qorvel.dll not found beside the test program";
    const HRSRC resource = ::FindResourceW(dll.Get(), MAKEINTRESOURCEW(2), RT_MANIFEST);
    ASSERT_NE(resource, nullptr);
    const HGLOBAL loaded = ::LoadResource(dll.Get(), resource);
    const std::string manifest(static_cast<const char*>(::LockResource(loaded)),
                               ::SizeofResource(dll.Get(), resource));
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("publicKeyToken=\"6595b64144ccf1df\""), std::string::npos);
}

TEST(VisualStyles, ScopeActivatesTheDllsContextOnlyWhileItLives) {
    const UniqueHmodule dll(::LoadLibraryW(DllPath().c_str()));
    ASSERT_TRUE(dll);
    const HANDLE before = CurrentContext();
    HANDLE during = nullptr;
    bool redirected = false;
    {
        const VisualStylesScope scope(dll.Get());
        ASSERT_NE(scope.Context(), INVALID_HANDLE_VALUE) << "no context from qorvel.dll";
        during = CurrentContext();
        EXPECT_EQ(during, scope.Context());
        // The context redirects the Button class to the version 6 common controls.
        ACTCTX_SECTION_KEYED_DATA data{};
        data.cbSize = sizeof data;
        redirected = ::FindActCtxSectionStringW(FIND_ACTCTX_SECTION_KEY_RETURN_HACTCTX, nullptr,
                                                ACTIVATION_CONTEXT_SECTION_WINDOW_CLASS_REDIRECTION,
                                                L"Button", &data) &&
                     data.hActCtx == scope.Context();
        Release(data.hActCtx);
    }
    const HANDLE after = CurrentContext();
    EXPECT_TRUE(redirected);
    EXPECT_EQ(after, before) << "deactivated at the end of the scope";
    Release(before);
    Release(during);
    Release(after);
}

TEST(VisualStyles, ModuleWithoutAManifestActivatesNothing) {
    const HANDLE before = CurrentContext();
    HANDLE during = nullptr;
    {
        const VisualStylesScope scope(::GetModuleHandleW(L"kernel32.dll"));
        EXPECT_EQ(scope.Context(), INVALID_HANDLE_VALUE);
        during = CurrentContext();
    }
    EXPECT_EQ(during, before);
    Release(before);
    Release(during);
}

} // namespace
} // namespace tarvex::win
