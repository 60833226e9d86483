#pragma once

// What the host draws from the pictures the add-in hands it: a canvas on which the end-to-end
// tests lay out the ribbon group and the command bar as Office shows them, saved as PNG for
// people to look at.

#include <windows.h>

#include <olectl.h>

#include <cstdint>
#include <ole2.h>
#include <optional>
#include <string>
#include <vector>

#include "host/win/handles.h"
#include "sim/office/office.h"

namespace tarvex::testing {

class HostSketch {
public:
    /// A canvas of `width` x `height` pixels filled with `background` (0xRRGGBB).
    HostSketch(int width, int height, std::uint32_t background);
    ~HostSketch();
    HostSketch(const HostSketch&) = delete;
    HostSketch& operator=(const HostSketch&) = delete;

    /// Draws the bitmap of `picture` with its top-left corner at (x, y), blending its alpha
    /// channel over the canvas as Office does. False when it is not a 32-bit bitmap.
    bool DrawPicture(IPicture* picture, int x, int y);
    /// Draws a face as the host shows it (no alpha: every pixel is opaque).
    void DrawFace(const sim::SimBitmap& face, int x, int y);
    /// Writes `text` with its top-left corner at (x, y) in the dialog font.
    void DrawText(const std::wstring& text, int x, int y, std::uint32_t colour = 0x000000);
    /// A one-pixel line from (x1, y1) to (x2, y2), end excluded.
    void DrawLine(int x1, int y1, int x2, int y2, std::uint32_t colour);
    /// The width `text` takes in the dialog font.
    int TextWidth(const std::wstring& text);

    /// Fills the rectangle `area` with `colour` (0xRRGGBB).
    void FillRect(const RECT& area, std::uint32_t colour);

    /// Saves the canvas (its top-left `width` x `height` pixels when given) as
    /// test-output/`name`.png; the path, or empty when it failed.
    std::string Save(const std::string& name, int width = -1, int height = -1);

private:
    std::uint32_t& At(int x, int y) { return m_bits[static_cast<std::size_t>(y) * m_width + x]; }

    int m_width;
    int m_height;
    win::UniqueHdc m_dc;
    win::UniqueHbitmap m_bitmap;
    std::uint32_t* m_bits = nullptr;
    HGDIOBJ m_previousBitmap = nullptr;
    HGDIOBJ m_previousFont = nullptr;
};

/// A control as the ribbon shows it, from what its get* callbacks answered.
struct ShownControl {
    std::wstring tag; // the element: "toggleButton", "button", "menu"...
    std::wstring label;
    std::wstring size; // "large" or "normal"; empty without getSize
    std::optional<bool> enabled;
    std::optional<bool> pressed;
    std::optional<bool> visible;
    win::ComPtr<IPicture> image;

    /// One line for comparisons: "toggleButton Track large enabled up image".
    std::wstring Summary() const;
};

/// Draws the group the way Office lays it out (large controls, a column of normal ones,
/// the group's label and launcher), with its menu dropped below its button when `menuOpen`,
/// from `controls` in document order (the group first, its menu's items after the menu, the
/// launcher last), and saves it as test-output/`name`.png. The path, or empty when it failed.
std::string SketchRibbonGroup(const std::wstring& tab, const std::vector<ShownControl>& controls,
                              bool menuOpen, const std::string& name);

/// A command bar button as Office shows it: its face (if any) and caption.
struct ShownButton {
    std::optional<sim::SimBitmap> face;
    std::wstring caption;
    bool popup = false;
};

/// A button's face as Office draws it from what the add-in gave it through real COM on a bar
/// of colour `background`: its Picture through its Mask (white mask pixels show the bar), or
/// the bitmap PasteFace took. Nothing for a face id or no face.
std::optional<sim::SimBitmap> FaceAsShown(const sim::ButtonFace& face, std::uint32_t background);

/// Draws a docked command bar with `buttons` and saves it as test-output/`name`.png.
std::string SketchCommandBar(const std::vector<ShownButton>& buttons, std::uint32_t background,
                             const std::string& name);

} // namespace tarvex::testing
