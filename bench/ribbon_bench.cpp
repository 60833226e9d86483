// The ribbon as Office meets it: generating the add-in's customUI document, and one full
// round of the get* callbacks the document names, each resolved with GetIDsOfNames and
// called with Invoke through the add-in's ribbon dispatch object, with a simulated
// IRibbonControl for the control (the controls are made once, outside the timed part).

#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "addin/module.h"
#include "framework/ribbon_callbacks.h"
#include "framework/ribbon_callbacks_dispatch.h"
#include "sim/office/office.h"
#include "tests/support/addin_in_excel.h"

namespace {

using namespace tarvex;

constexpr std::u16string_view kExcelRibbon = u"Microsoft.Excel.Workbook";

// The add-in's module connected to a simulated Excel with one workbook, which keeps no log
// of the calls it serves.
struct ConnectedAddin : tarvex::testing::AddinInExcel {
    ConnectedAddin() { excel.SetCallLogging(false); }
};

// One get* callback of one control as the document names it: the control's id (what
// follows the namespace prefix of its idQ) and the callback's method name.
struct NamedCallback {
    std::u16string controlId;
    std::u16string method;
};

// The text of attribute value starting at `pos` (just after the opening quote).
std::u16string ValueAt(const std::u16string& xml, std::size_t pos) {
    return xml.substr(pos, xml.find(u'"', pos) - pos);
}

// Every get* attribute of every element that has an id, in document order.
std::vector<NamedCallback> GetCallbacksOf(const std::u16string& xml) {
    std::vector<NamedCallback> callbacks;
    for (std::size_t start = xml.find(u'<'); start != std::u16string::npos;
         start = xml.find(u'<', start + 1)) {
        const std::size_t end = xml.find(u'>', start);
        const std::u16string element = xml.substr(start, end - start);
        const std::size_t idQ = element.find(u" idQ=\"");
        if (idQ == std::u16string::npos)
            continue;
        std::u16string id = ValueAt(element, idQ + 6);
        id.erase(0, id.find(u':') + 1);
        for (std::size_t at = element.find(u" get"); at != std::u16string::npos;
             at = element.find(u" get", at + 1)) {
            const std::size_t quote = element.find(u"=\"", at);
            callbacks.push_back({id, ValueAt(element, quote + 2)});
        }
    }
    return callbacks;
}

void CustomUiGeneration(benchmark::State& state) {
    ConnectedAddin addin;
    std::size_t size = 0;
    for (auto _ : state) {
        const std::u16string xml = framework::GetCustomUI(*addin.module, kExcelRibbon);
        size = xml.size();
        benchmark::DoNotOptimize(size);
    }
    state.counters["chars"] = static_cast<double>(size);
}
BENCHMARK(CustomUiGeneration)->Unit(benchmark::kMicrosecond);

void RibbonCallbackRound(benchmark::State& state) {
    ConnectedAddin addin;
    const std::vector<NamedCallback> callbacks =
        GetCallbacksOf(framework::GetCustomUI(*addin.module, kExcelRibbon));
    std::vector<host::Ref<host::Dispatch>> controls;
    for (const NamedCallback& callback : callbacks)
        controls.push_back(addin.excel.Office().MakeRibbonControl(callback.controlId));
    framework::TadxCOMAddInModule* module = addin.module.get();
    const auto dispatch = host::MakeRef<framework::TadxRibbonDispatch>([module] { return module; });

    // Runs the round; false when a name was not resolved, a call failed or gave nothing.
    const auto round = [&]() {
        bool ok = true;
        for (std::size_t i = 0; i < callbacks.size(); ++i) {
            const std::u16string names[] = {callbacks[i].method};
            host::DispId id = host::dispid::Unknown;
            ok = dispatch->GetIDsOfNames(host::iid::Null, names, host::lcid::UserDefault,
                                         {&id, 1}) == base::hr::Ok &&
                 ok;
            host::Variant args[] = {host::Variant(controls[i])};
            const host::DispParams params{args, nullptr, 1, 0};
            host::Variant result;
            ok =
                dispatch->Invoke(id, host::iid::Null, host::lcid::UserDefault, host::invoke::Method,
                                 params, &result, nullptr, nullptr) == base::hr::Ok &&
                !result.IsEmpty() && ok;
            benchmark::DoNotOptimize(result);
        }
        return ok;
    };

    state.counters["callbacks"] = static_cast<double>(callbacks.size());
    if (callbacks.empty() || !round()) {
        state.SkipWithError("a get* callback of the document failed");
        return;
    }
    for (auto _ : state)
        round();
}
BENCHMARK(RibbonCallbackRound)->Unit(benchmark::kMicrosecond);

} // namespace
