#include "visual_styles.h"

#include <commctrl.h>

#include <initializer_list>

namespace tarvex::win {

HMODULE CurrentModule() noexcept {
    HMODULE module = nullptr;
    // The address of this very function names the module it was linked into.
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&CurrentModule), &module);
    return module;
}

VisualStylesScope::VisualStylesScope(HMODULE module) noexcept {
    if (!module)
        return;
    // A DLL carries its manifest as resource 2 (read by the loader for its own imports), a
    // program as resource 1.
    WORD resource = 0;
    for (const WORD id : {WORD{2}, WORD{1}}) {
        if (::FindResourceW(module, MAKEINTRESOURCEW(id), RT_MANIFEST)) {
            resource = id;
            break;
        }
    }
    if (resource == 0)
        return;
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return;

    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path;
    request.lpResourceName = MAKEINTRESOURCEW(resource);
    request.hModule = module;
    const HANDLE context = ::CreateActCtxW(&request);
    if (context == INVALID_HANDLE_VALUE)
        return;
    if (!::ActivateActCtx(context, &m_cookie)) {
        ::ReleaseActCtx(context);
        return;
    }
    m_context = context;
    // Registers the version 6 classes of the now active common controls, in case nothing in
    // the process has loaded them yet.
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&classes);
}

VisualStylesScope::~VisualStylesScope() {
    if (m_context != INVALID_HANDLE_VALUE) {
        ::DeactivateActCtx(0, m_cookie);
        ::ReleaseActCtx(m_context);
    }
}

} // namespace tarvex::win
