#include "desktop.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "base/error.h"
#include "base/form.h"
#include "base/text.h"
#include "host/win/form_dialog.h"
#include "host/win/handles.h"
#include "host/win/visual_styles.h"
#include "host/win/wide_text.h"

namespace tarvex::win {

namespace {

// The add-in's dialog owner: set at start-up completion, swapped around each dialog, cleared
// at shut-down. Atomic only because watcher threads of the tests read it.
std::atomic<host::WindowHandle> g_ownerWindow{0};

HWND ToHwnd(host::WindowHandle window) noexcept {
    return reinterpret_cast<HWND>(window);
}
host::WindowHandle FromHwnd(HWND window) noexcept {
    return reinterpret_cast<host::WindowHandle>(window);
}

// A destroyed owner would make the dialog or message box fail to appear at all; without an
// owner it still shows.
HWND UsableOwner() noexcept {
    const HWND owner = ToHwnd(g_ownerWindow.load());
    return owner && ::IsWindow(owner) ? owner : nullptr;
}

} // namespace

host::WindowHandle Win32Desktop::OwnerWindow() const {
    return g_ownerWindow.load();
}

void Win32Desktop::SetOwnerWindow(host::WindowHandle window) {
    g_ownerWindow.store(window);
}

host::WindowHandle Win32Desktop::ForegroundWindow() const {
    return FromHwnd(::GetForegroundWindow());
}

host::WindowHandle Win32Desktop::ActiveWindow() const {
    return FromHwnd(::GetActiveWindow());
}

int Win32Desktop::ShowModal(base::Form& form) {
    form.BeginModal();
    if (form.ModalResult() != base::modal_result::None)
        return form.ModalResult();
    const VisualStylesScope styles;
    return RunFormDialog(form, UsableOwner());
}

int Win32Desktop::ShowMessage(std::u16string_view text, std::u16string_view caption,
                              std::uint32_t style) {
    const std::u16string textZ(text);
    const std::u16string captionZ(caption);
    const VisualStylesScope styles;
    ::SetLastError(0);
    const int result = ::MessageBoxW(UsableOwner(), WideOf(textZ), WideOf(captionZ), style);
    if (result == 0) {
        const DWORD error = ::GetLastError();
        const base::HResult code = error ? base::FromWin32(error) : base::hr::Fail;
        throw base::Error(code, "Showing the message box '" + base::Utf16ToUtf8(caption) +
                                    "' failed (" + base::FormatHResult(code) + ")");
    }
    return result;
}

std::uint32_t Win32Desktop::RegisterMessage(std::u16string_view name) {
    const std::wstring text(name.begin(), name.end());
    const UINT message = ::RegisterWindowMessageW(text.c_str());
    if (message == 0)
        throw base::Error(base::FromWin32(::GetLastError()),
                          "Cannot register the window message " + base::Utf16ToUtf8(name));
    return message;
}

namespace {
// A hidden window whose procedure hands every message to the handler.
class HiddenWindow final : public host::MessageWindow {
public:
    explicit HiddenWindow(host::MessageWindowHandler handler)
        : m_handler(std::move(handler)) {}
    ~HiddenWindow() override {
        // Messages sent while the window is destroyed find no handler of a gone object.
        if (m_window)
            ::SetWindowLongPtrW(m_window.Get(), GWLP_USERDATA, 0);
    }
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;

    host::WindowHandle Handle() const noexcept override {
        return reinterpret_cast<host::WindowHandle>(m_window.Get());
    }

    void Create(const std::wstring& className, const std::wstring& caption) {
        m_window.Reset(::CreateWindowExW(WS_EX_TOOLWINDOW, className.c_str(), caption.c_str(),
                                         WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, CurrentModule(),
                                         nullptr));
        if (!m_window)
            throw base::Error(base::FromWin32(::GetLastError()), "Error creating window");
        ::SetWindowLongPtrW(m_window.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetWindowLongPtrW(m_window.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure));
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<HiddenWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && self->m_handler) {
            try {
                if (const std::optional<std::intptr_t> result =
                        self->m_handler(message, static_cast<std::uintptr_t>(wParam),
                                        static_cast<std::intptr_t>(lParam)))
                    return static_cast<LRESULT>(*result);
            } catch (...) {
                // Nothing may leave a window procedure; the message gets default processing.
            }
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    host::MessageWindowHandler m_handler;
    UniqueHwnd m_window;
};
} // namespace

std::unique_ptr<host::MessageWindow>
Win32Desktop::CreateMessageWindow(std::u16string_view className, std::u16string_view caption,
                                  host::MessageWindowHandler handler) {
    const std::wstring windowClass(className.begin(), className.end());
    WNDCLASSEXW known{};
    known.cbSize = sizeof known;
    if (!::GetClassInfoExW(CurrentModule(), windowClass.c_str(), &known)) {
        WNDCLASSEXW definition{};
        definition.cbSize = sizeof definition;
        definition.lpfnWndProc = ::DefWindowProcW;
        definition.hInstance = CurrentModule();
        definition.lpszClassName = windowClass.c_str();
        if (!::RegisterClassExW(&definition))
            throw base::Error(base::hr::OutOfMemory, "Error creating window class");
    }
    auto window = std::make_unique<HiddenWindow>(std::move(handler));
    window->Create(windowClass, ToWide(caption));
    return window;
}

namespace {
struct ClassSearch {
    std::wstring className;
    HWND found = nullptr;
};

BOOL CALLBACK TestThreadWindow(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<ClassSearch*>(context);
    wchar_t name[257] = {};
    const int length = ::GetClassNameW(window, name, 257);
    if (length > 0 && search.className.compare(0, std::wstring::npos, name, length) == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}
} // namespace

host::WindowHandle Win32Desktop::FindThreadWindow(std::u16string_view className) const {
    ClassSearch search{ToWide(className)};
    ::EnumThreadWindows(::GetCurrentThreadId(), TestThreadWindow,
                        reinterpret_cast<LPARAM>(&search));
    return reinterpret_cast<host::WindowHandle>(search.found);
}

} // namespace tarvex::win
