#!/usr/bin/env bash
# Starts the built program on a virtual display, starts "UniCast Received" through its
# menu with the keyboard, sends a bursty stream on loopback, exits through the File menu
# and compares the capture file with what was sent.
# Usage: unicast_capture_e2e.sh VANDREL SENDER
set -euo pipefail
vandrel="$1"
sender="$2"
port=$((40000 + RANDOM % 20000))
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

# Focus the frame, then File (Alt+F), five menus right to "Receiver", its first item.
xdotool mousemove 200 150 click 1
sleep 0.3
key alt+f
for _ in 1 2 3 4 5; do key Right; done
key Return
wait_for_window '^Dialog$'
key Tab ctrl+a
xdotool type "$port"
key Return

for _ in $(seq 50); do ss -ulnH "sport = :$port" | grep -q . && break; sleep 0.1; done
ss -ulnH "sport = :$port" | grep -q . || fail "nothing listens on port $port"

"$sender" "$port" 20000 200 "$work/sent.ts"

# Exit through the File menu: 退出(&X).
xdotool mousemove 200 150 click 1
sleep 0.3
key alt+f
key x
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the program did not exit"
app=""

capture="$VANDREL_PREFIX/drives/d/ReceivedUDP.ts"
[ -f "$capture" ] || fail "no capture file"
cmp "$work/sent.ts" "$capture" || fail "the capture differs from what was sent"
echo "capture of $(stat -c %s "$capture") bytes equals what was sent"
