#!/usr/bin/env bash
# Start-up of the editor: from starting the program to its main window mapped and first painted on
# an X server (the real skin, Xvfb with a compositing manager), and its resident memory at the first
# paint and once settled (2 s later: the preview engine's warm-up, which follows the first paint,
# has loaded the media libraries by then). Runs on a private Xvfb display in a scratch HOME; prints
# one line per run, then the median, minimum and maximum of each figure.
# When a peer editor is installed (PEER=shotcut), it is measured the same way in the same run.
# Usage: bench/startup.sh [path/to/Quillmoor]   (RUNS=7 by default; needs cc and the X11 headers)
set -euo pipefail
BIN=${1:-build/bin/Quillmoor}
RUNS=${RUNS:-7}
PEER=${PEER:-shotcut}
here=$(cd "$(dirname "$0")" && pwd)

display=":$((300 + RANDOM % 200))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
scratch=$(mktemp -d)
compositor=
cleanup() {
    [ -n "$compositor" ] && kill "$compositor" 2>/dev/null
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
cc -O2 -o "$scratch/first-paint" "$here/FirstPaint.c" -lX11
export DISPLAY="$display" HOME="$scratch" TMPDIR="$scratch" XDG_DATA_HOME="$scratch/data"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xcompmgr >/dev/null 2>&1 &
compositor=$!

stats() {  # median, min and max of the numbers on standard input
    sort -n | awk '{ v[NR] = $1 } END { printf "median %s, min %s, max %s", v[int((NR + 1) / 2)], v[1], v[NR] }'
}

report() {
    local name=$1 title=$2; shift 2
    local maps=() paints=() rss=() settled=()
    "$scratch/first-paint" "$title" "$@" >/dev/null || true  # warm-up: the file cache
    for i in $(seq "$RUNS"); do
        read -r m p r s < <("$scratch/first-paint" "$title" "$@" || true)
        if [ "$m" = failed ]; then
            echo "$name run $i: failed"
            continue
        fi
        echo "$name run $i: mapped ${m} ms, painted ${p} ms, ${r} MB resident at the paint, ${s} MB settled"
        maps+=("$m"); paints+=("$p"); rss+=("$r"); settled+=("$s")
    done
    [ ${#paints[@]} -gt 0 ] || return 0
    echo "$name to the mapped window (ms):  $(printf '%s\n' "${maps[@]}" | stats)"
    echo "$name to the first paint (ms):    $(printf '%s\n' "${paints[@]}" | stats)"
    echo "$name resident at the paint (MB): $(printf '%s\n' "${rss[@]}" | stats)"
    echo "$name resident settled (MB):      $(printf '%s\n' "${settled[@]}" | stats)"
}

report Quillmoor Tessaly "$BIN"
if command -v "$PEER" >/dev/null 2>&1; then
    report "$PEER" Shotcut "$PEER"
else
    echo "$PEER is not installed: absolute figures only"
fi
