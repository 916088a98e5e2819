#!/bin/sh
# Export overhead: median wall time of the cut export through the runner over the same encoder
# command run directly (goal: at most 1.02), and the editor's CPU time as a share of the
# encoder's (goal: under 2 %). Usage: bench/export_ratio.sh <build folder> [repetitions]
set -eu
build=${1:?usage: export_ratio.sh <build folder> [repetitions]}
reps=${2:-5}
json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$build/bin/ExportBench" --benchmark_repetitions="$reps" --benchmark_format=json >"$json"
python3 - "$json" <<'PY'
import json, statistics, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
def times(name):
    return [r["real_time"] for r in runs if r.get("run_name") == name and r.get("run_type") == "iteration"]
bare, runner = times("BM_FfmpegBare/iterations:1/real_time"), times("BM_CutViaRunner/iterations:1/real_time")
shares = [r["editor_cpu_share"] for r in runs if r.get("run_type") == "iteration" and "editor_cpu_share" in r]
print("bare median   %.0f ms (%d runs)" % (statistics.median(bare), len(bare)))
print("runner median %.0f ms (%d runs)" % (statistics.median(runner), len(runner)))
print("ratio runner/bare %.3f (goal <= 1.02)" % (statistics.median(runner) / statistics.median(bare)))
print("editor CPU / encoder CPU %.2f %% (goal < 2 %%)" % (100 * statistics.median(shares)))
PY
