#!/usr/bin/env bash
# tools/qemu-test.sh BUILD: qz8fsb-cli against QEMU's PC, a machine nobody
# here modelled. Builds a static qz8fsb-cli, unpacks Debian's kernel package
# (fetched with apt), packs an initramfs with busybox, the CLI, the kernel's
# msr module and tools/qemu/checks.sh, and boots it three times under TCG:
#   pc   i440FX + PIIX4: the PCI table, the SMBus host, a clean failure where
#        nothing answers at 0x69, the controller still working after it, a
#        refusal once the kernel's own SMBus driver is bound to the host
#   q35  ICH9, not in the south-bridge list: no SMBus
#   p4   pc with a Pentium 4 identity: brand string, core name, the missing
#        multiplier MSR
# Prints each check's result; exit status 0 only when all passed.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(realpath -m "${1:?usage: qemu-test.sh BUILD}")
work=$build/qemu
mkdir -p "$work"

# A static CLI: the guest has no C library of its own.
cmake -S "$root" -B "$build/static" -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXE_LINKER_FLAGS=-static >/dev/null
cmake --build "$build/static" --target qz8fsb-cli -j 2 >/dev/null
cli=$build/static/cli/qz8fsb-cli

# Debian's kernel, unpacked here rather than installed on this machine.
if [ ! -f "$work/kernel/.ready" ]; then
    package=$(apt-cache depends linux-image-amd64 | awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
    rm -rf "$work/kernel" "$work"/linux-image-*.deb
    (cd "$work" && apt-get download -qq "$package")
    dpkg-deb -x "$work"/linux-image-*.deb "$work/kernel"
    touch "$work/kernel/.ready"
fi
kernel=$(ls "$work"/kernel/boot/vmlinuz-* | head -n 1)
modules=$(find "$work/kernel/lib/modules" -name 'msr.ko*' -o -name 'i2c-piix4.ko*')

rm -rf "$work/root"
mkdir -p "$work/root/bin" "$work/root/lib/modules" "$work/root/proc" "$work/root/sys" "$work/root/dev" "$work/root/tmp"
cp /usr/bin/busybox "$work/root/bin/busybox"
for module in $modules; do
    name=$(basename "$module"); name=${name%%.ko*}.ko
    case "$module" in
        *.xz) xz -dc "$module" >"$work/root/lib/modules/$name" ;;
        *) cp "$module" "$work/root/lib/modules/$name" ;;
    esac
done
cp "$cli" "$work/root/qz8fsb-cli"
cp "$here/qemu/init" "$work/root/init"
cp "$here/qemu/checks.sh" "$work/root/checks.sh"
chmod 755 "$work/root/init"
(cd "$work/root" && find . | cpio -o -H newc --quiet | gzip) >"$work/initrd.gz"

p4='qemu64,vendor=GenuineIntel,family=15,model=2,stepping=7,model-id=Intel(R) Pentium(R) 4 CPU 2.40GHz'
failed=0
boot() {
    local checks=$1 machine=$2 cpu=$3 log=$work/$1.log
    timeout -k 10 "${QZ8_QEMU_TIMEOUT:-180}" qemu-system-x86_64 -machine "$machine" -accel tcg -cpu "$cpu" \
        -m 256 -nographic -no-reboot -kernel "$kernel" -initrd "$work/initrd.gz" \
        -append "console=ttyS0 quiet panic=-1 qz8.checks=$checks" </dev/null >"$log" 2>&1 || true
    # The firmware's screen codes can share a line with the first result.
    tr -d '\r' <"$log" | sed -n "s/.*CHECK /qemu.$checks: /p" >"$work/$checks.results"
    cat "$work/$checks.results"
    grep -q ' FAIL' "$work/$checks.results" && failed=1
    if ! grep -aq 'CHECKS DONE' "$log"; then
        echo "qemu.$checks: the guest did not finish its checks (see $log)"
        failed=1
    fi
}
boot pc pc qemu64
boot q35 q35 qemu64
boot p4 pc "$p4"
if [ $failed -eq 0 ]; then echo "qemu-test: every check passed"; else echo "qemu-test: FAILED"; fi
exit $failed
