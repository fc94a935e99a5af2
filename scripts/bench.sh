#!/usr/bin/env bash
# bench.sh [--costs] [PAIRS]: the start-up benchmark. Builds what it needs
# (windows preset), runs inside scripts/with-wine.sh and prints, from this
# one run:
#   - start to visible window of the bar with an empty and with a 200-button
#     catalogue, each as the median ratio to the empty reference window
#     (tests/bench/empty_window.cpp) over PAIRS (default 9, at least 5)
#     alternating pairs, after one warm-up round;
#   - the working-set difference to the reference;
#   - icon extraction time per icon (load_bench icons);
#   - time to a usable bar and to all pictures shown for 2,000 real program
#     targets (three starts, medians).
# Timing happens inside Wine (tests/bench/startup_bench.cpp): from just
# before CreateProcess to the window visible and answering. Every bar start
# gets a fresh install folder (the exe, settings.ini, Icons and the
# catalogue as zentrol.ini) and no HKCU\Software\Larkspan key.
# The machine is shared: compare ratios, not milliseconds, between runs.
#
# --costs prices what the bar does before its first paint instead: the
# reference window with one thing added at a time (a DLL loaded, COM, the
# common controls, a tab strip and toolbar, hidden windows), each against
# the plain reference over PAIRS alternating pairs, and the bar's own
# start-up steps timed in-process (load_bench startup, five runs, medians).
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

if [[ "${1:-}" != --in-harness ]]; then
    mode=main
    if [[ "${1:-}" == --costs ]]; then
        mode=costs
        shift
    fi
    pairs="${1:-9}"
    if ! [[ "$pairs" =~ ^[0-9]+$ ]] || ((pairs < 5)); then
        echo "usage: $0 [--costs] [PAIRS]   (PAIRS >= 5, default 9)" >&2
        exit 2
    fi
    bash scripts/install-deps.sh
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target larkspan larkspan-probe empty_window empty_window_imports \
        empty_window_imports_but_comdlg32 startup_bench load_bench >/dev/null
    unset LARKSPAN_USE_DISPLAY
    exec bash scripts/with-wine.sh bash "$repo/scripts/bench.sh" --in-harness "$mode" "$pairs"
fi

# --- inside scripts/with-wine.sh --------------------------------------------
mode="$2"
pairs="$3"
bin="$repo/build/windows/bin"
work="$repo/build/windows/bench"
rm -rf "$work"
mkdir -p "$work/targets" "$work/runs" "$work/logs"
results="$work/results.txt"
: >"$results"

windows_path() { local p="${1//\//\\}"; echo "Z:$p"; }

run=0
# measure LABEL ROUND [startup_bench options]: one start, numbered, its
# line kept in the results as "LABEL<TAB>ROUND<TAB>run=N key=value ...".
measure() {
    local label=$1 round=$2 line
    shift 2
    line="$(wine "$bin/startup_bench.exe" "$@")" || {
        echo "bench: $label start $round failed" >&2
        exit 1
    }
    printf '%s\t%s\trun=%d %s\n' "$label" "$round" "$run" "$line" >>"$results"
}

