#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time (seconds, default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

for target in build/fuzz/fuzz/*_fuzzer; do
    name="$(basename "$target" _fuzzer)"
    corpus="$(mktemp -d)"
    seeds="build/fuzz/fuzz/corpus/$name"
    [ -d "$seeds" ] && cp -r "$seeds/." "$corpus/"
    echo "fuzzing $name for ${seconds}s"
    log="$(mktemp)"
    if ! "$target" -max_total_time="$seconds" "$corpus" >"$log" 2>&1; then
        cat "$log"
        exit 1
    fi
    tail -n 2 "$log"
    rm -rf "$corpus" "$log"
done
