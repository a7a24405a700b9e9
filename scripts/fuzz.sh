#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz": clang with the address and
# undefined-behaviour sanitizers) and runs each one for a bounded time on a
# copy of its seed corpus. Fails on any finding: a crash, a hang, a leak, a
# broken property or memory running out.
#
#   bash scripts/fuzz.sh          60 seconds per target
#   bash scripts/fuzz.sh 10       a quick run
#
# Findings are kept in build/fuzz/findings/<target>/, with the log of the run.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [seconds per target]" >&2
    exit 2
fi
targets=(fuzz_listfile fuzz_inifile fuzz_commandline)

packages=(
    cmake ninja-build pkg-config
    clang libclang-rt-14-dev
    qt6-base-dev libgl-dev libx11-dev
)
bash scripts/install-packages.sh "${packages[@]}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

bin=build/fuzz/fuzz
findings=build/fuzz/findings
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The 1 MB single line is made here rather than kept in the repository. It
# is run once on its own: in the working corpus it would raise libFuzzer's
# input size limit to 1 MB and slow every mutation down.
big_line() {
    head -c 1048000 /dev/zero | tr '\0' "$1"
}

failed=()
for target in "${targets[@]}"; do
    name="${target#fuzz_}"
    corpus="$work/$name"
    mkdir -p "$corpus"
    cp fuzz/corpus/"$name"/* "$corpus"/
    big="$work/$name.one_megabyte_line"
    case "$name" in
    listfile) { printf '01:00,"'; big_line 'a'; printf '","m1","s2",1,"x"\r\n'; } >"$big" ;;
    inifile) { printf '[config]\r\nDefaultPlayTime='; big_line '1'; printf '\r\n'; } >"$big" ;;
    commandline) { printf 'hootclient "'; big_line '\\'; printf '"'; } >"$big" ;;
    esac

    rm -rf "${findings:?}/$name"
    mkdir -p "$findings/$name"
    log="$findings/$name/log.txt"
    dictionary=()
    [ -f "fuzz/$name.dict" ] && dictionary=(-dict="fuzz/$name.dict")
    status=0
    "$bin/$target" "$big" -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/$name/" >"$log" 2>&1 || status=$?
    ((status != 0)) || "$bin/$target" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$findings/$name/" -print_final_stats=1 "${dictionary[@]}" >>"$log" 2>&1 || status=$?

    # libFuzzer ends a clean run with "Done N runs in S second(s)"; after a
    # finding only its final statistics tell how far it got.
    done_line="$(grep -E '^Done [0-9]+ runs in [0-9]+ second' "$log" | tail -n 1 || true)"
    if [[ "$done_line" =~ ^Done\ ([0-9]+)\ runs\ in\ ([0-9]+)\ second ]]; then
        runs="${BASH_REMATCH[1]}"
        ran="${BASH_REMATCH[2]}"
    else
        runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
        ran="$(sed -n 's/^stat::total_time_in_seconds: *//p' "$log" | tail -n 1)"
    fi
    if ((status != 0)); then
        failed+=("$target")
        echo "$target: FINDING after ${ran:-?} s and ${runs:-?} runs (exit code $status); see $findings/$name/"
        grep -E 'ERROR|property broken|SUMMARY|^Base64|artifact' "$log" | head -n 20 | sed 's/^/    /'
    else
        rm -rf "${findings:?}/$name"
        echo "$target: ran ${ran} s, ${runs} runs, no finding"
    fi
done

if ((${#failed[@]})); then
    echo "Findings in: ${failed[*]}" >&2
    exit 1
fi
echo "All ${#targets[@]} targets ran without a finding."
