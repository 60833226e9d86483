#pragma once

// Answering real modal dialogs in tests: a watcher thread waits for the dialog to appear,
// looks at it and answers it by posting the messages a user's keys and clicks would cause,
// while the test's own thread sits in the dialog's modal loop. Every wait is bounded: a
// dialog that never appears fails the test, and one that does not go away is closed, and
// as a last resort the modal loop is ended with WM_QUIT.

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "host/win/handles.h"

namespace tarvex::testing {

/// Holds the test display's desktop for one test. Test programs run side by side share one
/// display: a window of one would take the activation, and with it the keyboard focus, from
/// the dialog another is driving. Tests that show real windows hold this lock (a mutex named
/// in the Wine prefix) for their whole run, so they take turns across processes.
class DesktopLock {
public:
    DesktopLock();
    ~DesktopLock();
    DesktopLock(const DesktopLock&) = delete;
    DesktopLock& operator=(const DesktopLock&) = delete;

    /// Whether the lock was obtained within the bounded wait.
    bool Held() const noexcept { return m_held; }

private:
    win::UniqueKernelHandle m_mutex;
    bool m_held = false;
};

/// Polls `condition` every few milliseconds for at most `milliseconds`; true once it holds.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 10000);

/// The text of a window (WM_GETTEXT, also across threads).
std::wstring TextOf(HWND window);
/// The class name of a window.
std::wstring ClassOf(HWND window);
/// The first descendant of `parent` with class `windowClass` and text `text`, or null.
HWND FindDescendant(HWND parent, const std::wstring& windowClass, const std::wstring& text);
/// The window rectangle of `control` in the client coordinates of `dialog`.
RECT RectInClient(HWND control, HWND dialog);
/// The window with the keyboard focus in the thread of `window`.
HWND FocusOf(HWND window);
/// Posts a key press (down and up) of `key` to `window`, as the keyboard would.
void PressKey(HWND window, UINT key);
/// Posts a mouse click to the button `button`.
void ClickButton(HWND button);

/// Waits on a thread of its own for a visible top-level window of the creating thread with
/// class `windowClass` and caption `caption`, then runs `action` with it on that thread. The
/// creating thread must be the one that shows the dialog.
class DialogWatcher {
public:
    DialogWatcher(std::wstring windowClass, std::wstring caption,
                  std::function<void(HWND dialog)> action);
    /// Stops watching (see Finish) and drains a WM_QUIT the watcher may have posted.
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    /// Tells the watcher that the modal call has returned and waits for it to end.
    void Finish();

    /// Waits, from the action, until the watched thread's message loop has gone idle with
    /// nothing left to paint, so that the screen shows the dialog fully drawn. False when it
    /// does not go idle within the bounded wait.
    bool WaitForPainted() const;

    /// Whether the dialog appeared.
    bool Found() const noexcept { return m_found; }
    /// Whether the watcher had to close the dialog itself because the action's answer did
    /// not end it.
    bool Forced() const noexcept { return m_forced; }

private:
    void Watch();

    std::wstring m_class;
    std::wstring m_caption;
    std::function<void(HWND)> m_action;
    DWORD m_thread;
    UINT_PTR m_timer = 0;
    std::atomic<bool> m_returned{false};
    std::atomic<bool> m_found{false};
    std::atomic<bool> m_forced{false};
    std::thread m_watcher;
};

} // namespace tarvex::testing
