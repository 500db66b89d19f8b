#!/usr/bin/env bash
# Builds the Debian package (cmake --workflow --preset package) and checks it without installing
# it: unpacked into a temporary root, its desktop entry and AppStream data validated, lintian run
# over it (an error fails, warnings are printed), and the unpacked program started in a network
# of loopback only and without a display, for its version and its report. Root or not.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
velnor_install_missing dpkg-dev file lintian desktop-file-utils appstream

fail() {
    echo "package check: $*" >&2
    exit 1
}

# Afresh, so that no cache entry left from an earlier configure (a STUN list, say) reaches the
# package.
cmake --workflow --preset package --fresh
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-package/CMakeCache.txt)
deb=build-package/velnor_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $deb"
dpkg-deb --info "$deb"

root=$(mktemp -d /tmp/velnor-package.XXXXXX)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
program=$root/usr/bin/velnor
modules=$root/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/velnor
for file in "$program" "$modules/velnor-network.so" "$modules/velnor-smb.so" \
    "$root/usr/share/man/man1/velnor.1.gz" "$root/usr/share/doc/velnor/copyright"; do
    [ -f "$file" ] || fail "the package lacks ${file#"$root"}"
done
# A package asks the default STUN servers, never the test lab's.
grep -qaF 'stun.l.google.com:19302' "$program" || fail "the program lacks the default STUN list"
! grep -qaF 'velnor.test' "$program" || fail "the program names the test lab's STUN servers"

echo "== desktop entry and AppStream data"
metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "${metainfo[0]}")
desktop=$root/usr/share/applications/$id.desktop
[ -f "$desktop" ] || fail "no desktop entry named after the AppStream id $id"
desktop-file-validate "$desktop"
appstreamcli validate --no-net "${metainfo[0]}"

echo "== lintian"
lintian --fail-on error --display-info "$deb"

echo "== the unpacked program"
unset DISPLAY WAYLAND_DISPLAY
printed=$(velnor_isolated "$program" --version)
[ "$printed" = "Velnor $version" ] || fail "--version printed \"$printed\", not \"Velnor $version\""

# Which modules the report loads, and from where: those of the unpacked tree, found relative to
# the program.
trace=$root/trace
mkdir "$trace"
report=$root/report.txt
velnor_isolated env LD_DEBUG=files LD_DEBUG_OUTPUT="$trace/ld" \
    timeout 120 "$program" --report >"$report"
head -n 1 "$report" | grep -q $'^File created by Brantel\'s Velnor on .* at .*\r$' ||
    fail "the report's first line is \"$(head -n 1 "$report")\""
! grep -qv $'\r$' "$report" || fail "a line of the report does not end in CR LF"
[ "$(tail -c 2 "$report" | od -An -tx1 | tr -d ' ')" = 0d0a ] ||
    fail "the report does not end in CR LF"
grep -q $'^Internet IP: .*\r$' "$report" || fail "the report has no \"Internet IP: \" line"
grep -A 1 -x $'Network IPs\r' "$report" | sed -n 2p | grep -q . ||
    fail "the report has no \"Network IPs\" section with a row"
for module in velnor-network.so velnor-smb.so; do
    grep -qhF "calling init: $root/usr/bin/../${modules#"$root"/usr/}/$module" "$trace"/ld.* ||
        fail "the report did not load $module from the unpacked tree"
done
echo "package check: $deb passed ($(stat -c %s "$deb") bytes)"
