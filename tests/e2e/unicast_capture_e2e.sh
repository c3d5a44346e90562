#!/usr/bin/env bash
# Starts the built program on a virtual display, starts "UniCast Received" through its
# menu with the keyboard, sends a bursty stream on loopback, exits through the File menu
# and compares the capture file with what was sent.
# Usage: unicast_capture_e2e.sh VANDREL SENDER
# shellcheck source=tests/e2e/e2e_lib.sh
. "$(dirname "$0")/e2e_lib.sh" "$@"
port=$((40000 + RANDOM % 20000))

start_display
start_program
open_receiver_dialog 1
capture_on_port "$port"
"$sender" "$port" 20000 200 "$work/sent.ts"
exit_through_menu

capture="$VANDREL_PREFIX/drives/d/ReceivedUDP.ts"
expect_capture_of_sent "$capture"
echo "capture of $(stat -c %s "$capture") bytes equals what was sent"
