// The benchmarks' runner: Google Benchmark's console output, then each measured cost as a
// ratio to its baseline from the same run.

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// Each benchmark with the baseline it is compared with.
std::vector<std::pair<std::string, std::string>> Comparisons() {
    std::vector<std::pair<std::string, std::string>> comparisons;
    for (const char* size : {"/1024", "/65536", "/1048575"}) {
        for (const char* check : {"EntryColumn", "EntryColumnDuplicate"})
            comparisons.emplace_back(check + std::string(size),
                                     "ScanColumnBaseline" + std::string(size));
        for (const char* check : {"EntryRow", "EntryRowDuplicate"})
            comparisons.emplace_back(check + std::string(size),
                                     "ScanRowBaseline" + std::string(size));
    }
    comparisons.emplace_back("SeamInvoke", "DirectCallBaseline");
    return comparisons;
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter()
        : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_times[run.benchmark_name()] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [measured, baseline] : Comparisons()) {
            const auto a = m_times.find(measured);
            const auto b = m_times.find(baseline);
            if (a == m_times.end() || b == m_times.end() || a->second <= 0)
                continue;
            const double ratio = b->second / a->second;
            std::printf("ratio %s / %s: %.3f us against %.3f us, %.1f times %s\n", measured.c_str(),
                        baseline.c_str(), a->second * 1e6, b->second * 1e6,
                        ratio >= 1 ? ratio : 1 / ratio, ratio >= 1 ? "faster" : "slower");
        }
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
