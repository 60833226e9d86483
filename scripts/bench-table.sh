#!/usr/bin/env bash
# bench-table.sh [BENCHMARK OPTION...]: builds tarvex_bench (linux preset), runs it with JSON
# output and rewrites the table of the latest figures in bench/README.md (between its
# "table" markers), with the machine they came from. Options go to tarvex_bench, for
# example --benchmark_repetitions=3. Set TARVEX_BENCH_BUILD to use another build folder of
# the preset.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TARVEX_BENCH_BUILD:-build/linux}

cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" --target tarvex_bench
json=$build/bench.json
"$build/bin/tarvex_bench" --benchmark_out="$json" --benchmark_out_format=json "$@"

# The real DLL under Wine through real COM (tarvex_com_bench, win64 preset), in a Wine prefix
# of its own and on a virtual display of its own.
com_tsv=build/win64/com-bench.tsv
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target tarvex_com_bench
export WINEPREFIX=$PWD/build/win64/bench-wineprefix WINEDEBUG=-all
scripts/wine-prefix.sh "$WINEPREFIX" >/dev/null
xvfb-run -a wine build/win64/bin/tarvex_com_bench.exe >"$com_tsv"
wineserver -k 2>/dev/null || true

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
memory=$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)
os=$(. /etc/os-release && echo "$PRETTY_NAME")
compiler=$(g++ --version | head -n 1)
export TARVEX_MACHINE="${cpu:-unknown CPU}, $(nproc) cores, $memory; $os; $compiler"

python3 - "$json" bench/README.md "$com_tsv" <<'PY'
import json, os, re, sys

json_path, readme_path, com_path = sys.argv[1], sys.argv[2], sys.argv[3]
with open(json_path) as f:
    run = json.load(f)
results = {b["name"]: b for b in run["benchmarks"] if b.get("run_type", "iteration") == "iteration"}

def cell(name):
    b = results.get(name)
    if b is None or b.get("error_occurred"):
        return None
    unit = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b.get("time_unit", "ns")]
    return b["cpu_time"] * unit  # microseconds of the benchmark thread's CPU time

def fmt(us):
    if us is None:
        return "failed"
    if us >= 1000:
        return f"{us / 1000:.2f} ms"
    if us >= 1:
        return f"{us:.2f} µs"
    return f"{us * 1000:.0f} ns"

def counter(name, key):
    b = results.get(name, {})
    return f"{b[key]:.0f}" if key in b else ""

rows = []
def row(what, name, baseline=None, calls_key="host calls", note=""):
    t = cell(name)
    base = cell(baseline) if baseline else None
    ratio = ""
    if t and base:
        r = base / t
        ratio = f"{r:.1f}× faster" if r >= 1 else f"{1 / r:.1f}× slower"
    rows.append(f"| {what} | {fmt(t)} | {fmt(base) if baseline else ''} | {ratio} | "
                f"{counter(name, calls_key)} | {note} |")

row("per entry, tracking off", "EntryTrackingOff", note="must be exactly 1 call")
for size, label in (("1024", "1 K"), ("65536", "64 K"), ("1048575", "1,048,575")):
    row(f"column, distinct entry, {label} cells", f"EntryColumn/{size}", f"ScanColumnBaseline/{size}",
        note="Find + FindNext")
    row(f"column, duplicate entry, {label} cells", f"EntryColumnDuplicate/{size}",
        f"ScanColumnBaseline/{size}", note="Find; prompt answered No")
    row(f"row, distinct entry, {label} cells", f"EntryRow/{size}", f"ScanRowBaseline/{size}",
        note="Find + FindNext")
    row(f"row, duplicate entry, {label} cells", f"EntryRowDuplicate/{size}",
        f"ScanRowBaseline/{size}", note="Find; prompt answered No")
startup = cell("AddinStartup")
row("start-up: OnConnection + customUI + OnStartupComplete", "AddinStartup",
    note="target under 5 ms: " + ("met" if startup is not None and startup < 5000 else "NOT met"))
row("customUI document generation", "CustomUiGeneration")
row("one round of the document's get* callbacks", "RibbonCallbackRound", calls_key="callbacks",
    note="column 5: callbacks in the round")
row("one late-bound call through the seam", "SeamInvoke", "DirectCallBaseline")
rows.append("| **the real DLL under Wine, through real COM** | wall-clock | in process | | | |")
with open(com_path) as f:
    for line in f:
        name, us, base, calls = line.rstrip("\n").split("\t")
        us, base = float(us), float(base)
        ratio = f"{us / base:.1f}× slower" if us >= base else f"{base / us:.1f}× faster"
        note = "target under 5 ms: " + ("met" if us < 5000 else "NOT met") if name.startswith(
            "start-up") else ("same calls as in process" if int(calls) else "")
        rows.append(f"| {name} | {fmt(us)} | {fmt(base)} | {ratio} | "
                    f"{calls if int(calls) else ''} | {note} |")

context = run.get("context", {})
table = "\n".join([
    f"Measured {context.get('date', '')} on {os.environ.get('TARVEX_MACHINE', 'unknown machine')}"
    f" (Google Benchmark sees {context.get('num_cpus', '?')} CPUs at "
    f"{context.get('mhz_per_cpu', '?')} MHz; tarvex_bench built {context.get('library_build_type', '?')}"
    " library, RelWithDebInfo code; load average "
    + " ".join(f"{x:.1f}" for x in context.get("load_avg", [])) + ").",
    "Times are CPU time of the benchmarking thread (the machine is shared, so wall-clock time"
    " is longer when it is busy; both are in the JSON output). Each ratio compares the check"
    " with its baseline from the same run.",
    "",
    "| what | CPU time | baseline | ratio | host calls | note |",
    "|---|---|---|---|---|---|",
    *rows,
])

with open(readme_path) as f:
    readme = f.read()
begin, end = "<!-- table begin -->", "<!-- table end -->"
if begin not in readme or end not in readme:
    sys.exit(f"{readme_path}: the table markers are missing")
readme = re.sub(re.escape(begin) + ".*?" + re.escape(end), lambda _: f"{begin}\n{table}\n{end}",
                readme, flags=re.S)
with open(readme_path, "w") as f:
    f.write(readme)
print(f"bench-table: wrote the table of {len(results)} results into {readme_path}")
PY
