#!/usr/bin/env bash
# A capture's file is complete however the program ends: SIGTERM, SIGINT, SIGTERM while a
# dialog is open, or the display going away while a stream is being captured. Each way
# starts the built program on its own virtual display, starts "UniCast Received" through the
# menu, sends a bursty stream on loopback, ends the program that way and compares the file
# with what was sent.
# Usage: capture_end_e2e.sh VANDREL SENDER
set -euo pipefail
vandrel="$1"
sender="$2"
work="$(mktemp -d)"
xvfb=""
app=""
cleanup() {
    [ -n "$app" ] && kill -KILL "$app" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
unset QT_QPA_PLATFORM

fail() {
    echo "FAIL ($way): $*" >&2
    [ -f "$work/stderr" ] && sed 's/^/  program: /' "$work/stderr" >&2
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

open_port_dialog() {
    xdotool mousemove 200 150 click 1
    sleep 0.3
    key alt+f
    for _ in 1 2 3 4 5; do key Right; done
    key Return
    wait_for_window '^Dialog$'
}

for way in TERM INT dialog display; do
    port=$((40000 + RANDOM % 20000))
    rm -rf "$work/prefix" "$work/run" "$work/sent.ts" "$work/stderr"
    export VANDREL_PREFIX="$work/prefix" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    export DISPLAY=":$((200 + RANDOM % 300))"
    Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

    # A script's background job starts with SIGINT ignored; a terminal's program does not.
    env --default-signal=INT "$vandrel" 2>"$work/stderr" &
    app=$!
    wait_for_window ' - Vandrel$'
    sleep 0.5
    open_port_dialog
    key Tab ctrl+a
    xdotool type "$port"
    key Return
    for _ in $(seq 50); do ss -ulnH "sport = :$port" | grep -q . && break; sleep 0.1; done
    ss -ulnH "sport = :$port" | grep -q . || fail "nothing listens on port $port"

    # 10,000 datagrams: the last few are still held (less than a block) or queued.
    "$sender" "$port" 10000 100 "$work/sent.ts"
    case "$way" in
        TERM | INT) kill -"$way" "$app" ;;
        # The dialog's own loop ends first; the capture's socket goes only after it.
        dialog) open_port_dialog && kill -TERM "$app" ;;
        display) kill "$xvfb"; xvfb="" ;;
    esac
    for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$app" 2>/dev/null && fail "the program did not end"
    app=""
    [ -n "$xvfb" ] && { kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null || true; xvfb=""; }

    capture="$VANDREL_PREFIX/drives/d/ReceivedUDP.ts"
    [ -f "$capture" ] || fail "no capture file"
    cmp "$work/sent.ts" "$capture" || fail "the capture differs from what was sent"
    grep -q "ended: .*: $(stat -c %s "$capture") bytes in 10000 datagrams written; 0 datagrams lost" \
        "$work/stderr" || fail "no true end-of-capture line on standard error"
    echo "$way: capture of $(stat -c %s "$capture") bytes equals what was sent"
done
