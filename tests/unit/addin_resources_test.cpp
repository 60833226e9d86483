// The add-in's images and the addresses of its Help menu links.

#include <gtest/gtest.h>
#include <set>
#include <string>

#include "addin/glyphs.h"
#include "addin/links.h"

namespace tarvex::addin {
namespace {

constexpr std::uint32_t kMagenta = 0xFF00FF;

TEST(Glyphs, AreSquareTwentyFourBitImagesOnMagentaWithSomethingDrawn) {
    std::set<std::vector<std::uint32_t>> distinct;
    for (const GlyphId id : kAllGlyphs) {
        const base::Bitmap glyph = BuiltInGlyph(id);
        SCOPED_TRACE(std::string(GlyphResourceName(id)));
        const int size = id == GlyphId::Track24 ? 24 : 16;
        ASSERT_EQ(glyph.width, size);
        ASSERT_EQ(glyph.height, size);
        EXPECT_EQ(glyph.bitsPerPixel, 24);
        ASSERT_EQ(glyph.pixels.size(), static_cast<std::size_t>(size * size));
        // Office takes the bottom-left pixel's colour as the transparent one.
        EXPECT_EQ(glyph.BottomLeft(), kMagenta);
        std::size_t drawn = 0;
        std::set<std::uint32_t> colours;
        for (const std::uint32_t pixel : glyph.pixels) {
            EXPECT_EQ(pixel & 0xFF000000u, 0u) << "a 24-bit image carries no alpha";
            drawn += pixel != kMagenta;
            colours.insert(pixel);
        }
        // Legible: a real picture covers a good part of its square, in several colours.
        EXPECT_GT(drawn, glyph.pixels.size() / 3);
        EXPECT_GE(colours.size(), 3u);
        distinct.insert(glyph.pixels);
    }
    EXPECT_EQ(distinct.size(), std::size(kAllGlyphs));
}

TEST(Links, WebPagesCarryTheReferralTagExceptTheFeatureSuggestion) {
    const std::string online = LinkAddress(Link::RequestSupportOnline);
    const std::size_t support = online.find("/support/?ref=");
    ASSERT_NE(support, std::string::npos);
    const std::string base = online.substr(0, support);
    const std::string tag = online.substr(support + std::string("/support/?ref=").size());
    EXPECT_TRUE(base.starts_with("http"));
    EXPECT_FALSE(tag.empty());
    EXPECT_EQ(LinkAddress(Link::AnonymousFeedback), base + "/support/afeedback.php?ref=" + tag);
    EXPECT_EQ(LinkAddress(Link::TellAFriend), base + "/support/tell-a-friend.php?ref=" + tag);
    EXPECT_EQ(LinkAddress(Link::SubscribeToNews), base + "/newsletter/?ref=" + tag);
    EXPECT_EQ(LinkAddress(Link::SuggestNewFeature), base + "/support/suggest-new-feature.php");
    const std::string mail = LinkAddress(Link::RequestSupportViaEmail);
    EXPECT_TRUE(mail.starts_with("mailto:"));
    EXPECT_NE(mail.find('@'), std::string::npos);
    EXPECT_EQ(mail.find('?'), std::string::npos);
}

} // namespace
} // namespace tarvex::addin
