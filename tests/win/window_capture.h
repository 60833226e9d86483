#pragma once

// Screenshots for the Windows tests: a window's pixels as the screen shows them (frame
// included), saved as PNG under test-output/ in the working directory.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tarvex::testing {

/// An RGB image, 3 bytes per pixel, rows top to bottom.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    /// The pixel at (x, y) as 0xRRGGBB.
    std::uint32_t Pixel(int x, int y) const;
    /// Whether any pixel of the rectangle [left, right) x [top, bottom) differs from `colour`.
    bool AnyPixelOtherThan(const RECT& area, std::uint32_t colour) const;
};

/// The screen's pixels under `window` (its whole window rectangle, frame included); an
/// empty capture when the screen cannot be read.
Capture CaptureWindow(HWND window);

/// Whether every point of `window`'s client area shows `window` or one of its children, not
/// another window on top of it (test programs running side by side share one display). The
/// frame is left out: without a window manager Wine leaves it to the desktop window.
bool Unobscured(HWND window);

/// As CaptureWindow, once nothing covers the window and two captures in a row agree (the
/// display may still be catching up with what was just painted). Waits a bounded time; an
/// empty capture when the window stays covered or the screen cannot be read.
Capture CaptureSettledWindow(HWND window);

/// Writes `capture` to test-output/`name`.png (creating the folder) and returns the path,
/// or an empty string when it cannot be written.
std::string SaveCapture(const Capture& capture, const std::string& name);

} // namespace tarvex::testing
