#!/usr/bin/env bash
# Cross-builds the parts without Qt for Windows (preset "windows") and runs
# their tests under Wine inside a private X server, the window end to end
# among them (the scenario table of tests/e2e/e2e.sh). Installs the compiler,
# Wine and Xvfb when they are missing. Ends with "N passed, N failed" (test
# cases); the exit status is non-zero when anything failed.
#
#   scripts/windows.sh            build and test, and pack this build's program into a zip and check it
#   scripts/windows.sh --bench    also time a track change under Wine and natively, and the Windows
#                                 program's start-up under Wine; the zip then comes from the
#                                 optimized build (windows-release), which is the one timed
set -uo pipefail
cd "$(dirname "$0")/.."

BUILD=${TUNELARK_WINDOWS_BUILD:-build/windows}
TESTS=(tst_commandline tst_emulatorcontrol tst_tracklist tst_config tst_savefile tst_unsavedtimes tst_checkcommand tst_nowplayingfile tst_resumestate tst_platform_win tst_mainloop_win tst_textmeasure_win)
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
TEST_LIMIT=300 # seconds for one test program

bash scripts/install-packages.sh g++-mingw-w64-x86-64 wine64 xvfb xdotool googletest zip unzip || { echo "could not install the Windows tools"; exit 2; }

cmake --preset windows -B "$BUILD" >/dev/null || exit 2
cmake --build "$BUILD" -j2 || exit 2
BIN="$BUILD/bin"

# A private X server on the first free display number.
display=""
for n in $(seq 70 130); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "no free X display number"; exit 2; }
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export WINEPREFIX="$PWD/$BUILD/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=":$display"
cleanup() {
    timeout 20 "$WINESERVER" -k 2>/dev/null
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
done
[ -e "/tmp/.X11-unix/X$display" ] || { echo "Xvfb did not start"; exit 2; }

started=$(date +%s%N)
bash scripts/wineprefix.sh || exit 2
echo "Wine prefix ready in $((($(date +%s%N) - started) / 1000000)) ms ($WINEPREFIX)"

passed=0
failed=0
# Adds one test program's cases to the counts: its name, exit status, the
# counts of passed and failed cases in its log, and the log.
tally() {
    local name=$1 status=$2 ok=$3 bad=$4 log=$5
    # A crash or a hang counts as one more failure.
    if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then bad=1; fi
    passed=$((passed + ok))
    failed=$((failed + bad))
    if [ "$status" -eq 0 ]; then
        echo "ok   $name ($ok)"
    else
        echo "FAIL $name (exit $status, $bad failed; log: $log)"
        grep -E '^\[  FAILED  \]|Failure|error|^FAIL' "$log" | head -20
    fi
}
for test in "${TESTS[@]}"; do
    log="$BUILD/$test.log"
    timeout "$TEST_LIMIT" "$WINE" "$BIN/$test.exe" --gtest_color=no >"$log" 2>&1
    status=$?
    tally "$test" "$status" "$(grep -c '^\[       OK \]' "$log")" \
        "$(grep -cE '^\[  FAILED  \] .*\([0-9]+ ms\)$' "$log")" "$log"
done
# The window end to end, driven with xdotool: a line per scenario.
log="$BUILD/e2e_win.log"
timeout 900 bash tests/e2e/e2e.sh win "$BIN" >"$log" 2>&1
status=$?
tally e2e_win "$status" "$(grep -c '^ok ' "$log")" "$(grep -c '^FAIL ' "$log")" "$log"

# The zip as a user gets it: exactly the program, the README as text with CR LF
# line ends, the demo list and settings byte for byte, and the license if the
# repository has one.
check_zip() {
    local zip=$1 expected listed
    unzip -l "$zip" | tr -d '\r'
    expected=$(printf '%s\n' README.txt tl.ini tl.lst tunelark.exe $(ls LICENSE* COPYING* 2>/dev/null) | sort)
    listed=$(unzip -Z1 "$zip" | sort)
    [ "$listed" = "$expected" ] || { echo "the zip holds other files than:" $expected; return 1; }
    for demo in tl.lst tl.ini; do
        unzip -p "$zip" "$demo" | cmp -s - "demo/$demo" || { echo "$demo differs from demo/$demo"; return 1; }
    done
    unzip -p "$zip" README.txt | tail -c +4 | tr -d '\r' | cmp -s - README.md ||
        { echo "README.txt is not README.md"; return 1; }
    [ "$(unzip -p "$zip" README.txt | grep -c $'\r$')" = "$(wc -l <README.md)" ] ||
        { echo "README.txt has lines without CR LF"; return 1; }
}
package_log=$BUILD/package-windows.log
if [ "${1:-}" = "--bench" ]; then
    zip=$(bash scripts/package-windows.sh 2>"$package_log")
else
    zip=$(bash scripts/package-windows.sh --from "$BUILD" 2>"$package_log")
fi
if [ -n "$zip" ] && check_zip "$zip"; then
    echo "ok   the Windows zip ($(stat -c %s "$zip") bytes: $zip)"
    passed=$((passed + 1))
else
    echo "FAIL the Windows zip (log: $package_log)"
    tail -5 "$package_log"
    failed=$((failed + 1))
fi

if [ "${1:-}" = "--bench" ]; then
    # The same measurement on Linux right after, in a native build
    # (TUNELARK_LINUX_BUILD, configured with the release preset when new),
    # which also times the Windows program's start-up from outside Wine.
    timeout 300 "$WINE" "$BIN/bench_emulator_win.exe" | tr -d '\r'
    native=${TUNELARK_LINUX_BUILD:-build/release}
    [ -f "$native/CMakeCache.txt" ] || cmake --preset release -B "$native" >/dev/null
    if cmake --build "$native" -j2 --target bench_emulator bench_wine_startup >/dev/null; then
        timeout 300 "$native/bench/bench_emulator"
        timeout 1200 "$native/bench/bench_wine_startup" build/windows-release/bin/tunelark.exe \
            "$BIN/bench_bare_window_win.exe" "$BIN"
    else
        echo "the native benchmarks did not build"
    fi
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
