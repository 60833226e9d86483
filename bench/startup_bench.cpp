// The add-in's start-up as Office drives it at its own start: OnConnection (connect mode
// Startup), the customUI document for Excel's workbook ribbon, and OnStartupComplete,
// against the simulated Excel. Shut-down and unload run outside the timed part. The target
// is under 5 ms.

#include <benchmark/benchmark.h>

#include "bench/in_process_addin.h"

namespace {

using namespace tarvex;

void AddinStartup(benchmark::State& state) {
    bench::InProcessAddin addin;
    for (auto _ : state) {
        const bool started = addin.Start();
        state.PauseTiming();
        const bool stopped = addin.Stop();
        state.ResumeTiming();
        if (!started || !stopped) {
            state.SkipWithError("the start-up or shut-down failed");
            break;
        }
    }
    state.counters["customUI chars"] = static_cast<double>(addin.DocumentSize());
}
BENCHMARK(AddinStartup)->Unit(benchmark::kMillisecond);

} // namespace
