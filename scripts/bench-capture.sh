#!/usr/bin/env bash
# Runs the capture benchmark: each receiver's loss-free rate (arguments go to that run, e.g.
# --seconds 5 or --rates 100,200), the program's resident memory after a minute at 100 Mbit/s
# beside its idle figure, then the capture through a one-second stall of its user-interface
# thread with net.core.rmem_max at Debian's default, then the multicast capture's loss-free
# rate with the others joined to its group (in a network namespace, so root), at that default
# too. Best on a quiet machine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target capture_bench >/dev/null
bench=build/release/bench/capture/capture_bench

"$bench" "$@" 2> >(grep -v '^debug:\|XDG_RUNTIME_DIR\|poll error\|^vandrel: capture\|Datagrams are lost' >&2)
"$bench" --memory --seconds 60 2> >(grep -v 'XDG_RUNTIME_DIR\|^vandrel: capture' >&2)

# Without CAP_NET_ADMIN the capture cannot pass rmem_max with SO_RCVBUFFORCE.
rmem=/proc/sys/net/core/rmem_max
saved="$(cat "$rmem")"
if [ "$(id -u)" -eq 0 ] && echo 212992 >"$rmem" 2>/dev/null; then
    trap 'echo "$saved" >"$rmem"' EXIT
    setpriv --bounding-set -net_admin "$bench" --stall 2> >(grep -v 'XDG_RUNTIME_DIR' >&2)
    "$bench" --multicast "$@" 2> >(grep -v '^debug:\|XDG_RUNTIME_DIR\|poll error' >&2)
else
    echo "net.core.rmem_max stays at $saved: setting Debian's default 212992 needs root"
    "$bench" --stall
    echo "the multicast run needs root for its network namespace"
fi
