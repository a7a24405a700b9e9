#!/usr/bin/env bash
# tunelark.exe end to end under Wine, as a person uses it: a folder with
# tl.lst and tl.ini, the Win32 stand-ins beside the program, clicks and keys
# through xdotool. Every wait is for a state (journal lines, windows by title,
# the program's end), bounded by LIMIT. Run by scripts/windows.sh, which sets
# up WINEPREFIX and DISPLAY; prints "ok NAME" or "FAIL NAME" per case.
#   bash tests/e2e/e2e_win.sh BUILD_BIN_DIR
set -uo pipefail
BIN=$(realpath "$1")
WINE=${WINE:-/usr/lib/wine/wine64}
LIMIT=30 # seconds
# Points in the window (Wine's own frame included): 次曲演奏, 時間記憶, the third row.
NEXT=(43 155) STORE=(123 155) ROW3=(80 237)
work=$(mktemp -d)
started=()
trap 'kill "${started[@]}" 2>/dev/null; rm -rf "$work"' EXIT
failed=0

poll() { local end=$((SECONDS + LIMIT)); until "$@"; do ((SECONDS < end)) || return 1; sleep 0.1; done; }
check() {
    local name=$1
    shift
    if "$@"; then echo "ok   $name"; else echo "FAIL $name"; failed=$((failed + 1)); fi
}

# A folder of its own: 星海 (Shift-JIS) twice, Meadow twice, the last with a stored time.
folder() {
    dir="$work/$1" && mkdir -p "$dir"
    printf '[config]\r\nHootInitWaitTime=0\r\nDriverInitWaitTime=0\r\nDefaultPlayTime=600\r\nNowPlayingFile=now.txt\r\n' \
        >"$dir/tl.ini"
    [ "${2:-}" = nolist ] && return
    printf ',"星海","lkfm","1",1,"朝の港"\r\n,"星海","lkfm","1",2,"Harbour"\r\n,"Meadow","lkpsg","2",16,"Title"\r\n02:00,"Meadow","lkpsg","2",17,"庭園 Garden"\r\n' |
        iconv -f UTF-8 -t CP932 >"$dir/tl.lst"
    cp "$dir/tl.lst" "$dir/original.lst"
}
# Starts a run in the folder, or from elsewhere with the folder as its argument.
start() {
    local from=$dir
    [ "${2:-}" = by-argument ] && from=$work
    (cd "$from" && HOOT_STANDIN_JOURNAL="$dir/journal.jsonl" exec "$WINE" "$BIN/tunelark.exe" ${2:+"$dir"} \
        >"$dir/$1.log" 2>&1) &
    pid=$!
    started+=("$pid")
}
windows() { xdotool search --onlyvisible --name '^Tunelark$' 2>/dev/null; }
main_window() { main=$(windows | head -1); [ -n "$main" ]; }
# A message box: a window titled Tunelark that is not the main window.
box_up() { box=$(windows | grep -vx "${main:-none}" | head -1); [ -n "$box" ]; }
# A click on the box's button (ok, or yes or no of Yes and No, centred in the
# bottom row): without a window manager keys may still go to another window.
answer() {
    poll box_up || return 1
    eval "$(xdotool getwindowgeometry --shell "$box")"
    local x=$((WIDTH / 2))
    [ "$1" = yes ] && x=$((x - 34))
    [ "$1" = no ] && x=$((x + 34))
    xdotool mousemove --window "$box" "$x" $((HEIGHT - 25)) click 1
}
ended() { ! kill -0 "$pid" 2>/dev/null; }
exit_code_is() { poll ended && { wait "$pid"; [ $? -eq "$1" ]; }; }
click() { xdotool mousemove --window "$main" "$1" "$2" click "${@:3}" 1; }

