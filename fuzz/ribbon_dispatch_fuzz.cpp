// Fuzzes the ribbon callbacks' automation object as Office calls it: GetIDsOfNames with
// random names and id counts, Invoke with random DISPIDs, argument counts, argument kinds,
// named ids and by-reference flags, against the add-in's own module (or none, between
// connections). It must never crash and must answer only the codes it documents.

#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <vector>

#include "framework/ribbon_callbacks.h"
#include "framework/ribbon_callbacks_dispatch.h"
#include "fuzz/addin_fixture.h"
#include "fuzz/fuzz_values.h"
#include "sim/office/office.h"

namespace {

using namespace tarvex;
namespace hr = base::hr;

[[noreturn]] void Fail(const char* call, base::HResult code) {
    std::fprintf(stderr, "%s answered an undocumented code 0x%08X\n", call,
                 static_cast<unsigned>(code));
    std::abort();
}

std::vector<std::u16string> CallbackNames() {
    std::vector<std::u16string> names;
    for (const framework::RibbonCallbackName& entry : framework::kRibbonCallbackNames)
        names.emplace_back(entry.name.begin(), entry.name.end());
    return names;
}

void ResolveNames(FuzzedDataProvider& data, framework::TadxRibbonDispatch& dispatch) {
    static const std::vector<std::u16string> kNames = CallbackNames();
    std::vector<std::u16string> names(data.ConsumeIntegralInRange<std::size_t>(0, 3));
    for (std::u16string& name : names)
        name = fuzz::ConsumeTextOrChoice(data, kNames, 300);
    // Usually one id per name, as COM passes them; sometimes a mismatch.
    std::size_t idCount = names.size();
    if (data.ConsumeIntegralInRange<int>(0, 7) == 0)
        idCount = data.ConsumeIntegralInRange<std::size_t>(0, 4);
    std::vector<host::DispId> ids(idCount, 7);
    const base::HResult code =
        dispatch.GetIDsOfNames(host::iid::Null, names, host::lcid::UserDefault, ids);
    if (code != hr::Ok && code != hr::InvalidArg && code != hr::DispUnknownName)
        Fail("GetIDsOfNames", code);
    if (code == hr::Ok && (ids.empty() || !framework::IsRibbonCallback(ids[0])))
        Fail("GetIDsOfNames (success without a callback id)", code);
}

host::DispId ConsumeMember(FuzzedDataProvider& data) {
    switch (data.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        return data.ConsumeIntegral<host::DispId>();
    case 1:
        return data.ConsumeIntegralInRange<host::DispId>(-5, 60);
    default: {
        const auto& table = framework::kRibbonCallbackNames;
        return table[data.ConsumeIntegralInRange<std::size_t>(0, table.size() - 1)].id;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    fuzz::AddinFixture fixture(data.ConsumeBool());
    const bool connected = data.ConsumeIntegralInRange<int>(0, 7) != 0;
    auto dispatch = host::MakeRef<framework::TadxRibbonDispatch>(
        [&fixture, connected]() -> framework::TadxCOMAddInModule* {
            return connected ? fixture.module.get() : nullptr;
        });

    std::vector<std::u16string> ids = fixture.RibbonIds();
    ids.push_back(ids.front() + u"wrapped");
    ids.push_back(u"FileSave");
    std::vector<host::Ref<host::Dispatch>> objects{fixture.excel.Application()};
    for (int i = data.ConsumeIntegralInRange<int>(1, 3); i > 0; --i) {
        const std::u16string id = fuzz::ConsumeTextOrChoice(data, ids, 60);
        objects.push_back(fixture.excel.Office().MakeRibbonControl(id, fuzz::ConsumeText(data, 8)));
    }

    while (data.remaining_bytes() > 0) {
        if (data.ConsumeIntegralInRange<int>(0, 4) == 0) {
            ResolveNames(data, *dispatch);
            continue;
        }
        const host::DispId member = ConsumeMember(data);
        fuzz::FuzzArguments arguments(data, objects, 5);
        host::Variant result;
        host::ExcepInfo excepInfo;
        const bool wantResult = data.ConsumeBool();
        const base::HResult code =
            dispatch->Invoke(member, host::iid::Null, host::lcid::UserDefault, host::invoke::Method,
                             arguments.Params(), wantResult ? &result : nullptr,
                             data.ConsumeBool() ? &excepInfo : nullptr, nullptr);
        if (code != hr::Ok && code != hr::DispMemberNotFound && code != hr::DispBadParamCount &&
            code != hr::DispTypeMismatch && code != hr::DispException)
            Fail("Invoke", code);
        if (code == hr::DispMemberNotFound && framework::IsRibbonCallback(member))
            Fail("Invoke (a callback reported as no member)", code);
    }
    return 0;
}
