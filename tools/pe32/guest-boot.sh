#!/usr/bin/env bash
# tools/pe32/guest-boot.sh GUEST MODE REPO SHARE: boots the 32-bit guest of
# folder GUEST (vmlinuz, initrd.gz, disk.img) as a PC with an i440FX and a
# PIIX4 under QEMU's software emulation, and runs tools/pe32/guest-MODE.sh in
# it. The guest sees REPO read-only at /mnt, SHARE (its results) at /media
# and the run's work queue (QZ8_PE32_QUEUE, when given) at /srv; its console
# goes to SHARE/console.log, and the seconds it ran and the processor
# seconds it took to SHARE/time.txt.
# Environment:
#   QZ8_PE32_CPU          -cpu model (default max,-smap: TCG's iret from
#                         kernel to user mode faults under SMAP on 7.2)
#   QZ8_PE32_DISK         disk to boot (default GUEST/disk.img)
#   QZ8_PE32_DISK_FORMAT  its format (default raw)
#   QZ8_PE32_TIMEOUT      seconds before the guest is stopped (default 1800)
#   QZ8_PE32_QEMU_ARGS    more QEMU arguments (a trace, say)
#   QZ8_PE32_QUEUE        a folder that several guests share, written
set -euo pipefail
guest=${1:?usage: guest-boot.sh GUEST MODE REPO SHARE}
mode=${2:?} repo=${3:?} share=${4:?}
mkdir -p "$share"
disk=${QZ8_PE32_DISK:-$guest/disk.img}
# shellcheck disable=SC2206
extra=(${QZ8_PE32_QEMU_ARGS:-})
[ -n "${QZ8_PE32_QUEUE:-}" ] &&
    extra+=(-virtfs "local,path=$QZ8_PE32_QUEUE,mount_tag=qz8queue,security_model=none")
status=0
TIMEFORMAT='%0R s, %0U+%0S processor s'
{ time timeout -k 10 "${QZ8_PE32_TIMEOUT:-1800}" qemu-system-i386 -machine pc -accel tcg \
    -cpu "${QZ8_PE32_CPU:-max,-smap}" -m 1536 \
    -display none -vga none -monitor none -nic none -no-reboot \
    -serial "file:$share/console.log" \
    -kernel "$guest/vmlinuz" -initrd "$guest/initrd.gz" \
    -append "console=ttyS0 quiet panic=-1 mitigations=off qz8.mode=$mode" \
    -drive "file=$disk,format=${QZ8_PE32_DISK_FORMAT:-raw},if=virtio,cache=unsafe" \
    -virtfs "local,path=$repo,mount_tag=qz8repo,security_model=none,readonly=on" \
    -virtfs "local,path=$share,mount_tag=qz8share,security_model=none" \
    "${extra[@]}" </dev/null 2>&3 || status=$?; } 3>&2 2>"$share/time.txt"
[ $status -eq 124 ] && echo "pe32: the guest ran out of its ${QZ8_PE32_TIMEOUT:-1800} s" >&2
exit $status
