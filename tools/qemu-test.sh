#!/usr/bin/env bash
# tools/qemu-test.sh BUILD: qz8fsb-cli against QEMU's PC, a machine nobody
# here modelled, once as the x86-64 build and once as the i386 build (the
# QZ8-II's Pentium 4 has no 64-bit mode). For each architecture: the static
# CLI as it ships (tools/build-cli.sh), Debian's kernel and busybox of that
# architecture (fetched with apt-get download, unpacked, never installed), an
# initramfs with the kernel's msr and i2c-piix4 modules and
# tools/qemu/checks.sh, booted three times under TCG:
#   pc   i440FX + PIIX4: the PCI table, the SMBus host, a clean failure where
#        nothing answers at 0x69, the controller still working after it, a
#        refusal once the kernel's own SMBus driver is bound to the host
#   q35  ICH9, not in the south-bridge list: no SMBus
#   p4   pc with a Pentium 4 identity: brand string, core name, the missing
#        multiplier MSR
# Prints each check's result as "qemu.ARCH.SET: NAME ok|FAIL ..."; exit
# status 0 only when all passed.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/apt-arch.sh"
build=$(realpath -m "${1:?usage: qemu-test.sh BUILD}")
work=$build/qemu
mkdir -p "$work"

p4='vendor=GenuineIntel,family=15,model=2,stepping=7,model-id=Intel(R) Pentium(R) 4 CPU 2.40GHz'
failed=0

# Debian's kernel (the package linux-image-FLAVOUR points to) and busybox for
# ARCH, unpacked under $work/ARCH.
fetch_guest() {
    local arch=$1 flavour=$2 dir=$work/$1 kernel
    [ -f "$dir/.ready" ] && return
    rm -rf "$dir"; mkdir -p "$dir/debs"
    kernel=$(apt_for "$arch" apt-cache depends "linux-image-$flavour" | awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
    (cd "$dir/debs" && apt_for "$arch" apt-get -o APT::Sandbox::User=root download -qq "$kernel" busybox-static)
    for deb in "$dir"/debs/*.deb; do dpkg-deb -x "$deb" "$dir/unpacked"; done
    touch "$dir/.ready"
}

# An initramfs with ARCH's busybox, the modules and CLI, and the checks.
pack_guest() {
    local arch=$1 cli=$2 dir=$work/$1
    local root=$dir/root
    rm -rf "$root"
    mkdir -p "$root/bin" "$root/lib/modules" "$root/proc" "$root/sys" "$root/dev" "$root/tmp"
    cp "$dir/unpacked/bin/busybox" "$root/bin/busybox"
    local module name
    for module in $(find "$dir/unpacked/lib/modules" -name 'msr.ko*' -o -name 'i2c-piix4.ko*'); do
        name=$(basename "$module"); name=${name%%.ko*}.ko
        case "$module" in
            *.xz) xz -dc "$module" >"$root/lib/modules/$name" ;;
            *) cp "$module" "$root/lib/modules/$name" ;;
        esac
    done
    cp "$cli" "$root/qz8fsb-cli"
    cp "$here/qemu/init" "$root/init"
    cp "$here/qemu/checks.sh" "$root/checks.sh"
    chmod 755 "$root/init"
    (cd "$root" && find . | cpio -o -H newc --quiet | gzip) >"$dir/initrd.gz"
}

# One result line, as the guest's are.
say() { echo "qemu.$1: $2 $3${4:+ $4}"; [ "$3" = ok ] || failed=1; }

boot() {
    local arch=$1 checks=$2 machine=$3 cpu=$4 qemu=$5 dir=$work/$1
    local log=$dir/$checks.log kernel
    kernel=$(ls "$dir"/unpacked/boot/vmlinuz-* | head -n 1)
    timeout -k 10 "${QZ8_QEMU_TIMEOUT:-180}" "$qemu" -machine "$machine" -accel tcg -cpu "$cpu" \
        -m 256 -nographic -no-reboot -kernel "$kernel" -initrd "$dir/initrd.gz" \
        -append "console=ttyS0 quiet panic=-1 qz8.checks=$checks" </dev/null >"$log" 2>&1 || true
    # The firmware's screen codes can share a line with the first result.
    tr -d '\r' <"$log" | sed -n "s/.*CHECK /qemu.$arch.$checks: /p" >"$dir/$checks.results"
    cat "$dir/$checks.results"
    grep -q ' FAIL' "$dir/$checks.results" && failed=1
    if ! grep -aq 'CHECKS DONE' "$log"; then
        say "$arch.$checks" guest FAIL "did not finish its checks (see $log)"
    fi
}

# ARCH KERNEL-FLAVOUR QEMU CPU IMAGE: the three boots of one architecture,
# after checking that the CLI is what that architecture runs.
run_arch() {
    local arch=$1 flavour=$2 qemu=$3 cpu=$4 image=$5 cli description
    cli=$(bash "$here/build-cli.sh" "$build" "$arch")
    description=$(file -b "$cli")
    case "$description" in
        *"$image"*static*) say "$arch" image ok "$description" ;;
        *) say "$arch" image FAIL "want '$image', static; got '$description'" ;;
    esac
    fetch_guest "$arch" "$flavour"
    pack_guest "$arch" "$cli"
    boot "$arch" pc pc "$cpu" "$qemu"
    boot "$arch" q35 q35 "$cpu" "$qemu"
    boot "$arch" p4 pc "$cpu,$p4" "$qemu"
}

run_arch amd64 amd64 qemu-system-x86_64 qemu64 'ELF 64-bit LSB pie executable, x86-64'
run_arch i386 686 qemu-system-i386 qemu32 'ELF 32-bit LSB pie executable, Intel 80386'
if [ $failed -eq 0 ]; then echo "qemu-test: every check passed"; else echo "qemu-test: FAILED"; fi
exit $failed
