#!/usr/bin/env bash
# Installs the build into a temporary prefix, then checks that every desktop file is where
# desktops look and that desktop-file-validate and appstreamcli accept them.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(
    bin/vandrel
    share/applications/net.vandrel.NetTraffic.desktop
    share/metainfo/net.vandrel.NetTraffic.metainfo.xml
    share/icons/hicolor/16x16/apps/vandrel.png
    share/icons/hicolor/32x32/apps/vandrel.png
)
for file in "${expected[@]}"; do
    [ -f "$prefix/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
for size in 16 32; do
    file "$prefix/share/icons/hicolor/${size}x${size}/apps/vandrel.png" | grep -q "${size} x ${size}" ||
        { echo "icon ${size}x${size} has the wrong size" >&2; exit 1; }
done

desktop-file-validate "$prefix/share/applications/net.vandrel.NetTraffic.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/net.vandrel.NetTraffic.metainfo.xml"
