# shellcheck shell=bash
# Sourced by the end-to-end scripts with their arguments VANDREL SENDER: the program as a user
# drives it, on a virtual display of its own, with a prefix, settings and runtime folder of its
# own under $work. Every wait has a deadline.
# shellcheck source=tests/script_lib.sh
. "$(dirname "${BASH_SOURCE[0]}")/../script_lib.sh"
vandrel="$1"
# shellcheck disable=SC2034 # the scripts run it
sender="$2"
xvfb=""
app=""
program_log="$work/stderr"
unset QT_QPA_PLATFORM
trap 'stop_program_now; stop_display; rm -rf "$work"' EXIT

# A fresh prefix and runtime folder, and a new virtual display.
start_display() {
    rm -rf "$work/prefix" "$work/run" "$work/sent.ts" "$work/stderr"
    export VANDREL_PREFIX="$work/prefix" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    # The server takes a free display and says which: a number picked here may be another
    # test's, whose server would then be the one this test talks to until it goes.
    rm -f "$work/display"
    Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$work/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || fail "the virtual display did not start"
    export DISPLAY=":$(head -1 "$work/display")"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}
stop_display() {
    [ -n "$xvfb" ] || return 0
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    xvfb=""
}

wait_for_window() {
    timeout 10 xdotool search --sync --onlyvisible --name "$1" >/dev/null || fail "no window '$1'"
}
key() {
    xdotool key "$@"
    sleep 0.3
}

# Starts the program, its standard error into $program_log, and waits for its frame.
start_program() {
    # A script's background job starts with SIGINT ignored; a terminal's program does not.
    env --default-signal=INT "$vandrel" 2>"$program_log" &
    app=$!
    wait_for_window ' - Vandrel$'
    sleep 0.5
}
# Waits for the program to end by itself.
wait_for_program_end() {
    for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$app" 2>/dev/null && fail "the program did not end"
    app=""
}
stop_program_now() {
    [ -n "$app" ] || return 0
    kill -KILL "$app" 2>/dev/null || true
    app=""
}

# Focus the frame, then File (Alt+F), five menus right to "Receiver" and its Nth item, whose
# dialog opens.
open_receiver_dialog() {
    xdotool mousemove 200 150 click 1
    sleep 0.3
    key alt+f
    for _ in 1 2 3 4 5; do key Right; done
    for _ in $(seq 2 "$1"); do key Down; done
    key Return
    wait_for_window '^Dialog$'
}
# Types PORT into the open port dialog, accepts it, and waits until the capture listens there.
capture_on_port() {
    key Tab ctrl+a
    xdotool type "$1"
    key Return
    for _ in $(seq 50); do ss -ulnH "sport = :$1" | grep -q . && break; sleep 0.1; done
    ss -ulnH "sport = :$1" | grep -q . || fail "nothing listens on port $1"
}
# Exits through the File menu, 退出(&X), and waits for the program to end.
exit_through_menu() {
    xdotool mousemove 200 150 click 1
    sleep 0.3
    key alt+f
    key x
    wait_for_program_end
}

# The capture file CAPTURE holds exactly what the sender sent.
expect_capture_of_sent() {
    [ -f "$1" ] || fail "no capture file"
    cmp "$work/sent.ts" "$1" || fail "the capture differs from what was sent"
}
