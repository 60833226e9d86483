#pragma once

// While a modal dialog is up, the other windows of its thread must not take input: the
// user could otherwise edit cells behind the prompt. Windows disables only the dialog's
// owner, so the rest is done here.

#include <windows.h>

#include <vector>

namespace tarvex::win {

/// Disables every enabled, visible top-level window of the calling thread, and enables
/// exactly those again on Restore() or destruction (windows disabled before stay disabled).
class DisabledThreadWindows {
public:
    DisabledThreadWindows();
    ~DisabledThreadWindows() { Restore(); }
    DisabledThreadWindows(const DisabledThreadWindows&) = delete;
    DisabledThreadWindows& operator=(const DisabledThreadWindows&) = delete;

    /// Enables the windows disabled here that still exist; later calls do nothing.
    void Restore() noexcept;

    /// The windows disabled here (until Restore).
    const std::vector<HWND>& Windows() const noexcept { return m_windows; }

private:
    std::vector<HWND> m_windows;
};

} // namespace tarvex::win
