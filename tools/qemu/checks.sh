#!/bin/sh
# Checks inside the QEMU guest, each against what the guest itself reports:
# sysfs, /proc/cpuinfo, and the chip at 0x69 as the kernel's own SMBus
# driver reads it (i2c-tools, and the i2c core's tracepoints for every
# transfer it made). One line per check: "CHECK <name> ok|FAIL <why>".
#   checks.sh pc|q35|p4
cli=/usr/sbin/qz8fsb-cli
i2cget=/usr/sbin/i2cget
i2cset=/usr/sbin/i2cset
i2cdump=/usr/sbin/i2cdump
tracing=/sys/kernel/tracing
say() { echo "CHECK $1 $2${3:+ $3}"; }
flat() { tr '\n' ';'; }

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

# N of the kernel's i2c adapter whose name begins with NAME.
adapter_named() {
    for a in /sys/bus/i2c/devices/i2c-*; do
        case "$(cat "$a/name")" in "$1"*) echo "${a##*/i2c-}"; return ;; esac
    done
}

# BUS REG: the word at 0x69 as i2cget reads it through the kernel's driver,
# in smbus-read's form: the first byte on the wire, then the second.
kernel_word() {
    $i2cget -y "$1" 0x69 "$2" w 2>&1 | sed 's/^0x\(..\)\(..\)$/0x\2 0x\1/'
}
# BUS REG: a register's value, the word's second byte.
register() { kernel_word "$1" "$2" | cut -d' ' -f2; }

# The clocks a chip's registers 18, 20 and 31 encode, as get prints them:
# FSB = (r18 + r20 + 4) / 2 MHz; divider field in bits 5..3 of r31, 0 to 6
# for FSB / 2 to FSB / 8 (AGP twice that), 7 the fixed 66.67 and 33.34.
decode() {
    half=$(( $1 + $2 + 4 )); field=$(( ($3 >> 3) & 7 ))
    awk -v h=$half -v f=$field 'BEGIN {
        printf "FSB: %d.%d MHz\n", int(h / 2), (h % 2) * 5
        if (f == 7) { print "AGP: 66.67 MHz"; print "PCI: 33.34 MHz" }
        else { printf "AGP: %.2f MHz\nPCI: %.2f MHz\n", h / (f + 2), h / (2 * (f + 2)) }
    }'
}
clock_lines() { grep -E '^(FSB|AGP|PCI): '; }

# BUS R18 R20 R31: the stand-in chip's registers (each word's first byte
# 0x5a: nobody reads it but as the echo of a write).
stage() {
    $i2cset -y "$1" 0x69 0x12 "$(printf '0x%02x5a' $(($2)))" w
    $i2cset -y "$1" 0x69 0x14 "$(printf '0x%02x5a' $(($3)))" w
    $i2cset -y "$1" 0x69 0x1f "$(printf '0x%02x5a' $(($4)))" w
}

# The i2c core's record of every SMBus transfer to 0x69 from now on.
kernel_trace_start() {
    echo >$tracing/trace
    echo 1 >$tracing/events/smbus/smbus_result/enable
}
# One line per transfer the kernel finished: direction, command, protocol,
# ok or fail.
kernel_seen() {
    awk '/smbus_result:/ && / a=069 / {
        for (i = 1; i <= NF; i++) {
            if ($i ~ /^c=/) c = substr($i, 3)
            if ($i ~ /_DATA$/) p = $i
            if ($i == "rd" || $i == "wr") d = $i
            if ($i ~ /^res=/) r = substr($i, 5)
        }
        sub(/^0+/, "", c); if (c == "") c = "0"
        print d, c, p, (r == "0" ? "ok" : "fail")
    }' $tracing/trace
}
# The same from the program's own --trace file. Through i2c-dev a block
# read is two transfers: its count byte read as a word, then the block,
# which a count of 0 leaves unread.
program_seen() {
    awk '{
        c = tolower($3); sub(/^0x/, "", c); sub(/^0+/, "", c); if (c == "") c = "0"
        d = ($1 ~ /[13579BDF]$/ ? "rd" : "wr"); r = ($NF == "done" ? "ok" : "fail")
        if ($4 == "word") { print d, c, "WORD_DATA", r; next }
        if (d == "rd") { print d, c, "WORD_DATA ok"; if (r == "fail") next }
        print d, c, "BLOCK_DATA", r
    }' "$1"
}

