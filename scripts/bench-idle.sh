#!/usr/bin/env bash
# The whole program at rest beside a bare Qt window that shows the same lines and graphs once a
# second (bench/idle/bare_window.cpp), both started the same way on a fresh virtual display
# without accessibility, in turns: CPU per one-second tick, start-up (launch to mapped window)
# and resident memory. Goals: CPU at most 1.5, start-up at most 1.2, memory at most 1.5 times the
# bare window's. The bare window showing the lines alone (bare_lines) is measured in the same
# turns, as the anchor was before the graphs. Best on a quiet machine.
# Usage: scripts/bench-idle.sh [SECONDS_PER_RUN (30)] [ROUNDS (3)] [PRESET (release)]
# VANDREL=path measures another build of the program (an older one, say) against the same anchor.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
rounds="${2:-3}"
preset="${3:-release}"

scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target vandrel bare_window launch_mapped >/dev/null
build="build/$preset"

work="$(mktemp -d)"
xvfb=""
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# CPU time in ns of every thread of a process, from the scheduler's own accounting.
cpu_ns() {
    local total=0 stat
    for stat in /proc/"$1"/task/*/schedstat; do
        read -r ns _ <"$stat" 2>/dev/null && total=$((total + ns))
    done
    echo "$total"
}

# One run: prints "start-up ms, CPU ms per tick, resident KiB, X server CPU ms per tick".
run() {
    export VANDREL_PREFIX="$work/prefix" XDG_CONFIG_HOME="$work/config"
    export XDG_RUNTIME_DIR="$work/run" QT_ACCESSIBILITY=0
    rm -rf "$work"/{prefix,config,run}
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    unset QT_QPA_PLATFORM
    export DISPLAY=":$((300 + RANDOM % 400))"
    Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    local launched pid startup
    launched="$("$build/bench/idle/launch_mapped" 10 "$@" 2>/dev/null)"
    read -r pid startup <<<"$launched"
    app=$pid
    sleep 3  # let the start-up settle
    local a0 x0 a1 x1 rss
    a0=$(cpu_ns "$pid")
    x0=$(cpu_ns "$xvfb")
    sleep "$seconds"
    a1=$(cpu_ns "$pid")
    x1=$(cpu_ns "$xvfb")
    rss=$(awk '/^VmRSS/ {print $2}' /proc/"$pid"/status)
    kill "$pid"
    app=""
    kill "$xvfb"
    wait "$xvfb" 2>/dev/null || true
    xvfb=""
    awk -v s="$startup" -v a=$((a1 - a0)) -v x=$((x1 - x0)) -v r="$rss" -v t="$seconds" \
        'BEGIN {printf "%.1f %.3f %d %.3f\n", s, a / 1e6 / t, r, x / 1e6 / t}'
}

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

: >"$work/vandrel"
: >"$work/bare"
: >"$work/bare_lines"
for round in $(seq "$rounds"); do
    echo "round $round of $rounds: ${seconds} s each" >&2
    run "${VANDREL:-$build/vandrel}" >>"$work/vandrel"
    run "$build/bench/idle/bare_window" >>"$work/bare"
    run "$build/bench/idle/bare_window" --lines-only >>"$work/bare_lines"
done

printf '%-12s %12s %14s %12s %16s\n' "" "start-up ms" "CPU ms/tick" "RSS MiB" "Xvfb ms/tick"
for who in vandrel bare bare_lines; do
    printf '%-12s' "$who"
    for column in 1 2 3 4; do
        value=$(awk -v c=$column '{print $c}' "$work/$who" | median)
        [ $column -eq 3 ] && value=$(awk -v v="$value" 'BEGIN {printf "%.1f", v / 1024}')
        printf ' %14s' "$value"
        eval "${who}_$column=$value"
    done
    echo
done
awk -v s1="$vandrel_1" -v s2="$bare_1" -v c1="$vandrel_2" -v c2="$bare_2" \
    -v m1="$vandrel_3" -v m2="$bare_3" -v c3="$bare_lines_2" 'BEGIN {
    printf "ratios (goal): CPU per tick %.2f (<= 1.5), start-up %.2f (<= 1.2), memory %.2f (<= 1.5)\n",
        c1 / c2, s1 / s2, m1 / m2
    printf "CPU per tick beside the lines alone: %.2f\n", c1 / c3
}'
echo "(medians of $rounds runs of $seconds s)"
