#!/usr/bin/env bash
# In a network namespace of its own: starts the built program on a virtual display, starts
# "Multicast Received" through its menu with the keyboard and accepts the dialog's group and
# port with Enter, sends a bursty stream to the group, exits through the File menu and
# compares the capture file with what was sent.
# Usage: multicast_capture_e2e.sh VANDREL SENDER
set -euo pipefail
# shellcheck source=tests/e2e/own_network.sh
. "$(dirname "$0")/own_network.sh"
if ! ip link set lo up multicast on || ! ip route add 224.0.0.0/4 dev lo; then
    echo "SKIP: ip could not set up lo in the namespace (lo up, multicast, 224.0.0.0/4)"
    exit 77
fi

# shellcheck source=tests/e2e/e2e_lib.sh
. "$(dirname "$0")/e2e_lib.sh" "$@"
group=228.7.7.7
port=8001

start_display
start_program
open_receiver_dialog 2
key Return

capture="$VANDREL_PREFIX/drives/d/receivedMulticast.ts"
# The capture file appears once the group is joined.
for _ in $(seq 50); do [ -f "$capture" ] && break; sleep 0.1; done
[ -f "$capture" ] || fail "no capture file: the group was not joined"
ip maddr show dev lo | grep -q "$group" || fail "nobody joined $group"

"$sender" "$port" 20000 200 "$work/sent.ts" "$group"
exit_through_menu

expect_capture_of_sent "$capture"
echo "capture of $(stat -c %s "$capture") bytes equals what was sent to $group:$port"
