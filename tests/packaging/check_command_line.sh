#!/usr/bin/env bash
# The command line as a Linux user meets it: --help and --version answer on standard output
# without a display, an unknown --option is refused with status 2, and the framework's forms
# (a file, /p FILE) still start the program.
# Usage: check_command_line.sh VANDREL VERSION
# shellcheck source=tests/script_lib.sh
. "$(dirname "$0")/../script_lib.sh"
vandrel="$1"
version="$2"
# Runs the program with no environment at all; sets status, out and err.
run() {
    status=0
    env -i "$vandrel" "$@" >"$work/out" 2>"$work/err" || status=$?
    out="$(cat "$work/out")"
    err="$(cat "$work/err")"
}

run --version
[ "$status" -eq 0 ] && [ "$out" = "vandrel $version" ] && [ -z "$err" ] ||
    fail "--version: status $status, out '$out', err '$err'"
for help in --help -h "a.ts --help"; do
    # shellcheck disable=SC2086
    run $help
    [ "$status" -eq 0 ] && [ -z "$err" ] || fail "$help: status $status, err '$err'"
    grep -q '^Usage: vandrel \[FILE\]' <<<"$out" && grep -q -- '--version' <<<"$out" ||
        fail "$help printed '$out'"
done
for bad in --bogus "a.ts --verbose"; do
    # shellcheck disable=SC2086
    run $bad
    [ "$status" -eq 2 ] && [ -z "$out" ] || fail "$bad: status $status, out '$out'"
    grep -q "unknown option '--" <<<"$err" && grep -q -- "--help" <<<"$err" ||
        fail "$bad: err '$err'"
done

# The framework's forms, and a file named like an option after "--", reach the program,
# which keeps running until stopped.
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
export VANDREL_PREFIX="$work/prefix"
mkdir -m 700 "$XDG_RUNTIME_DIR"
for form in "/p $work/a.ts" "$work/a.ts" "-- --a.ts"; do
    status=0
    # shellcheck disable=SC2086
    timeout 3 "$vandrel" $form >/dev/null 2>&1 || status=$?
    [ "$status" -eq 124 ] || fail "'$form' ended with status $status instead of running"
done
