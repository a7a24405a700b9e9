#!/usr/bin/env bash
# Builds the Debian package and checks it: the program, desktop entry, icon,
# metadata, manual, license and changes in it and no stand-in; its
# dependencies read from the binary; Debian's checker (lintian) finding no
# error and no warning; the entry and the metadata valid; the program,
# unpacked into a throw-away root, starting from there.
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "check-package: $*" >&2; exit 1; }
bash scripts/install-packages.sh lintian >&2 || fail "could not install lintian"

deb=$(bash scripts/package-deb.sh)
[ -f "$deb" ] || fail "no package built"
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for wanted in usr/bin/tunelark usr/share/applications/org.tunelark.Tunelark.desktop \
    usr/share/icons/hicolor/scalable/apps/tunelark.svg usr/share/metainfo/org.tunelark.Tunelark.metainfo.xml \
    usr/share/man/man1/tunelark.1.gz usr/share/doc/tunelark/copyright usr/share/doc/tunelark/changelog.gz; do
    grep -qx "./$wanted" <<<"$files" || fail "$wanted is not in $deb"
done
! grep -E '(hoot\.exe|hootclient|standin)' <<<"$files" || fail "stand-ins in $deb"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends lacks the Qt libraries"
# Information and pedantic notes are allowed.
lintian --fail-on error,warning "$deb" >&2 || fail "lintian finds errors or warnings in $deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/org.tunelark.Tunelark.desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.tunelark.Tunelark.metainfo.xml" >/dev/null ||
    fail "AppStream metadata invalid"
version=$(dpkg-deb -f "$deb" Version)
grep -qF "$(sed -n '/^Permission/,$p' LICENSE | head -1)" "$root/usr/share/doc/tunelark/copyright" ||
    fail "the copyright file lacks the terms of LICENSE"
[ "$(zcat "$root/usr/share/doc/tunelark/changelog.gz" | dpkg-parsechangelog -l - -S Version)" = "$version" ] ||
    fail "the changelog's latest entry is not version $version (data/changelog)"
[ "$("$root/usr/bin/tunelark" --version)" = "tunelark $version" ] || fail "--version from the package"
# A folder that is not there ends the run before anything starts.
code=0
message=$("$root/usr/bin/tunelark" "$root/gone" 2>&1) || code=$?
[ "$code" = 2 ] || fail "exit code $code for a missing folder"
[ "$message" = "tunelark: cannot enter the folder '$root/gone': No such file or directory" ] ||
    fail "for a missing folder: $message"
echo "check-package: $deb is fine"
