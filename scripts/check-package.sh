#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package (scripts/package.sh), unpacks it into a scratch root with dpkg -x and
# checks that everything is there: the three programs, the user guide where the installed
# program looks for it, the desktop entry and the icon, the declared dependencies; and that
# kolva-cli runs from the unpacked tree.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(scripts/package.sh | tail -n1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

fail() { echo "check-package: $*" >&2; exit 1; }
for f in usr/bin/kolva usr/bin/kolva-cli usr/bin/kolva-meter-sim usr/share/kolva/KOLVAHELP.htm \
         usr/share/applications/kolva.desktop usr/share/icons/hicolor/scalable/apps/kolva.svg; do
  [ -s "$root/$f" ] || fail "missing $f"
done
for p in usr/bin/kolva usr/bin/kolva-cli usr/bin/kolva-meter-sim; do
  [ -x "$root/$p" ] || fail "$p is not executable"
done
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6serialport6 libqcustomplot2.1-qt6 libjpeg62-turbo qt6-qpa-plugins libqt6svg6; do
  grep -q "$d" <<<"$depends" || fail "the package does not depend on $d"
done
if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$root/usr/share/applications/kolva.desktop"
fi
"$root/usr/bin/kolva-cli" --version | grep -q "^kolva-cli " || fail "kolva-cli does not run"
echo "check-package: $(basename "$deb") is complete"
