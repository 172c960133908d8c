#!/usr/bin/env bash
# tools/qemu-test.sh BUILD: qz8fsb-cli against QEMU's PC, a machine nobody
# here modelled, once as the x86-64 build and once as the i386 build (the
# QZ8-II's Pentium 4 has no 64-bit mode). For each architecture: the CLI as
# it ships (tools/build-cli.sh) with the C and C++ libraries of that
# architecture's Debian packages, Debian's kernel, busybox and i2c-tools
# (fetched with apt-get download, unpacked, never installed), an initramfs
# with the kernel's SMBus modules, the package's unit and sleep hook and
# tools/qemu/checks.sh, booted three times under TCG, each time with QEMU's
# display-identification chip (i2c-ddc) at 0x69 as the clock chip's
# stand-in:
#   pc   i440FX + PIIX4: the PCI table, the SMBus host; the chip at 0x69
#        through the host's ports and, with i2c_piix4 bound, through the
#        kernel's driver: the same bytes as i2cget, the same transactions,
#        a kernel client at 0x69 refused; the whole read-program-read path
#        on the kernel's i2c-stub chip
#   q35  ICH9, not in the south-bridge list: no SMBus; through i2c_i801 as
#        it drives the ICH2 (no block buffer, no interrupt): the same checks
#   p4   pc with a Pentium 4 identity under lockdown=integrity: brand string,
#        core name, the missing multiplier MSR, the lockdown refusal of the
#        ports and the kernel's path instead; a suspend to RAM and the wake
#        by the clock, then the sleep hook and the boot unit's command
# Prints each check's result as "qemu.ARCH.SET: NAME ok|FAIL ..."; exit
# status 0 only when all passed.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/apt-arch.sh"
build=$(realpath -m "${1:?usage: qemu-test.sh BUILD}")
work=$build/qemu
apt_state=$(realpath -m "${QZ8_APT_STATE:-$build}")
mkdir -p "$work"

p4='vendor=GenuineIntel,family=15,model=2,stepping=7,model-id=Intel(R) Pentium(R) 4 CPU 2.40GHz'
# The stand-in for the clock chip: it answers reads with its display data
# from the register the first written byte names, and ignores writes.
chip='i2c-ddc,address=0x69'
# The kernel's SMBus drivers and what the checks load of their own.
modules='msr i2c-piix4 i2c-i801 i2c-smbus i2c-dev i2c-stub ics932s401'
# What the CLI and i2c-tools need at run time.
libraries='libc6 libstdc++6 libgcc-s1 libi2c0 i2c-tools'
failed=0
started=$(date +%s)

