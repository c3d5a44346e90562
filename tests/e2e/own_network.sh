# shellcheck shell=bash
# Sourced first by the end-to-end scripts that need a network namespace of their own: runs the
# script again inside one (in a user namespace of its own without the privilege), or skips.
if [ -z "${VANDREL_E2E_NETNS:-}" ]; then
    export VANDREL_E2E_NETNS=1
    for how in -n -rn; do
        if unshare "$how" true 2>/dev/null; then
            exec unshare "$how" -- "$0" "$@"
        fi
    done
    echo "SKIP: no network namespace could be made (unshare -n, unshare -rn)"
    exit 77
fi
