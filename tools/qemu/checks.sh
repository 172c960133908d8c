#!/bin/sh
# Checks inside the QEMU guest, each against what the guest itself reports
# (sysfs, /proc/cpuinfo). One line per check: "CHECK <name> ok|FAIL <why>".
#   checks.sh pc|q35|p4
cli=/qz8fsb-cli
say() { echo "CHECK $1 $2${3:+ $3}"; }

# Hundredths of a second since boot.
now() { sed 's/^\([0-9]*\)\.\([0-9]*\).*/\1\2/' /proc/uptime; }

# A configuration dword as sysfs gives it, little-endian bytes to a number.
config_dword() {
    set -- $(od -An -tx1 -j"$2" -N4 "$1/config")
    echo $((0x$4$3$2$1))
}

# Every PCI function the kernel found: bus:dev.fn vendor:device class header.
sysfs_table() {
    for d in /sys/bus/pci/devices/*; do
        slot=${d##*/}                 # 0000:00:1f.3
        bus=${slot#*:}; bus=${bus%%:*}
        devfn=${slot##*:}; dev=${devfn%.*}; fn=${devfn#*.}
        vendor=$(cut -c3- "$d/vendor"); device=$(cut -c3- "$d/device")
        class=$(cut -c3-6 "$d/class")
        header=$(od -An -tx1 -j14 -N1 "$d/config" | tr -d ' ')
        printf '%x:%02x.%x %s:%s %s %s\n' $((0x$bus)) $((0x$dev)) "$fn" "$vendor" "$device" "$class" "$header"
    done | sort
}

# The CLI's table, the same four fields.
cli_table() {
    grep -E '^[0-9a-f]+:[0-9a-f]{2}\.[0-7] ' | awk '{print $1, $2, $3, $4}' | sort
}

check_pc() {
    survey=$($cli survey 2>&1); status=$?
    sysfs_table >/tmp/sysfs.txt
    echo "$survey" | cli_table >/tmp/cli.txt
    if [ -s /tmp/sysfs.txt ] && cmp -s /tmp/sysfs.txt /tmp/cli.txt; then
        say pci-table ok "$(wc -l </tmp/sysfs.txt) functions"
    else
        say pci-table FAIL "sysfs: $(tr '\n' ';' </tmp/sysfs.txt) cli: $(tr '\n' ';' </tmp/cli.txt)"
    fi

    # Without sysfs the tool reads configuration space through 0xCF8/0xCFC
    # itself: the same table.
    umount /sys
    $cli survey 2>/dev/null | cli_table >/tmp/raw.txt
    mount -t sysfs sys /sys
    if [ -s /tmp/raw.txt ] && cmp -s /tmp/sysfs.txt /tmp/raw.txt; then
        say pci-table-raw-ports ok "$(wc -l </tmp/raw.txt) functions"
    else
        say pci-table-raw-ports FAIL "raw: $(tr '\n' ';' </tmp/raw.txt)"
    fi

    # QEMU's PC is no QZ8-II: the survey lists it but leaves 0x69 alone.
    if [ $status -eq 0 ] && echo "$survey" | grep -q '^clock generator: not read on this board' &&
       echo "$survey" | grep -q 'not reading the clock generator'; then
        say no-reading-off-the-qz8 ok
    else
        say no-reading-off-the-qz8 FAIL "exit $status: $(echo "$survey" | tail -n 2 | tr '\n' ';')"
    fi

    # The PIIX4 power-management function; its SMBus base is config 0x90.
    pm=/sys/bus/pci/devices/0000:00:01.3
    base=$(( $(config_dword $pm 0x90) & 0xfff0 ))
    host=$(echo "$survey" | grep '^SMBus host')
    found=$(echo "$host" | sed -n 's/.*base \(0x[0-9a-fA-F]*\).*/\1/p')
    case "$host" in
        *8086:7113*) [ -n "$found" ] && [ $((found)) -eq $base ] && matched=1 || matched=0 ;;
        *) matched=0 ;;
    esac
    if [ $matched -eq 1 ]; then say smbus-host ok "$host"
    else say smbus-host FAIL "expected 8086:7113 at base $(printf '0x%x' $base); got '$host'"; fi

    # Nothing answers at 0x69: a read failure, within the wait bound, and
    # no clock value made up. Only --force lets get read off the QZ8-II.
    refused=$($cli get 2>&1); refusal=$?
    if [ $refusal -eq 2 ] && echo "$refused" | grep -q 'host bridge 8086:1237 and SMBus host 8086:7113'; then
        say get-refused-off-the-qz8 ok
    else
        say get-refused-off-the-qz8 FAIL "exit $refusal: $(echo "$refused" | tr '\n' ';')"
    fi
    start=$(now)
    get=$($cli --force get 2>&1); status=$?
    took=$(( $(now) - start ))
    if [ $status -eq 1 ] && [ $took -lt 300 ] && ! echo "$get" | grep -q '^FSB:'; then
        say get-fails-cleanly ok "exit 1 after ${took}0 ms"
    else
        say get-fails-cleanly FAIL "exit $status after ${took}0 ms: $(echo "$get" | tr '\n' ';')"
    fi

    # The controller still works: a memory module's EEPROM at 0x50 answers.
    spd=$($cli smbus-read 0x50 0 2>&1); status=$?
    if [ $status -eq 0 ]; then say controller-still-works ok "0x50 command 0: $spd"
    else say controller-still-works FAIL "exit $status: $spd"; fi

    # Once the kernel's own driver owns the SMBus host, the program keeps off.
    insmod /lib/modules/i2c-piix4.ko
    driver=$(readlink $pm/driver); driver=${driver##*/}
    out=$($cli survey 2>&1); status=$?
    if [ -n "$driver" ] && [ $status -eq 2 ] && echo "$out" | grep -q "kernel's $driver driver owns"; then
        say kernel-driver-refused ok "$driver"
    else
        say kernel-driver-refused FAIL "driver '$driver', exit $status: $(echo "$out" | tr '\n' ';')"
    fi
}

check_q35() {
    out=$($cli survey 2>&1); status=$?
    if [ $status -eq 1 ] && echo "$out" | grep -qi 'no SMBus'; then say no-smbus-on-ich9 ok
    else say no-smbus-on-ich9 FAIL "exit $status: $(echo "$out" | tr '\n' ';')"; fi
}

check_p4() {
    out=$($cli --force get 2>&1); status=$?
    brand=$(sed -n 's/^model name[[:space:]]*: *//p' /proc/cpuinfo | head -n 1)
    model=$(echo "$out" | sed -n 's/^model: //p')
    if [ -n "$brand" ] && [ "$model" = "$brand" ]; then say brand-string ok "$model"
    else say brand-string FAIL "cpuinfo '$brand', cli '$model'"; fi
    core=$(echo "$out" | sed -n 's/^core: //p')
    if [ "$core" = "Northwood" ]; then say core-name ok; else say core-name FAIL "'$core'"; fi
    # QEMU's processor has no EBC_FREQUENCY_ID: no multiplier, no crash.
    multiplier=$(echo "$out" | sed -n 's/^multiplier: //p')
    if [ "$multiplier" = "unknown" ] && [ $status -le 1 ]; then say msr-missing-is-clean ok
    else say msr-missing-is-clean FAIL "multiplier '$multiplier', exit $status"; fi
}

case "$1" in
    pc) check_pc ;;
    q35) check_q35 ;;
    p4) check_p4 ;;
    *) say checks FAIL "unknown set '$1'" ;;
esac
