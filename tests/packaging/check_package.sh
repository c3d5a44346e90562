#!/usr/bin/env bash
# Builds the Debian package from the build, runs lintian on it, unpacks it into a temporary
# root, checks that every file it lists and every file desktops look for is there, validates
# the desktop entry and metadata, and runs the unpacked program's --version.
# Usage: check_package.sh BUILD VERSION
# shellcheck source=tests/script_lib.sh
. "$(dirname "$0")/../script_lib.sh"
build="$1"
version="$2"

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/out/vandrel_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $deb"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version), not $version"
for name in Section Priority Maintainer Homepage Description; do
    [ -n "$(field "$name")" ] || fail "no $name field"
done
for dep in fonts-noto-cjk qt6-translations-l10n libqt6widgets6 libc6; do
    field Depends | grep -qw "$dep" || fail "Depends lacks $dep: $(field Depends)"
done

# Errors fail; warnings are shown.
lintian --fail-on error --info "$deb" || fail "lintian"

root="$work/root"
dpkg -x "$deb" "$root"
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||;/\/$/d;/^$/d' >"$work/listed"
[ -s "$work/listed" ] || fail "the package lists no files"
while read -r file; do
    [ -e "$root/$file" ] || fail "listed but not unpacked: $file"
done <"$work/listed"
expected=(
    usr/bin/vandrel
    usr/share/applications/net.vandrel.NetTraffic.desktop
    usr/share/metainfo/net.vandrel.NetTraffic.metainfo.xml
    usr/share/man/man1/vandrel.1.gz
    usr/share/doc/vandrel/copyright
    usr/share/doc/vandrel/changelog.gz
)
for size in 16 32 48 64 128 256; do
    icon="usr/share/icons/hicolor/${size}x${size}/apps/vandrel.png"
    expected+=("$icon")
    file "$root/$icon" | grep -q "${size} x ${size}" || fail "icon $icon is not ${size}x${size}"
done
for file in "${expected[@]}"; do
    grep -qx "$file" "$work/listed" || fail "not in the package: $file"
done

desktop-file-validate "$root/usr/share/applications/net.vandrel.NetTraffic.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/net.vandrel.NetTraffic.metainfo.xml"
grep -q "release version=\"$version\"" "$root/usr/share/metainfo/net.vandrel.NetTraffic.metainfo.xml" ||
    fail "the metadata names another release"
warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
    "$root/usr/share/man/man1/vandrel.1.gz" 2>&1 >/dev/null)"
[ -z "$warnings" ] || fail "the manual page has warnings: $warnings"
zcat "$root/usr/share/man/man1/vandrel.1.gz" | grep -q "vandrel $version" ||
    fail "the manual page names another version"

# No display and no Qt settings: --version must answer before Qt starts.
out="$(env -i "$root/usr/bin/vandrel" --version)" || fail "--version exited with $?"
[ "$out" = "vandrel $version" ] || fail "--version printed '$out'"
echo "vandrel_${version}_amd64.deb: $(stat -c %s "$deb") bytes; Depends: $(field Depends)"
