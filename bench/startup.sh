#!/usr/bin/env bash
# Start-up of the editor: from starting the program to its main window shown on an X server
# (the real skin, Xvfb with a compositing manager), and the resident memory once it is shown.
# Runs on a private Xvfb display in a scratch HOME; prints one line per run, then the medians.
# When a peer editor is installed (PEER=shotcut), it is measured the same way in the same run.
# Usage: bench/startup.sh [path/to/Quillmoor]   (RUNS=5 by default)
set -euo pipefail
BIN=${1:-build/bin/Quillmoor}
RUNS=${RUNS:-5}
PEER=${PEER:-shotcut}

display=":$((300 + RANDOM % 200))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
scratch=$(mktemp -d)
cleanup() { kill "$xvfb" 2>/dev/null || true; rm -rf "$scratch"; }
trap cleanup EXIT
export DISPLAY="$display" HOME="$scratch" TMPDIR="$scratch" XDG_DATA_HOME="$scratch/data"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xcompmgr >/dev/null 2>&1 &
compositor=$!
trap 'kill "$compositor" 2>/dev/null || true; cleanup' EXIT

# One start: milliseconds until a visible window of that title appears, and its resident memory.
measure() {
    local title=$1; shift
    local start end pid rss
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 &
    pid=$!
    until xdotool search --onlyvisible --name "$title" >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || { echo "failed"; return; }
        sleep 0.005
    done
    end=$(date +%s%N)
    sleep 0.2  # the first frame is painted right after the window shows
    rss=$(awk '/VmRSS/ { print $2 }' "/proc/$pid/status")
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "$(((end - start) / 1000000)) $((rss / 1024))"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

report() {
    local name=$1 title=$2; shift 2
    local times=() rss=()
    measure "$title" "$@" >/dev/null  # warm-up: the file cache
    for i in $(seq "$RUNS"); do
        read -r t m < <(measure "$title" "$@")
        echo "$name run $i: ${t} ms to the window, ${m} MB resident"
        times+=("$t")
        rss+=("$m")
    done
    echo "$name median: $(printf '%s\n' "${times[@]}" | median) ms, $(printf '%s\n' "${rss[@]}" | median) MB"
}

report Quillmoor '^Tessaly$' "$BIN"
if command -v "$PEER" >/dev/null 2>&1; then
    report "$PEER" '[Ss]hotcut' "$PEER"
else
    echo "$PEER is not installed: absolute figures only"
fi
