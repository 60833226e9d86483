#include "tests/win/dialog_watcher.h"

#include <chrono>
#include <vector>

namespace tarvex::testing {

namespace {

constexpr int kAppearTimeout = 15000;
constexpr int kAnswerTimeout = 10000;

// Ticks of a thread timer on the thread that shows the dialog. Windows hands out WM_TIMER
// only when no WM_PAINT is pending for the thread, so a tick means everything invalid has
// been painted.
std::atomic<unsigned> g_idleTicks{0};

void CALLBACK CountIdleTick(HWND, UINT, UINT_PTR, DWORD) {
    ++g_idleTicks;
}

struct Search {
    const std::wstring* windowClass;
    const std::wstring* text; // null: any text
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<Search*>(context);
    try {
        if (search.visibleOnly && !::IsWindowVisible(window))
            return TRUE;
        if (ClassOf(window) == *search.windowClass &&
            (!search.text || TextOf(window) == *search.text)) {
            search.found = window;
            return FALSE;
        }
    } catch (...) {
    }
    return TRUE;
}

HWND FindThreadWindow(DWORD thread, const std::wstring& windowClass, const std::wstring& text) {
    Search search{&windowClass, &text, true, nullptr};
    ::EnumThreadWindows(thread, &MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindAnyThreadWindow(DWORD thread, const std::wstring& windowClass) {
    Search search{&windowClass, nullptr, true, nullptr};
    ::EnumThreadWindows(thread, &MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

DesktopLock::DesktopLock()
    : m_mutex(::CreateMutexW(nullptr, FALSE, L"Local\\TarvexTestDesktop")) {
    // Well below CTest's time limit for one test; an abandoned lock (a crashed holder) is
    // taken over.
    const DWORD waited = m_mutex ? ::WaitForSingleObject(m_mutex.Get(), 90000) : WAIT_FAILED;
    m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

DesktopLock::~DesktopLock() {
    if (m_held)
        ::ReleaseMutex(m_mutex.Get());
}

bool WaitUntil(const std::function<bool()>& condition, int milliseconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        ::Sleep(10);
    }
}

std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                          SMTO_ABORTIFHUNG, 5000, &copied);
    text.resize(copied);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256];
    const int length = ::GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? length : 0);
}

HWND FindDescendant(HWND parent, const std::wstring& windowClass, const std::wstring& text) {
    Search search{&windowClass, &text, false, nullptr};
    ::EnumChildWindows(parent, &MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

RECT RectInClient(HWND control, HWND dialog) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus
                                                                                  : nullptr;
}

void PressKey(HWND window, UINT key) {
    const UINT scan = ::MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    ::PostMessageW(window, WM_KEYDOWN, key, 1 | (scan << 16));
    ::PostMessageW(window, WM_KEYUP, key, 1 | (scan << 16) | (3u << 30));
}

void ClickButton(HWND button) {
    ::PostMessageW(button, BM_CLICK, 0, 0);
}

DialogWatcher::DialogWatcher(std::wstring windowClass, std::wstring caption,
                             std::function<void(HWND dialog)> action)
    : m_class(std::move(windowClass))
    , m_caption(std::move(caption))
    , m_action(std::move(action))
    , m_thread(::GetCurrentThreadId())
    , m_timer(::SetTimer(nullptr, 0, 20, &CountIdleTick))
    , m_watcher([this] { Watch(); }) {}

DialogWatcher::~DialogWatcher() {
    Finish();
    if (m_timer)
        ::KillTimer(nullptr, m_timer);
    MSG message;
    while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void DialogWatcher::Finish() {
    m_returned = true;
    if (m_watcher.joinable())
        m_watcher.join();
}

bool DialogWatcher::WaitForPainted() const {
    // Two ticks: the first may have been queued before the last repaint was requested.
    const unsigned start = g_idleTicks;
    return m_timer && WaitUntil([&] { return g_idleTicks - start >= 2; }, kAnswerTimeout);
}

void DialogWatcher::Watch() {
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            dialog = FindThreadWindow(m_thread, m_class, m_caption);
            return dialog != nullptr || m_returned;
        },
        kAppearTimeout);
    if (dialog) {
        m_found = true;
        // An action that fails leaves the dialog open, which the steps below then close.
        try {
            m_action(dialog);
        } catch (...) {
        }
        if (WaitUntil([&] { return !::IsWindow(dialog) || m_returned; }, kAnswerTimeout))
            return;
        // The answer did not end the dialog: close it, and end the modal loop if even that
        // fails, so that the test reports the fault instead of hanging.
        m_forced = true;
        ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (WaitUntil([&] { return !::IsWindow(dialog) || m_returned; }, kAnswerTimeout))
            return;
    } else if (m_returned) {
        return;
    } else {
        // Some other dialog may be up instead: close every dialog of the thread.
        m_forced = true;
        const std::wstring dialogClass = L"#32770";
        for (int i = 0; i < 10; ++i) {
            const HWND other = FindAnyThreadWindow(m_thread, dialogClass);
            if (!other)
                break;
            ::PostMessageW(other, WM_SYSCOMMAND, SC_CLOSE, 0);
            WaitUntil([&] { return !::IsWindow(other) || m_returned; }, 2000);
        }
        if (WaitUntil([&] { return m_returned.load(); }, 2000))
            return;
    }
    m_forced = true;
    ::PostThreadMessageW(m_thread, WM_QUIT, 0, 0);
}

} // namespace tarvex::testing