# Debian's kernel (the package linux-image-FLAVOUR points to), busybox and
# the run-time libraries and i2c-tools for ARCH, unpacked under $work/ARCH.
fetch_guest() {
    local arch=$1 flavour=$2 dir=$work/$1 kernel deb
    [ -f "$dir/.ready" ] && return
    rm -rf "$dir"; mkdir -p "$dir/debs"
    kernel=$(apt_for "$arch" "$apt_state" apt-cache depends "linux-image-$flavour" |
             awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
    apt_download "$arch" "$apt_state" "$dir/debs" "$kernel" busybox-static
    apt_download "$arch" "$apt_state" "$apt_state/debs-$arch" $libraries
    for deb in "$dir"/debs/*.deb; do dpkg-deb -x "$deb" "$dir/unpacked"; done
    for name in $libraries; do dpkg-deb -x "$apt_state/debs-$arch/${name}_"*.deb "$dir/libs"; done
    touch "$dir/.ready"
}

# An initramfs with ARCH's busybox, the modules (with the modules.dep of the
# host's depmod, for busybox's modprobe and the CLI's own), the CLI where the
# package puts it and its libraries, i2c-tools, the unit, the sleep hook and
# the checks.
pack_guest() {
    local arch=$1 cli=$2 dir=$work/$1
    local root=$dir/root kver module name relative
    rm -rf "$root"
    mkdir -p "$root"/{bin,sbin,usr/sbin,proc,sys,dev,tmp,etc/qz8fsb,lib/systemd/system,lib/systemd/system-sleep}
    cp "$dir/unpacked/bin/busybox" "$root/bin/busybox"
    kver=$(ls "$dir/unpacked/lib/modules")
    for name in $modules; do
        module=$(find "$dir/unpacked/lib/modules/$kver" -name "$name.ko*" | head -n 1)
        [ -n "$module" ] || { echo "qemu-test: no module $name in $kver" >&2; exit 1; }
        relative=${module#"$dir/unpacked/lib/modules/$kver/"}
        mkdir -p "$root/lib/modules/$kver/$(dirname "$relative")"
        case "$relative" in
            *.xz) xz -dc "$module" >"$root/lib/modules/$kver/${relative%.xz}" ;;
            *) cp "$module" "$root/lib/modules/$kver/$relative" ;;
        esac
    done
    cp "$dir/unpacked/lib/modules/$kver"/modules.{order,builtin,builtin.modinfo} "$root/lib/modules/$kver/"
    depmod -b "$root" "$kver"
    # The dynamic loader and the shared libraries, where the packages put them.
    (cd "$dir/libs" && find lib* usr/lib -maxdepth 2 \( -name 'ld-linux*' -o -name 'libc.so*' \
        -o -name 'libm.so*' -o -name 'libstdc++.so*' -o -name 'libgcc_s.so*' -o -name 'libi2c.so*' \) |
        cpio -pdm --quiet "$root")
    cp "$dir"/libs/usr/sbin/i2c{get,set,dump,detect} "$root/usr/sbin/"
    cp "$cli" "$root/usr/sbin/qz8fsb-cli"
    cp "$here/../packaging/debian/qz8fsb-boot.service" "$root/lib/systemd/system/"
    cp "$here/../packaging/debian/qz8fsb-sleep" "$root/lib/systemd/system-sleep/qz8fsb-cli"
    cp "$here/qemu/init" "$root/init"
    cp "$here/qemu/checks.sh" "$root/checks.sh"
    chmod 755 "$root/init" "$root/lib/systemd/system-sleep/qz8fsb-cli"
    (cd "$root" && find . | cpio -o -H newc --quiet | gzip) >"$dir/initrd.gz"
}

# One result line, as the guest's are.
say() { echo "qemu.$1: $2 $3${4:+ $4}"; [ "$3" = ok ] || failed=1; }

# ARCH CHECKS MACHINE CPU QEMU APPEND [QEMU-OPTION...]: one boot; its
# results as they come.
boot() {
    local arch=$1 checks=$2 machine=$3 cpu=$4 qemu=$5 append=$6 dir=$work/$1
    local log=$dir/$checks.log kernel began
    shift 6
    kernel=$(ls "$dir"/unpacked/boot/vmlinuz-* | head -n 1)
    began=$(date +%s)
    timeout -k 10 "${QZ8_QEMU_TIMEOUT:-300}" "$qemu" -machine "$machine" -accel tcg -cpu "$cpu" \
        -m 256 -nographic -no-reboot -kernel "$kernel" -initrd "$dir/initrd.gz" \
        -device "$chip" -global PIIX4_PM.disable_s3=0 "$@" \
        -append "console=ttyS0 quiet panic=-1 qz8.checks=$checks $append" </dev/null >"$log" 2>&1 || true
    # The firmware's screen codes can share a line with the first result.
    tr -d '\r' <"$log" | sed -n "s/.*CHECK /qemu.$arch.$checks: /p" >"$dir/$checks.results"
    cat "$dir/$checks.results"
    grep -q ' FAIL' "$dir/$checks.results" && failed=1
    if ! grep -aq 'CHECKS DONE' "$log"; then
        say "$arch.$checks" guest FAIL "did not finish its checks (see $log)"
    fi
    echo "qemu.$arch.$checks: boot took $(( $(date +%s) - began )) s"
}

# ARCH TRACE: the program and the kernel's driver drove the SMBus host
# (writes of the address byte of 0x69, read or write, at its offset 4) and
# nothing wrote 0xCF9, the reset control register.
no_reset_write() {
    local smbus clock_chip reset
    smbus=$(grep -c "name 'pm-smbus'" "$2" || true)
    clock_chip=$(grep -c "addr 0x[0-9a-f]*4 value 0xd[23] size 1 name 'pm-smbus'" "$2" || true)
    reset=$(grep -c "name 'piix3-reset-control'" "$2" || true)
    if [ "${clock_chip:-0}" -gt 0 ] && [ "${reset:-0}" -eq 0 ]; then
        say "$1.pc" no-reset-write ok "$smbus writes to the SMBus host, $clock_chip addressing 0x69, none to 0xCF9"
    else
        say "$1.pc" no-reset-write FAIL "$smbus writes to the SMBus host, $clock_chip addressing 0x69, $reset to 0xCF9 ($2)"
    fi
}

# ARCH KERNEL-FLAVOUR QEMU CPU IMAGE INTERPRETER: the three boots of one
# architecture, after checking that the CLI is what that architecture runs.
run_arch() {
    local arch=$1 flavour=$2 qemu=$3 cpu=$4 image=$5 interpreter=$6 cli description
    cli=$(bash "$here/build-cli.sh" "$build" "$arch")
    description=$(file -b "$cli")
    case "$description" in
        *"$image"*"dynamically linked, interpreter $interpreter"*) say "$arch" image ok "$description" ;;
        *) say "$arch" image FAIL "want '$image', dynamically linked through $interpreter; got '$description'" ;;
    esac
    fetch_guest "$arch" "$flavour"
    pack_guest "$arch" "$cli"
    # The pc boot drives the PIIX4's SMBus through its ports: QEMU records
    # every write the guest makes.
    rm -f "$work/$arch/pc.trace"
    # The kernel keeps time by the TSC there, as an FSB change would mislead
    # it: the core clock is measured against the PM timer all the same.
    boot "$arch" pc pc "$cpu" "$qemu" "clocksource=tsc tsc=reliable" -trace enable=memory_region_ops_write \
        -D "$work/$arch/pc.trace"
    no_reset_write "$arch" "$work/$arch/pc.trace"
    boot "$arch" q35 q35 "$cpu" "$qemu" ""
    boot "$arch" p4 pc "$cpu,$p4" "$qemu" "lockdown=integrity"
}

# QZ8_QEMU_ARCHES picks the architectures (default both), for a quicker look.
for arch in ${QZ8_QEMU_ARCHES:-amd64 i386}; do
    case $arch in
        amd64) run_arch amd64 amd64 qemu-system-x86_64 qemu64 'ELF 64-bit LSB pie executable, x86-64' \
                        /lib64/ld-linux-x86-64.so.2 ;;
        i386) run_arch i386 686 qemu-system-i386 qemu32 'ELF 32-bit LSB pie executable, Intel 80386' \
                       /lib/ld-linux.so.2 ;;
        *) say "$arch" arch FAIL "no such architecture" ;;
    esac
done
echo "qemu-test: $(( $(date +%s) - started )) s in all"
if [ $failed -eq 0 ]; then echo "qemu-test: every check passed"; else echo "qemu-test: FAILED"; fi
exit $failed
