#!/usr/bin/env bash
# A private X display for the GUI tests.
#   tools/gui-display.sh start STATEFILE   start Xvfb on a free display; the
#                                           file gets "DISPLAY PID"
#   tools/gui-display.sh stop STATEFILE    end it (and the GUI Wine prefix's
#                                           wineserver when QZ8_WINEPREFIX is set)
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
action=${1:?start or stop}
state=${2:?state file}

case "$action" in
start)
    mkdir -p "$(dirname "$state")"
    for n in $(seq 90 190); do
        # The lock file is Xvfb's own claim on a display number.
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
        pid=$!
        for _ in $(seq 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$pid" 2>/dev/null; then
            echo ":$n $pid" >"$state"
            echo "Xvfb on :$n (pid $pid)"
            exit 0
        fi
    done
    echo "gui-display.sh: no free display for Xvfb" >&2
    exit 1
    ;;
stop)
    if [ -n "${QZ8_WINEPREFIX:-}" ]; then
        bash "$here/wine-run.sh" --stop
    fi
    if [ -f "$state" ]; then
        read -r _ pid <"$state"
        [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
        rm -f "$state"
    fi
    exit 0
    ;;
*)
    echo "usage: $0 start|stop STATEFILE" >&2
    exit 2
    ;;
esac
