#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Vandrel need.
# Does nothing when they are all present; needs root otherwise.
set -euo pipefail

packages=(
    # build
    g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libx11-dev
    # tests, benchmarks, fuzzing
    libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
    # a display and fonts for the window, screenshots, Qt's Chinese texts
    xvfb xauth x11-apps x11-utils xdotool imagemagick fonts-dejavu-core fonts-noto-cjk qt6-translations-l10n
    # network namespaces and the receivers the capture is compared with
    iproute2 socat multicat util-linux
    # the join diagnosis tests make a firewall rule that drops a port, and try the sysctl
    # line the program advises
    nftables procps
    # the accessibility tree, read over a session bus of the test's own
    dbus-daemon at-spi2-core libglib2.0-bin python3-dbus
    # the Debian package and its checks
    dpkg-dev lintian man-db desktop-file-utils appstream file
    # a decimal-comma locale, to test that numbers keep the program's own format
    locales
)

# Made after the packages; without root the test that needs it says so and is skipped.
make_comma_locale() {
    locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8' && return 0
    if [ "$(id -u)" -eq 0 ] && command -v localedef >/dev/null; then
        localedef -i de_DE -f UTF-8 de_DE.UTF-8
    fi
}

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
    make_comma_locale
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "vandrel: these packages are missing; run as root to install them: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
make_comma_locale
