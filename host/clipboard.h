#pragma once

// The clipboard seam: one open session of the system clipboard, and what the standard
// formats hold. A session is what Desktop::OpenClipboard hands out; the clipboard is closed
// when the session ends.

#include <cstdint>
#include <optional>
#include <vector>

#include "base/bitmap.h"

namespace tarvex::host {

/// Standard clipboard formats, with the numbers of the Windows API.
namespace clipboard_format {
inline constexpr std::uint32_t Text = 1;
inline constexpr std::uint32_t Bitmap = 2;
inline constexpr std::uint32_t MetafilePicture = 3;
inline constexpr std::uint32_t Palette = 9;
inline constexpr std::uint32_t UnicodeText = 13;
inline constexpr std::uint32_t EnhancedMetafile = 14;
inline constexpr std::uint32_t DisplayBitmap = 0x82;
inline constexpr std::uint32_t DisplayMetafilePicture = 0x83;
inline constexpr std::uint32_t DisplayEnhancedMetafile = 0x8E;
/// The range of private formats whose data are GDI objects (CF_GDIOBJFIRST..LAST).
inline constexpr std::uint32_t GdiObjectFirst = 0x300;
inline constexpr std::uint32_t GdiObjectLast = 0x3FF;
} // namespace clipboard_format

/// Whether the data of `format` is a GDI handle rather than a global memory block: a bitmap,
/// a palette, a metafile (or the handle-carrying metafile picture), their display variants,
/// and the private GDI range. Reading such data as memory corrupts it or crashes.
constexpr bool IsGdiClipboardFormat(std::uint32_t format) noexcept {
    namespace f = clipboard_format;
    switch (format) {
    case f::Bitmap:
    case f::MetafilePicture:
    case f::Palette:
    case f::EnhancedMetafile:
    case f::DisplayBitmap:
    case f::DisplayMetafilePicture:
    case f::DisplayEnhancedMetafile:
        return true;
    default:
        return format >= f::GdiObjectFirst && format <= f::GdiObjectLast;
    }
}

/// The clipboard while this program has it open. Every member throws Error when the system
/// refuses the operation.
class ClipboardSession {
public:
    /// Closes the clipboard.
    virtual ~ClipboardSession() = default;

    /// The formats on the clipboard, in the order the system lists them.
    virtual std::vector<std::uint32_t> Formats() = 0;
    /// A copy of the global memory block that holds `format`; nothing when the format is
    /// not there, holds no memory (see IsGdiClipboardFormat) or its block is empty.
    virtual std::optional<std::vector<std::uint8_t>> Data(std::uint32_t format) = 0;
    /// Empties the clipboard and makes the session's window its owner; a session opened for
    /// no window leaves the clipboard without an owner.
    virtual void Empty() = 0;
    /// Puts a new movable, shareable memory block with `bytes` on the clipboard as `format`
    /// (which must not be a GDI format). Only the owner's session can: the system refuses
    /// data while the clipboard has another owner or none.
    virtual void SetData(std::uint32_t format, const std::vector<std::uint8_t>& bytes) = 0;
    /// Puts `bitmap` on the clipboard as a device-dependent bitmap (format 2), without its
    /// transparency; refused as SetData is.
    virtual void SetBitmap(const base::Bitmap& bitmap) = 0;
};

} // namespace tarvex::host
