#include "thread_windows.h"

#include <exception>

namespace tarvex::win {

namespace {

struct Collection {
    std::vector<HWND> windows;
    std::exception_ptr failure;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    auto& collection = *reinterpret_cast<Collection*>(context);
    try {
        if (::IsWindowVisible(window) && ::IsWindowEnabled(window))
            collection.windows.push_back(window);
        return TRUE;
    } catch (...) {
        collection.failure = std::current_exception();
        return FALSE;
    }
}

} // namespace

DisabledThreadWindows::DisabledThreadWindows() {
    Collection collection;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectWindow,
                        reinterpret_cast<LPARAM>(&collection));
    if (collection.failure)
        std::rethrow_exception(collection.failure);
    m_windows = std::move(collection.windows);
    for (const HWND window : m_windows)
        ::EnableWindow(window, FALSE);
}

void DisabledThreadWindows::Restore() noexcept {
    for (const HWND window : m_windows) {
        if (::IsWindow(window))
            ::EnableWindow(window, TRUE);
    }
    m_windows.clear();
}

} // namespace tarvex::win
