#!/usr/bin/env bash
# Run a 32-bit Windows program under Wine with the project's private prefix.
#   tools/wine-run.sh PROGRAM.exe [ARGS...]   exit status, stdout and stderr
#                                             are the program's own
#   tools/wine-run.sh --stop                  end this prefix's wineserver
# Usable as CMAKE_CROSSCOMPILING_EMULATOR, from any working directory.
# Environment:
#   QZ8_WINEPREFIX        prefix folder (default: <repo>/build/wineprefix)
#   QZ8_WINE_TIMEOUT      seconds before the program is killed (default 300)
#   QZ8_WINESERVER_PERSIST seconds the wineserver and Wine's own services stay
#                         up after the last program ends (default 60)
#   QZ8_WINE_DRIVER_HOST  0: Wine's kernel-driver host (winedevice.exe) is
#                         kept from starting, so a driver service's start
#                         fails at once (default 1)
#   QZ8_WINE_CRASH_RETRIES runs repeated when Wine dies of a host signal or
#                         times out under emulation (default 0; the tests
#                         set 2)
# Programs of one prefix run one at a time: the lock is held until the
# program ends, so that a crashed run can restart the wineserver safely.
# Needs tools/setup.sh to have run (Wine, and qemu-i386 where the kernel
# cannot run i386 binaries itself).
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)

prefix=${QZ8_WINEPREFIX:-$root/build/wineprefix}
case "$prefix" in /*) ;; *) prefix=$PWD/$prefix ;; esac
prefix=${prefix%/}
parent=$(dirname "$prefix")
mkdir -p "$parent" || exit 125
prefix=$(cd "$parent" && pwd)/$(basename "$prefix")

export WINEPREFIX=$prefix
export WINEARCH=win32
export WINEDEBUG=${QZ8_WINEDEBUG:--all}
# No Mono/Gecko install prompts, no menu entries, no debugger on a crash.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe,winedbg.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
# Under emulation winedevice.exe takes long to start and crashes at times;
# tests of the service calls' failure paths run without it.
[ "${QZ8_WINE_DRIVER_HOST:-1}" = 0 ] && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winedevice.exe=d"
# Only read by qemu-i386 (binfmt_misc); harmless on a kernel that runs i386.
export QEMU_SET_ENV='LD_PRELOAD=/usr/local/lib/qz8-wine/$LIB/qz8-mmapfix.so'
# Wine's services end threads, and glibc cannot dlopen libgcc_s for
# pthread_exit under qemu; preloading it keeps services.exe alive. Windowed
# programs must not have it (their windows then never show), so only the
# background services get it, and console programs that ask for it with
# QZ8_WINE_CONSOLE=1 (they may start services themselves).
services_env='LD_PRELOAD=/usr/local/lib/qz8-wine/$LIB/qz8-mmapfix.so:libgcc_s.so.1'
[ "${QZ8_WINE_CONSOLE:-0}" = 1 ] && QEMU_SET_ENV=$services_env
unset WINESERVER WINELOADER

lockfile=$prefix.lock
logfile=$prefix.log
statefile=$prefix.state

# The wineserver of this prefix chdirs into .../server-<dev>-<inode>.
server_alive() {
    [ -d "$prefix" ] || return 1
    local id p c
    id=$(printf 'server-%x-%x' $(stat -c '%d %i' "$prefix")) || return 1
    for p in /proc/[0-9]*; do
        c=$(readlink "$p/cwd" 2>/dev/null) || continue
        [ "${c##*/}" = "$id" ] && return 0
    done
    return 1
}

stop_server() {
    if [ -d "$prefix" ]; then
        wineserver -k </dev/null >>"$logfile" 2>&1 9>&-
        for _ in $(seq 50); do server_alive || break; sleep 0.2; done
    fi
    rm -f "$statefile"
}

exec 9>>"$lockfile" || exit 125
if ! flock -w 900 9; then echo "wine-run.sh: timed out waiting for $lockfile" >&2; exit 125; fi

if [ "${1:-}" = "--stop" ]; then
    stop_server
    exit 0
fi

if [ $# -lt 1 ]; then
    echo "usage: $0 PROGRAM.exe [ARGS...] | --stop" >&2
    exit 2
fi
if [ ! -x /usr/lib/wine/wine ] && ! command -v wine >/dev/null; then
    echo "wine-run.sh: Wine is not installed (run tools/setup.sh)" >&2
    exit 125
fi

# One-time prefix creation.
if [ ! -f "$prefix/.qz8-ready" ]; then
    stop_server
    rm -rf "$prefix"
    start=$(date +%s)
    if ! timeout -k 10 600 wine wineboot -i </dev/null >>"$logfile" 2>&1 9>&-; then
        echo "wine-run.sh: creating the Wine prefix $prefix failed (see $logfile)" >&2
        stop_server
        exit 125
    fi
    timeout -k 10 120 wineserver -w </dev/null >>"$logfile" 2>&1 9>&-
    echo "prefix created in $(( $(date +%s) - start )) s" >>"$logfile"
    touch "$prefix/.qz8-ready"
fi

# Start the wineserver and Wine's background services (services.exe and
# friends) with their output in the log, so that they never hold the caller's
# stdout/stderr open; restart them when the X display or the driver host
# setting changes.
state="${DISPLAY:-none} driver-host=${QZ8_WINE_DRIVER_HOST:-1}"
start_services() {
    QEMU_SET_ENV=$services_env wineserver -p"${QZ8_WINESERVER_PERSIST:-60}" </dev/null >>"$logfile" 2>&1 9>&-
    QEMU_SET_ENV=$services_env timeout -k 10 300 wine cmd.exe /c exit 0 </dev/null >>"$logfile" 2>&1 9>&-
    printf '%s\n' "$state" >"$statefile"
}
if ! server_alive || [ "$(cat "$statefile" 2>/dev/null)" != "$state" ]; then
    server_alive && stop_server
    start_services
fi

# Under qemu-i386, Wine itself (the loader, services.exe) now and then dies
# of a host signal, "qemu: uncaught target signal 11", or hangs, in a run
# that would pass. Such a run is repeated from a fresh wineserver, at most
# QZ8_WINE_CRASH_RETRIES times (default 0). Wine's exception dispatch also
# dies that way under emulation, so a program that raises any exception (a
# failing GoogleTest raises one through OutputDebugString) ends with a signal
# on every try and still fails, as a program that hangs times out on every
# try; other exit statuses are the program's own.
retries=${QZ8_WINE_CRASH_RETRIES:-0}
while :; do
    timeout -k 10 "${QZ8_WINE_TIMEOUT:-300}" wine "$@" 9>&-
    status=$?
    case $status in
        124 | 137) what="did not end within ${QZ8_WINE_TIMEOUT:-300} s" ;;
        132 | 134 | 135 | 139) what="died of signal $((status - 128))" ;;
        *) exit $status ;;
    esac
    [ "$retries" -gt 0 ] || exit $status
    retries=$((retries - 1))
    echo "wine-run.sh: Wine $what under emulation; running $1 again with a fresh wineserver" >&2
    stop_server
    start_services
done
