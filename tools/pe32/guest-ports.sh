#!/bin/bash
# In the 32-bit guest on a Pentium 4 identity: the shipped production
# program and driver on the machine's real ports (QEMU's i440FX and PIIX4).
# Wine hosts the driver in a user-mode process, so every Wine process here
# is started with I/O privilege level 3 (root may take it; the kernel keeps
# it across fork and execve). One line a check: "pe32.ports.NAME ok|FAIL".
#   guest-ports.sh REPO SHARE
repo=$1 share=$2
. "$repo/tools/pe32/guest-common.sh"
# iopl(3) is system call 110 on i386; then the command itself.
with_ports() { perl -e 'syscall(110, 3) == 0 or die "iopl: $!\n"; exec @ARGV or die "$ARGV[0]: $!\n"' -- "$@"; }

# What the guest's own kernel found, read before any Wine process runs: each
# function as "bus:dev.fn vendor:device class header", and the PIIX4
# power-management function's SMBus base (configuration offset 0x90).
lspci -n | while read -r slot class id _; do
    printf '%s %s %s %s\n' "$(echo "$slot" | sed 's/^0*\([0-9a-f]\)/\1/')" "$id" "${class%:}" \
        "$(setpci -s "$slot" HEADER_TYPE)"
done | sort >/tmp/lspci.txt
pm=/sys/bus/pci/devices/0000:00:01.3
set -- $(od -An -tx1 -j144 -N2 "$pm/config")
base=$(printf '0x%04x' $((0x$2$1 & 0xfff0)))
pm_id=$(cut -c3- "$pm/vendor"):$(cut -c3- "$pm/device")

start_display

# The service test without port permission, on this identity: the real
# driver's RDMSR of the multiplier MSR faults, as its port instructions do.
gtest ports.driver_service "$(service_folder)" "$bin/qz8_driver_service_tests.exe"
bash "$repo/tools/wine-run.sh" --stop  # what follows starts Wine afresh, with port permission

# The survey through the driver, as the program makes it at start-up.
mkdir -p /tmp/prod
cp "$bin/zornik.sys" /tmp/prod/zornik.sys
(cd /tmp/prod && with_ports bash "$repo/tools/wine-run.sh" "$bin/qz8-survey-win32.exe") </dev/null \
    >"$out/logs/survey.txt" 2>&1
tr -d '\r' <"$out/logs/survey.txt" >/tmp/survey-out.txt
grep -E '^[0-9a-f]+:[0-9a-f]{2}\.[0-7] ' /tmp/survey-out.txt | cut -d' ' -f1-4 | sort >/tmp/survey.txt
if [ -s /tmp/lspci.txt ] && cmp -s /tmp/lspci.txt /tmp/survey.txt; then
    result ports.pci-table ok "$(wc -l </tmp/lspci.txt) functions, as lspci lists them"
else
    result ports.pci-table FAIL "lspci: $(tr '\n' ';' </tmp/lspci.txt) driver: $(tr '\n' ';' </tmp/survey.txt)" \
        "$out/logs/survey.txt"
fi
host=$(grep '^SMBus host' /tmp/survey-out.txt)
if [ "$host" = "SMBus host $pm_id at 0:01.3, base $base" ]; then
    result ports.smbus-host ok "$host"
else
    result ports.smbus-host FAIL "expected $pm_id at 0:01.3, base $base; got '${host:-nothing}'"
fi

# The window: the production program as a user starts it.
export DRIVER_REAL
DRIVER_REAL=$(winpath "$bin/zornik.sys")
QZ8_GUI_WORK=/tmp/work/real_ports with_ports bash "$repo/tools/gui-test.sh" "$repo/tests/pe32/real_ports.gui" \
    </dev/null >"$out/logs/real_ports.log" 2>&1
status=$?
if [ $status -eq 0 ]; then
    result ports.window ok "multiplier unknown, the MSR request failed; no service left"
else
    result ports.window FAIL "$(failed_line "$out/logs/real_ports.log")" "$out/logs/real_ports.log"
fi
took=$(tr -d '\r' <"$out/logs/real_ports.log" | sed -n 's/^get-current-values \([0-9]*\) ms$/\1/p')
# Nothing answers at 0x69: each transaction ends at its first poll with a
# device error. Waiting out even one bound (500 polls) would take longer.
# The figure counts only when the window ran as it should.
if [ $status -eq 0 ] && [ -n "$took" ] && [ "$took" -lt 3000 ]; then
    result ports.smbus-error-in-time ok "${took} ms"
else
    result ports.smbus-error-in-time FAIL "'${took:-no figure}' ms, bound 3000"
fi
bash "$repo/tools/gui-display.sh" stop /tmp/display
echo "PE32-DONE" >>"$out/results.txt"
