#!/usr/bin/env bash
# A host with a second network that carries the group: in a network namespace of its own,
# joined by a veth pair to the senders' namespace. Types "source@group%interface" into the
# dialog of "Multicast Received" as a user does, while two senders send to the group, and
# compares the capture file with what the named source sent.
# Usage: multicast_networks_e2e.sh VANDREL SENDER
set -euo pipefail
# shellcheck source=tests/e2e/own_network.sh
. "$(dirname "$0")/own_network.sh"

# shellcheck source=tests/e2e/e2e_lib.sh
. "$(dirname "$0")/e2e_lib.sh" "$@"
group=232.1.1.1
port=5004

# The senders' namespace: one process holds it, the veth pair's far end lives there.
unshare -n sleep 300 &
holder=$!
trap 'kill "$holder" 2>/dev/null || true; stop_program_now; stop_display; rm -rf "$work"' EXIT
there() { nsenter -t "$holder" -n "$@"; }
for _ in $(seq 50); do [ "$(readlink "/proc/$holder/ns/net")" != "$(readlink /proc/self/ns/net)" ] && break; sleep 0.1; done
if ! ip link set lo up || ! ip link add vr type veth peer name vs ||
    ! ip link set vs netns "$holder" || ! ip link set vr up; then
    echo "SKIP: ip could not join the senders' namespace by a veth pair"
    exit 77
fi
there ip link set lo up
there ip link set vs up
there ip addr add 10.9.0.1/24 dev vs
there ip addr add 10.9.0.3/24 dev vs
there ip route add 224.0.0.0/4 dev vs

start_display
start_program
open_receiver_dialog 2
# OK has the focus: the address field is two tab stops on, the port one more.
key Tab Tab ctrl+a
xdotool type "10.9.0.3@$group%vr"
key Tab ctrl+a
xdotool type "$port"
key Return

capture="$VANDREL_PREFIX/drives/d/receivedMulticast.ts"
for _ in $(seq 50); do [ -f "$capture" ] && break; sleep 0.1; done
[ -f "$capture" ] || fail "no capture file: the group was not joined"

there "$sender" "$port" 3000 50 "$work/other.ts" "$group" 10.9.0.1
there "$sender" "$port" 5000 50 "$work/sent.ts" "$group" 10.9.0.3
exit_through_menu

expect_capture_of_sent "$capture"
echo "capture of $(stat -c %s "$capture") bytes holds only what 10.9.0.3 sent to $group:$port on vr"