orders() { sed -n 's/.*"args":\(\[[^]]*\]\).*/\1/p' "$dir/journal.jsonl" 2>/dev/null; }
journal_matches() { [ "$(orders)" = "$expected" ]; }
# The orders so far and these after them, exactly.
then_orders() { expected+=${expected:+$'\n'}$(printf '%s\n' "$@"); poll journal_matches; }
# The now-playing file holds exactly this line (UTF-8, no line end).
now_playing() { printf '%s' "$1" | cmp -s - "$dir/now.txt"; }
no_emulator() { [ -z "$(xdotool search --name '^hoot\.\.\. - Sound Hardware Emulator$' 2>/dev/null)" ]; }
saved_list_ok() {
    cmp -s "$dir/tl.lst.bak" "$dir/original.lst" || return 1
    # Shift-JIS and CR LF, the time stored on the fourth track.
    iconv -f CP932 -t UTF-8 "$dir/tl.lst" >"$dir/saved.txt" || return 1
    [ "$(grep -c $'\r$' "$dir/saved.txt")" -eq 4 ] && grep -q '"星海"' "$dir/saved.txt" &&
        grep -qE '^[0-9]{2}:[0-9]{2},"Meadow","lkpsg","2",17,"庭園 Garden"' "$dir/saved.txt" &&
        ! grep -q '^00:00,"Meadow","lkpsg","2",17' "$dir/saved.txt"
}

folder play
start play by-argument
expected=""
check "the window appears" poll main_window
check "start-up orders: override, the first game, its code" \
    then_orders '["override"]' '["title=星海","major=lkfm","sub=1"]' '["code","1"]'
check "the now-playing file shows the first track" poll now_playing "星海 - 朝の港"
click "${NEXT[@]}"
check "次曲演奏 plays the next track" then_orders '["code","2"]'
check "the now-playing file follows the change" poll now_playing "星海 - Harbour"
click "${ROW3[@]}" --repeat 2 --delay 80
check "a double-click plays its row" then_orders '["title=Meadow","major=lkpsg","sub=2"]' '["code","16"]'
xdotool type --delay 50 gard && xdotool key Return
check "typing finds a track and Enter plays it" then_orders '["code","17"]'
sleep 1.5 # a stored time needs a played second
click "${STORE[@]}"
check "時間記憶 stores the time and moves on" then_orders '["title=星海","major=lkfm","sub=1"]' '["code","1"]'
check "the time is kept beside the list until saved" test -s "$dir/tl.lst.unsaved"
poll now_playing "星海 - 朝の港" # the change is over: its selection no longer moves the focused row
click "${ROW3[@]}" && xdotool key ctrl+Return && click "${NEXT[@]}"
check "Ctrl+Enter queues a row without playing it; 次曲演奏 plays it" \
    then_orders '["title=Meadow","major=lkpsg","sub=2"]' '["code","16"]'
click "${NEXT[@]}"
check "次曲演奏 then plays the row after it" then_orders '["code","17"]'
xdotool key --clearmodifiers alt+F4
check "closing asks to save, Yes ends the run" answer yes
check "the run ends with exit code 0" exit_code_is 0
check "the now-playing file is emptied at the close" now_playing ""
check "tl.lst saved in Shift-JIS with CR LF, tl.lst.bak kept" saved_list_ok
check "the saved time is no longer kept beside the list" test ! -e "$dir/tl.lst.unsaved"
check "the emulator it started is ended" poll no_emulator

# A run that stops at start-up: its message answered, its exit code.
refused() {
    start refused
    answer ok && exit_code_is "$2" && grep -q "$1" "$dir/refused.log"
}
folder missing nolist
main=""
check "a missing tl.lst is told, exit code 1" refused "曲リストファイルが見つかりません。" 1
folder second
second=$dir
mkdir "$dir/now.txt" # a now-playing file that cannot be written
start first
first=$pid
poll main_window
check "a second instance is refused, exit code 1" refused "既に起動されています。" 1
pid=$first
# The key typed into the emulator's window: only the global hot key reaches Tunelark.
xdotool search --name '^hoot\.\.\. - Sound Hardware Emulator$' windowfocus --sync %1 key XF86AudioNext
check "without the overlay the media key plays the next track from another window" poll grep -q '"code","2"' "$second/journal.jsonl"
click 200 40 && xdotool key --clearmodifiers alt+F4
check "the first instance still closes, exit code 0" exit_code_is 0
check "an unwritable now-playing file is told once" \
    test "$(grep -c '^tunelark: now-playing file not written: ' "$dir/first.log")" = 1
