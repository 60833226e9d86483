#include "tests/e2e/host_sketch.h"

#include <algorithm>
#include <vector>

#include "tests/win/bitmap_pixels.h"
#include "tests/win/window_capture.h"

namespace tarvex::testing {

namespace {

COLORREF ToColorRef(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// One channel of `over` blended onto `under` with coverage `alpha` (0-255).
std::uint32_t Blend(std::uint32_t under, std::uint32_t over, std::uint32_t alpha) {
    return (over * alpha + under * (255 - alpha) + 127) / 255;
}

} // namespace

HostSketch::HostSketch(int width, int height, std::uint32_t background)
    : m_width(width)
    , m_height(height)
    , m_dc(::CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap.Reset(::CreateDIBSection(m_dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!m_dc || !m_bitmap)
        return;
    m_bits = static_cast<std::uint32_t*>(bits);
    std::fill_n(m_bits, static_cast<std::size_t>(width) * height, background & 0xFFFFFF);
    m_previousBitmap = ::SelectObject(m_dc.Get(), m_bitmap.Get());
    m_previousFont = ::SelectObject(m_dc.Get(), ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(m_dc.Get(), TRANSPARENT);
}

HostSketch::~HostSketch() {
    if (m_previousBitmap) {
        ::SelectObject(m_dc.Get(), m_previousFont);
        ::SelectObject(m_dc.Get(), m_previousBitmap);
    }
}

bool HostSketch::DrawPicture(IPicture* picture, int x, int y) {
    OLE_HANDLE handle = 0;
    if (!m_bits || !picture || FAILED(picture->get_Handle(&handle)))
        return false;
    DIBSECTION section{};
    if (::GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof section,
                     &section) != static_cast<int>(sizeof section) ||
        section.dsBm.bmBitsPixel != 32 || !section.dsBm.bmBits)
        return false;
    ::GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(section.dsBm.bmBits);
    const int width = section.dsBm.bmWidth;
    const int height = section.dsBm.bmHeight;
    const bool topDown = section.dsBmih.biHeight < 0;
    for (int row = 0; row < height && y + row < m_height; ++row) {
        const int sourceRow = topDown ? row : height - 1 - row;
        for (int column = 0; column < width && x + column < m_width; ++column) {
            const std::uint32_t pixel =
                source[static_cast<std::size_t>(sourceRow) * width + column];
            const std::uint32_t alpha = pixel >> 24;
            std::uint32_t& under = At(x + column, y + row);
            std::uint32_t blended = 0;
            for (int shift : {16, 8, 0})
                blended |= Blend((under >> shift) & 0xFF, (pixel >> shift) & 0xFF, alpha) << shift;
            under = blended;
        }
    }
    return true;
}

void HostSketch::DrawFace(const sim::SimBitmap& face, int x, int y) {
    if (!m_bits)
        return;
    ::GdiFlush();
    for (int row = 0; row < face.height && y + row < m_height; ++row)
        for (int column = 0; column < face.width && x + column < m_width; ++column)
            At(x + column, y + row) =
                face.pixels[static_cast<std::size_t>(row) * face.width + column] & 0xFFFFFF;
}

void HostSketch::DrawText(const std::wstring& text, int x, int y, std::uint32_t colour) {
    ::SetTextColor(m_dc.Get(), ToColorRef(colour));
    ::TextOutW(m_dc.Get(), x, y, text.c_str(), static_cast<int>(text.size()));
}

void HostSketch::DrawLine(int x1, int y1, int x2, int y2, std::uint32_t colour) {
    const win::UniqueGdiObject<HPEN> pen(::CreatePen(PS_SOLID, 1, ToColorRef(colour)));
    const HGDIOBJ previous = ::SelectObject(m_dc.Get(), pen.Get());
    ::MoveToEx(m_dc.Get(), x1, y1, nullptr);
    ::LineTo(m_dc.Get(), x2, y2);
    ::SelectObject(m_dc.Get(), previous);
}

int HostSketch::TextWidth(const std::wstring& text) {
    SIZE size{};
    ::GetTextExtentPoint32W(m_dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

void HostSketch::FillRect(const RECT& area, std::uint32_t colour) {
    if (!m_bits)
        return;
    ::GdiFlush();
    for (int y = std::max(0L, area.top); y < std::min<LONG>(area.bottom, m_height); ++y)
        for (int x = std::max(0L, area.left); x < std::min<LONG>(area.right, m_width); ++x)
            At(x, y) = colour & 0xFFFFFF;
}

std::string HostSketch::Save(const std::string& name, int width, int height) {
    if (!m_bits)
        return {};
    ::GdiFlush();
    Capture capture;
    capture.width = width < 0 ? m_width : std::min(width, m_width);
    capture.height = height < 0 ? m_height : std::min(height, m_height);
    capture.rgb.reserve(static_cast<std::size_t>(capture.width) * capture.height * 3);
    for (int y = 0; y < capture.height; ++y) {
        for (int x = 0; x < capture.width; ++x) {
            const std::uint32_t pixel = At(x, y);
            capture.rgb.push_back(static_cast<std::uint8_t>(pixel >> 16));
            capture.rgb.push_back(static_cast<std::uint8_t>(pixel >> 8));
            capture.rgb.push_back(static_cast<std::uint8_t>(pixel));
        }
    }
    return SaveCapture(capture, name);
}

std::wstring ShownControl::Summary() const {
    std::wstring line = tag;
    if (!label.empty())
        line += L" " + label;
    if (!size.empty())
        line += L" " + size;
    if (enabled)
        line += *enabled ? L" enabled" : L" disabled";
    if (pressed)
        line += *pressed ? L" pressed" : L" up";
    if (visible && !*visible)
        line += L" hidden";
    if (image)
        line += L" image";
    return line;
}

namespace {

constexpr std::uint32_t kRibbonBackground = 0xF3F3F3;
constexpr std::uint32_t kRibbonLines = 0xC8C8C8;
constexpr std::uint32_t kDisabledText = 0x9A9A9A;

// The small down-pointing triangle of a menu.
void DrawDropArrow(HostSketch& sketch, int x, int y) {
    for (int row = 0; row < 3; ++row)
        sketch.DrawLine(x + row, y + row, x + 5 - row, y + row, 0x444444);
}

std::uint32_t TextColour(const ShownControl& control) {
    return control.enabled.value_or(true) ? 0x262626 : kDisabledText;
}

} // namespace

std::string SketchRibbonGroup(const std::wstring& tab, const std::vector<ShownControl>& controls,
                              bool menuOpen, const std::string& name) {
    constexpr int kWidth = 340, kHeight = 380, kTop = 34, kRow = 24, kGroupBottom = 150;
    constexpr int kMenuWidth = 236;
    HostSketch sketch(kWidth, kHeight, kRibbonBackground);
    sketch.DrawText(tab, 12, 6);
    sketch.DrawLine(8, 26, kWidth - 8, 26, kRibbonLines);

    std::wstring groupLabel;
    int x = 10;
    int column = -1; // x of the column of normal controls being filled, -1 when none
    int row = 0;
    bool inMenu = false, launcher = false;
    POINT menuAt{};
    std::vector<const ShownControl*> menuItems;
    for (const ShownControl& control : controls) {
        if (control.visible && !*control.visible)
            continue;
        if (control.tag == L"group") {
            groupLabel = control.label;
        } else if (inMenu && (control.tag == L"menuSeparator" || !control.label.empty())) {
            menuItems.push_back(&control);
        } else if (control.label.empty()) {
            launcher = true; // the dialog box launcher's button: no label of its own
            inMenu = false;
        } else if (control.size == L"large") {
            const int width = std::max(44, sketch.TextWidth(control.label) + 12);
            if (control.image)
                sketch.DrawPicture(control.image.Get(), x + (width - 32) / 2, kTop);
            sketch.DrawText(control.label, x + (width - sketch.TextWidth(control.label)) / 2,
                            kTop + 40, TextColour(control));
            if (control.pressed.value_or(false))
                sketch.DrawLine(x, kTop + 60, x + width, kTop + 60, 0x2B579A);
            x += width + 6;
            column = -1;
        } else {
            if (column < 0 || row == 3) {
                column = x;
                row = 0;
            }
            const int y = kTop + row * kRow;
            if (control.image)
                sketch.DrawPicture(control.image.Get(), column, y + 2);
            sketch.DrawText(control.label, column + 22, y + 3, TextColour(control));
            const int width = 22 + sketch.TextWidth(control.label);
            if (control.tag == L"menu") {
                DrawDropArrow(sketch, column + width + 5, y + 10);
                inMenu = true;
                menuAt = {column, y + kRow};
                menuItems.clear();
            }
            x = std::max(x, column + width + 16);
            ++row;
        }
    }
    // The group's frame, its label along the bottom, the launcher in the corner.
    const int right = std::max(x, 120);
    sketch.DrawLine(right, kTop - 4, right, kGroupBottom, kRibbonLines);
    sketch.DrawText(groupLabel, (right - sketch.TextWidth(groupLabel)) / 2, kGroupBottom - 18,
                    0x5A5A5A);
    if (launcher) {
        const int corner = right - 12;
        sketch.DrawLine(corner, kGroupBottom - 12, corner + 8, kGroupBottom - 12, 0x5A5A5A);
        sketch.DrawLine(corner, kGroupBottom - 12, corner, kGroupBottom - 4, 0x5A5A5A);
        sketch.DrawLine(corner + 2, kGroupBottom - 10, corner + 8, kGroupBottom - 4, 0x5A5A5A);
    }
    if (!menuOpen)
        return sketch.Save(name, right + 24, kGroupBottom + 8);

    // The menu dropped below its button, over the group, as a user who opened it sees it.
    const int left = menuAt.x, top = menuAt.y;
    const int bottom = top + static_cast<int>(menuItems.size()) * kRow + 4;
    sketch.FillRect({left, top, left + kMenuWidth, bottom}, 0xFCFCFC);
    sketch.DrawLine(left, top, left + kMenuWidth, top, kRibbonLines);
    sketch.DrawLine(left, bottom, left + kMenuWidth, bottom, kRibbonLines);
    sketch.DrawLine(left, top, left, bottom, kRibbonLines);
    sketch.DrawLine(left + kMenuWidth, top, left + kMenuWidth, bottom + 1, kRibbonLines);
    int y = top + 2;
    for (const ShownControl* item : menuItems) {
        if (item->tag == L"menuSeparator") {
            sketch.DrawLine(left + 28, y + kRow / 2, left + kMenuWidth - 4, y + kRow / 2,
                            kRibbonLines);
        } else {
            if (item->image)
                sketch.DrawPicture(item->image.Get(), left + 6, y + 4);
            sketch.DrawText(item->label, left + 30, y + 5, TextColour(*item));
        }
        y += kRow;
    }
    return sketch.Save(name, std::max(right + 24, left + kMenuWidth + 12), bottom + 12);
}

std::optional<sim::SimBitmap> FaceAsShown(const sim::ButtonFace& face, std::uint32_t background) {
    if (face.source == sim::ButtonFace::Source::Clipboard)
        return face.pasted;
    if (face.source != sim::ButtonFace::Source::Picture)
        return std::nullopt;
    const auto pixelsOf = [](const host::Ref<host::Dispatch>& object) {
        OLE_HANDLE handle = 0;
        const win::ComPtr<IPicture> picture = win::testing::PictureOf(object);
        if (!picture || FAILED(picture->get_Handle(&handle)))
            return base::Bitmap{};
        return win::testing::PixelsOf(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)));
    };
    const base::Bitmap picture = pixelsOf(face.picture);
    if (picture.pixels.empty())
        return std::nullopt;
    const base::Bitmap mask = pixelsOf(face.mask);
    return sim::ThroughMask(picture, mask.pixels.empty() ? nullptr : &mask, background);
}

std::string SketchCommandBar(const std::vector<ShownButton>& buttons, std::uint32_t background,
                             const std::string& name) {
    HostSketch measure(1, 1, background);
    int width = 12;
    for (const ShownButton& button : buttons)
        width += (button.face ? button.face->width + 4 : 0) + measure.TextWidth(button.caption) +
                 (button.popup ? 12 : 0) + 14;
    HostSketch sketch(width, 28, background);
    // The bar's grip, then each button.
    for (int y = 6; y < 22; y += 3)
        sketch.DrawLine(4, y, 7, y, 0x808080);
    int x = 12;
    for (const ShownButton& button : buttons) {
        if (button.face) {
            sketch.DrawFace(*button.face, x, (28 - button.face->height) / 2);
            x += button.face->width + 4;
        }
        sketch.DrawText(button.caption, x, 7);
        x += sketch.TextWidth(button.caption);
        if (button.popup) {
            DrawDropArrow(sketch, x + 4, 12);
            x += 12;
        }
        x += 14;
    }
    return sketch.Save(name);
}

} // namespace tarvex::testing
