# Sourced by the guest scripts that run the production program on the
# machine's own ports (guest-ports.sh: the NT line, ports-win9x.sh: the 9x
# line), after guest-common.sh: what the guest's own kernel reports of the
# machine, read before any Wine process touches it, and what the program's
# survey is compared with.

# iopl(3) is system call 110 on i386; then the command itself. Root may take
# it, and the kernel keeps it across fork and execve: every Wine process
# started under it may execute port instructions.
with_ports() { perl -e 'syscall(110, 3) == 0 or die "iopl: $!\n"; exec @ARGV or die "$ARGV[0]: $!\n"' -- "$@"; }

# Each PCI function as "bus:dev.fn vendor:device class header" (/tmp/lspci.txt),
# and the PIIX4 power-management function's SMBus base (configuration offset
# 0x90) in $base, its IDs in $pm_id.
lspci -n | while read -r slot class id _; do
    printf '%s %s %s %s\n' "$(echo "$slot" | sed 's/^0*\([0-9a-f]\)/\1/')" "$id" "${class%:}" \
        "$(setpci -s "$slot" HEADER_TYPE)"
done | sort >/tmp/lspci.txt
pm=/sys/bus/pci/devices/0000:00:01.3
set -- $(od -An -tx1 -j144 -N2 "$pm/config")
base=$(printf '0x%04x' $((0x$2$1 & 0xfff0)))
pm_id=$(cut -c3- "$pm/vendor"):$(cut -c3- "$pm/device")

# The chip at 0x69 as the kernel's own SMBus driver reads it (i2c-piix4 and
# i2c-dev; i2cdump's byte-data read of every command): SHARE/out/chip.txt,
# one hex byte a line for commands 0 to 255. Both modules go again before
# the program runs, which takes the host controller for itself.
modprobe i2c-piix4 && modprobe i2c-dev
adapter=$(grep -l 'PIIX4' /sys/bus/i2c/devices/i2c-*/name 2>/dev/null | head -n 1)
adapter=${adapter%/name}
adapter=${adapter##*/i2c-}
: >"$out/chip.txt"
if [ -n "$adapter" ]; then
    i2cdump -y "$adapter" 0x69 b >"$out/logs/i2cdump.txt" 2>&1
    awk '/^[0-9a-f]0:/ {for (i = 2; i <= 17; i++) print $i}' "$out/logs/i2cdump.txt" >"$out/chip.txt"
fi
rmmod i2c_dev i2c_piix4 2>/dev/null
chip_byte() { sed -n "$(( $1 + 1 ))p" "$out/chip.txt"; }  # COMMAND: its byte, as hex

# What the chip's bytes say the window must show: the byte at command 0 is
# the count an SMBus block read of the control block receives first. A count
# of 0 is no control block: the program must refuse to read the chip
# ("Unable to read the clock generator.") before any register traffic.
# QEMU's i2c-ddc sends its EDID there, which begins with 0x00. Any other
# count would call for the registers' values, which these scripts do not
# expect.
chip_reading() {
    local count
    count=$(chip_byte 0)
    if [ "$(wc -l <"$out/chip.txt")" -ne 256 ] || [ -z "$count" ]; then
        echo "unread"
    elif [ $((0x$count)) -eq 0 ]; then
        echo "refused"
    else
        echo "block of $((0x$count))"
    fi
}

# The start-up survey of the production back end (PROGRAM, run in FOLDER
# with I/O privilege) against the kernel's view: LINE.pci-table and
# LINE.smbus-host.
check_survey() {  # LINE FOLDER PROGRAM
    local line=$1 host
    (cd "$2" && with_ports bash "$repo/tools/wine-run.sh" "$3") </dev/null >"$out/logs/survey-$line.txt" 2>&1
    tr -d '\r' <"$out/logs/survey-$line.txt" >/tmp/survey-out.txt
    grep -E '^[0-9a-f]+:[0-9a-f]{2}\.[0-7] ' /tmp/survey-out.txt | cut -d' ' -f1-4 | sort >/tmp/survey.txt
    if [ -s /tmp/lspci.txt ] && cmp -s /tmp/lspci.txt /tmp/survey.txt; then
        result "$line.pci-table" ok "$(wc -l </tmp/lspci.txt) functions, as lspci lists them"
    else
        result "$line.pci-table" FAIL "lspci: $(tr '\n' ';' </tmp/lspci.txt) program: $(tr '\n' ';' </tmp/survey.txt)" \
            "$out/logs/survey-$line.txt"
    fi
    host=$(grep '^SMBus host' /tmp/survey-out.txt)
    if [ "$host" = "SMBus host $pm_id at 0:01.3, base $base" ]; then
        result "$line.smbus-host" ok "$host"
    else
        result "$line.smbus-host" FAIL "expected $pm_id at 0:01.3, base $base; got '${host:-nothing}'"
    fi
}