# A list its hexadecimal code marks changed, closed at once and Yes answered.
changed_list() {
    folder "$1" nolist
    printf ',"Meadow","lkpsg","2",0x10,"Title"\r\n' >"$dir/$2"
    cp "$dir/$2" "$dir/original.lst"
}
close_saving() {
    start "$1"
    poll main_window && click 200 40 && xdotool key --clearmodifiers alt+F4 && answer yes
}
changed_list linked real.lst
ln -s real.lst "$dir/tl.lst"
saved_through_link() {
    close_saving linked && exit_code_is 0 && [ -L "$dir/tl.lst" ] && grep -q ',16,' "$dir/real.lst" &&
        cmp -s "$dir/tl.lst.bak" "$dir/original.lst"
}
check "a linked tl.lst stays a link, its target gets the list" saved_through_link
changed_list readonly tl.lst
chmod a-w "$dir/tl.lst"
retry_asked() { grep -q 'もう一度記録しますか' "$dir/readonly.log"; }
refused_read_only() {
    close_saving readonly && poll retry_asked && grep -q '読み取り専用' "$dir/readonly.log" && answer no &&
        exit_code_is 2 && cmp -s "$dir/tl.lst" "$dir/original.lst" && [ ! -e "$dir/tl.lst.bak" ]
}
check "a read-only tl.lst is not replaced: the reason, the retry question, No ends with exit code 2" refused_read_only
# The end of the session with a changed list: the save question comes as at a close, and Yes saves.
changed_list session tl.lst
start session
poll main_window
"$WINE" wineboot --end-session >/dev/null 2>&1 &
session_end=$!
saved_at_session_end() {
    answer yes && exit_code_is 0 && grep -q ',16,' "$dir/tl.lst" && cmp -s "$dir/tl.lst.bak" "$dir/original.lst"
}
check "the end of the session asks to save, Yes saves, the run ends" saved_at_session_end
wait "$session_end"
# The system's media overlay, played by the stand-in DLL registered for its
# class in this prefix: what Tunelark shows there, and its Next button.
overlay_key='HKLM\Software\Microsoft\WindowsRuntime\ActivatableClassId\Windows.Media.SystemMediaTransportControls'
# The log's last lines are exactly these.
overlay_ends() { [ "$(tail -n $# "$overlay" 2>/dev/null)" = "$(printf '%s\n' "$@")" ]; }
overlay_shows() { poll overlay_ends 'Type 1' "Title $2" "AlbumArtist $1" "Artist $1" Update 'PlaybackStatus 3'; }
folder overlay
overlay=$dir/overlay.log
"$WINE" reg add "$overlay_key" /v DllPath /t REG_SZ /d "Z:${BIN//\//\\}\\mediacontrols_standin.dll" /f >/dev/null 2>&1
TUNELARK_OVERLAY_LOG=$overlay start overlay
expected=""
poll main_window
check "the overlay shows the first track, playing" overlay_shows "星海" "朝の港"
touch "$overlay.next"
check "the overlay's Next plays the next track" then_orders '["override"]' '["title=星海","major=lkfm","sub=1"]' '["code","1"]' '["code","2"]'
check "the overlay follows the change" overlay_shows "星海" "Harbour"
check "with the overlay the media key is left to other programs" grep -qx 'media key free' "$overlay"
click 200 40 && xdotool key --clearmodifiers alt+F4
check "the overlay is cleared at the close" eval 'exit_code_is 0 && overlay_ends "remove ButtonPressed 7" ClearAll Update "PlaybackStatus 0" "IsEnabled 0"'
check "only the documented slots, no Play, Pause or Stop" eval '! grep -E "^unexpected|without a window" "$overlay"'
"$WINE" reg delete "$overlay_key" /f >/dev/null 2>&1

# Command lines that end without a window: arguments, what the output
# holds, the exit code.
prints() { local out; out=$(cd "$work" && "$WINE" "$BIN/tunelark.exe" $1 2>&1); [ $? -eq "$3" ] && grep -q "$2" <<<"$out"; }
while IFS='|' read -r arguments output code; do
    check "tunelark.exe $arguments" prints "$arguments" "$output" "$code"
done <<'CASES'
--version|^tunelark [0-9]|0
--check nothere.lst|nothere.lst: cannot be read|2
--frobnicate|unknown option|2
nothere|cannot enter the folder 'nothere'|2
CASES
exit $((failed > 0))
