#!/usr/bin/env bash
# What a screen reader hears of the status bar, read over AT-SPI on a session bus of the
# test's own: the idle text, then during a unicast capture started through the menu what it
# records and its rate and losses, then, 5 s after the stream stops, that nothing arrives.
# Usage: capture_status_e2e.sh VANDREL SENDER
set -euo pipefail
if [ -z "${VANDREL_E2E_DBUS:-}" ]; then
    export VANDREL_E2E_DBUS=1
    if ! command -v dbus-run-session >/dev/null || ! /usr/bin/python3 -c 'import dbus' 2>/dev/null; then
        echo "SKIP: needs dbus-run-session and python3-dbus to read the accessibility tree"
        exit 77
    fi
    exec dbus-run-session -- "$0" "$@"
fi
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=tests/e2e/e2e_lib.sh
. "$here/e2e_lib.sh" "$@"
port=$((40000 + RANDOM % 20000))

# The status bar's texts, one a line, as the accessibility tree names them.
status_text() {
    /usr/bin/python3 "$here/status_text.py" "$app" 2>/dev/null || true
}
# Waits up to SECONDS for a status text that matches the extended regular expression.
wait_for_status() {
    for _ in $(seq $(($1 * 5))); do
        status_text | grep -Eq "$2" && return 0
        sleep 0.2
    done
    fail "the status bar never said /$2/; it says: $(status_text | tr '\n' '|')"
}

start_display
# The accessibility bus first, so that the program finds it as it starts.
gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.a11y.Bus.GetAddress >/dev/null 2>&1 || { echo "SKIP: no accessibility bus"; exit 77; }
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_program
wait_for_status 10 '^就绪$'

open_receiver_dialog 1
capture_on_port "$port"
# About 8 s of a 8 Mbit/s stream in the background, while the status is read.
"$sender" "$port" 6000 8 "$work/sent.ts" &
sending=$!
wait_for_status 10 "^:$port — lost here 0, before this host [^,]+, [1-9][0-9]*\.[0-9] Mbit/s, 0:00:[0-9]{2}, [0-9]+\.[0-9] MB$"
echo "during the capture: $(status_text | grep "^:$port")"
wait "$sending"
wait_for_status 12 "^:$port — nothing received for [5-9] s, lost here 0, "
echo "after the stream: $(status_text | grep "^:$port")"

exit_through_menu
expect_capture_of_sent "$VANDREL_PREFIX/drives/d/ReceivedUDP.ts"
grep -q "0 not written); lost here 0 datagrams; lost before this host " "$program_log" ||
    fail "the end line does not give both loss figures"
