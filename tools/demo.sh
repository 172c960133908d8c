#!/usr/bin/env bash
# tools/demo.sh WIN64_BUILD: the simulated-board tool under wine64. With a
# $DISPLAY it opens there for the user; without one it runs on a private
# Xvfb inside Wine's virtual desktop (which draws the caption and frame),
# presses "Get Current Values" and prints the screenshot's path.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(realpath "${1:?usage: demo.sh WIN64_BUILD}")
export QZ8_WINEPREFIX=${QZ8_WINEPREFIX:-$build/gui/wineprefix}
export QZ8_SIM=${QZ8_SIM:-}

if [ -n "${DISPLAY:-}" ]; then
    exec bash "$here/wine-run.sh" "$build/app/qz8fsb-sim.exe"
fi
export QZ8_WINE_DESKTOP=1024x768
export QZ8_GUI_DRIVER=$build/tests/gui/driver/qz8-guidriver.exe
export QZ8_GUI_APPDIR=$build/app
export QZ8_GUI_SHOTS=$build/screenshots
rm -f "$QZ8_GUI_SHOTS/demo.png"
bash "$here/gui-test.sh" "$here/demo.gui" >/dev/null || exit 1
bash "$here/wine-run.sh" --stop
[ -f "$QZ8_GUI_SHOTS/demo.png" ] || { echo "demo.sh: no screenshot was taken" >&2; exit 1; }
echo "$QZ8_GUI_SHOTS/demo.png"
