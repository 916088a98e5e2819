#!/bin/sh
# Export overhead: the cut export through the runner, and from the main window's export button to the
# finished file, each over the same encoder command run directly,
# paired run by run, median of the pair ratios (goal: at most 1.02), and the editor's CPU time as
# a share of the encoder's (goal: under 2 %). Usage: bench/export_ratio.sh <build folder> [reps]
set -eu
build=${1:?usage: export_ratio.sh <build folder> [repetitions]}
reps=${2:-5}
json=$(mktemp)
trap 'rm -f "$json"' EXIT
# The export prints its encoder command lines; the figures go to their own file.
"$build/bin/ExportBench" --benchmark_repetitions="$reps" --benchmark_out="$json" --benchmark_out_format=json >/dev/null
python3 - "$json" <<'PY'
import json, statistics, sys
runs = [r for r in json.load(open(sys.argv[1]))["benchmarks"] if r.get("run_type") == "iteration"]
def median(name, key):
    return statistics.median(r[key] for r in runs if r["name"].startswith(name))
print("runner: %d pairs; medians: bare %.2f s, through the runner %.2f s" % (
    sum(r["name"].startswith("BM_CutOverhead") for r in runs), median("BM_CutOverhead", "bare_s"),
    median("BM_CutOverhead", "runner_s")))
print("ratio runner/bare %.3f (goal <= 1.02)" % median("BM_CutOverhead", "runner_over_bare"))
print("editor CPU / encoder CPU %.2f %% (goal < 2 %%)" % (100 * median("BM_CutOverhead", "editor_cpu_share")))
print("window: medians: bare %.2f s, click to finished file %.2f s" % (
    median("BM_CutFromWindow", "bare_s"), median("BM_CutFromWindow", "window_s")))
print("ratio window/bare %.3f (goal <= 1.02)" % median("BM_CutFromWindow", "window_over_bare"))
PY
