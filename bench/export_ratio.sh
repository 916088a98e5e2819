#!/bin/sh
# Export overhead: the cut export through the runner over the same encoder command run directly,
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
median = lambda key: statistics.median(r[key] for r in runs)
print("%d pairs; medians: bare %.2f s, through the runner %.2f s" % (len(runs), median("bare_s"), median("runner_s")))
print("ratio runner/bare %.3f (goal <= 1.02)" % median("runner_over_bare"))
print("editor CPU / encoder CPU %.2f %% (goal < 2 %%)" % (100 * median("editor_cpu_share")))
PY
