#pragma once

// What button faces and ribbon images share on Windows: the checks and GDI bitmaps made
// from portable bitmaps (base::Bitmap), and OLE pictures that take over a bitmap or an icon.

#include <windows.h>

#include <string>

#include "base/bitmap.h"
#include "host/object.h"
#include "host/ref.h"
#include "host/win/handles.h"

namespace tarvex::win {

/// Throws base::Error with the thread's last Win32 error (E_FAIL when none is set).
[[noreturn]] void ThrowLastError(std::string what);

/// Throws base::Error(E_INVALIDARG) unless `bitmap` is non-empty with one pixel per point.
void RequirePixels(const base::Bitmap& bitmap);

/// The header of a top-down 32-bit BI_RGB bitmap of `bitmap`'s size.
BITMAPINFO TopDown32(const base::Bitmap& bitmap);

/// A monochrome bitmap of `bitmap`'s size: bit 1 (white) where the pixel has the transparent
/// colour. Throws base::Error with `failure` when GDI refuses it.
UniqueHbitmap MaskBitmapOf(const base::Bitmap& bitmap, std::string failure);

/// An IPictureDisp of `bitmap`, which it owns from then on. Throws base::Error with
/// `failure` (and `bitmap` is freed) when OLE refuses it.
host::Ref<host::Dispatch> PictureOwning(UniqueHbitmap bitmap, std::string failure);
/// An IPictureDisp of `icon`, which it owns from then on. Throws base::Error with `failure`
/// (and `icon` is destroyed) when OLE refuses it.
host::Ref<host::Dispatch> PictureOwning(UniqueHicon icon, std::string failure);

} // namespace tarvex::win
