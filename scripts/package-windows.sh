#!/usr/bin/env bash
# Makes the Windows zip, tunelark-VERSION-win64.zip, and prints its path. It
# holds tunelark.exe, README.txt (README.md with CR LF line ends, marked as
# UTF-8 for Notepad), the demo tl.lst and tl.ini byte for byte, and the license
# file when the repository has one, all at the top of the zip.
#
#   bash scripts/package-windows.sh              # builds the preset windows-release (optimized,
#                                                # stripped, no tests): build/windows-release/
#   bash scripts/package-windows.sh --from DIR   # packs DIR/bin/tunelark.exe of a windows build
#                                                # already made, into DIR/ (no second build)
#
# It refuses a program that is not a 64-bit Windows GUI program, or that
# needs a DLL beyond those every Windows has.
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "package-windows: $*" >&2; exit 1; }

bash scripts/install-packages.sh zip g++-mingw-w64-x86-64 >&2 || fail "could not install zip and the compiler"

if [ "${1:-}" = "--from" ]; then
    build=${2:?"--from needs the folder of a windows build"}
else
    build=build/windows-release
    cmake --preset windows-release >&2 || fail "the preset windows-release did not configure"
    cmake --build --preset windows-release -j2 >&2 || fail "the preset windows-release did not build"
fi
exe=$build/bin/tunelark.exe
[ -f "$exe" ] || fail "$exe was not built"

headers=$(x86_64-w64-mingw32-objdump -p "$exe") || fail "$exe is not a Windows program"
grep -qE '^Magic[[:space:]]+020b' <<<"$headers" || fail "$exe is not a 64-bit (PE32+) program"
grep -qE '^Subsystem[[:space:]]+00000002' <<<"$headers" ||
    fail "$exe is not a GUI program: $(grep -E '^Subsystem' <<<"$headers")"
system_dlls='kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|advapi32|ole32|oleaut32|uxtheme|imm32|winmm|version|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+'
foreign=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | grep -viE "^($system_dlls)\.dll$" || true)
[ -z "$foreign" ] || fail "$exe needs DLLs that Windows does not have: $(echo $foreign)"

version=$(sed -n 's/^project(Tunelark VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no project version in CMakeLists.txt"
zip=$(realpath "$build")/tunelark-$version-win64.zip

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$exe" demo/tl.lst demo/tl.ini "$stage/"
# A byte-order mark, or the Notepad of older Windows reads the Japanese as ANSI.
{ printf '\357\273\277'; sed 's/\r*$/\r/' README.md; } >"$stage/README.txt"
for license in LICENSE LICENSE.txt LICENSE.md COPYING COPYING.txt; do
    [ -f "$license" ] && cp "$license" "$stage/"
done
rm -f "$zip"
(cd "$stage" && zip -q -X -9 "$zip" ./*) || fail "zip failed"
echo "$zip"
