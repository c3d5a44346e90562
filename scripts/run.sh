#!/usr/bin/env bash
# Builds Vandrel and starts it. Without a display it runs on a virtual one and keeps a
# screenshot of its window up to date, so a headless machine still shows what it draws.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target vandrel

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec build/release/vandrel "$@"
fi

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $vandrel $xvfb 2>/dev/null || true' EXIT INT TERM
sleep 1
DISPLAY="$display" build/release/vandrel "$@" &
vandrel=$!
shot="$PWD/build/vandrel-screen.png"
echo "No display here: vandrel runs on the virtual display $display."
echo "Its screen is saved every 5 seconds to $shot (open it to see the window)."
echo "Press Ctrl+C to stop."
while kill -0 "$vandrel" 2>/dev/null; do
    sleep 5
    DISPLAY="$display" import -window root "$shot.tmp.png" 2>/dev/null && mv "$shot.tmp.png" "$shot"
done
