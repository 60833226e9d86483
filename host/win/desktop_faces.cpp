// The parts of Win32Desktop that button faces need: OLE pictures made from bitmaps, the
// button-face colour and the real clipboard.

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/error.h"
#include "host/win/desktop.h"
#include "host/win/gdi_pictures.h"
#include "host/win/handles.h"

namespace tarvex::win {

namespace {

constexpr int kOpenAttempts = 101;
constexpr DWORD kOpenRetryMilliseconds = 10;
constexpr const char* kPictureFailure = "Cannot create the picture of a button face";

// The screen's device context for as long as a bitmap is being made.
class ScreenDc {
public:
    ScreenDc()
        : m_dc(::GetDC(nullptr)) {
        if (!m_dc)
            ThrowLastError("Cannot reach the screen's device context");
    }
    ~ScreenDc() { ::ReleaseDC(nullptr, m_dc); }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const noexcept { return m_dc; }

private:
    HDC m_dc;
};

// A device-dependent bitmap (compatible with the screen) with the bitmap's colours. The
// seam's pixels are 0xAARRGGBB, which is exactly a 32-bit BI_RGB pixel in memory; the alpha
// byte is cleared because a 24-bit glyph's top byte means nothing.
UniqueHbitmap DeviceBitmapOf(const base::Bitmap& bitmap) {
    RequirePixels(bitmap);
    std::vector<std::uint32_t> pixels(bitmap.pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = bitmap.pixels[i] & 0x00FFFFFF;
    const BITMAPINFO info = TopDown32(bitmap);
    const ScreenDc screen;
    UniqueHbitmap result(::CreateCompatibleBitmap(screen.Get(), bitmap.width, bitmap.height));
    if (!result)
        ThrowLastError("Cannot create a bitmap for a button face");
    if (::SetDIBits(screen.Get(), result.Get(), 0, static_cast<UINT>(bitmap.height), pixels.data(),
                    &info, DIB_RGB_COLORS) == 0)
        ThrowLastError("Cannot copy the pixels of a button face");
    return result;
}

// The clipboard opened by this thread; closed with the session.
class Win32ClipboardSession final : public host::ClipboardSession {
public:
    Win32ClipboardSession() = default;
    ~Win32ClipboardSession() override {
        if (m_open)
            ::CloseClipboard();
    }
    Win32ClipboardSession(const Win32ClipboardSession&) = delete;
    Win32ClipboardSession& operator=(const Win32ClipboardSession&) = delete;

    /// One attempt to open the clipboard for this session, associated with `owner`.
    bool TryOpen(HWND owner) noexcept {
        m_open = ::OpenClipboard(owner) != FALSE;
        return m_open;
    }

    std::vector<std::uint32_t> Formats() override {
        std::vector<std::uint32_t> formats;
        ::SetLastError(ERROR_SUCCESS);
        UINT format = 0;
        while ((format = ::EnumClipboardFormats(format)) != 0)
            formats.push_back(format);
        if (::GetLastError() != ERROR_SUCCESS)
            ThrowLastError("Cannot list the clipboard's formats");
        return formats;
    }

    std::optional<std::vector<std::uint8_t>> Data(std::uint32_t format) override {
        // A GDI format's data is a handle that no GlobalLock may touch.
        if (host::IsGdiClipboardFormat(format))
            return std::nullopt;
        HANDLE data = ::GetClipboardData(format);
        if (!data)
            return std::nullopt;
        const SIZE_T size = ::GlobalSize(data);
        if (size == 0)
            return std::nullopt;
        const void* source = ::GlobalLock(data);
        if (!source)
            return std::nullopt;
        std::vector<std::uint8_t> bytes(size);
        std::memcpy(bytes.data(), source, size);
        ::GlobalUnlock(data);
        return bytes;
    }

    void Empty() override {
        if (!::EmptyClipboard())
            ThrowLastError("Cannot empty the clipboard");
    }

    void SetData(std::uint32_t format, const std::vector<std::uint8_t>& bytes) override {
        if (host::IsGdiClipboardFormat(format))
            throw base::Error(base::hr::InvalidArg, "A GDI clipboard format holds no memory");
        UniqueHglobal block(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
        if (!block)
            ThrowLastError("Cannot allocate clipboard memory");
        if (!bytes.empty()) {
            void* target = ::GlobalLock(block.Get());
            if (!target)
                ThrowLastError("Cannot lock clipboard memory");
            std::memcpy(target, bytes.data(), bytes.size());
            ::GlobalUnlock(block.Get());
        }
        if (!::SetClipboardData(format, block.Get()))
            ThrowLastError("Cannot put data on the clipboard");
        // The clipboard owns the block now.
        [[maybe_unused]] const HGLOBAL given = block.Detach();
    }

    void SetBitmap(const base::Bitmap& bitmap) override {
        UniqueHbitmap device = DeviceBitmapOf(bitmap);
        if (!::SetClipboardData(CF_BITMAP, device.Get()))
            ThrowLastError("Cannot put a bitmap on the clipboard");
        [[maybe_unused]] const HBITMAP given = device.Detach();
    }

private:
    bool m_open = false;
};

} // namespace

host::Ref<host::Dispatch> Win32Desktop::CreatePicture(const base::Bitmap& bitmap) {
    return PictureOwning(DeviceBitmapOf(bitmap), kPictureFailure);
}

host::Ref<host::Dispatch> Win32Desktop::CreateMaskPicture(const base::Bitmap& bitmap) {
    return PictureOwning(MaskBitmapOf(bitmap, "Cannot create the mask of a button face"),
                         kPictureFailure);
}

std::uint32_t Win32Desktop::ButtonFaceColor() const {
    const COLORREF color = ::GetSysColor(COLOR_BTNFACE);
    return (static_cast<std::uint32_t>(GetRValue(color)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
}

std::unique_ptr<host::ClipboardSession> Win32Desktop::OpenClipboard(host::WindowHandle owner) {
    // The session exists before the clipboard opens, so nothing can fail between opening it
    // and handing over the duty to close it.
    auto session = std::make_unique<Win32ClipboardSession>();
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (attempt > 0)
            ::Sleep(kOpenRetryMilliseconds);
        if (session->TryOpen(reinterpret_cast<HWND>(owner)))
            return session;
    }
    return nullptr;
}

} // namespace tarvex::win
