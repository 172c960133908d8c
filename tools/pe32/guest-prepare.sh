#!/bin/bash
# In the 32-bit guest, once when its disk is made: the Wine prefix every
# later boot uses, with the virtual desktop the window tests run in.
#   guest-prepare.sh REPO SHARE
repo=$1 share=$2
. "$repo/tools/pe32/guest-env.sh"
mkdir -p "$(dirname "$QZ8_WINEPREFIX")"
begin=$(date +%s)
bash "$repo/tools/gui-display.sh" start /tmp/display >/dev/null
read -r DISPLAY _ </tmp/display
export DISPLAY
if bash "$repo/tools/wine-run.sh" cmd.exe /c exit; then
    echo "PE32-PREPARED in $(( $(date +%s) - begin )) s" >"$share/prepare.txt"
else
    cat "$QZ8_WINEPREFIX.log" >&2
fi
bash "$repo/tools/gui-display.sh" stop /tmp/display
