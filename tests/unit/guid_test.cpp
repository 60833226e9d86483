#include <gtest/gtest.h>

#include "addin/identity.h"
#include "base/error.h"
#include "base/guid.h"
#include "host/object.h"

namespace tarvex::host {
namespace {

TEST(Guid, ParsesRegistryFormFieldByField) {
    constexpr base::Guid appEvents = base::Guid::Parse("{00024413-0000-0000-C000-000000000046}");
    static_assert(appEvents.data1 == 0x00024413);
    EXPECT_EQ(appEvents.data2, 0);
    EXPECT_EQ(appEvents.data4[0], 0xC0);
    EXPECT_EQ(appEvents.data4[7], 0x46);

    const base::Guid mixed = base::Guid::Parse("b196b284-BAB4-101a-b69c-00aa00341d07");
    EXPECT_EQ(mixed, iid::ConnectionPointContainer);
}

TEST(Guid, FormatsWithBracesAndUpperCase) {
    EXPECT_EQ(base::Guid::Parse("{b196b286-bab4-101a-b69c-00aa00341d07}").ToString(),
              "{B196B286-BAB4-101A-B69C-00AA00341D07}");
    EXPECT_EQ(base::Guid().ToString(), "{00000000-0000-0000-0000-000000000000}");
    EXPECT_EQ(base::Guid::Parse(addin::kClsidTarvexText).ToString(), addin::kClsidTarvexText);
}

TEST(Guid, RejectsMalformedText) {
    for (const char* text :
         {"", "{}", "{00024413-0000-0000-C000-000000000046", "00024413-0000-0000-C000-00000000004",
          "00024413-0000-0000-C000-0000000000467", "00024413-0000-0000-C0000-00000000046",
          "0002441G-0000-0000-C000-000000000046", "{00024413 0000-0000-C000-000000000046}"}) {
        EXPECT_FALSE(base::Guid::TryParse(text).has_value()) << text;
    }
    try {
        base::Guid::Parse("nonsense");
        FAIL() << "no error";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), base::hr::InvalidArg);
        EXPECT_NE(error.Message().find("nonsense"), std::string::npos);
    }
}

TEST(Guid, ProductIdsAreDistinct) {
    EXPECT_NE(addin::kLibId, addin::kIidITarvex);
    EXPECT_NE(addin::kLibId, addin::kClsidTarvex);
    EXPECT_NE(addin::kIidITarvex, addin::kClsidTarvex);
}

} // namespace
} // namespace tarvex::host
