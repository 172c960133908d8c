#!/usr/bin/env bash
# Runs a 64-bit Windows program (the test build) under Debian's wine64, in a
# private 64-bit prefix; in the 32-bit guest of tools/pe32-test.sh, a 32-bit
# one under Debian's 32-bit Wine.
#   tools/wine-run.sh PROGRAM.exe [ARGS...]   exit status, stdout and stderr
#                                             are the program's own
#   tools/wine-run.sh --stop                  end this prefix's wineserver
# Usable as CMAKE_CROSSCOMPILING_EMULATOR, from any working directory.
# Environment:
#   QZ8_WINEPREFIX   prefix folder (default: <repo>/build/wineprefix); made
#                    on first use
#   QZ8_WINE_TIMEOUT seconds before the program is killed (default 300)
#   QZ8_WINE_ARCH    win64 (default) or win32 (32-bit Wine, a 32-bit prefix)
#   QZ8_WINE_KEEP    seconds the prefix's wineserver and Wine's own services
#                    stay after the last program ends (default 0: each run
#                    starts them afresh; under emulation that takes seconds)
#   QZ8_WINE_DESKTOP WIDTHxHEIGHT: windows open inside Wine's virtual desktop
#                    of that size, which draws their captions and frames on
#                    a display without a window manager (default: none)
# Needs tools/setup.sh to have run.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)

arch=${QZ8_WINE_ARCH:-win64}
case "$arch" in
    win64) WINE=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 ;;
    win32) WINE=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32 ;;
    *) echo "wine-run.sh: QZ8_WINE_ARCH must be win64 or win32" >&2; exit 125 ;;
esac
if [ ! -x "$WINE" ]; then
    echo "wine-run.sh: $WINE is missing (run tools/setup.sh)" >&2
    exit 125
fi

prefix=${QZ8_WINEPREFIX:-$root/build/wineprefix}
mkdir -p "$(dirname "$prefix")" || exit 125
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")

export WINEPREFIX=$prefix WINEARCH=$arch WINESERVER
export WINEDEBUG=${QZ8_WINEDEBUG:--all}
# No Mono or Gecko install prompts, no menu entries, no debugger on a crash.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe,winedbg.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
unset WINELOADER

if [ "${1:-}" = "--stop" ]; then
    [ -d "$prefix" ] && "$WINESERVER" -k 2>/dev/null
    exit 0
fi
if [ $# -lt 1 ]; then
    echo "usage: $0 PROGRAM.exe [ARGS...] | --stop" >&2
    exit 2
fi

# The prefix is made once, by whichever run comes first; its background
# services get no stdout or stderr of a caller to hold open.
logfile=$prefix.log
exec 9>>"$prefix.lock" || exit 125
flock 9
if [ ! -f "$prefix/.qz8-ready" ]; then
    rm -rf "$prefix"
    if ! timeout -k 10 300 "$WINE" wineboot -i </dev/null >>"$logfile" 2>&1 9>&- ||
       ! timeout -k 10 120 "$WINESERVER" -w </dev/null >>"$logfile" 2>&1 9>&-; then
        echo "wine-run.sh: creating the Wine prefix $prefix failed (see $logfile)" >&2
        exit 125
    fi
    touch "$prefix/.qz8-ready"
fi
desktop=${QZ8_WINE_DESKTOP:-}
if [ "$(cat "$prefix/.qz8-desktop" 2>/dev/null)" != "$desktop" ]; then
    if [ -n "$desktop" ]; then
        "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >>"$logfile" 2>&1 9>&-
        "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop" /f </dev/null >>"$logfile" 2>&1 9>&-
    else
        "$WINE" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f </dev/null >>"$logfile" 2>&1 9>&-
    fi
    "$WINESERVER" -k 2>/dev/null
    printf '%s' "$desktop" >"$prefix/.qz8-desktop"
fi
# A wineserver left from another X display would put windows there.
if [ "$(cat "$prefix/.qz8-display" 2>/dev/null)" != "${DISPLAY:-}" ]; then
    "$WINESERVER" -k 2>/dev/null
    printf '%s' "${DISPLAY:-}" >"$prefix/.qz8-display"
fi
if ! "$WINESERVER" -p"${QZ8_WINE_KEEP:-0}" </dev/null >>"$logfile" 2>&1 9>&-; then :; fi
flock -u 9

exec 9>&-
exec timeout -k 10 "${QZ8_WINE_TIMEOUT:-300}" "$WINE" "$@"
