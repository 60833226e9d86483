#include <gtest/gtest.h>

#include "host/object.h"
#include "host/ref.h"
#include "tests/support/recording_dispatch.h"

namespace tarvex::host {
namespace {

using testing::LiveCount;
using testing::RecordingDispatch;

// The count an object has: AddRef answers the new count, Release undoes it.
std::uint32_t CountOf(Unknown* object) {
    const std::uint32_t count = object->AddRef() - 1;
    object->Release();
    return count;
}

TEST(Ref, SharesAdoptsAndDetaches) {
    LiveCount live;
    Ref<RecordingDispatch> first = MakeRef<RecordingDispatch>(&live);
    EXPECT_EQ(CountOf(first.Get()), 1u);
    {
        Ref<RecordingDispatch> shared(first.Get());
        EXPECT_EQ(CountOf(first.Get()), 2u);
        Ref<Dispatch> base = shared; // converting copy
        EXPECT_EQ(CountOf(first.Get()), 3u);
    }
    EXPECT_EQ(CountOf(first.Get()), 1u);

    RecordingDispatch* raw = first.Detach();
    EXPECT_FALSE(first);
    EXPECT_EQ(live.value, 1);
    auto adopted = Ref<RecordingDispatch>::Adopt(raw);
    EXPECT_EQ(CountOf(raw), 1u);
    adopted.Reset();
    EXPECT_EQ(live.value, 0);
}

TEST(Ref, MovingTransfersWithoutCounting) {
    LiveCount live;
    Ref<RecordingDispatch> a = MakeRef<RecordingDispatch>(&live);
    Ref<RecordingDispatch> b = std::move(a);
    EXPECT_FALSE(a);
    EXPECT_EQ(CountOf(b.Get()), 1u);
    Ref<Dispatch> c = std::move(b);
    EXPECT_EQ(CountOf(c.Get()), 1u);
    c = nullptr;
    EXPECT_EQ(live.value, 0);
}

TEST(Ref, SelfAssignmentKeepsTheObject) {
    LiveCount live;
    Ref<RecordingDispatch> a = MakeRef<RecordingDispatch>(&live);
    Ref<RecordingDispatch>& alias = a;
    a = alias;
    a = std::move(alias);
    EXPECT_EQ(live.value, 1);
    EXPECT_EQ(CountOf(a.Get()), 1u);
}

// An object that owns another: replacing the owner by what it owns must keep the owned one
// alive, which needs the new reference to be added before the old one is released.
class Holder : public RefCounted<Unknown> {
public:
    Ref<Holder> inner;
    LiveCount* live;
    explicit Holder(LiveCount* count)
        : live(count) {
        ++live->value;
    }
    ~Holder() override { --live->value; }
    base::HResult QueryInterface(const base::Guid& iid, void** object) override {
        return AnswerQuery(iid, object, {InterfaceOffer::Of<Unknown>(iid::Unknown, this)});
    }
};

TEST(Ref, AssigningWhatTheOldObjectOwnsIsSafe) {
    LiveCount live;
    Ref<Holder> outer = MakeRef<Holder>(&live);
    outer->inner = MakeRef<Holder>(&live);
    EXPECT_EQ(live.value, 2);
    outer = outer->inner;
    EXPECT_EQ(live.value, 1);
    ASSERT_TRUE(outer);
    EXPECT_EQ(CountOf(outer.Get()), 1u);
}

TEST(Ref, PutReleasesBeforeAnOutParameter) {
    LiveCount live;
    Ref<RecordingDispatch> slot = MakeRef<RecordingDispatch>(&live);
    RecordingDispatch** out = slot.Put();
    EXPECT_EQ(live.value, 0);
    EXPECT_EQ(*out, nullptr);
}

TEST(ObjectModel, QueryAnswersOnlyOfferedInterfaces) {
    LiveCount live;
    const base::Guid range = base::Guid::Parse("{00020846-0000-0000-C000-000000000046}");
    auto object = MakeRef<RecordingDispatch>(&live, std::vector<base::Guid>{range});

    EXPECT_TRUE(QueryAs<Dispatch>(object.Get(), range));
    EXPECT_TRUE(QueryAs<Dispatch>(object.Get(), iid::Dispatch));
    EXPECT_FALSE(QueryAs<ConnectionPointContainer>(object.Get(), iid::ConnectionPointContainer));
    EXPECT_EQ(CountOf(object.Get()), 1u) << "a failed or released query leaves no reference";

    void* answer = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(iid::ConnectionPoint, &answer), base::hr::NoInterface);
    EXPECT_EQ(answer, nullptr) << "a refused query stores null";
    EXPECT_EQ(object->QueryInterface(iid::Unknown, nullptr), base::hr::Pointer);
}

} // namespace
} // namespace tarvex::host