# NAME FILE: the program's transactions in FILE are the ones the kernel's
# driver made.
same_as_kernel() {
    kernel_seen >/tmp/kernel.seen
    program_seen "$2" >/tmp/program.seen
    if [ -s /tmp/program.seen ] && cmp -s /tmp/kernel.seen /tmp/program.seen; then
        say "$1" ok "$(wc -l </tmp/program.seen) transfers: $(flat </tmp/program.seen)"
    else
        say "$1" FAIL "kernel: $(flat </tmp/kernel.seen) program: $(flat </tmp/program.seen)"
    fi
}

# The block read at command 0 is the chip's control block; the stand-in's
# first byte there, the block's count, is 0: the program must refuse it and
# write nothing. NAME OUT STATUS TRACE for get.
refuses_unread_block() {
    if [ "$3" -eq 1 ] && echo "$2" | grep -q 'the clock generator could not be read' &&
       ! echo "$2" | grep -q '^FSB:' && [ "$(cat "$4")" = "0xD3 cmd 0x00 block data -> failed" ]; then
        say "$1" ok "exit 1: $(cat "$4")"
    else
        say "$1" FAIL "exit $3: $(echo "$2" | flat) trace: $(flat <"$4")"
    fi
}
# NAME OUT STATUS TRACE for set: exit 1 with its message, not one write.
set_writes_nothing() {
    if [ "$3" -eq 1 ] && echo "$2" | grep -q 'programming failed: the clock generator could not be read; nothing was written' &&
       [ -s "$4" ] && ! grep -q '^0xD2' "$4"; then
        say "$1" ok "exit 1, $(wc -l <"$4") transfer(s), no write"
    else
        say "$1" FAIL "exit $3: $(echo "$2" | flat) trace: $(flat <"$4")"
    fi
}

# The words the program reads of the stand-in (registers 18, 20, 31) with
# smbus-read, one line each; OPTIONS first.
program_words() {
    for reg in 0x12 0x14 0x1f; do $cli "$@" smbus-read 0x69 $reg 2>/dev/null || echo "no answer"; done
}

