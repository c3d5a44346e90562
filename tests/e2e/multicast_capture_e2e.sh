#!/usr/bin/env bash
# In a network namespace of its own: starts the built program on a virtual display, starts
# "Multicast Received" through its menu with the keyboard and accepts the dialog's group and
# port with Enter, sends a bursty stream to the group, exits through the File menu and
# compares the capture file with what was sent.
# Usage: multicast_capture_e2e.sh VANDREL SENDER
set -euo pipefail
if [ -z "${VANDREL_E2E_NETNS:-}" ]; then
    export VANDREL_E2E_NETNS=1
    # Without the privilege for a namespace, one in a user namespace of our own.
    for how in -n -rn; do
        if unshare "$how" true 2>/dev/null; then
            exec unshare "$how" -- "$0" "$@"
        fi
    done
    echo "SKIP: no network namespace could be made (unshare -n, unshare -rn)"
    exit 77
fi
if ! ip link set lo up multicast on || ! ip route add 224.0.0.0/4 dev lo; then
    echo "SKIP: ip could not set up lo in the namespace (lo up, multicast, 224.0.0.0/4)"
    exit 77
fi

vandrel="$1"
sender="$2"
group=228.7.7.7
port=8001
work="$(mktemp -d)"
export VANDREL_PREFIX="$work/prefix" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
export DISPLAY=":$((200 + RANDOM % 300))"

Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# Every wait has a deadline.
wait_for_window() {
    timeout 10 xdotool search --sync --onlyvisible --name "$1" >/dev/null || fail "no window '$1'"
}
key() {
    xdotool key "$@"
    sleep 0.3
}

for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
"$vandrel" &
app=$!
wait_for_window ' - Vandrel$'
sleep 0.5

# Focus the frame, then File (Alt+F), five menus right to "Receiver", its second item.
xdotool mousemove 200 150 click 1
sleep 0.3
key alt+f
for _ in 1 2 3 4 5; do key Right; done
key Down
key Return
wait_for_window '^Dialog$'
key Return

capture="$VANDREL_PREFIX/drives/d/receivedMulticast.ts"
# The capture file appears once the group is joined.
for _ in $(seq 50); do [ -f "$capture" ] && break; sleep 0.1; done
[ -f "$capture" ] || fail "no capture file: the group was not joined"
ip maddr show dev lo | grep -q "$group" || fail "nobody joined $group"

"$sender" "$port" 20000 200 "$work/sent.ts" "$group"

# Exit through the File menu: 退出(&X).
xdotool mousemove 200 150 click 1
sleep 0.3
key alt+f
key x
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the program did not exit"
app=""

cmp "$work/sent.ts" "$capture" || fail "the capture differs from what was sent"
echo "capture of $(stat -c %s "$capture") bytes equals what was sent to $group:$port"
