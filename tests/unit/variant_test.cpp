#include <cmath>
#include <gtest/gtest.h>

#include "base/error.h"
#include "host/variant.h"
#include "tests/support/recording_dispatch.h"

namespace tarvex::host {
namespace {

using Kind = Variant::Kind;

base::HResult CodeOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const base::Error& error) {
        return error.Code();
    }
    return base::hr::Ok;
}

TEST(Variant, EachConstructorGivesItsKind) {
    EXPECT_EQ(Variant().GetKind(), Kind::Empty);
    EXPECT_EQ(Variant::Missing().GetKind(), Kind::Missing);
    EXPECT_EQ(Variant::Null().GetKind(), Kind::Null);
    EXPECT_EQ(Variant(true).GetKind(), Kind::Bool);
    EXPECT_EQ(Variant(7).GetKind(), Kind::Int32);
    EXPECT_EQ(Variant(2.5).GetKind(), Kind::Double);
    EXPECT_EQ(Variant(u"abc").GetKind(), Kind::String);
    EXPECT_EQ(Variant::Nothing().GetKind(), Kind::Object);
    EXPECT_EQ(Variant::FromError(base::hr::Fail).GetKind(), Kind::Error);
    Variant target;
    EXPECT_EQ(Variant::RefTo(target).GetKind(), Kind::ByRef);
}

TEST(Variant, NumbersConvertAsAutomationDoes) {
    // True is -1 in automation, and narrowing a double rounds half to even.
    EXPECT_EQ(Variant(true).ToInt32(), -1);
    EXPECT_EQ(Variant(false).ToInt32(), 0);
    EXPECT_EQ(Variant(2.5).ToInt32(), 2);
    EXPECT_EQ(Variant(3.5).ToInt32(), 4);
    EXPECT_EQ(Variant(-2.5).ToInt32(), -2);
    EXPECT_DOUBLE_EQ(Variant(true).ToDouble(), -1.0);
    EXPECT_DOUBLE_EQ(Variant(12).ToDouble(), 12.0);
    EXPECT_TRUE(Variant(5).ToBool());
    EXPECT_FALSE(Variant(0.0).ToBool());
}

TEST(Variant, OutOfRangeAndForeignKindsFail) {
    EXPECT_EQ(CodeOf([] { Variant(3e10).ToInt32(); }), base::hr::DispOverflow);
    EXPECT_EQ(CodeOf([] { Variant(std::nan("")).ToInt32(); }), base::hr::DispOverflow);
    EXPECT_EQ(CodeOf([] { Variant(u"1").ToInt32(); }), base::hr::DispTypeMismatch);
    EXPECT_EQ(CodeOf([] { Variant(1).ToString(); }), base::hr::DispTypeMismatch);
    EXPECT_EQ(CodeOf([] { Variant::Null().ToBool(); }), base::hr::DispTypeMismatch);
    EXPECT_EQ(CodeOf([] { Variant(u"x").ToObject(); }), base::hr::DispTypeMismatch);
    EXPECT_EQ(CodeOf([] { Variant(1).Target(); }), base::hr::DispTypeMismatch);
}

TEST(Variant, NothingIsANullObjectOrEmpty) {
    EXPECT_TRUE(Variant::Nothing().IsNothing());
    EXPECT_TRUE(Variant().IsNothing());
    EXPECT_FALSE(Variant::Null().IsNothing());
    EXPECT_FALSE(Variant::Missing().IsNothing());
    EXPECT_EQ(Variant().ToObject(), nullptr);

    testing::LiveCount live;
    Variant object(Ref<Dispatch>(MakeRef<testing::RecordingDispatch>(&live)));
    EXPECT_FALSE(object.IsNothing());
    EXPECT_NE(object.ToObject(), nullptr);
}

TEST(Variant, MissingReadsAsParamNotFound) {
    EXPECT_TRUE(Variant::Missing().IsMissing());
    EXPECT_EQ(Variant::Missing().ToErrorCode(), base::hr::DispParamNotFound);
    EXPECT_EQ(Variant::FromError(base::hr::DispBadIndex).ToErrorCode(), base::hr::DispBadIndex);
}

TEST(Variant, ReferenceReadsAndWritesItsTarget) {
    Variant cancel(false);
    Variant arg = Variant::RefTo(cancel);
    EXPECT_FALSE(arg.ToBool());
    arg.Target() = true;
    EXPECT_TRUE(cancel.ToBool());
    EXPECT_TRUE(arg.ToBool());
    EXPECT_EQ(&arg.Deref(), &cancel);
    EXPECT_EQ(arg.Describe(), "ByRef->Bool(true)");
}

TEST(Variant, ObjectsHoldAReference) {
    testing::LiveCount live;
    {
        Variant copy;
        {
            Variant object(Ref<Dispatch>(MakeRef<testing::RecordingDispatch>(&live)));
            copy = object;
            EXPECT_EQ(live.value, 1);
        }
        EXPECT_EQ(live.value, 1);
        EXPECT_EQ(copy.ToObject()->AddRef(), 3u); // copy + the returned Ref + this one
        copy.ToObject()->Release();
    }
    EXPECT_EQ(live.value, 0);
}

TEST(Variant, EqualityComparesKindAndValue) {
    EXPECT_EQ(Variant(1), Variant(1));
    EXPECT_NE(Variant(1), Variant(1.0));
    EXPECT_NE(Variant(true), Variant(-1));
    EXPECT_EQ(Variant(u"a"), Variant(std::u16string(u"a")));
    EXPECT_EQ(Variant::Missing(), Variant::Missing());
    EXPECT_NE(Variant::Missing(), Variant());
    EXPECT_EQ(Variant::Nothing(), Variant::Nothing());
}

TEST(Variant, DescribeNamesKindAndValue) {
    EXPECT_EQ(Variant().Describe(), "Empty");
    EXPECT_EQ(Variant(u"B7 \u00e9").Describe(), "String(\"B7 \xc3\xa9\")");
    EXPECT_EQ(Variant(-4163).Describe(), "Int32(-4163)");
    EXPECT_EQ(Variant(0.5).Describe(), "Double(0.5)");
    EXPECT_EQ(Variant::Nothing().Describe(), "Object(nothing)");
    EXPECT_EQ(Variant::FromError(base::hr::DispParamNotFound).Describe(), "Error(0x80020004)");
}

} // namespace
} // namespace tarvex::host