# The chip through the host's ports and then through the kernel's driver:
# the same bytes, the same transfers, the same refusals.
check_chip_at_0x69() {
    # Through the host's own ports: no kernel driver is bound.
    out=$($cli --force --trace /tmp/ports-get.trace get 2>&1); status=$?
    refuses_unread_block ports-get-refuses-the-unread-block "$out" $status /tmp/ports-get.trace
    echo "$out" | grep -v '^core clock:' >/tmp/ports-get.out; ports_status=$status
    out=$($cli --force --trace /tmp/ports-set.trace set 150 1/5 2>&1); status=$?
    set_writes_nothing ports-set-writes-nothing "$out" $status /tmp/ports-set.trace
    # Asked to confirm: the same refusal, and no question after it.
    out=$($cli --force --confirm 5 --trace /tmp/ports-confirm.trace set 150 1/5 2>&1); status=$?
    if [ $status -eq 1 ] && echo "$out" | grep -q 'could not be read; nothing was written' &&
       ! echo "$out" | grep -q 'keep' && ! grep -q '^0xD2' /tmp/ports-confirm.trace; then
        say ports-confirm-writes-nothing ok
    else say ports-confirm-writes-nothing FAIL "exit $status: $(echo "$out" | flat)"; fi
    program_words --force >/tmp/ports.words

    # The kernel's driver for the PIIX4, without i2c-dev: the tool loads it.
    modprobe i2c-piix4
    bus=$(adapter_named "SMBus PIIX4")
    kernel_trace_start
    out=$($cli --force --trace /tmp/kernel-get.trace get 2>&1); status=$?
    if [ -c "/dev/i2c-$bus" ] && grep -q '^i2c_dev ' /proc/modules; then say i2c-dev-loaded-by-the-tool ok "/dev/i2c-$bus"
    else say i2c-dev-loaded-by-the-tool FAIL "no /dev/i2c-$bus: $(echo "$out" | flat)"; fi
    refuses_unread_block kernel-get-refuses-the-unread-block "$out" $status /tmp/kernel-get.trace
    echo "$out" | grep -v '^core clock:' >/tmp/kernel-get.out
    if [ $status -eq $ports_status ] && cmp -s /tmp/ports-get.out /tmp/kernel-get.out &&
       cmp -s /tmp/ports-get.trace /tmp/kernel-get.trace; then
        say kernel-get-as-through-the-ports ok
    else
        say kernel-get-as-through-the-ports FAIL "exit $status/$ports_status: $(flat </tmp/kernel-get.out)"
    fi
    same_as_kernel kernel-saw-the-programs-transfers /tmp/kernel-get.trace
    # The count byte the block read met, as the kernel reads it.
    count=$($i2cget -y "$bus" 0x69 0 b 2>&1)
    if [ "$count" = 0x00 ] && ! $i2cget -y "$bus" 0x69 0 s >/dev/null 2>&1; then
        say i2cget-sees-count-0 ok "byte at command 0: $count; i2cget's block read fails too"
    else say i2cget-sees-count-0 FAIL "byte at command 0: '$count'"; fi

    program_words --force >/tmp/kernel.words
    for reg in 0x12 0x14 0x1f; do kernel_word "$bus" $reg; done >/tmp/i2cget.words
    if [ -s /tmp/i2cget.words ] && cmp -s /tmp/i2cget.words /tmp/kernel.words && cmp -s /tmp/i2cget.words /tmp/ports.words; then
        say words-as-i2cget-reads-them ok "$(flat </tmp/i2cget.words)"
    else
        say words-as-i2cget-reads-them FAIL "i2cget: $(flat </tmp/i2cget.words) kernel: $(flat </tmp/kernel.words) ports: $(flat </tmp/ports.words)"
    fi

    $i2cdump -y -r 0x00-0x1f "$bus" 0x69 b >/tmp/before.dump 2>&1
    out=$($cli --force --trace /tmp/kernel-set.trace set 150 1/5 2>&1); status=$?
    set_writes_nothing kernel-set-writes-nothing "$out" $status /tmp/kernel-set.trace
    $i2cdump -y -r 0x00-0x1f "$bus" 0x69 b >/tmp/after.dump 2>&1
    if cmp -s /tmp/ports-set.trace /tmp/kernel-set.trace && cmp -s /tmp/before.dump /tmp/after.dump; then
        say kernel-set-as-through-the-ports ok "chip unchanged"
    else say kernel-set-as-through-the-ports FAIL "$(flat </tmp/kernel-set.trace)"; fi

    # A kernel client at 0x69 (the kernel's own clock-chip driver): the
    # address is the kernel's unless --force.
    modprobe ics932s401
    echo ics932s401 0x69 >/sys/bus/i2c/devices/i2c-$bus/new_device
    out=$($cli smbus-read 0x69 0x12 2>&1); status=$?
    forced=$($cli --force smbus-read 0x69 0x12 2>/dev/null); forced_status=$?
    if [ $status -eq 2 ] && echo "$out" | grep -q "belongs to the kernel's ics932s401 driver; --force shares it" &&
       [ $forced_status -eq 0 ] && [ "$forced" = "$(head -n 1 /tmp/i2cget.words)" ]; then
        say kernel-client-refused-unless-forced ok "$forced"
    else
        say kernel-client-refused-unless-forced FAIL "exit $status: $(echo "$out" | flat) forced: exit $forced_status '$forced'"
    fi
    echo 0x69 >/sys/bus/i2c/devices/i2c-$bus/delete_device
}

