#!/usr/bin/env bash
# Both windows end to end from one table (scenarios.txt beside this script),
# as a person uses them: a folder with tl.lst and tl.ini, the stand-ins,
# clicks and keys through xdotool. Every wait is for a state (journal lines,
# windows by title, messages echoed on standard error, files, the program's
# end), bounded by LIMIT. Prints "ok SCENARIO" or "FAIL SCENARIO: line N: step"
# per scenario; the exit status is non-zero when one failed.
#   bash tests/e2e/e2e.sh qt TUNELARK STANDIN_DIR   the Qt window, on an X server and openbox of its own
#   bash tests/e2e/e2e.sh win BUILD_BIN_DIR         tunelark.exe under Wine (scripts/windows.sh sets up
#                                                   WINEPREFIX and DISPLAY); the stand-ins lie beside it
set -uf -o pipefail
LC_ALL=C # byte-wise comparisons; the programs keep the caller's locale
export -n LC_ALL
table=$(dirname "$0")/scenarios.txt
window=$1
LIMIT=${E2E_LIMIT:-60} # seconds; a sanitizer build on a busy machine is slow
work=$(mktemp -d)
declare -A pids told
# What is left running ends with the script; the overlay is not left registered in the prefix.
ending() {
    [ "$window" = win ] && step_overlay off
    for p in "${pids[@]}" ${x11:-}; do ((p > 0)) && kill "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap ending EXIT

poll() { local end=$((SECONDS + LIMIT)); until "$@"; do ((SECONDS < end)) || return 1; sleep 0.05; done; }
qt() { [ "$window" = qt ]; }
if qt; then
    program=("$(realpath "$2")") standins=$(realpath "$3") frame=(0 0)
    emulator=("$standins/hoot.exe")
    export PATH="$standins:$PATH" QT_QPA_PLATFORM=xcb
    Xvfb -displayfd 1 -noreset -nolisten tcp -screen 0 1024x768x24 >"$work/display" 2>/dev/null &
    x11=$!
    poll test -s "$work/display" || exit 2
    export DISPLAY=:$(cat "$work/display")
    openbox --sm-disable >/dev/null 2>&1 &
    x11+=" $!"
    managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    poll managed || exit 2
else
    bin=$(realpath "$2")
    export WINE=${WINE:-/usr/lib/wine/wine64}
    # Wine draws the window's frame itself: the client area starts 3 right, 22 down.
    program=("$WINE" "$bin/tunelark.exe") emulator=("$WINE" "$bin/hoot.exe") frame=(3 22)
fi

# The main window and message boxes: titled exactly "Tunelark" (the search ignores case: the find tip is named
# after the program); the main window is nobody's transient, a box is any other.
titled() { [ "$(xdotool getwindowname "$1" 2>/dev/null)" = Tunelark ]; }
windows() { xdotool search --onlyvisible --name '^Tunelark$' 2>/dev/null; }
main_up() {
    local w
    for w in $(windows); do
        titled "$w" && ! xprop -id "$w" WM_TRANSIENT_FOR | grep -q 'window id' && main=$w && return 0
    done
    return 1
}
box_up() {
    local w
    for w in $(windows); do [ "$w" != "$main" ] && titled "$w" && box=$w && return 0; done
    return 1
}
box_gone() { ! windows | grep -qx "$box"; }
# Once at the box, then up to two seconds for it to go: a key pressed while the box is still taking the focus
# goes to no one. Without a window manager (Wine) keys may go to another window: the button is clicked.
press() {
    box_gone && return
    if qt; then
        xdotool windowactivate --sync "$box" key "$key"
    else
        eval "$(xdotool getwindowgeometry --shell "$box")"
        xdotool mousemove --window "$box" $((WIDTH / 2 + offset)) $((HEIGHT - 25)) click 1
    fi
    LIMIT=2 poll box_gone
}
click() { # x y button [click options]; no --sync on mousemove: it waits forever when the pointer is already there
    if qt; then xdotool windowactivate --sync "$main"; else xdotool windowraise "$main"; fi
    xdotool mousemove --window "$main" $(($1 + frame[0])) $(($2 + frame[1])) click "${@:4}" "$3"
}
row() { echo 92 $((184 + 16 * ($1 - 1))); }
emulators() { xdotool search --name '^hoot\.\.\. - Sound Hardware Emulator$' 2>/dev/null; }
no_emulator() { [ -z "$(emulators)" ]; }
# The orders so far, "arguments; arguments", from the stand-in client's journal.
orders() { sed -n 's/.*"args":\["\([^]]*\)"\].*/\1/; T; s/","/ /g; p' journal.jsonl 2>/dev/null | paste -sd';' |
    sed 's/;/; /g'; }
count() { [ -z "$1" ] && echo 0 || echo "$1" | tr ';' '\n' | wc -l; }
enough_orders() { (($(count "$(orders)") >= $(count "$expected"))); }
# What a run told the user: its messages' first lines, echoed on standard error.
told_by() { sed -n 's/\r$//; s/^tunelark: //p' "$1.log" 2>/dev/null; }
# Line for line against the texts told so far, which may hold glob patterns; the same number of lines.
told_matches() {
    local got want i
    mapfile -t got < <(told_by "$1")
    mapfile -t want < <(printf '%s' "${told[$1]}")
    for i in "${!got[@]}"; do [[ ${got[i]} == ${want[i]:-} ]] || return 1; done
    ((${#got[@]} == ${#want[@]}))
}
same_bytes() { printf '%b' "$2" | cmp -s - "$1"; }
played_for() { (($(date +%s%3N) - $(stat -c %.3Y journal.jsonl | tr -d .) >= $1)); }
ended() { ! kill -0 "${pids[$1]}" 2>/dev/null; }
matches() { local bytes pattern; bytes=$(cat "$1"; echo .); pattern=$(printf '%b' "$2" | iconv -f UTF-8 -t CP932; echo .)
    [[ $bytes == $pattern ]]; }
tail_is() { [ "$(tail -n "$(count "$2")" "$1" 2>/dev/null)" = "$(printf '%s\n' "$2" | sed 's/; /\n/g')" ]; }

# The steps of the table.
step_start() { # NAME [VAR=VALUE]... [by-argument]: from the folder, or from elsewhere with the folder as argument
    local name=$1 from=$dir argument=() settings=()
    for word in "${@:2}"; do
        [ "$word" = by-argument ] && from=$work argument=("$dir") || settings+=("$word")
    done
    (cd "$from" && exec env HOOT_STANDIN_JOURNAL="$dir/journal.jsonl" XDG_RUNTIME_DIR="$dir" XDG_STATE_HOME="$dir" "${settings[@]}" \
        "${program[@]}" "${argument[@]}" >"$dir/$name.log" 2>&1) &
    pids[$name]=$!
}
step_window() { poll main_up; }
step_answer() { # yes, no or ok
    local key=Return offset=0
    [ "$1" = yes ] && key=y offset=-34
    [ "$1" = no ] && key=n offset=34
    poll box_up && poll press
}
step_next() { click 40 133 1; }
step_store() { click 120 133 1; }
button() { case "${1:-}" in right) echo 3 ;; middle) echo 2 ;; *) echo 1 ;; esac; }
step_click() { click $(row "$1") "$(button "${2:-}")"; } # ROW [right|middle]
step_double() { click $(row "$1") "$(button "${2:-}")" --repeat 2 --delay 80; }
# ROW ITEM: the row's menu, once it is open (a window more for the run), and a click on the ITEMth of its two
# items. A click, not keys: the menu may take the keyboard only a moment after it shows.
step_menu() {
    local before menu WIDTH HEIGHT
    before=$(xdotool search --onlyvisible --pid "${pids[main]}" | sort)
    step_click "$1" right || return 1
    poll eval 'menu=$(comm -13 <(echo "$before") <(xdotool search --onlyvisible --pid "${pids[main]}" | sort)); [ -n "$menu" ]' ||
        return 1
    eval "$(xdotool getwindowgeometry --shell "${menu%%$'\n'*}" | grep -E '^(WIDTH|HEIGHT)=')"
    xdotool mousemove --window "${menu%%$'\n'*}" $((WIDTH / 2)) $((HEIGHT * (2 * $2 - 1) / 4)) click 1
}
step_key() { xdotool key --clearmodifiers "$@"; }
step_type() { xdotool type --delay 50 "$*"; }
step_close() { # as the close button does it: Alt+F4 to the main window, which has the focus
    if qt; then xdotool windowactivate --sync "$main"; else click 197 18 1 && xdotool windowfocus --sync "$main"; fi &&
        xdotool key --clearmodifiers alt+F4
}
# The last change has ended: no client of the run's is running and its titles were written since the last
# order. Times on disk come in steps of a few milliseconds, so a quick change may write both in one step.
step_settled() { poll eval '! pgrep -P "${pids[main]}" hootclient >/dev/null && ! [ journal.jsonl -nt now.txt ]'; }
step_played() { poll played_for $(($1 * 1000)); } # seconds since the last order
step_signal() { ((pids[$1] > 0)) && kill -s "$2" "${pids[$1]}"; }
step_exits() { # NAME CODE; the window goes with the run, and X11 may give its id to the next run's first window
    poll ended "$1" && { wait "${pids[$1]}" 2>/dev/null; local code=$?; unset "pids[$1]"; [ $code -eq "$2" ]; } || return 1
    windows | grep -qx "$main" || main=""
}
step_told() { # NAME [TEXT; TEXT...]: the run has told exactly its earlier texts and these
    local name=$1 texts
    shift
    texts=$*
    told[$name]+=${texts:+${texts//; /$'\n'}$'\n'}
    poll told_matches "$name"
}
step_no-emulator() { poll no_emulator; }
step_kill-emulator() { xdotool search --name '^hoot\.\.\. - Sound Hardware Emulator$' windowkill && poll no_emulator; }
step_start-emulator() { "${emulator[@]}" >/dev/null 2>&1 & pids[emulator]=$!; poll emulators >/dev/null; }
step_emulator-key() { xdotool search --name '^hoot\.\.\. - Sound Hardware Emulator$' windowfocus --sync %1 key "$1"; }
step_emulator-of() { (($(ps -o ppid= -p "$(emulators | xargs -n1 xdotool getwindowpid)") == pids[$1])); }
step_overlay() { # on or off: the stand-in of the system's media overlay registered for its class in this prefix
    local key='HKLM\Software\Microsoft\WindowsRuntime\ActivatableClassId\Windows.Media.SystemMediaTransportControls'
    if [ "$1" = on ]; then
        "$WINE" reg add "$key" /v DllPath /t REG_SZ /d "Z:${bin//\//\\}\\mediacontrols_standin.dll" /f
    else
        "$WINE" reg delete "$key" /f
    fi >/dev/null 2>&1
}
step_end-session() { "$WINE" wineboot --end-session >/dev/null 2>&1 & pids[session]=$!; }
step_list() { printf '%b' "$*" | iconv -f UTF-8 -t CP932 >tl.lst && cp tl.lst original.lst; }
step_ini() { sed -i "/^${1%%=*}=/d" tl.ini && printf '%s\r\n' "$1" >>tl.ini; }
step_sh() { bash -c "$*"; }
step_prints() { "${program[@]}" "${@:2}" >prints.out 2>&1; [ $? -eq "$1" ]; } # CODE ARGUMENTS...
step_saved() { local f=$1; shift; matches "$f" "$*"; } # Shift-JIS bytes; the text may hold glob patterns
step_file() { local f=$1; shift; poll same_bytes "$f" "$*"; } # exact bytes, in UTF-8
step_same() { cmp -s "$1" "$2"; }
step_absent() { [ ! -e "$1" ]; }
step_exists() { poll test -e "$1"; }
step_link() { [ -L "$1" ]; }
step_has() { local f=$1; shift; poll grep -qE "$*" "$f"; }
step_lacks() { local f=$1; shift; ! grep -qE "$*" "$f"; }
step_tail() { local f=$1; shift; poll tail_is "$f" "$*"; } # FILE LINE; LINE...: its last lines exactly
step_playerctl() { # COMMAND [ARGUMENT] = ANSWER, asked until answered: a change takes a moment
    local command=() answer=""
    while (($#)) && [ "$1" != = ]; do command+=("$1") && shift; done
    shift
    local -A formats=([metadata]='--format={{status}} {{xesam:album}} {{xesam:title}} {{mpris:length}} {{mpris:trackid}}'
        [position]='--format={{xesam:title}} {{duration(position)}}')
    [ -n "${formats[${command[0]}]:-}" ] && command=(metadata "${formats[${command[0]}]}")
    answer=$*
    poll eval '[ "$(playerctl --player=tunelark "${command[@]}" 2>/dev/null | head -1)" = "$answer" ]'
}

trim() { local s=$1; s=${s#"${s%%[! ]*}"}; printf '%s' "${s%"${s##*[! ]}"}"; }
# ACTION [| ORDERS IT ADDS [| NOW-PLAYING LINE]]: after the action, the journal holds exactly the orders so far.
run_line() {
    local action=$line columns=()
    if [[ $line == *'|'* ]]; then IFS='|' read -ra columns <<<"$line"; action=${columns[0]}; fi
    set -- $(trim "$action")
    if (($#)); then declare -F "step_$1" >/dev/null && "step_$@" || return 1; fi
    ((${#columns[@]})) || return 0
    local added
    added=$(trim "${columns[1]:-}")
    expected+=${expected:+${added:+; }}$added
    poll enough_orders && [ "$(orders)" = "$expected" ] || return 1
    [ -z "$(trim "${columns[2]:-}")" ] || poll same_bytes now.txt "$(trim "${columns[2]}")"
}
# Each scenario in a folder of its own with these settings and the list of two games, two tracks each: 星海 in
# Shift-JIS, then Meadow, whose hexadecimal code marks the list changed as it loads.
begin() {
    scenario=$1 failure="" expected="" main="" told=()
    dir=$work/$((++scenarios)) && mkdir -m 700 "$dir" && cd "$dir" || exit 2
    printf '[config]\r\nHootInitWaitTime=0\r\nDriverInitWaitTime=0\r\nDefaultPlayTime=600\r\nNowPlayingFile=now.txt\r\n' >tl.ini
    step_list ';two games\r\n,"星海","lkfm","1",1,"朝の港"\r\n,"星海","lkfm","1",2,"Harbour"\r\n' \
        ',"Meadow","lkpsg","2",0x10,"Title"\r\n,"Meadow","lkpsg","2",17,"庭園 Garden"\r\n'
}
# Whatever a scenario leaves running ends with it.
finish() {
    [ -n "${scenario:-}" ] || return 0
    for name in "${!pids[@]}"; do ((pids[$name] > 0)) && kill "${pids[$name]}" 2>/dev/null && wait "${pids[$name]}" 2>/dev/null; done
    pids=()
    for w in $(emulators); do xdotool windowkill "$w"; done
    [ -z "$failure" ] && echo "ok   $scenario" && return
    echo "FAIL $scenario: $failure"$'\n'"  orders: $(orders)"
    for log in $(find . -name '*.log' -printf '%f\n'); do told_by "${log%.log}" | sed "s/^/  ${log%.log} told: /"; done
    failed+=1
}

declare -i failed=0 number=0 scenarios=0
skipped=""
while IFS= read -r -u 3 line || [ -n "$line" ]; do
    number+=1
    [[ $line =~ ^[[:space:]]*(#|$) ]] && continue
    # A line or a whole scenario for one window only.
    if [[ $line =~ ^(qt|win)\ (.*) ]]; then
        other=$([ "${BASH_REMATCH[1]}" = "$window" ] || echo 1) line=${BASH_REMATCH[2]}
        [[ $other && $line == 'scenario '* ]] && finish && scenario="" skipped=1
        [ -z "$other" ] || continue
    fi
    if [[ $line == 'scenario '* ]]; then # E2E_ONLY: a pattern of the names of the scenarios to run
        finish && begin "${line#scenario }" && skipped=""
        [[ $scenario =~ ${E2E_ONLY:-} ]] || scenario="" skipped=1
        continue
    fi
    [ -n "$failure$skipped" ] || run_line || failure="line $number: $line"
done 3<"$table"
finish
exit $((failed > 0))
