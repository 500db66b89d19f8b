#!/usr/bin/env bash
# The installer under Wine, in a prefix and namespace of its own: an older version installs, the
# package replaces it (one entry in the installed programs, with version and publisher), the
# installed program answers --version, the Start-menu shortcut is there; uninstalling removes
# the program, its shortcut and its entry.
#   msi_test.sh PACKAGE_BUILD_DIR
# Needs Xvfb, openbox, Wine and wixl (for the older version). Status 77: skipped.
set -euo pipefail
build=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
for tool in Xvfb wine wixl; do
    command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is missing"; exit 77; }
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
msi="$build/velnor-$version-x64.msi"
[ -f "$msi" ] || { echo "no $msi: build it with cmake --workflow --preset windows-package"; exit 1; }
if [ "$(id -u)" -ne 0 ]; then
    exec unshare --user --map-root-user --net bash "$0" "$@"
elif [ -z "${MSI_TEST_ISOLATED:-}" ]; then
    MSI_TEST_ISOLATED=1 exec unshare --net bash "$0" "$@"
fi
ip link set lo up
source "$here/wine_desktop.sh"

# The same package as an older version, made from the package's own source.
sed "s/Version=\"$version\"/Version=\"1.9.0\"/" "$build/packaging/windows/velnor.wxs" \
    >"$build/packaging/windows/velnor-old.wxs"
(cd "$build/packaging/windows" && wixl -a x64 -o "$WORK/old.msi" velnor-old.wxs 2>/dev/null)
rm "$build/packaging/windows/velnor-old.wxs"

wine_desktop_start
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
program="$WINEPREFIX/drive_c/Program Files/Velnor/velnor.exe"
entries() { # "name version publisher" of each installed-programs entry named Velnor
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
        tr -d '\r' | awk '
            /^HKEY/ { if (name == "Velnor") print name, version, publisher; name = version = publisher = "" }
            $1 == "DisplayName" { name = $3 }
            $1 == "DisplayVersion" { version = $3 }
            $1 == "Publisher" { publisher = $3 " " $4 }
            END { if (name == "Velnor") print name, version, publisher }'
}
shortcuts() { find "$WINEPREFIX/drive_c" -iname 'Velnor.lnk' | wc -l; }

wine msiexec /i "$WORK/old.msi" /qn || fail "the older version did not install"
[ "$(entries)" == "Velnor 1.9.0 Brantel Software" ] || fail "older version's entry: $(entries)"

wine msiexec /i "$msi" /qn || fail "the package did not install over the older version"
[ -f "$program" ] || fail "no $program"
[ "$(entries)" == "Velnor $version Brantel Software" ] ||
    fail "after the upgrade, expected one entry of $version: $(entries | paste -sd'|')"
answer=$(wine "C:\\Program Files\\Velnor\\velnor.exe" --version | tr -d '\r')
[ "$answer" == "Velnor $version" ] || fail "the installed program answered \"$answer\""
[ "$(shortcuts)" -eq 1 ] || fail "Start-menu shortcuts: $(shortcuts)"
echo "installed: $(entries), $(du -k "$program" | cut -f1) KB, answers \"$answer\""

wine msiexec /x "$msi" /qn || fail "uninstall failed"
[ ! -e "$(dirname "$program")" ] || fail "the program's folder is left"
[ -z "$(entries)" ] || fail "the entry is left: $(entries)"
[ "$(shortcuts)" -eq 0 ] || fail "the shortcut is left"

wine_desktop_stop
[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "the installer: installs over an older version, runs, uninstalls"
