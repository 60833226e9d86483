#pragma once

// The fault sweep driver: a flow runs once on a fresh world, counting the calls it makes to
// the host (Excel and Office, through the seam), the registry operations and the desktop
// calls that can fail; then, for every k, it runs again on a fresh world with the k-th call
// (or operation) failing, and
// every run is checked: what each entry point answered, which message boxes appeared, and
// what the flow left behind compared with the run without a failure.

#include <cstddef>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/result.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/registry/memory_registry.h"

namespace tarvex::sweep {

/// Excel's add-in key of the add-in, below HKEY_CURRENT_USER.
inline constexpr char kExcelAddinKey[] =
    "Software\\Microsoft\\Office\\Excel\\AddIns\\qorvel.Tarvex";

/// How a kind of entry point answers its caller.
enum class EntryKind {
    /// IDTExtensibility2 and IRibbonExtensibility: S_OK, or a failure carrying the error's
    /// own negative code (E_UNEXPECTED otherwise).
    AddinObject,
    /// The ribbon callbacks' Invoke: S_OK, or DISP_E_EXCEPTION for a failure outside the
    /// handler (a handler's own failure is reported and the call succeeds).
    RibbonCallback,
    /// Excel's application events: the sink always answers S_OK.
    EventSink,
    /// DllRegisterServer and DllUnregisterServer: S_OK or E_FAIL.
    RegistrationExport,
};

/// One answer an entry point gave during a run.
struct EntryAnswer {
    std::string entry;
    EntryKind kind = EntryKind::AddinObject;
    base::HResult code = base::hr::Ok;
};

/// What a failure in some part of a flow may leave behind when nothing reports it.
enum class Tolerance {
    /// Nothing: a failure that is neither answered nor reported must change nothing.
    None,
    /// The session (the module's state, the bars, the dialogs shown) may differ, but
    /// nothing stored (the registry) may: a read that failed quietly yields its default.
    SessionOnly,
    /// Anything: the part reports or swallows on its own terms; only the rules every run
    /// meets apply.
    Any,
    /// Anything, silently: the part swallows failures by design (no message box, every
    /// answer S_OK).
    Swallowed,
};

/// The world a flow runs in: the simulated host, registry and desktop, the phases the
/// flow passes and the answers its entry points gave. Flows derive their own world.
class SweepWorld {
public:
    SweepWorld();
    virtual ~SweepWorld() = default;
    SweepWorld(const SweepWorld&) = delete;
    SweepWorld& operator=(const SweepWorld&) = delete;

    /// Records an entry point's answer.
    void Answer(std::string entry, EntryKind kind, base::HResult code);
    const std::vector<EntryAnswer>& Answers() const noexcept { return m_answers; }

    /// Marks the start of a named phase; the phase before it comes back when the returned
    /// object ends.
    class PhaseScope {
    public:
        PhaseScope(SweepWorld& world, std::string previous) noexcept
            : m_world(&world)
            , m_previous(std::move(previous)) {}
        PhaseScope(PhaseScope&& other) noexcept
            : m_world(std::exchange(other.m_world, nullptr))
            , m_previous(std::move(other.m_previous)) {}
        PhaseScope(const PhaseScope&) = delete;
        PhaseScope& operator=(const PhaseScope&) = delete;
        PhaseScope& operator=(PhaseScope&&) = delete;
        ~PhaseScope() {
            if (m_world)
                m_world->SetPhase(std::move(m_previous));
        }

    private:
        SweepWorld* m_world;
        std::string m_previous;
    };
    [[nodiscard]] PhaseScope Enter(std::string phase);

    /// The phase in effect for the host call, registry operation or desktop call numbered
    /// `index` (1-based, counted from StartCounting).
    std::string PhaseOfHostCall(std::size_t index) const;
    std::string PhaseOfRegistryOperation(std::size_t index) const;
    std::string PhaseOfDesktopCall(std::size_t index) const;

    /// What stays: every key and value of the registry.
    std::string Stored() const;

    /// Forgets the calls, operations and answers so far: counting starts here.
    void StartCounting();

    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;

private:
    struct PhaseMark {
        std::size_t hostCalls;
        std::size_t registryOperations;
        std::size_t desktopCalls;
        std::string phase;
    };
    void SetPhase(std::string phase);
    std::string PhaseAt(std::size_t PhaseMark::*count, std::size_t index) const;

