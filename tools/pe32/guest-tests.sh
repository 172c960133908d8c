#!/bin/bash
# In the 32-bit guest: the window scripts listed in SHARE/scripts.txt on the
# PE32 images in SHARE/bin, then, when SHARE/channel-tests exists, the
# channel and service tests. One line each: "pe32.NAME ok|FAIL SECONDS s".
#   guest-tests.sh REPO SHARE
repo=$1 share=$2
. "$repo/tools/pe32/guest-common.sh"
start_display
export QZ8_GUI_DRIVER_SYS=$bin/zornik-sim.sys

while read -r script; do
    name=$(basename "$script" .gui)
    begin=$(date +%s)
    QZ8_GUI_WORK=/tmp/work/$name bash "$repo/tools/gui-test.sh" "$repo/$script" </dev/null \
        >"$out/logs/$name.log" 2>&1
    status=$?
    if [ $status -eq 0 ]; then
        result "gui.$name" ok "$(seconds_since "$begin")"
    else
        result "gui.$name" FAIL "$(seconds_since "$begin"): $(failed_line "$out/logs/$name.log")" \
            "$out/logs/$name.log"
    fi
done <"$share/scripts.txt"

# The channel's NT line with no driver file; the shipped drivers under the
# service manager.
if [ -e "$share/channel-tests" ]; then
    gtest win32_channel /tmp "$bin/qz8_win32_tests.exe"
    gtest driver_service "$(service_folder)" "$bin/qz8_driver_service_tests.exe"
fi
bash "$repo/tools/gui-display.sh" stop /tmp/display
echo "PE32-DONE" >>"$out/results.txt"
