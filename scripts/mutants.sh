#!/usr/bin/env bash
# Plants small faults in the product one at a time, rebuilds, runs the quick
# tests and prints which faults the tests did not notice.
#
#   bash scripts/mutants.sh [-o RESULTS] [--dry-run] [ID...]
#       every fault of scripts/mutants.txt, or only the IDs given; RESULTS
#       gets one "ID status" line per fault (status: caught, SURVIVED,
#       does-not-apply, does-not-build)
#       --dry-run only checks that each fault applies, without building
#   bash scripts/mutants.sh --compare BEFORE AFTER
#       prints the faults caught in BEFORE but not in AFTER; exit 1 if any
#
# Each fault is built in build/mutants (the debug settings) and the file is
# put back afterwards, also on Ctrl+C. MUTANTS_TEST_TIMEOUT (seconds, default
# 120) limits each test, so a fault that makes a test hang counts as caught.
set -euo pipefail
readonly caller=$PWD
cd "$(dirname "$0")/.."

# File names given are taken from where the script was started.
fromCaller() {
    case "$1" in /*) echo "$1" ;; *) echo "$caller/$1" ;; esac
}

readonly faults=scripts/mutants.txt
readonly build=build/mutants
readonly log=$build/mutants.log

# Reads scripts/mutants.txt. Each fault is
#   @ ID FILE
#   : what the fault does
#   < the original text, one line per "< " line (it must occur once)
#   > the text put in its place ("> " lines; none at all to delete it)
# apply ID: writes the faulty file, prints nothing, exits 3 when it does not apply.
# list: prints "ID<TAB>FILE<TAB>description" for each fault.
faultTool() {
    python3 - "$faults" "$@" <<'EOF'
import sys

def parse(path):
    entries, entry = [], None
    for number, line in enumerate(open(path, encoding="utf-8").read().split("\n"), 1):
        if line.startswith("@ "):
            ident, file = line[2:].split(None, 1)
            entry = {"id": ident, "file": file.strip(), "what": "", "old": [], "new": [], "line": number}
            entries.append(entry)
        elif entry is None or line.startswith("#") or not line.strip():
            continue
        elif line.startswith(": "):
            entry["what"] = line[2:].strip()
        elif line[:1] in "<>" and line[1:2] in ("", " "):
            entry["old" if line[0] == "<" else "new"].append(line[2:])
        else:
            sys.exit(f"{path}:{number}: unreadable line")
    return entries

path, command = sys.argv[1], sys.argv[2]
entries = parse(path)
if command == "list":
    for e in entries:
        print(f"{e['id']}\t{e['file']}\t{e['what']}")
elif command == "apply":
    e = next(e for e in entries if e["id"] == sys.argv[3])
    old, new = "\n".join(e["old"]), "\n".join(e["new"])
    try:
        text = open(e["file"], encoding="utf-8").read()
    except OSError:
        sys.exit(3)
    if not old or text.count(old) != 1:
        sys.exit(3)
    with open(e["file"], "w", encoding="utf-8") as out:
        out.write(text.replace(old, new))
EOF
}

compareResults() {
    local lost
    lost=$(awk 'NR == FNR { if ($2 == "caught") before[$1] = 1; next }
                ($1 in before) && $2 != "caught" { print $1 " " $2 }' "$1" "$2")
    if [ -n "$lost" ]; then
        echo "caught in $1 but not in $2:"
        echo "$lost"
        return 1
    fi
    echo "every fault caught in $1 is caught in $2"
}

if [ "${1:-}" = "--compare" ]; then
    [ $# -eq 3 ] || { echo "usage: $0 --compare BEFORE AFTER" >&2; exit 2; }
    compareResults "$(fromCaller "$2")" "$(fromCaller "$3")"
    exit
fi

results=""
dryRun=false
wanted=()
while [ $# -gt 0 ]; do
    case "$1" in
    -o) results=$(fromCaller "$2"); shift 2 ;;
    --dry-run) dryRun=true; shift ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) wanted+=("$1"); shift ;;
    esac
done
[ -n "$results" ] && : > "$results"

# A fault touches one file: a compiler cache, where there is one, spares rebuilding the rest.
if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=/work CCACHE_DIR=/work/.ccache
fi

# The file under change is kept here and put back whatever ends the run.
saved=$(mktemp -d)
current=""
restore() {
    if [ -n "$current" ]; then
        cp "$saved/original" "$current"
        current=""
    fi
}
trap 'restore; rm -rf "$saved"' EXIT
trap 'exit 130' INT TERM

# The quick programs run first: most faults are caught there in seconds, and
# the minute-long end-to-end run is only needed for those that get through.
buildAndTest() {
    cmake --build "$build" -j2 >>"$log" 2>&1 || return 2
    local stage
    for stage in "-E tst_e2e" "-R tst_e2e"; do
        # shellcheck disable=SC2086 # the stage is two words on purpose
        ctest --test-dir "$build" --label-exclude long --stop-on-failure -j2 $stage \
            --timeout "${MUTANTS_TEST_TIMEOUT:-120}" >>"$log" 2>&1 || return 1
    done
}

if ! $dryRun; then
    mkdir -p "$build"
    # Benchmarks are no tests: left out, they cost a link per fault.
    cmake --preset debug -B "$build" -DTUNELARK_BUILD_BENCH=OFF >"$log" 2>&1
    # Faults are only worth planting where the untouched product passes.
    if ! buildAndTest </dev/null; then
        echo "the untouched product fails its quick tests or does not build: see $log" >&2
        exit 1
    fi
fi

declare -A counts=()
while IFS=$'\t' read -r id file what; do
    if [ ${#wanted[@]} -gt 0 ] && ! printf '%s\n' "${wanted[@]}" | grep -qx -- "$id"; then
        continue
    fi
    status=""
    if [ -f "$file" ]; then
        cp "$file" "$saved/original"
        current=$file
    fi
    if ! faultTool apply "$id" </dev/null; then
        status=does-not-apply
    elif $dryRun; then
        status=applies
    else
        echo "=== $id: $what" >>"$log"
        rc=0
        buildAndTest </dev/null || rc=$?
        case $rc in
        0) status=SURVIVED ;;
        1) status=caught ;;
        *) status=does-not-build ;;
        esac
    fi
    restore
    case $status in
    caught) printf 'caught    %s %s\n' "$id" "$what" ;;
    SURVIVED) printf 'SURVIVED  %s %s\n' "$id" "$what" ;;
    applies) printf 'applies   %s\n' "$id" ;;
    *) printf '%s %s\n' "${status//-/ }" "$id" ;;
    esac
    [ -n "$results" ] && echo "$id $status" >>"$results"
    counts[$status]=$((${counts[$status]:-0} + 1))
done < <(faultTool list)

# The last fault's file is back: the build folder is left with the product as it is.
$dryRun || cmake --build "$build" -j2 >>"$log" 2>&1 || true

summary=""
for status in caught SURVIVED does-not-apply does-not-build applies; do
    [ -n "${counts[$status]:-}" ] && summary+="${summary:+, }${counts[$status]} $status"
done
echo "total: ${summary:-nothing run}"