    std::string m_phase = "flow";
    std::vector<PhaseMark> m_marks;
    std::vector<EntryAnswer> m_answers;
};

/// The failure one run of a sweep injects.
struct FaultPoint {
    enum class Kind { HostCall, RegistryOperation, DesktopCall };
    Kind kind = Kind::HostCall;
    /// 1-based among the flow's host calls or registry operations.
    std::size_t index = 0;
    /// The phase the failed call was made in.
    std::string phase;
    /// The failed host call's member ("Range.Find") or desktop call ("ShowModal"); empty
    /// for a registry operation.
    std::string member;
    /// The failed registry operation; meaningful for Kind::RegistryOperation only.
    sim::RegistryCall operation;

    /// "host call 12 (Range.Find) in OnStartupComplete".
    std::string Describe() const;
};

/// One user-visible flow, run on worlds of type World.
template <class World>
struct SweepFlow {
    /// The sweep's name in its printed line ("start-up").
    std::string name;
    /// Brings a fresh world to where the flow starts; not counted, never failed.
    std::function<void(World&)> prepare;
    /// The flow itself: every entry point it calls records its answer.
    std::function<void(World&)> run;
    /// What the run left behind that must not change unless a failure is answered or
    /// reported: what is stored, and what the session shows.
    std::function<std::string(World&)> stored;
    std::function<std::string(World&)> session;
    /// How much a failure at `fault` may change quietly; Tolerance::None by default.
    std::function<Tolerance(const FaultPoint& fault)> tolerance;
    /// The phases whose failures are swallowed by design.
    std::vector<std::string> swallowingPhases;
    /// The phases (or beginnings of their names) whose failures the frame reports with a
    /// message box and carries on: they are never answered as failures.
    std::vector<std::string> reportingPhases;
    /// The message boxes the flow may show, as predicates over a box.
    std::function<bool(const sim::ShownMessage&)> knownMessage;
    /// Further checks of one run (fault null for the run without a failure).
    std::function<void(World&, const FaultPoint* fault)> check;
    /// Sane minimums: a sweep below them sweeps (almost) nothing and fails.
    std::size_t minimumHostCalls = 0;
    std::size_t minimumRegistryOperations = 0;
};

/// The outcome that every run must meet, whatever the flow.
struct Baseline {
    std::string stored;
    std::string session;
};

/// Checks what every run must meet: answers of the right kind, at most one message box and
/// only a known one, none when an entry point failed or the part swallows, and a quiet
/// success that changed no more than the fault's tolerance allows.
void CheckRun(const SweepWorld& world, const FaultPoint* fault, Tolerance tolerance,
              const Baseline& baseline, const std::string& stored, const std::string& session,
              const std::function<bool(const sim::ShownMessage&)>& knownMessage);

/// The counts a sweep covered.
struct SweepCounts {
    std::size_t hostCalls = 0;
    std::size_t registryOperations = 0;
    std::size_t desktopCalls = 0;
};

/// Runs `flow` once counting, then once per host call, registry operation and desktop call
/// with that one failing; prints the counts and checks them against the flow's minimums.
template <class World>
SweepCounts RunSweep(const SweepFlow<World>& flow) {
    const auto fresh = [&flow] {
        auto world = std::make_unique<World>();
        flow.prepare(*world);
        world->StartCounting();
        return world;
    };
    const auto finish = [&flow](World& world, const FaultPoint* fault, const Baseline& baseline) {
        Tolerance tolerance = Tolerance::None;
        if (fault) {
            if (flow.tolerance)
                tolerance = flow.tolerance(*fault);
            for (const std::string& phase : flow.swallowingPhases)
                if (fault->phase == phase)
                    tolerance = Tolerance::Swallowed;
        }
        CheckRun(world, fault, tolerance, baseline, flow.stored(world), flow.session(world),
                 flow.knownMessage);
        for (const std::string& phase : flow.reportingPhases) {
            if (!fault || !fault->phase.starts_with(phase))
                continue;
            for (const EntryAnswer& answer : world.Answers()) {
                EXPECT_EQ(answer.code, base::hr::Ok)
                    << answer.entry << ": a handler's failure is reported, not answered";
            }
        }
        if (flow.check)
            flow.check(world, fault);
    };

    SweepCounts counts;
    Baseline baseline;
    std::vector<sim::SimExcel::CallRecord> calls;
    std::vector<sim::RegistryCall> operations;
    std::vector<std::string_view> desktopCalls;
    std::unique_ptr<World> counting = fresh();
    {
        SCOPED_TRACE("sweep " + flow.name + ": the run without a failure");
        flow.run(*counting);
        calls = counting->excel.Calls();
        operations = counting->registry.Log();
        desktopCalls = counting->desktop.FailableCalls();
        baseline = {flow.stored(*counting), flow.session(*counting)};
        finish(*counting, nullptr, baseline);
    }
    counts.hostCalls = calls.size();
    counts.registryOperations = operations.size();
    counts.desktopCalls = desktopCalls.size();

    // One run per fault point of a kind: a fresh world, the k-th call failing, the flow,
    // and the checks; the run must reach the failing call (it runs as the counting run did
    // up to there).
    const auto sweepEach = [&](FaultPoint::Kind kind, std::size_t total,
                               const std::function<void(FaultPoint&)>& describe,
                               const std::function<void(World&, std::size_t)>& inject,
                               const std::function<bool(World&, std::size_t)>& reached) {
        for (std::size_t k = 1; k <= total; ++k) {
            FaultPoint fault;
            fault.kind = kind;
            fault.index = k;
            describe(fault);
            SCOPED_TRACE("sweep " + flow.name + ": " + fault.Describe());
            std::unique_ptr<World> world = fresh();
            inject(*world, k);
            flow.run(*world);
            EXPECT_TRUE(reached(*world, k)) << "the run reaches the failing call";
            finish(*world, &fault, baseline);
        }
    };
    sweepEach(
        FaultPoint::Kind::HostCall, calls.size(),
        [&](FaultPoint& fault) {
            fault.phase = counting->PhaseOfHostCall(fault.index);
            fault.member = calls[fault.index - 1].member;
        },
        [](World& world, std::size_t k) { world.excel.FailCall(k); },
        [](World& world, std::size_t k) { return world.excel.Calls().size() >= k; });
    sweepEach(
        FaultPoint::Kind::RegistryOperation, operations.size(),
        [&](FaultPoint& fault) {
            fault.phase = counting->PhaseOfRegistryOperation(fault.index);
            fault.operation = operations[fault.index - 1];
        },
        [](World& world, std::size_t k) { world.registry.FailNth(k); },
        [](World& world, std::size_t k) {
            const std::vector<sim::RegistryCall>& log = world.registry.Log();
            return log.size() >= k && base::Failed(log[k - 1].result);
        });
    sweepEach(
        FaultPoint::Kind::DesktopCall, desktopCalls.size(),
        [&](FaultPoint& fault) {
            fault.phase = counting->PhaseOfDesktopCall(fault.index);
            fault.member = std::string(desktopCalls[fault.index - 1]);
        },
        [](World& world, std::size_t k) { world.desktop.FailCall(k); },
        [](World& world, std::size_t k) { return world.desktop.FailableCalls().size() >= k; });

    const std::string line = "sweep " + flow.name + ": " + std::to_string(counts.hostCalls) +
                             " host calls, " + std::to_string(counts.registryOperations) +
                             " registry operations, " + std::to_string(counts.desktopCalls) +
                             " desktop calls\n";
    std::fputs(line.c_str(), stdout);
    ::testing::Test::RecordProperty("host_calls", static_cast<int>(counts.hostCalls));
    ::testing::Test::RecordProperty("registry_operations",
                                    static_cast<int>(counts.registryOperations));
    ::testing::Test::RecordProperty("desktop_calls", static_cast<int>(counts.desktopCalls));
    EXPECT_GE(counts.hostCalls, flow.minimumHostCalls) << "the sweep covers too few host calls";
    EXPECT_GE(counts.registryOperations, flow.minimumRegistryOperations)
        << "the sweep covers too few registry operations";
    return counts;
}

} // namespace tarvex::sweep