# The kernel's i2c-stub as the clock chip: a register file that keeps what
# is written, so the whole read, program and read-back path runs through
# i2c-dev. OPTIONS for the CLI name the stub's bus.
check_stub() {
    modprobe i2c-stub chip_addr=0x69 functionality=0xffffffff
    stub=$(adapter_named "SMBus stub")
    # A control block of 17 bytes, FSB 133.5 MHz, divider field 3 (1/5).
    $i2cset -y "$stub" 0x69 0 0x81 0x82 0x83 0x84 0x85 0x86 0x87 0x88 9 10 11 12 13 14 15 16 17 s
    stage "$stub" 0x83 0x84 0xda
    $i2cset -y "$stub" 0x69 0x10 0x555a w
    out=$($cli --i2c-bus "$stub" get 2>&1); status=$?
    if [ $status -eq 2 ] && echo "$out" | grep -q 'is not the SMBus host'"'"'s adapter; --force uses it anyway'; then
        say stub-needs-force ok
    else say stub-needs-force FAIL "exit $status: $(echo "$out" | flat)"; fi

    out=$($cli --i2c-bus "$stub" --force get 2>&1); status=$?
    core_clock_as_the_kernels_tsc "$out"
    expected=$(decode "$(register "$stub" 0x12)" "$(register "$stub" 0x14)" "$(register "$stub" 0x1f)")
    block=$($i2cget -y "$stub" 0x69 0 s 2>&1)
    if [ $status -eq 0 ] && [ "$(echo "$out" | clock_lines)" = "$expected" ] &&
       [ "$block" = "0x81 0x82 0x83 0x84 0x85 0x86 0x87 0x88 0x0f 0xff 0xff 0xff 0xff 0xff 0xff 0xff 0x03" ] &&
       [ "$(register "$stub" 0x10)" = 0x00 ]; then
        say stub-get-reads-what-i2cget-reads ok "$(echo "$expected" | flat)"
    else
        say stub-get-reads-what-i2cget-reads FAIL "exit $status: $(echo "$out" | flat) expected: $(echo "$expected" | flat) block: $block"
    fi

    kernel_trace_start
    out=$($cli --i2c-bus "$stub" --force --trace /tmp/stub-set.trace set 150 1/5 2>&1); status=$?
    same_as_kernel stub-kernel-saw-the-programs-transfers /tmp/stub-set.trace
    held=$(decode "$(register "$stub" 0x12)" "$(register "$stub" 0x14)" "$(register "$stub" 0x1f)")
    if [ $status -eq 0 ] && [ "$held" = "$(printf 'FSB: 150.0 MHz\nAGP: 60.00 MHz\nPCI: 30.00 MHz')" ] &&
       [ "$(echo "$out" | clock_lines)" = "$held" ] && [ $(( $(register "$stub" 0x1f) & 3 )) -eq 3 ]; then
        say stub-set-programs-and-reads-back ok "$(echo "$held" | flat)"
    else
        say stub-set-programs-and-reads-back FAIL "exit $status: $(echo "$out" | flat) chip: $(echo "$held" | flat)"
    fi

    out=$(echo n | $cli --i2c-bus "$stub" --force --confirm 5 set 133 1/4 2>&1); status=$?
    back=$(decode "$(register "$stub" 0x12)" "$(register "$stub" 0x14)" "$(register "$stub" 0x1f)")
    if [ $status -eq 3 ] && [ "$back" = "$held" ] && echo "$out" | grep -q 'FSB: 133.0 MHz' &&
       echo "$out" | grep -q 'declined: going back to FSB 150.0 MHz, divider 1/5'; then
        say stub-revert-without-a-yes ok "$(echo "$back" | flat)"
    else
        say stub-revert-without-a-yes FAIL "exit $status: $(echo "$out" | flat) chip: $(echo "$back" | flat)"
    fi
}

