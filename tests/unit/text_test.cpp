#include <gtest/gtest.h>

#include "base/error.h"
#include "base/text.h"

namespace tarvex::base {
namespace {

TEST(Text, RoundTripsEveryPlane) {
    const std::u16string text = u"B7 \u00e9\u20ac \U0001F600 Z7S3";
    EXPECT_EQ(Utf16ToUtf8(text), "B7 \xc3\xa9\xe2\x82\xac \xf0\x9f\x98\x80 Z7S3");
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf8ToUtf16(""), u"");
}

TEST(Text, MalformedInputBecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xff"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xe2\x82"), u"\uFFFD\uFFFD"); // cut short at the end
    EXPECT_EQ(Utf8ToUtf16("\xc0\xaf"), u"\uFFFD");       // overlong '/'
    EXPECT_EQ(Utf8ToUtf16("\xed\xa0\x80"), u"\uFFFD");   // encoded surrogate
    EXPECT_EQ(Utf8ToUtf16("\xe2x"), u"\uFFFDx");         // continuation missing
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd");
    EXPECT_EQ(Utf16ToUtf8(u"\xDC00"
                          u"a"),
              "\xef\xbf\xbd"
              "a");
}

TEST(Errors, CarryCodeAndMessage) {
    EXPECT_EQ(FormatHResult(hr::DispException), "0x80020009");
    EXPECT_NO_THROW(ThrowIfFailed(hr::False, "Range.Find"));
    try {
        ThrowIfFailed(hr::DispMemberNotFound, "Range.Find");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.Code(), hr::DispMemberNotFound);
        EXPECT_STREQ(error.what(), "Range.Find failed (0x80020003)");
    }
    EXPECT_EQ(FromWin32(5), hr::AccessDenied);
    EXPECT_EQ(FromWin32(0), hr::Ok);
}

} // namespace
} // namespace tarvex::base
