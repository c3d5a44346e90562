#!/usr/bin/env bash
# A capture's file is complete however the program ends: SIGTERM, SIGINT, SIGTERM while a
# dialog is open, or the display going away while a stream is being captured. Each way
# starts the built program on its own virtual display, starts "UniCast Received" through the
# menu, sends a bursty stream on loopback, ends the program that way and compares the file
# with what was sent.
# Usage: capture_end_e2e.sh VANDREL SENDER
# shellcheck source=tests/e2e/e2e_lib.sh
. "$(dirname "$0")/e2e_lib.sh" "$@"

for way in TERM INT dialog display; do
    fail_context="$way"
    port=$((40000 + RANDOM % 20000))
    start_display
    start_program
    open_receiver_dialog 1
    capture_on_port "$port"

    # 10,000 datagrams: the last few are still held (less than a block) or queued.
    "$sender" "$port" 10000 100 "$work/sent.ts"
    case "$way" in
        TERM | INT) kill -"$way" "$app" ;;
        # The dialog's own loop ends first; the capture's socket goes only after it.
        dialog) open_receiver_dialog 1 && kill -TERM "$app" ;;
        display) kill "$xvfb"; xvfb="" ;;
    esac
    wait_for_program_end
    stop_display

    capture="$VANDREL_PREFIX/drives/d/ReceivedUDP.ts"
    expect_capture_of_sent "$capture"
    grep -q "ended: .*: $(stat -c %s "$capture") bytes in 10000 datagrams written; 0 datagrams lost" \
        "$program_log" || fail "no true end-of-capture line on standard error"
    echo "$way: capture of $(stat -c %s "$capture") bytes equals what was sent"
done