# OUT of get: the core clock it measured against the PM timer, with the
# kernel keeping time by the TSC (clocksource=tsc), within 1 % of the rate
# the kernel calibrated for the TSC.
core_clock_as_the_kernels_tsc() {
    clocksource=$(cat /sys/devices/system/clocksource/clocksource0/current_clocksource)
    tsc=$(dmesg | awk '/tsc: Refined TSC clocksource calibration:|tsc: Detected .* MHz processor/ {
        for (i = 2; i <= NF; i++) if ($i ~ /^MHz/) v = $(i - 1) } END { print v }')
    core=$(echo "$1" | sed -n 's/^core clock: \([0-9.]*\) MHz$/\1/p')
    if [ "$clocksource" = tsc ] && [ -n "$tsc" ] && [ -n "$core" ] &&
       awk -v c="$core" -v t="$tsc" 'BEGIN { d = c - t; if (d < 0) d = -d; exit !(d <= t / 100) }'; then
        say core-clock-by-the-pm-timer ok "$core MHz measured, the kernel's TSC $tsc MHz"
    else
        say core-clock-by-the-pm-timer FAIL "clocksource $clocksource, TSC '$tsc' MHz, measured '$core': $(echo "$1" | flat)"
    fi
}

check_pc() {
    survey=$($cli survey 2>&1); status=$?
    sysfs_table >/tmp/sysfs.txt
    echo "$survey" | cli_table >/tmp/cli.txt
    if [ -s /tmp/sysfs.txt ] && cmp -s /tmp/sysfs.txt /tmp/cli.txt; then
        say pci-table ok "$(wc -l </tmp/sysfs.txt) functions"
    else
        say pci-table FAIL "sysfs: $(flat </tmp/sysfs.txt) cli: $(flat </tmp/cli.txt)"
    fi

    # Without sysfs the tool reads configuration space through 0xCF8/0xCFC
    # itself: the same table.
    umount /sys/kernel/tracing /sys/kernel/security /sys
    $cli survey 2>/dev/null | cli_table >/tmp/raw.txt
    mount -t sysfs sys /sys; mount -t securityfs none /sys/kernel/security; mount -t tracefs none $tracing
    if [ -s /tmp/raw.txt ] && cmp -s /tmp/sysfs.txt /tmp/raw.txt; then
        say pci-table-raw-ports ok "$(wc -l </tmp/raw.txt) functions"
    else
        say pci-table-raw-ports FAIL "raw: $(flat </tmp/raw.txt)"
    fi

    # QEMU's PC is no QZ8-II: the survey lists it but leaves 0x69 alone.
    if [ $status -eq 0 ] && echo "$survey" | grep -q '^clock generator: not read on this board' &&
       echo "$survey" | grep -q 'not reading the clock generator'; then
        say no-reading-off-the-qz8 ok
    else
        say no-reading-off-the-qz8 FAIL "exit $status: $(echo "$survey" | tail -n 2 | flat)"
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

    # Only --force lets get read off the QZ8-II.
    refused=$($cli get 2>&1); refusal=$?
    if [ $refusal -eq 2 ] && echo "$refused" | grep -q 'host bridge 8086:1237 and SMBus host 8086:7113'; then
        say get-refused-off-the-qz8 ok
    else
        say get-refused-off-the-qz8 FAIL "exit $refusal: $(echo "$refused" | flat)"
    fi

    # Where nothing answers: a device error within the wait bound.
    start=$(now)
    out=$($cli smbus-read 0x6a 0x12 2>&1); status=$?
    took=$(( $(now) - start ))
    if [ $status -eq 1 ] && [ $took -lt 300 ] && echo "$out" | grep -q 'no answer from SMBus address 0x6a'; then
        say nothing-answers-at-0x6a ok "exit 1 after ${took}0 ms"
    else
        say nothing-answers-at-0x6a FAIL "exit $status after ${took}0 ms: $(echo "$out" | flat)"
    fi
    # The controller still works: a memory module's EEPROM at 0x50 answers.
    spd=$($cli smbus-read 0x50 0 2>&1); status=$?
    if [ $status -eq 0 ]; then say controller-still-works ok "0x50 command 0: $spd"
    else say controller-still-works FAIL "exit $status: $spd"; fi

    check_chip_at_0x69
    check_stub
}

