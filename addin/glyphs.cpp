#include "addin/glyphs.h"

#include <span>

#include "addin/glyph_data.h"

namespace tarvex::addin {

namespace {

struct GlyphEntry {
    std::string_view resourceName;
    int size;
    std::span<const std::uint32_t> pixels;
};

GlyphEntry Entry(GlyphId id) noexcept {
    switch (id) {
    case GlyphId::Track16:
        return {"TRACK16", 16, glyph_data::Track16};
    case GlyphId::Track24:
        return {"TRACK24", 24, glyph_data::Track24};
    case GlyphId::Options16:
        return {"OPTIONS16", 16, glyph_data::Options16};
    case GlyphId::Email16:
        return {"EMAIL16", 16, glyph_data::Email16};
    case GlyphId::Help16:
        break;
    }
    return {"HELP16", 16, glyph_data::Help16};
}

} // namespace

std::string_view GlyphResourceName(GlyphId id) noexcept {
    return Entry(id).resourceName;
}

base::Bitmap BuiltInGlyph(GlyphId id) {
    const GlyphEntry entry = Entry(id);
    base::Bitmap bitmap;
    bitmap.width = entry.size;
    bitmap.height = entry.size;
    bitmap.bitsPerPixel = 24;
    bitmap.pixels.assign(entry.pixels.begin(), entry.pixels.end());
    return bitmap;
}

} // namespace tarvex::addin
