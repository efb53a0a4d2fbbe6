#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package (scripts/package.sh), unpacks it into a scratch root with dpkg -x and
# checks that everything is there: the three programs, the user guide where the installed
# program looks for it, the manual pages (man finds them), the desktop entry and the AppStream
# description (each validated by its own tool), the icon, the bash completion, the copyright
# file and the changelog, the declared dependencies; that kolva-cli runs from the unpacked tree;
# and that lintian finds neither an error nor a warning. (A warning that has to stay gets an
# override with its reason, installed as usr/share/lintian/overrides/kolva.)
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(scripts/package.sh | tail -n1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

fail() { echo "check-package: $*" >&2; exit 1; }
id=org.kolva.thermometer
for f in usr/bin/kolva usr/bin/kolva-cli usr/bin/kolva-meter-sim usr/share/kolva/KOLVAHELP.htm \
         usr/share/man/man1/kolva.1.gz usr/share/man/man1/kolva-cli.1.gz \
         usr/share/man/man1/kolva-meter-sim.1.gz \
         usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/$id.svg \
         usr/share/bash-completion/completions/kolva-cli \
         usr/share/doc/kolva/copyright usr/share/doc/kolva/changelog.gz; do
  [ -s "$root/$f" ] || fail "missing $f"
done
for p in usr/bin/kolva usr/bin/kolva-cli usr/bin/kolva-meter-sim; do
  [ -x "$root/$p" ] || fail "$p is not executable"
done
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6serialport6 libqcustomplot2.1-qt6 libjpeg62-turbo qt6-qpa-plugins libqt6svg6; do
  grep -q "$d" <<<"$depends" || fail "the package does not depend on $d"
done

desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/$id.metainfo.xml" >/dev/null ||
  fail "appstreamcli does not accept $id.metainfo.xml: $(appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml")"

# One version everywhere: the package, the changelog, the AppStream release, the programs.
version=$(dpkg-deb -f "$deb" Version)
zcat "$root/usr/share/doc/kolva/changelog.gz" | head -n1 | grep -q "^kolva ($version) " ||
  fail "the changelog's first entry is not version $version"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" ||
  fail "the AppStream description has no release $version"
[ "$("$root/usr/bin/kolva-cli" --version)" = "kolva-cli $version" ] || fail "kolva-cli does not run"

# man finds the installed pages, and they show the program's own options.
MANPATH="$root/usr/share/man" MANWIDTH=100 man -P cat kolva-cli 2>/dev/null | grep -q -- "--comments" ||
  fail "man kolva-cli does not show the page"

# Debian's own checks: no error and no warning.
lintian --fail-on error,warning "$deb" ||
  fail "lintian does not accept $(basename "$deb")"
echo "check-package: $(basename "$deb") is complete and lintian-clean"
