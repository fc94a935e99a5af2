#!/usr/bin/env bash
# run.sh: builds larkspan.exe (windows preset) and runs it under Wine in the
# harness prefix (build/wine/prefix).
#   With $DISPLAY set: the bar appears on that display.
#   Without: an Xvfb of 1024x768 is started; once the bar's window is up a
#   screenshot is written (its path is printed).
# The bar runs until it is closed or this script is interrupted (Ctrl+C),
# which ends Wine for that prefix and the Xvfb.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
title="Brindlewick Larkspan"
exe="$repo/build/windows/bin/larkspan.exe"
driver="$repo/build/windows/bin/larkspan-driver.exe"

if [[ "${1:-}" != --in-harness ]]; then
    bash scripts/install-deps.sh
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target larkspan larkspan-driver
    if [[ -n "${DISPLAY:-}" ]]; then
        export LARKSPAN_USE_DISPLAY=1
    else
        unset LARKSPAN_USE_DISPLAY
    fi
    exec bash scripts/with-wine.sh bash "$repo/scripts/run.sh" --in-harness
fi

# --- inside scripts/with-wine.sh --------------------------------------------
wine "$exe" &
bar=$!
trap 'kill -TERM "$bar" 2>/dev/null; exit 130' INT
trap 'kill -TERM "$bar" 2>/dev/null; exit 143' TERM

# The bar shows as the floating window, or docked when the settings say so.
wait_bar() {
    local deadline=$((SECONDS + 30))
    while ((SECONDS < deadline)); do
        for cls in LarkspanFloat LarkspanDock; do
            if wine "$driver" wait-window --class "$cls" --timeout-ms 1000 2>/dev/null; then
                return 0
            fi
        done
    done
    return 1
}

if ! hwnd="$(wait_bar)"; then
    echo "run.sh: the bar's window did not appear; windows on screen:" >&2
    wine "$driver" list-windows --visible >&2 || true
    kill -TERM "$bar" 2>/dev/null || true
    exit 1
fi
wine "$driver" sync --hwnd "$hwnd" >/dev/null || true

if [[ "${LARKSPAN_USE_DISPLAY:-}" != 1 ]]; then
    shot="$repo/build/windows/screenshots/run-$(date +%Y%m%d-%H%M%S).png"
    mkdir -p "$(dirname "$shot")"
    import -window root "$shot"
    echo "run.sh: screenshot: $shot"
fi
echo "run.sh: Larkspan is running on display $DISPLAY (window $hwnd); Ctrl+C stops it"
rc=0
wait "$bar" || rc=$?
echo "run.sh: larkspan.exe ended ($rc)"
exit "$rc"
