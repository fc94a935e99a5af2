#!/usr/bin/env bash
# run.sh: builds larkspan.exe (windows preset) and runs it under Wine in the
# harness world of its own (build/wine-run: prefix, HOME), apart from the
# tests'. Before the first start in that prefix it puts a few shortcuts on
# its desktop, so that the first run's desktop import fills the bar.
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
    export LARKSPAN_WINE_ROOT="$repo/build/wine-run"
    exec bash scripts/with-wine.sh bash "$repo/scripts/run.sh" --in-harness
fi

# --- inside scripts/with-wine.sh --------------------------------------------
# What a user's desktop would offer the first run: Wine's notepad, a folder
# and a web address, and two tools in a folder of their own.
place_sample_shortcuts() {
    local stamp="$WINEPREFIX/.larkspan-samples-done"
    [[ -e "$stamp" ]] && return 0
    local desktop documents favorites
    desktop="$(wine "$driver" folder-path --csidl 16 | tr -d '\r')"
    documents="$(wine "$driver" folder-path --csidl 5 | tr -d '\r')"
    favorites="$(wine "$driver" folder-path --csidl 6 | tr -d '\r')"
    mkdir -p "$(winepath -u "$desktop")/Tools" "$(winepath -u "$favorites")"
    printf '[InternetShortcut]\r\nURL=https://www.winehq.org/\r\n' >"$(winepath -u "$favorites")/WineHQ.url"
    local shortcut
    while IFS='|' read -r shortcut target; do
        # No winemenubuilder: it would put .desktop files into HOME.
        WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d" \
            wine "$driver" make-shortcut --path "$desktop\\$shortcut" --target "$target" >/dev/null
    done <<EOF_SHORTCUTS
Notepad.lnk|C:\windows\notepad.exe
Documents.lnk|$documents
WineHQ.lnk|$favorites\WineHQ.url
Tools\Registry Editor.lnk|C:\windows\regedit.exe
Tools\File Manager.lnk|C:\windows\system32\winefile.exe
EOF_SHORTCUTS
    touch "$stamp"
}
place_sample_shortcuts

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
