// The add-in's start-up as Office drives it at its own start: OnConnection (connect mode
// Startup), the customUI document for Excel's workbook ribbon, and OnStartupComplete,
// against the simulated Excel. Shut-down and unload run outside the timed part. The target
// is under 5 ms.

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

#include "addin/identity.h"
#include "addin/module.h"
#include "framework/addin_object.h"
#include "framework/factory.h"
#include "framework/ribbon_callbacks.h"
#include "host/sim/desktop.h"
#include "host/sim/excel.h"
#include "host/sim/memory_registry.h"
#include "host/sim/office.h"

namespace {

using namespace tarvex;
using namespace tarvex::framework;

void AddinStartup(benchmark::State& state) {
    sim::SimExcel excel;
    excel.AddWorkbook(u"Book1");
    excel.SetCallLogging(false);
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    std::size_t messages = 0;
    desktop.SetMessageHandler([&messages](const sim::ShownMessage&) {
        ++messages;
        return 1;
    });
    const TadxFactory factory{"qorvel", "Tarvex", "Tarvex", addin::kClsidTarvex, "C:\\Tarvex\\"};
    TadxAddinProcessState process;
    const host::Ref<host::Dispatch> addInInst =
        excel.Office().AddComAddIn(u"qorvel.Tarvex", u"{0}", u"Tarvex");
    TadxAddin addin{factory,
                    [&]() -> std::unique_ptr<TadxCOMAddInModule> {
                        return TadxCOMAddInModule::Create<addin::TAddInModule>(
                            ModuleServices{desktop, registry});
                    },
                    process};

    std::size_t documentSize = 0;
    for (auto _ : state) {
        const bool connected =
            !addin.OnConnection(excel.Application(), connect_mode::Startup, addInInst).Failed();
        const std::u16string xml =
            connected ? GetCustomUI(*addin.Module(), u"Microsoft.Excel.Workbook") : u"";
        const bool started = connected && !addin.OnStartupComplete().Failed();
        documentSize = xml.size();
        benchmark::DoNotOptimize(documentSize);

        state.PauseTiming();
        const bool stopped = !addin.OnBeginShutdown().Failed() &&
                             !addin.OnDisconnection(remove_mode::HostShutdown).Failed();
        state.ResumeTiming();
        if (!started || !stopped || documentSize == 0 || messages != 0) {
            state.SkipWithError("the start-up or shut-down failed");
            break;
        }
    }
    state.counters["customUI chars"] = static_cast<double>(documentSize);
}
BENCHMARK(AddinStartup)->Unit(benchmark::kMillisecond);

} // namespace
