#!/usr/bin/env bash
# with-wine.sh CMD [ARGS...]
#
# Runs CMD inside the test harness's own Wine world and tears that world down
# afterwards, whatever happens:
#   WINEPREFIX=<repo>/build/wine/prefix, HOME=<repo>/build/wine/home
#   (build/wine is LARKSPAN_WINE_ROOT when that is set),
#   WINEDEBUG=-all, WINEDLLOVERRIDES="mscoree,mshtml=", WINEARCH=win64,
#   LANG/LC_ALL=C.UTF-8, and an Xvfb of 1024x768x24 on a free display
#   (or the caller's $DISPLAY when LARKSPAN_USE_DISPLAY=1).
# The prefix is initialised once (wineboot -i, marked by a stamp file).
# At the end: wineserver -k for this prefix only, and our own Xvfb by PID.
# The exit code is CMD's.
#
# Exported to CMD: the variables above, DISPLAY, LARKSPAN_WINE_HARNESS=1,
# LARKSPAN_REPO, LARKSPAN_SCREEN=1024x768 (or the existing display's size),
# LARKSPAN_WINESERVER_PID (the persistent server's pid).
# Only one with-wine.sh uses the prefix at a time (a lock in build/wine).
# Nested calls (CMD itself calling with-wine.sh) just run their command.
set -euo pipefail

if [[ $# -eq 0 ]]; then
    echo "usage: $0 CMD [ARGS...]" >&2
    exit 2
fi

# Already inside the harness: the world exists, just run the command.
if [[ "${LARKSPAN_WINE_HARNESS:-}" == 1 && -n "${WINEPREFIX:-}" ]]; then
    exec "$@"
fi

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# A caller with a world of its own (run.sh) names its folder.
wine_root="${LARKSPAN_WINE_ROOT:-$repo/build/wine}"
mkdir -p "$wine_root/home"

export WINEPREFIX="$wine_root/prefix"
export HOME="$wine_root/home"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export LARKSPAN_WINE_HARNESS=1
export LARKSPAN_REPO="$repo"
# Keep Wine from reaching for the user's session bus or runtime dir.
unset DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME

log() { echo "with-wine: $*" >&2; }

# One user of the prefix at a time: a second one would share its wineserver,
# and our final wineserver -k would kill the other's programs. Children do
# not inherit the lock's descriptor (9>&-), so a stray process cannot hold it.
exec 9>"$wine_root/.lock"
if ! flock -n 9; then
    log "another with-wine.sh is using $WINEPREFIX; waiting for it"
    flock 9
fi

xvfb_pid=""
cmd_pid=""
# shellcheck disable=SC2317 # called through the EXIT trap
cleanup() {
    local rc=$?
    trap - EXIT INT TERM HUP
    if [[ -n "$cmd_pid" ]] && kill -0 "$cmd_pid" 2>/dev/null; then
        kill -TERM "$cmd_pid" 2>/dev/null || true
        wait "$cmd_pid" 2>/dev/null || true
    fi
    if [[ -n "${server_pid:-}" ]] && ! kill -0 "$server_pid" 2>/dev/null; then
        log "the wineserver (pid $server_pid) ended during the run: something outside" \
            "the harness stopped it, and Wine's processes and unsaved registry went with it"
    fi
    # Only this prefix's server (WINEPREFIX is set); -k ends its processes.
    wineserver -k >/dev/null 2>&1 || true
    if [[ -n "$xvfb_pid" ]]; then
        kill -TERM "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# --- the X display -----------------------------------------------------------
display_in_use() {
    local n=$1
    [[ -e "/tmp/.X${n}-lock" || -e "/tmp/.X11-unix/X${n}" ]]
}

start_xvfb() {
    local n deadline
    for n in $(seq 90 189); do
        display_in_use "$n" && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset \
            >"$wine_root/xvfb.log" 2>&1 9>&- &
        xvfb_pid=$!
        deadline=$((SECONDS + 15))
        while ((SECONDS < deadline)); do
            if ! kill -0 "$xvfb_pid" 2>/dev/null; then
                break # lost a race for :n, or failed: try the next number
            fi
            if [[ -S "/tmp/.X11-unix/X$n" ]] &&
                DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            sleep 0.05
        done
        kill -TERM "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=""
    done
    log "could not start Xvfb (see $wine_root/xvfb.log)"
    return 1
}

if [[ "${LARKSPAN_USE_DISPLAY:-}" == 1 ]]; then
    if [[ -z "${DISPLAY:-}" ]]; then
        log "LARKSPAN_USE_DISPLAY=1 but DISPLAY is not set"
        exit 2
    fi
    export LARKSPAN_SCREEN
    LARKSPAN_SCREEN="$(xdpyinfo 2>/dev/null | awk '/dimensions:/ {d = $2} END {print d}')" || true
else
    start_xvfb
    export LARKSPAN_SCREEN=1024x768
fi

# --- the prefix --------------------------------------------------------------
# The stamp names the setup it records; change setup_version to redo it.
setup_version=3
stamp="$WINEPREFIX/.larkspan-wineboot-done"
if [[ "$(cat "$stamp" 2>/dev/null)" != "$setup_version" ]]; then
    log "initialising Wine prefix $WINEPREFIX (once, takes a few seconds)"
    mkdir -p "$WINEPREFIX"
    wineboot -i >"$wine_root/wineboot.log" 2>&1 9>&-
    # There is no window manager on Xvfb: let Wine draw captions and frames
    # itself, so screenshots show windows as Windows would, and keep windows
    # unmanaged, or hiding one waits two seconds for a manager to answer.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f \
        >>"$wine_root/wineboot.log" 2>&1 9>&-
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        >>"$wine_root/wineboot.log" 2>&1 9>&-
    wineserver -w
    echo "$setup_version" >"$stamp"
fi
# A persistent server for the whole run: every wine call after this is fast.
wineserver -p 9>&-
# Its pid, to tell afterwards whether it lived through the run: a server
# ended from outside takes every Wine process of the prefix with it, and the
# next one starts a new server from the registry last saved to disk.
server_pid=""
for p in $(pgrep -x wineserver64 || true) $(pgrep -x wineserver || true); do
    if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
        server_pid=$p
        break
    fi
done
export LARKSPAN_WINESERVER_PID=$server_pid
# Start Wine's own services (services.exe, explorer.exe /desktop, ...) now,
# detached from CMD's output: otherwise the first Windows program that CMD
# runs would start them holding its stdout, and a caller reading that pipe
# (ctest, subprocess) would wait for them to end.
wine cmd /c exit 0 </dev/null >/dev/null 2>&1 9>&-

# --- the command -------------------------------------------------------------
# Interactive callers keep the terminal (Ctrl+C reaches CMD directly); others
# run CMD in the background so a TERM to this script can be forwarded.
rc=0
if [[ -t 0 ]]; then
    "$@" 9>&- || rc=$?
else
    "$@" <&0 9>&- &
    cmd_pid=$!
    trap 'kill -TERM "$cmd_pid" 2>/dev/null; exit 143' TERM
    trap 'kill -TERM "$cmd_pid" 2>/dev/null; exit 129' HUP
    trap 'kill -TERM "$cmd_pid" 2>/dev/null; exit 130' INT
    wait "$cmd_pid" || rc=$?
    cmd_pid=""
fi
exit "$rc"
