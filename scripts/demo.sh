#!/usr/bin/env bash
# Sets up, builds and starts the jukebox on the demo list against the stand-in
# emulator and client. With a display it opens a real window; without one it
# plays for about ten seconds under Xvfb, prints the orders the stand-in
# emulator received and saves a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/setup.sh debug
build=$root/build/debug

# A fresh copy of the demo list, so saving in the demo never changes demo/.
run=$root/build/demo-run
rm -rf "$run"
mkdir -p "$run"
cp demo/tl.lst demo/tl.ini "$run/"
cd "$run"
export PATH="$build/standins/bin:$PATH"
export HOOT_STANDIN_JOURNAL="$run/journal.jsonl"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "Starting Tunelark in $run"
    exec "$build/src/tunelark"
fi

echo "No display: running headless under Xvfb for about ten seconds."
exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
xvfb_pid=$!
read -r -t 20 display <&3 || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"
openbox >/dev/null 2>&1 &
wm_pid=$!
cleanup() { kill "$wm_pid" "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT

"$build/src/tunelark" >"$run/tunelark.log" 2>&1 &
app_pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tunelark$' | head -n 1) || true
# Play a little as a user would: the next track, then a double-click on the
# eighth row (positions inside the window, in pixels at 96 DPI).
if [ -n "$window" ]; then
    sleep 3
    xdotool windowactivate --sync "$window" mousemove --window "$window" 40 133 click 1 || true
    sleep 3
    xdotool mousemove --window "$window" 100 280 click --repeat 2 --delay 80 1 || true
    sleep 4
else
    sleep 10
fi
import -window root "$run/screenshot.png"

# Close the window as a user would, and answer No to the save question.
if [ -n "$window" ]; then
    xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4 || true
    sleep 1
    if question=$(xdotool search --onlyvisible --name '^Tunelark$' 2>/dev/null | grep -v "^$window\$" | head -n 1); [ -n "$question" ]; then
        xdotool windowactivate --sync "$question" key Escape || true
    fi
fi
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.2; done
kill "$app_pid" 2>/dev/null || true
wait "$app_pid" 2>/dev/null || true

echo
echo "Orders the stand-in emulator received:"
grep '^hoot' "$run/tunelark.log" || echo "(none)"
echo
echo "Screenshot: $run/screenshot.png"
