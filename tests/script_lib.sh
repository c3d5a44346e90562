# shellcheck shell=bash
# Sourced by the test scripts: strict mode, a scratch folder $work that goes on exit, and fail,
# which ends the test with its reason (and the program's standard error, where $program_log
# names a file that holds it).
set -euo pipefail
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
program_log=""
fail() {
    echo "FAIL${fail_context:+ ($fail_context)}: $*" >&2
    [ -n "$program_log" ] && [ -f "$program_log" ] && sed 's/^/  program: /' "$program_log" >&2
    exit 1
}
