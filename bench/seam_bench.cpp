// The cost of one late-bound call through the seam, beside the same work done by a direct
// virtual call with typed arguments (the baseline, measured in the same run).
//
// The call has the shape of Range.Find: nine arguments, last first, two of them omitted.

#include <benchmark/benchmark.h>
#include <string>

#include "host/object.h"
#include "host/variant.h"

namespace {

using namespace tarvex::host;
using namespace tarvex::base;

// Reads Find's arguments the way a simulated Range does.
class FindTarget : public RefCounted<Dispatch> {
public:
    HResult QueryInterface(const Guid& iid, void** object) override {
        return AnswerQuery(iid, object,
                           {InterfaceOffer::Of<Unknown>(iid::Unknown, this),
                            InterfaceOffer::Of<Dispatch>(iid::Dispatch, this)});
    }
    HResult GetTypeInfoCount(std::uint32_t& count) override {
        count = 0;
        return hr::Ok;
    }
    HResult GetTypeInfo(std::uint32_t, std::uint32_t) override { return hr::NotImpl; }
    HResult GetIDsOfNames(const Guid&, std::span<const std::u16string>, std::uint32_t,
                          std::span<DispId>) override {
        return hr::DispUnknownName;
    }
    HResult Invoke(DispId, const Guid&, std::uint32_t, InvokeFlags, const DispParams& params,
                   Variant* result, ExcepInfo*, std::uint32_t*) override {
        const Variant* a = params.args; // last argument first
        const std::size_t score = a[8].ToString().size() + (a[7].IsNothing() ? 1 : 0) +
                                  static_cast<std::size_t>(a[6].ToInt32() + a[5].ToInt32() +
                                                           a[4].ToInt32() + a[3].ToInt32()) +
                                  (a[2].ToBool() ? 1 : 0) + (a[1].IsMissing() ? 1 : 0) +
                                  (a[0].IsMissing() ? 1 : 0);
        *result = Variant(static_cast<std::int32_t>(score));
        return hr::Ok;
    }
};

class TypedFind {
public:
    virtual ~TypedFind() = default;
    virtual std::int32_t Find(const std::u16string& what, const Dispatch* after, int lookIn,
                              int lookAt, int order, int direction, bool matchCase) = 0;
};

class TypedFindTarget : public TypedFind {
public:
    std::int32_t Find(const std::u16string& what, const Dispatch* after, int lookIn, int lookAt,
                      int order, int direction, bool matchCase) override {
        return static_cast<std::int32_t>(what.size() + (after ? 0 : 1) + lookIn + lookAt + order +
                                         direction + (matchCase ? 1 : 0) + 2);
    }
};

void SeamInvoke(benchmark::State& state) {
    auto target = MakeRef<FindTarget>();
    Dispatch* dispatch = target.Get();
    const std::u16string what = u"INV-2026-0042";
    for (auto _ : state) {
        Variant args[] = {Variant::Missing(), Variant::Missing(), Variant(true),
                          Variant(1),         Variant(1),         Variant(1),
                          Variant(-4163),     Variant::Nothing(), Variant(what)};
        const DispParams params{args, nullptr, 9, 0};
        Variant result;
        dispatch->Invoke(0x18E, iid::Null, lcid::UserDefault, invoke::Method, params, &result,
                         nullptr, nullptr);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(SeamInvoke);

void DirectCallBaseline(benchmark::State& state) {
    TypedFindTarget concrete;
    TypedFind* target = &concrete;
    benchmark::DoNotOptimize(target);
    const std::u16string what = u"INV-2026-0042";
    for (auto _ : state) {
        std::int32_t result = target->Find(what, nullptr, -4163, 1, 1, 1, true);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(DirectCallBaseline);

} // namespace