check_q35() {
    out=$($cli survey 2>&1); status=$?
    if [ $status -eq 1 ] && echo "$out" | grep -qi 'no SMBus'; then say no-smbus-on-ich9 ok
    else say no-smbus-on-ich9 FAIL "exit $status: $(echo "$out" | flat)"; fi

    # i2c_i801 as it drives the ICH2: no block buffer (0x02), no interrupt
    # (0x10); block transfers go byte by byte, polled.
    modprobe i2c-i801 disable_features=0x12
    bus=$(adapter_named "SMBus I801")
    out=$($cli --i2c-bus "$bus" smbus-read 0x69 0x12 2>&1); status=$?
    if [ $status -eq 2 ] && echo "$out" | grep -q "is not the SMBus host's adapter"; then say i801-needs-force ok
    else say i801-needs-force FAIL "exit $status: $(echo "$out" | flat)"; fi
    kernel_trace_start
    out=$($cli --i2c-bus "$bus" --force --trace /tmp/i801-get.trace get 2>&1); status=$?
    refuses_unread_block i801-get-refuses-the-unread-block "$out" $status /tmp/i801-get.trace
    same_as_kernel i801-saw-the-programs-transfers /tmp/i801-get.trace
    out=$($cli --i2c-bus "$bus" --force --trace /tmp/i801-set.trace set 150 1/5 2>&1); status=$?
    set_writes_nothing i801-set-writes-nothing "$out" $status /tmp/i801-set.trace
    program_words --i2c-bus "$bus" --force >/tmp/i801.words
    for reg in 0x12 0x14 0x1f; do kernel_word "$bus" $reg; done >/tmp/i2cget.words
    if [ -s /tmp/i2cget.words ] && cmp -s /tmp/i2cget.words /tmp/i801.words; then
        say i801-words-as-i2cget-reads-them ok "$(flat </tmp/i2cget.words)"
    else
        say i801-words-as-i2cget-reads-them FAIL "i2cget: $(flat </tmp/i2cget.words) program: $(flat </tmp/i801.words)"
    fi
}

# A stand-in for systemctl in a guest without systemd: is-enabled answers
# from /tmp/boot-enabled, start runs the unit's ExecStartPre and ExecStart
# lines as systemd would, with the test's options after the command.
fake_systemctl() {
    mkdir -p /tmp/bin
    cat >/tmp/bin/systemctl <<'EOF'
#!/bin/sh
echo "systemctl $*" >>/tmp/systemctl.log
unit=/lib/systemd/system/qz8fsb-boot.service
case "$*" in
    "--quiet is-enabled qz8fsb-boot.service") [ -f /tmp/boot-enabled ] ;;
    "--no-block start qz8fsb-boot.service")
        sed -n 's/^ExecStartPre=-//p' $unit | while read -r line; do $line; done
        $(sed -n 's/^ExecStart=//p' $unit) $UNIT_OPTIONS >>/tmp/unit.log 2>&1
        echo "exit $?" >>/tmp/unit.log ;;
    *) exit 1 ;;
esac
EOF
    chmod 755 /tmp/bin/systemctl
}

