#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, replays each target's seed corpus (fuzz/corpus/<Name>/),
# then fuzzes every target at once for FUZZ_SECONDS (default 60) from a temporary copy of its
# corpus, so the repository is never written. Exits non-zero on any crash, leak or hang; the
# input that caused it is kept in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

seconds=${FUZZ_SECONDS:-60}
build=build-fuzz
options=(-timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024 -print_final_stats=0)

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DQUILL_FUZZ=ON -DQUILL_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/artifacts"

targets=()
for corpus in fuzz/corpus/*/; do
  name=$(basename "$corpus")
  binary="$build/bin/${name}Fuzz"
  if [ ! -x "$binary" ]; then
    echo "fuzz: corpus $name has no target ${name}Fuzz" >&2
    exit 1
  fi
  # Files, not the folder: given a folder, libFuzzer would add new inputs to it.
  echo "fuzz: replaying $corpus"
  "$binary" "${options[@]}" -artifact_prefix="$build/artifacts/$name-" "$corpus"* >"$work/$name-replay.log" 2>&1 || {
    tail -n 40 "$work/$name-replay.log" >&2
    echo "fuzz: $name failed on its seed corpus" >&2
    exit 1
  }
  targets+=("$name")
done

pids=()
for name in "${targets[@]}"; do
  mkdir -p "$work/corpus-$name"
  cp -r "fuzz/corpus/$name/." "$work/corpus-$name/"
  echo "fuzz: running ${name}Fuzz for ${seconds}s"
  "$build/bin/${name}Fuzz" "${options[@]}" -max_total_time="$seconds" \
    -artifact_prefix="$build/artifacts/$name-" "$work/corpus-$name" >"$work/$name.log" 2>&1 &
  pids+=($!)
done

status=0
for i in "${!targets[@]}"; do
  name=${targets[$i]}
  if wait "${pids[$i]}"; then
    echo "fuzz: ${name}Fuzz: $(grep -Eo 'cov: [0-9]+' "$work/$name.log" | tail -n 1), no failure"
  else
    tail -n 60 "$work/$name.log" >&2
    echo "fuzz: ${name}Fuzz failed; the input is in $build/artifacts/" >&2
    status=1
  fi
done
exit $status
