#!/usr/bin/env bash
# Runs one GUI test script (tests/gui/*.gui) with qz8-guidriver.exe under Wine
# on an X display, and takes the screenshots the script asks for.
#   tools/gui-test.sh SCRIPT
# Environment:
#   QZ8_GUI_DRIVER   qz8-guidriver.exe (required)
#   QZ8_GUI_APPDIR   folder holding qz8fsb.exe, qz8fsb-sim.exe and
#                    qz8fsb-simcpu.exe (required)
#   QZ8_GUI_WORK     scratch folder for this run (default: a fresh temp folder)
#   QZ8_GUI_SHOTS    folder for the screenshots (default: none taken)
#   QZ8_GUI_DRIVER_SYS the simulated zornik-sim.sys, seen as DRIVER_SIM
#   QZ8_GUI_DISPLAY  "state": the display in $QZ8_GUI_DISPLAY_STATE (see
#                    gui-display.sh); "own": $DISPLAY; unset: a private Xvfb
#   QZ8_WINEPREFIX   as for wine-run.sh
# The script sees APP_SIM, APP_PROD, APP_SIMCPU, WORK (and DRIVER_SIM) as
# Windows paths.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
script=${1:?usage: gui-test.sh SCRIPT}
: "${QZ8_GUI_DRIVER:?}" "${QZ8_GUI_APPDIR:?}"

winpath() { printf 'Z:%s' "$(realpath -m "$1")" | tr / '\\'; }

cleanup=()
on_exit() { for c in "${cleanup[@]}"; do eval "$c"; done; }
trap on_exit EXIT

case "${QZ8_GUI_DISPLAY:-}" in
state)
    read -r DISPLAY _ <"${QZ8_GUI_DISPLAY_STATE:?}" || { echo "gui-test.sh: no display state" >&2; exit 1; }
    export DISPLAY ;;
own)
    : "${DISPLAY:?gui-test.sh: DISPLAY is not set}" ;;
*)
    state=$(mktemp)
    bash "$here/gui-display.sh" start "$state" >/dev/null || exit 1
    cleanup+=("bash '$here/gui-display.sh' stop '$state'")
    read -r DISPLAY _ <"$state"
    export DISPLAY ;;
esac

work=${QZ8_GUI_WORK:-}
if [ -z "$work" ]; then
    work=$(mktemp -d)
    cleanup+=("rm -rf '$work'")
fi
rm -rf "$work" && mkdir -p "$work"
export WORK APP_SIM APP_PROD APP_SIMCPU
WORK=$(winpath "$work")
APP_SIM=$(winpath "$QZ8_GUI_APPDIR/qz8fsb-sim.exe")
APP_PROD=$(winpath "$QZ8_GUI_APPDIR/qz8fsb.exe")
APP_SIMCPU=$(winpath "$QZ8_GUI_APPDIR/qz8fsb-simcpu.exe")
# The simulated driver, for scripts that run the production executable.
if [ -n "${QZ8_GUI_DRIVER_SYS:-}" ]; then
    export DRIVER_SIM
    DRIVER_SIM=$(winpath "$QZ8_GUI_DRIVER_SYS")
fi

# Wine keeps per-program settings; the Windows 98 run uses its own file name.
prefix=${QZ8_WINEPREFIX:-}
if [ -n "$prefix" ] && [ ! -f "$prefix/.qz8-gui-ready" ]; then
    bash "$here/wine-run.sh" reg.exe add 'HKCU\Software\Wine\AppDefaults\qz8fsb-win98.exe' \
        /v Version /d win98 /f >/dev/null 2>&1 && touch "$prefix/.qz8-gui-ready"
fi

# Screenshots: the driver drops NAME.request into the shot folder and waits
# until it is gone.
if [ -n "${QZ8_GUI_SHOTS:-}" ]; then
    mkdir -p "$QZ8_GUI_SHOTS"
    export QZ8_SHOT_DIR
    QZ8_SHOT_DIR=$(winpath "$QZ8_GUI_SHOTS")
    (
        while :; do
            for request in "$QZ8_GUI_SHOTS"/*.request; do
                [ -e "$request" ] || continue
                geometry=$(tr -d '\r\n' <"$request")
                case "$geometry" in 0x0*|'') crop=() ;; *) crop=(-crop "$geometry") ;; esac
                # A request left in place fails the script's screenshot line.
                import -window root "${crop[@]}" +repage "${request%.request}.png" 2>/dev/null &&
                    rm -f "$request"
            done
            sleep 0.1
        done
    ) &
    watcher=$!
    cleanup+=("kill $watcher 2>/dev/null")
fi

bash "$here/wine-run.sh" "$QZ8_GUI_DRIVER" "$(winpath "$script")"
status=$?
# A script that failed half-way may leave the production program's driver
# service behind; the next script must not start from it.
if [ $status -ne 0 ]; then
    bash "$here/wine-run.sh" sc.exe stop iogate >/dev/null 2>&1
    bash "$here/wine-run.sh" sc.exe delete iogate >/dev/null 2>&1
fi
exit $status
