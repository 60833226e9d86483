#pragma once

// The add-in's button and ribbon images: Track (24 x 24 on the ribbon, 16 x 16 elsewhere),
// Options, the support e-mail and Help. Each is a 24-bit bitmap drawn on magenta, its
// bottom-left pixel magenta, so that Office draws the magenta transparent.

#include <string_view>

#include "base/bitmap.h"

namespace tarvex::addin {

enum class GlyphId { Track16, Track24, Options16, Email16, Help16 };

/// Every image, in a fixed order.
inline constexpr GlyphId kAllGlyphs[] = {GlyphId::Track16, GlyphId::Track24, GlyphId::Options16,
                                         GlyphId::Email16, GlyphId::Help16};

/// The name of the image's bitmap resource in the DLL ("TRACK16"...).
std::string_view GlyphResourceName(GlyphId id) noexcept;

/// The image as the native build carries it.
base::Bitmap BuiltInGlyph(GlyphId id);

} // namespace tarvex::addin
