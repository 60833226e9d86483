#include "host/win/resources.h"

#include <span>

#include "base/dib.h"
#include "base/error.h"
#include "base/text.h"
#include "host/win/wide_text.h"

namespace tarvex::win {

std::u16string LoadStringResource(HMODULE module, unsigned id) {
    // With a buffer size of 0 LoadStringW hands out a pointer to the text in the resource
    // itself, which carries its length and no terminating zero.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
    if (length <= 0 || !text)
        return {};
    return FromWide(text, static_cast<std::size_t>(length));
}

base::Bitmap LoadBitmapResource(HMODULE module, std::u16string_view name) {
    const std::wstring wide(name.begin(), name.end());
    HRSRC found = ::FindResourceW(module, wide.c_str(), RT_BITMAP);
    if (!found) {
        const DWORD error = ::GetLastError();
        throw base::Error(base::FromWin32(error ? error : ERROR_RESOURCE_NAME_NOT_FOUND),
                          "No bitmap resource " + base::Utf16ToUtf8(name));
    }
    HGLOBAL loaded = ::LoadResource(module, found);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = ::SizeofResource(module, found);
    if (!data || size == 0)
        throw base::Error(base::hr::Fail, "Cannot read bitmap resource " + base::Utf16ToUtf8(name));
    // A bitmap resource is a packed DIB: the .bmp file without its file header.
    return base::ParsePackedDib(std::span(static_cast<const std::uint8_t*>(data), size));
}

} // namespace tarvex::win
