#!/usr/bin/env bash
# fuzz.sh [SECONDS]: builds the fuzz preset (clang-14, libFuzzer, ASan +
# UBSan) and runs every fuzzer for SECONDS (default 20) over a working copy
# of its seed corpus, build/fuzz/corpus/<name> (the seeds of <kind>_fuzz
# are tests/fuzz/corpus/<kind>, never written). Exits non-zero when a
# fuzzer finds a crash, a hang or runaway memory; the reproducing input is
# left in build/fuzz/artifacts/<name>/.
set -uo pipefail

seconds=${1:-20}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || ((seconds == 0)); then
    echo "usage: $0 [SECONDS]" >&2
    exit 2
fi

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo" || exit 1

cmake --preset fuzz >/dev/null || { echo "fuzz.sh: configure failed" >&2; exit 1; }
cmake --build --preset fuzz || { echo "fuzz.sh: build failed" >&2; exit 1; }

# UBSan findings end the run like ASan's instead of scrolling past.
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}

failed=()
ran=0
for source in tests/fuzz/*.cpp; do
    [[ -e "$source" ]] || continue
    name=$(basename "$source" .cpp)
    exe="build/fuzz/$name"
    if [[ ! -x "$exe" ]]; then
        echo "fuzz.sh: $exe was not built" >&2
        failed+=("$name (not built)")
        continue
    fi
    corpus="build/fuzz/corpus/$name"
    artifacts="build/fuzz/artifacts/$name"
    mkdir -p "$corpus" "$artifacts"
    # Seeds: tests/fuzz/corpus/<name without _fuzz>.
    seeds="tests/fuzz/corpus/${name%_fuzz}"
    if [[ -d "$seeds" ]]; then
        cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
    fi
    log="build/fuzz/$name.log"
    printf '\n--> %s for %s s (log %s)\n' "$name" "$seconds" "$log"
    rc=0
    "$exe" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
        -artifact_prefix="$artifacts/" -print_final_stats=1 "$corpus" >"$log" 2>&1 || rc=$?
    ran=$((ran + 1))
    if ((rc == 0)); then
        grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units)' "$log" | tail -2
    else
        # The finding and where libFuzzer wrote its input.
        grep -E 'ERROR: libFuzzer|ERROR: AddressSanitizer|runtime error|broken invariant|Test unit written|SUMMARY' \
            "$log" | head -20
        failed+=("$name (exit $rc)")
    fi
done

if ((ran == 0 && ${#failed[@]} == 0)); then
    echo "fuzz.sh: no fuzzers in tests/fuzz" >&2
    exit 1
fi
if ((${#failed[@]})); then
    printf 'fuzz.sh: FAILED: %s\n' "${failed[*]}"
    exit 1
fi
echo "fuzz.sh: $ran fuzzer(s) ran $seconds s each, nothing found"
