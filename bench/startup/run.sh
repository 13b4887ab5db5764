#!/usr/bin/env bash
# Start-up benchmark: bench/startup/run.sh [RUNS] (default 10) times exec-to-window and measures idle RSS of build/velto-vocabulary against a bare Qt window, alternating, under one private Xvfb (BUILD=dir picks another build folder).
#
# The goals are for information and are not enforced: start-up within 1.3x
# the bare window's, idle resident memory within 10 MiB of it.
set -euo pipefail

runs=${1:-10}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [RUNS]   (RUNS: a whole number of runs per program, default 10)" >&2
    exit 2
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${BUILD:-build}
[[ $build == /* ]] || build=$root/$build
cd "$root"

"$root/scripts/install-deps" --gui-tools
if [[ ! -f $build/CMakeCache.txt ]]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j "$(nproc)" --target velto-vocabulary bare_window startup_watch

watch=$build/startup_watch
names=("Bare Window" "Velto Vocabulary")
programs=("$build/bare_window" "$build/velto-vocabulary")
keys=(bare velto)

tmp=$(mktemp -d "${TMPDIR:-/tmp}/velto-startup.XXXXXX")
xvfb_pid=
cleanup() {
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# One Xvfb of our own, on the first free display from :97, open only to
# holders of a fresh cookie.
export XAUTHORITY=$tmp/Xauthority
export XDG_RUNTIME_DIR=$tmp/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
touch "$XAUTHORITY"
display=
for n in $(seq 97 160); do
    if [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]]; then continue; fi
    xauth -q -f "$XAUTHORITY" add ":$n" . "$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')"
    Xvfb ":$n" -auth "$XAUTHORITY" -nolisten tcp -screen 0 1280x1024x24 >"$tmp/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        if xdpyinfo -display ":$n" >/dev/null 2>&1; then
            display=:$n
            break 2
        fi
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    # Lost a race for the display, or too slow: give up on this number.
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
done
if [[ -z $display ]]; then
    echo "run.sh: could not start Xvfb on any display from :97 to :160" >&2
    cat "$tmp/xvfb.log" >&2 2>/dev/null || true
    exit 1
fi
export DISPLAY=$display

# measure INDEX [discard]: one run of a program; appends its figures.
measure() {
    local i=$1 log=$tmp/${keys[$1]}.log line
    if ! line=$("$watch" --title "${names[$i]}" -- "${programs[$i]}" 2>>"$log"); then
        echo "run.sh: ${names[$i]} failed; its last output:" >&2
        tail -n 20 "$log" >&2
        exit 1
    fi
    if [[ ${2:-} == discard ]]; then return; fi
    [[ $line =~ startup_ms=([0-9.]+)\ rss_kib=([0-9]+) ]] || { echo "run.sh: unreadable figures: $line" >&2; exit 1; }
    echo "${BASH_REMATCH[1]}" >>"$tmp/${keys[$i]}.ms"
    echo "${BASH_REMATCH[2]}" >>"$tmp/${keys[$i]}.kib"
}

# A first, uncounted run of each warms the file cache for both alike.
measure 0 discard
measure 1 discard
for ((r = 0; r < runs; r++)); do
    # Swapping the order each round keeps either from always going first.
    if ((r % 2 == 0)); then measure 0; measure 1; else measure 1; measure 0; fi
    if [[ -t 2 ]]; then printf '\rrun.sh: round %d of %d' $((r + 1)) "$runs" >&2; fi
done
if [[ -t 2 ]]; then echo >&2; fi

# stats FILE SCALE: median, min and max of the numbers in FILE, divided by SCALE.
stats() {
    sort -g "$1" | awk -v scale="$2" '
        { v[NR] = $1 / scale }
        END {
            median = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "%.2f %.2f %.2f\n", median, v[1], v[NR]
        }'
}

read -r bare_ms bare_ms_min bare_ms_max < <(stats "$tmp/bare.ms" 1)
read -r velto_ms velto_ms_min velto_ms_max < <(stats "$tmp/velto.ms" 1)
read -r bare_mib bare_mib_min bare_mib_max < <(stats "$tmp/bare.kib" 1024)
read -r velto_mib velto_mib_min velto_mib_max < <(stats "$tmp/velto.kib" 1024)

echo "Start-up under Xvfb $display: $runs runs each, alternating, after one warm-up run each"
# Other work on the machine shows in the spread; say how busy it was.
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) CPUs"
printf '%-18s %28s   %28s\n' "" "exec to window shown (ms)" "idle resident memory (MiB)"
printf '%-18s %8s %9s %9s   %8s %9s %9s\n' "" median min max median min max
printf '%-18s %8s %9s %9s   %8s %9s %9s\n' "${names[0]}" "$bare_ms" "$bare_ms_min" "$bare_ms_max" "$bare_mib" "$bare_mib_min" "$bare_mib_max"
printf '%-18s %8s %9s %9s   %8s %9s %9s\n' "${names[1]}" "$velto_ms" "$velto_ms_min" "$velto_ms_max" "$velto_mib" "$velto_mib_min" "$velto_mib_max"
awk -v a="$velto_ms" -v b="$bare_ms" -v ma="$velto_mib" -v mb="$bare_mib" 'BEGIN {
    ratio = a / b; diff = ma - mb
    printf "start-up ratio (medians): %.2fx   (goal: within 1.3x, %s)\n", ratio, ratio <= 1.3 ? "met" : "missed"
    printf "idle memory difference (medians): %+.2f MiB   (goal: within 10 MiB, %s)\n", diff, diff <= 10 ? "met" : "missed"
}'
