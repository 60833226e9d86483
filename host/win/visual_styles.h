#pragma once

// Office loads the add-in into a process whose default activation context may predate
// visual styles. The add-in's windows get them from the common controls 6 manifest
// embedded in its own module, activated around each dialog and message box.

#include <windows.h>

namespace tarvex::win {

/// The module that holds this code: qorvel.dll in the product, a test program in the tests.
HMODULE CurrentModule() noexcept;

/// Activates, for its lifetime on the calling thread, an activation context made from the
/// manifest resource (id 2, else 1) of `module`, so that windows created meanwhile are the
/// common controls 6 ones. Without a usable manifest it activates nothing: the windows then
/// look as the process's default context says.
class VisualStylesScope {
public:
    explicit VisualStylesScope(HMODULE module = CurrentModule()) noexcept;
    ~VisualStylesScope();
    VisualStylesScope(const VisualStylesScope&) = delete;
    VisualStylesScope& operator=(const VisualStylesScope&) = delete;

    /// The activated context, or INVALID_HANDLE_VALUE when nothing was activated.
    HANDLE Context() const noexcept { return m_context; }

private:
    HANDLE m_context = INVALID_HANDLE_VALUE;
    ULONG_PTR m_cookie = 0;
};

} // namespace tarvex::win
