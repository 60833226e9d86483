#include "tests/win/window_capture.h"

#include "host/win/handles.h"
#include "tests/support/png_writer.h"

namespace tarvex::testing {

namespace {
void ReleaseScreenDc(HDC dc) noexcept {
    ::ReleaseDC(nullptr, dc);
}
using ScreenDc = win::UniqueHandle<win::traits::NullInvalid<HDC, ReleaseScreenDc>>;
} // namespace

std::uint32_t Capture::Pixel(int x, int y) const {
    const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
    return (std::uint32_t{rgb.at(at)} << 16) | (std::uint32_t{rgb.at(at + 1)} << 8) |
           rgb.at(at + 2);
}

bool Capture::AnyPixelOtherThan(const RECT& area, std::uint32_t colour) const {
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (Pixel(x, y) != colour)
                return true;
        }
    }
    return false;
}

Capture CaptureWindow(HWND window) {
    RECT frame{};
    if (!::GetWindowRect(window, &frame))
        return {};
    Capture capture;
    capture.width = frame.right - frame.left;
    capture.height = frame.bottom - frame.top;
    if (capture.width <= 0 || capture.height <= 0)
        return {};

    const ScreenDc screen(::GetDC(nullptr));
    if (!screen)
        return {};
    win::UniqueHdc memory(::CreateCompatibleDC(screen.Get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::UniqueHbitmap bitmap(
        ::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bool copied = false;
    if (memory && bitmap) {
        const HGDIOBJ previous = ::SelectObject(memory.Get(), bitmap.Get());
        copied = ::BitBlt(memory.Get(), 0, 0, capture.width, capture.height, screen.Get(),
                          frame.left, frame.top, SRCCOPY | CAPTUREBLT) != FALSE;
        ::GdiFlush();
        ::SelectObject(memory.Get(), previous);
    }
    if (!copied)
        return {};

    // The DIB holds blue, green, red and an unused byte per pixel.
    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    const std::size_t count = static_cast<std::size_t>(capture.width) * capture.height;
    capture.rgb.resize(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        capture.rgb[i * 3] = pixels[i * 4 + 2];
        capture.rgb[i * 3 + 1] = pixels[i * 4 + 1];
        capture.rgb[i * 3 + 2] = pixels[i * 4];
    }
    return capture;
}

bool Unobscured(HWND window) {
    RECT client{};
    if (!::GetClientRect(window, &client))
        return false;
    ::MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    for (int y = client.top; y < client.bottom; y += 8) {
        for (int x = client.left; x < client.right; x += 8) {
            const HWND shown = ::WindowFromPoint({x, y});
            if (shown != window && !::IsChild(window, shown))
                return false;
        }
    }
    return true;
}

Capture CaptureSettledWindow(HWND window) {
    // The test display runs no window manager, so Wine never hands a test's window the input
    // focus and draws every caption as inactive; the window is drawn as the user sees the
    // dialog in front of them, with its caption active.
    ::SendMessageW(window, WM_NCACTIVATE, TRUE, 0);
    for (int attempt = 0; !Unobscured(window); ++attempt) {
        if (attempt == 750)
            return {};
        ::Sleep(20);
    }
    Capture previous = CaptureWindow(window);
    for (int attempt = 0; attempt < 50; ++attempt) {
        ::Sleep(20);
        Capture next = CaptureWindow(window);
        if (next.width == previous.width && next.height == previous.height &&
            next.rgb == previous.rgb)
            return next;
        previous = std::move(next);
    }
    return previous;
}

std::string SaveCapture(const Capture& capture, const std::string& name) {
    if (capture.rgb.empty())
        return {};
    ::CreateDirectoryW(L"test-output", nullptr);
    const std::string path = "test-output/" + name + ".png";
    return WritePng(path, capture.width, capture.height, capture.rgb) ? path : std::string();
}

} // namespace tarvex::testing