check_p4() {
    # Lockdown: no port access for any program; the ports' refusal says so
    # and names the kernel's driver as the way.
    mode=$(cat /sys/kernel/security/lockdown)
    case "$mode" in *"[integrity]"*) say kernel-locked-down ok "$mode" ;; *) say kernel-locked-down FAIL "$mode" ;; esac
    out=$($cli --force get 2>&1); status=$?
    if [ $status -eq 2 ] && echo "$out" | grep -q 'the kernel is locked down (integrity)' &&
       echo "$out" | grep -q 'modprobe i2c_piix4'; then
        say lockdown-refusal-names-the-way ok "$(echo "$out" | flat)"
    else say lockdown-refusal-names-the-way FAIL "exit $status: $(echo "$out" | flat)"; fi

    # Through the kernel's driver, under lockdown.
    modprobe i2c-piix4
    out=$($cli --force get 2>&1); status=$?
    if [ $status -eq 1 ] && echo "$out" | grep -q 'the clock generator could not be read'; then
        say kernel-path-under-lockdown ok "exit 1 at the stand-in's block"
    else say kernel-path-under-lockdown FAIL "exit $status: $(echo "$out" | flat)"; fi
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

    # The whole path on the stub under lockdown; its setting saved as the
    # boot file, then the chip at another one, as power-on leaves it.
    modprobe i2c-stub chip_addr=0x69 functionality=0xffffffff
    stub=$(adapter_named "SMBus stub")
    $i2cset -y "$stub" 0x69 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 s
    stage "$stub" 0x94 0x94 0xdb
    out=$($cli --i2c-bus "$stub" --force save /etc/qz8fsb/boot.qz8 2>&1); status=$?
    if [ $status -eq 0 ] && echo "$out" | grep -q 'FSB 150.0 MHz, divider 1/5'; then say stub-save-under-lockdown ok "$out"
    else say stub-save-under-lockdown FAIL "exit $status: $(echo "$out" | flat)"; fi
    stage "$stub" 0x83 0x83 0xd3

    # Suspend to RAM, woken by the real-time clock.
    echo 0 >/sys/class/rtc/rtc0/wakealarm
    echo +3 >/sys/class/rtc/rtc0/wakealarm
    echo mem >/sys/power/state; slept=$?
    if [ $slept -eq 0 ] && dmesg | grep -q 'Waking up from system sleep state S3'; then
        say suspend-and-wake ok "$(dmesg | grep -c 'PM: suspend exit') wake(s)"
    else say suspend-and-wake FAIL "exit $slept: $(dmesg | grep 'PM:' | tail -n 3 | flat)"; fi

    # The package's sleep hook after the wake: while the boot unit is
    # enabled it runs that unit again, and the chip is back at the file's
    # setting; disabled, or before sleeping, it leaves everything alone.
    fake_systemctl
    stock=$(decode "$(register "$stub" 0x12)" "$(register "$stub" 0x14)" "$(register "$stub" 0x1f)")
    hook=/lib/systemd/system-sleep/qz8fsb-cli
    PATH=/tmp/bin:$PATH UNIT_OPTIONS="--force --i2c-bus $stub" $hook pre suspend
    PATH=/tmp/bin:$PATH UNIT_OPTIONS="--force --i2c-bus $stub" $hook post suspend
    held=$(decode "$(register "$stub" 0x12)" "$(register "$stub" 0x14)" "$(register "$stub" 0x1f)")
    if [ "$held" = "$stock" ] && ! grep -q start /tmp/systemctl.log; then say sleep-hook-idle-while-disabled ok
    else say sleep-hook-idle-while-disabled FAIL "$(flat </tmp/systemctl.log)"; fi
    touch /tmp/boot-enabled
    : >/tmp/systemctl.log
    PATH=/tmp/bin:$PATH UNIT_OPTIONS="--force --i2c-bus $stub" $hook pre suspend
    pre=$(wc -l </tmp/systemctl.log)
    PATH=/tmp/bin:$PATH UNIT_OPTIONS="--force --i2c-bus $stub" $hook post suspend
    held=$(decode "$(register "$stub" 0x12)" "$(register "$stub" 0x14)" "$(register "$stub" 0x1f)")
    if [ "$pre" -eq 0 ] && [ "$held" = "$(printf 'FSB: 150.0 MHz\nAGP: 60.00 MHz\nPCI: 30.00 MHz')" ] &&
       grep -q 'exit 0' /tmp/unit.log; then
        say sleep-hook-applies-the-boot-file-after-wake ok "from $(echo "$stock" | head -n 1) to $(echo "$held" | flat)"
    else
        say sleep-hook-applies-the-boot-file-after-wake FAIL "chip: $(echo "$held" | flat) systemctl: $(flat </tmp/systemctl.log) unit: $(flat </tmp/unit.log)"
    fi
    # The unit's own command, as at boot: QEMU's PC is no QZ8-II.
    out=$($(sed -n 's/^ExecStart=//p' /lib/systemd/system/qz8fsb-boot.service) 2>&1); status=$?
    if [ $status -eq 2 ] && echo "$out" | grep -q 'not programming the clock generator'; then
        say unit-command-refuses-off-the-qz8 ok
    else say unit-command-refuses-off-the-qz8 FAIL "exit $status: $(echo "$out" | flat)"; fi
}

case "$1" in
    pc) check_pc ;;
    q35) check_q35 ;;
    p4) check_p4 ;;
    *) say checks FAIL "unknown set '$1'" ;;
esac