# reference LABEL ROUND [EXE [empty_window options]]: the reference window
# (EXE: a build of it, default empty_window), which writes the time of its
# steps to logs/N.txt.
reference() {
    local label=$1 round=$2 exe=${3:-empty_window}
    shift $(($# < 3 ? $# : 3))
    run=$((run + 1))
    measure "$label" "$round" --exe "$(windows_path "$bin/$exe.exe")" --class LarkspanBenchReference \
        --settle-ms "$settle_ms" --args "$* --log $(windows_path "$work/logs/$run.txt")"
}

# install DIR CATALOGUE [EXE]: a fresh install folder with the catalogue
# as zentrol.ini.
install() {
    local dir=$1 ini=$2 exe=${3:-larkspan.exe}
    mkdir -p "$dir"
    cp "$bin/$exe" "$bin/settings.ini" "$dir/"
    cp -r "$bin/Icons" "$dir/"
    cp "$ini" "$dir/zentrol.ini"
}

# bar LABEL ROUND CATALOGUE [startup_bench options]: the bar from a fresh
# install folder, without settings.
bar() {
    local label=$1 round=$2 ini=$3 dir
    shift 3
    run=$((run + 1))
    dir="$work/runs/$run-$label"
    install "$dir" "$ini"
    measure "$label" "$round" --exe "$(windows_path "$dir/larkspan.exe")" --dir "$(windows_path "$dir")" \
        --class LarkspanFloat --fresh-settings 'Software\Larkspan' --settle-ms "$settle_ms" "$@"
    rm -rf "$dir"
}

# catalogue FILE SECTIONS ENTRIES: program targets, CR LF lines.
catalogue() {
    local file=$1 sections=$2 entries=$3 s e n=0
    {
        for ((s = 1; s <= sections; s++)); do
            printf '[Section %d]\r\n' "$s"
            for ((e = 1; e <= entries; e++)); do
                n=$((n + 1))
                printf 'Program %d=%s\r\n' "$n" "$(windows_path "$work/targets/program$(printf %04d "$n").exe")"
            done
        done
    } >"$file"
}

# Real program targets: links to the probe, a program with an icon of its
# own (copies where the file system refuses links).
targets() {
    local i file
    for ((i = 1; i <= $1; i++)); do
        file="$work/targets/program$(printf %04d "$i").exe"
        ln "$bin/larkspan-probe.exe" "$file" 2>/dev/null || cp "$bin/larkspan-probe.exe" "$file"
    done
}
printf '\r\n' >"$work/empty.ini"

if [[ "$mode" == costs ]]; then
    settle_ms=200
    targets 200
    catalogue "$work/200.ini" 10 20
    # "name|build of empty_window|its options"; each start pairs with a plain
    # reference start.
    # The DLLs the bar imports at start, and those it takes on first use.
    imports=advapi32.dll,comctl32.dll,gdi32.dll
    late=ole32.dll,shell32.dll,shlwapi.dll
    variants=(
        "the former start-up imports, linked in|empty_window_imports|"
        "the former start-up imports but comdlg32, linked in|empty_window_imports_but_comdlg32|"
        "the late imports loaded (ole32, shell32, shlwapi)|empty_window|--load $late"
        "comctl32 loaded|empty_window|--load comctl32.dll"
        "InitCommonControlsEx (the bar's classes)|empty_window|--controls"
        "ole32 loaded|empty_window|--load ole32.dll"
        "CoInitializeEx (apartment)|empty_window|--com"
        "OleInitialize|empty_window|--ole"
        "shell32 loaded|empty_window|--load shell32.dll"
        "comdlg32 loaded|empty_window|--load comdlg32.dll"
        "the bar's imports loaded (advapi32, comctl32, gdi32)|empty_window|--load $imports"
        "tab strip (1 tab) and toolbar (20 buttons)|empty_window|--tabs 1 --toolbar 20"
        "3 more hidden top-level windows|empty_window|--windows 3"
    )
    echo "bench: warming up, then $pairs rounds of ${#variants[@]} pairs (plain reference, variant)" >&2
    reference plain 0
    for ((r = 1; r <= pairs; r++)); do
        for v in "${variants[@]}"; do
            IFS='|' read -r name exe options <<<"$v"
            reference plain "$r"
            # shellcheck disable=SC2086 # the options split into words
            reference "$name" "$r" "$exe" $options
        done
    done
    # Started as the bar is, so that its time to main compares with the
    # reference's; it shows a LarkspanBenchDone window once its figures are
    # written.
    echo "bench: the bar's start-up steps in-process (load_bench startup), five runs per catalogue" >&2
    for ini in empty 200; do
        for r in 1 2 3 4 5; do
            dir="$work/runs/steps-$ini-$r"
            install "$dir" "$work/$ini.ini" load_bench.exe
            wine "$bin/startup_bench.exe" --exe "$(windows_path "$dir/load_bench.exe")" --dir "$(windows_path "$dir")" \
                --args "startup $(windows_path "$work/steps-$ini-$r.txt")" --class LarkspanBenchDone \
                --fresh-settings 'Software\Larkspan' --settle-ms 0 >/dev/null
            rm -rf "$dir"
        done
    done
    python3 "$repo/tests/bench/bench_report.py" costs "$results" "$work"
    exit 0
fi

settle_ms=500
targets 2000
catalogue "$work/200.ini" 10 20
catalogue "$work/2000.ini" 40 50

# The picture cache of the prefix's user. Every 200-button start is a first
# one, with no cache (an earlier run's 2,000 targets include its 200); the
# 2,000-program starts remove it before each first start and keep it for
# the starts after one. The user's folder exists in a fresh prefix, the
# program's not yet.
local_app_data=("$WINEPREFIX"/drive_c/users/*/AppData/Local)
cache="${local_app_data[0]}/Larkspan/pictures.cache"

echo "bench: warming up, then $pairs rounds of reference/empty bar/reference/200-button bar" >&2
reference reference 0
bar empty 0 "$work/empty.ini"
rm -f "$cache"
bar b200 0 "$work/200.ini" --buttons 20
for ((r = 1; r <= pairs; r++)); do
    reference reference "$r"
    bar empty "$r" "$work/empty.ini"
    reference reference "$r"
    rm -f "$cache"
    bar b200 "$r" "$work/200.ini" --buttons 20
done

echo "bench: 2,000 program targets, three first starts and three with the picture cache" >&2
for r in 1 2 3; do
    rm -f "$cache"
    bar b2000 "$r" "$work/2000.ini" --buttons 50 --pictures --timeout-ms 600000 --wait-file "$(windows_path "$cache")"
done
for r in 1 2 3; do
    bar b2000cached "$r" "$work/2000.ini" --buttons 50 --pictures --timeout-ms 600000
done

echo "bench: icon extraction (load_bench icons 200)" >&2
wine "$bin/load_bench.exe" icons 200 >"$work/load_bench-icons.txt"

python3 "$repo/tests/bench/bench_report.py" main "$results" "$work"
