#!/usr/bin/env bash
# In a network namespace of its own, where only the test talks on lo: starts the built program
# on a virtual display, lets it draw quiet seconds, then runs a paced stream on loopback and
# takes a screenshot of the window while it runs. By the screenshot's pixels alone, lo's graph
# stands high for the seconds of the stream and low for the quiet ones before them.
# VANDREL_SCREENSHOT=FILE keeps the screenshot.
# Usage: rate_graph_e2e.sh VANDREL SENDER GRAPH_PROFILE
set -euo pipefail
# shellcheck source=tests/e2e/own_network.sh
. "$(dirname "$0")/own_network.sh"
if ! ip link set lo up; then
    echo "SKIP: ip could not set lo up in the namespace"
    exit 77
fi

# shellcheck source=tests/e2e/e2e_lib.sh
. "$(dirname "$0")/e2e_lib.sh" "$@"
profile="$3"
port=$((40000 + RANDOM % 20000))
quiet=14
stream=10

start_display
start_program
# A receiver, so that no unreachable port's replies add to the stream.
socat -u "UDP4-RECV:$port,bind=127.0.0.1" /dev/null &
receiving=$!
sleep "$quiet"
ss -ulnH "sport = :$port" | grep -q . || fail "nothing listens on port $port"
# 8 Mbit/s of 1316-byte datagrams for twice as long as the screenshot waits.
"$sender" "$port" $((2 * stream * 760)) 8 "$work/sent.ts" &
sending=$!
sleep "$stream"
window="$(xdotool search --onlyvisible --name ' - Vandrel$' | head -1)"
import -window "$window" "$work/shot.png" || fail "no screenshot"
kill "$sending" "$receiving" 2>/dev/null || true
wait "$sending" "$receiving" 2>/dev/null || true
[ -n "${VANDREL_SCREENSHOT:-}" ] && cp "$work/shot.png" "$VANDREL_SCREENSHOT"

read -r -d '' -a heights < <("$profile" "$work/shot.png" && printf '\0') ||
    fail "no graph in the screenshot"
plot=${heights[0]}
echo "plot $plot pixels high; heights by age, newest first: ${heights[*]:1:30}"
# Ages count from 1: the newest second may be half drawn. The stream's first and the quiet
# seconds' last two are left out, as the ticks fall anywhere in a second.
for age in $(seq 1 $((stream - 3))); do
    [ "${heights[age + 1]}" -ge $((plot * 35 / 100)) ] ||
        fail "second $age of the stream is drawn ${heights[age + 1]} of $plot pixels high"
done
for age in $(seq $((stream + 3)) $((stream + quiet - 6))); do
    height=${heights[age + 1]}
    [ "$height" -ge 0 ] || fail "quiet second $age is not drawn"
    [ "$height" -le $((plot / 10)) ] || fail "quiet second $age is drawn $height of $plot pixels high"
done
echo "lo's graph rises where the stream runs"
