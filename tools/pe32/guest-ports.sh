#!/bin/bash
# In the 32-bit guest on a Pentium 4 identity with a chip at 0x69: the
# shipped production program on the machine's real ports (QEMU's i440FX and
# PIIX4), on the NT line with the shipped driver, which Wine hosts in a
# user-mode process, then on the 9x line (ports-win9x.sh); then the NT line's
# version branches; then what is left of the run's queue of window scripts.
# Every Wine process after the service test is started with I/O privilege
# level 3. One line a check: "pe32.ports.NAME ok|FAIL", "pe32.9x.NAME",
# "pe32.version.VERSION.NAME", "pe32.gui.NAME".
#   guest-ports.sh REPO SHARE
repo=$1 share=$2
. "$repo/tools/pe32/guest-common.sh"
. "$repo/tools/pe32/guest-machine.sh"

# The service test without port permission, on this identity: the real
# driver's RDMSR of the multiplier MSR faults, as its port instructions do.
gtest ports.driver_service "$(service_folder)" "$bin/qz8_driver_service_tests.exe"
bash "$repo/tools/wine-run.sh" --stop  # what follows starts Wine afresh, with port permission
start_display with_ports
# The Windows version Wine claims to each copy of a program below, by name.
set_versions qz8-survey-win98.exe=win98 qz8fsb-win98.exe=win98 qz8fsb-win95.exe=win95 \
    qz8_win32_tests-nt40.exe=nt40 qz8_win32_tests-win2k.exe=win2k qz8_win32_tests-winxp.exe=winxp \
    qz8fsb-sim-nt40.exe=nt40 qz8fsb-sim-win2k.exe=win2k qz8fsb-sim-winxp.exe=winxp

# The survey through the driver, as the program makes it at start-up.
mkdir -p /tmp/prod
cp "$bin/zornik.sys" /tmp/prod/zornik.sys
check_survey ports /tmp/prod "$bin/qz8-survey-win32.exe"

# The window: the production program as a user starts it. The chip at 0x69
# sends a block count of 0 for the control block, so "Get Current Values"
# ends with its error before any register traffic.
reading=$(chip_reading)
if [ "$reading" = refused ]; then
    export DRIVER_REAL
    DRIVER_REAL=$(winpath "$bin/zornik.sys")
    QZ8_GUI_WORK=/tmp/work/real_ports with_ports bash "$repo/tools/gui-test.sh" "$repo/tests/pe32/real_ports.gui" \
        </dev/null >"$out/logs/real_ports.log" 2>&1
    status=$?
    if [ $status -eq 0 ]; then
        result ports.window ok "multiplier unknown, the MSR request failed; the chip's count 0x00 refused; no service left"
    else
        result ports.window FAIL "$(failed_line "$out/logs/real_ports.log")" "$out/logs/real_ports.log"
    fi
else
    result ports.window FAIL "the chip at 0x69 reads '$reading' (byte 0: '$(chip_byte 0)'); the script expects a block count of 0"
fi

. "$repo/tools/pe32/ports-win9x.sh"

# Wine claims Windows 10 to the NT line's runs above. Per version: the
# channel's NT line (the service registered, started, stopped and deleted),
# and the SMBus owner's mutex, whose name follows the version (Global\ from
# Windows 2000 on, the plain name on NT 4.0).
plain="QZ8-II FSB SMBus"
for version in nt40 win2k winxp; do
    cp "$bin/qz8_win32_tests.exe" "/tmp/qz8_win32_tests-$version.exe"
    gtest "version.$version.win32_channel" /tmp "/tmp/qz8_win32_tests-$version.exe"
    if [ $version = nt40 ]; then lock=$plain other="Global\\$plain"; else lock="Global\\$plain" other=$plain; fi
    begin=$(date +%s)
    if WINVER=$version LOCK_NAME=$lock OTHER_LOCK=$other QZ8_GUI_WORK=/tmp/work/version-$version \
        bash "$repo/tools/gui-test.sh" "$repo/tests/pe32/version_lock.gui" </dev/null \
        >"$out/logs/version_lock-$version.log" 2>&1; then
        result "version.$version.bus-lock" ok "$(seconds_since "$begin"): the mutex '$lock'"
    else
        result "version.$version.bus-lock" FAIL "$(failed_line "$out/logs/version_lock-$version.log")" \
            "$out/logs/version_lock-$version.log"
    fi
done

# What is left of the run's queue; not the service test, whose real driver
# must fault on port instructions, which this guest's port permission lets
# through.
run_queue channel-tests
bash "$repo/tools/gui-display.sh" stop /tmp/display
echo "PE32-DONE" >>"$out/results.txt"
