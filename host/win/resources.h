#pragma once

// Resources of a module: its strings and its bitmaps, read into the portable types (UTF-16
// text, base::Bitmap).

#include <windows.h>

#include <string>
#include <string_view>

#include "base/bitmap.h"

namespace tarvex::win {

/// The string resource `id` of `module`; empty when there is none.
std::u16string LoadStringResource(HMODULE module, unsigned id);

/// The bitmap resource `name` of `module` (an uncompressed 24- or 32-bit DIB). Throws
/// Error when there is none or it cannot be read.
base::Bitmap LoadBitmapResource(HMODULE module, std::u16string_view name);

} // namespace tarvex::win
