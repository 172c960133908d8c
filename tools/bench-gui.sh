#!/usr/bin/env bash
# tools/bench-gui.sh WIN64_BUILD: start-to-window time and the time of one
# "Get Current Values" and one "Set New Values" click, measured by the GUI
# driver on the simulated-board tool under wine64, then the soak of the
# window (tests/gui/soak.gui) with what the program holds before and after;
# `name value unit` lines.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(realpath "${1:?usage: bench-gui.sh WIN64_BUILD}")
export QZ8_WINEPREFIX=${QZ8_WINEPREFIX:-$build/gui/wineprefix}
export QZ8_WINE_DESKTOP=1024x768
export QZ8_GUI_DRIVER=$build/tests/gui/driver/qz8-guidriver.exe
export QZ8_GUI_APPDIR=$build/app
export QZ8_GUI_DRIVER_SYS=$build/driver/zornik-sim.sys
unset QZ8_GUI_SHOTS QZ8_GUI_DISPLAY
# The first start after the prefix is made is no fair figure: warm up once.
bash "$here/gui-test.sh" "$here/bench.gui" >/dev/null 2>&1
bash "$here/gui-test.sh" "$here/bench.gui" 2>/dev/null
status=$?
QZ8_WINE_TIMEOUT=900 bash "$here/gui-test.sh" "$here/../tests/gui/soak.gui" 2>/dev/null || status=1
bash "$here/wine-run.sh" --stop
exit $status
