#!/usr/bin/env bash
# tools/pe32/guest-build.sh DIR: a 32-bit PC's disk for the PE32 images, made
# from Debian 12 i386 packages without running any i386 code here, into DIR
# (which must not exist yet):
#   DIR/vmlinuz, DIR/initrd.gz  Debian's 686 kernel and a busybox initramfs
#                               that loads virtio, ext4 and 9p and mounts
#                               the disk
#   DIR/disk.img                ext4: the unpacked packages and a 32-bit
#                               Wine prefix made by one boot of the guest
# tools/pe32-test.sh calls it when its cache holds no guest for the current
# recipe.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root_repo=$(cd "$here/../.." && pwd)
out=${1:?usage: guest-build.sh DIR}
[ ! -e "$out" ] || { echo "guest-build.sh: $out exists" >&2; exit 2; }
work=$out.part
rm -rf "$work"
mkdir -p "$work"
log() { echo "pe32-guest: $*" >&2; }

# Wine and an X server for the windows, ImageMagick for the screenshots,
# pciutils to compare the PCI table with, i2c-tools to read the chip at 0x69
# through the kernel's own SMBus driver, the 686 kernel (no PAE, as a
# Pentium 4 of the 850's day runs it) and busybox for the initramfs.
packages=wine,wine32,libwine,fonts-wine,xvfb,xauth,x11-utils,procps,imagemagick,pciutils,i2c-tools,linux-image-686,busybox-static
mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' | awk '$2 == "bookworm" {print $1; exit}')
mirror=${mirror:-http://deb.debian.org/debian/}

rootfs=$work/root
log "fetching Debian 12 i386 packages from $mirror"
debootstrap --arch=i386 --foreign --variant=minbase --include="$packages" \
    bookworm "$rootfs" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -n 20 "$work/debootstrap.log" >&2; exit 1; }

# The first stage unpacked only the essential packages; the rest lie in the
# archive cache. dpkg-deb only reads, so every one is unpacked here, and
# merged /usr's links stay links.
log "unpacking $(ls "$rootfs"/var/cache/apt/archives/*.deb | wc -l) packages"
for deb in "$rootfs"/var/cache/apt/archives/*.deb; do
    dpkg-deb --fsys-tarfile "$deb" | tar -x --keep-directory-symlink -C "$rootfs"
done
rm -rf "$rootfs"/var/cache/apt/archives/*.deb "$rootfs"/usr/share/doc "$rootfs"/usr/share/man \
    "$rootfs"/usr/share/locale "$rootfs/debootstrap"

# The two steps of the packages' install scripts that Wine needs. wine:
# its commands under their plain names (the alternatives links).
for app in wine wineserver wineboot winecfg winedbg winepath wineconsole regedit msiexec regsvr32 winefile; do
    [ -e "$rootfs/usr/bin/$app-stable" ] && ln -sf "$app-stable" "$rootfs/usr/bin/$app"
done
# imagemagick and mawk: the commands the test scripts call (import for the
# screenshots, awk), from their alternatives.
ln -sf import-im6.q16 "$rootfs/usr/bin/import"
ln -sf mawk "$rootfs/usr/bin/awk"
# libwine: MinGW's zlib1.dll marked as a Wine builtin (the text at offset
# 64); without it user32 does not load and wineboot fails.
zlib=$rootfs/usr/i686-w64-mingw32/lib/zlib1.dll
{ head -c 64 "$zlib"; printf 'Wine builtin DLL'; printf '\0%.0s' $(seq 16); tail -c +97 "$zlib"; } \
    >"$rootfs/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll"
# base-files: the folders its install script makes (debootstrap's first
# stage left /proc a link to the host's). base-passwd: the system's users
# and groups (root's home among them).
rm -f "$rootfs/proc"
mkdir -p "$rootfs"/{proc,mnt,media,opt,srv}
cp "$rootfs/usr/share/base-passwd/passwd.master" "$rootfs/etc/passwd"
cp "$rootfs/usr/share/base-passwd/group.master" "$rootfs/etc/group"

# The kernel, and the modules that reach the disk and the shared folders,
# each after those it depends on.
version=$(ls "$rootfs/usr/lib/modules")
depmod -b "$rootfs" "$version"
cp "$rootfs/boot/vmlinuz-$version" "$work/vmlinuz"
initrd=$work/initrd
mkdir -p "$initrd"/{bin,dev,proc,sys,newroot,lib/modules}
cp "$rootfs/usr/bin/busybox" "$initrd/bin/busybox"
cp "$here/initrd-init" "$initrd/init"
chmod 755 "$initrd/init"
for module in virtio_pci virtio_blk ext4 9p 9pnet_virtio; do
    modprobe -d "$rootfs" -S "$version" --show-depends "$module"
done | awk '$1 == "insmod" && !seen[$2]++ {print $2}' | while read -r path; do
    name=$(basename "$path")
    case "$name" in
        *.xz) xz -dc "$path" >"$initrd/lib/modules/${name%.xz}"; name=${name%.xz} ;;
        *) cp "$path" "$initrd/lib/modules/$name" ;;
    esac
    echo "$name" >>"$initrd/lib/modules/order"
done
(cd "$initrd" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/initrd.gz"

log "making the disk"
mke2fs -q -t ext4 -E root_owner=0:0 -d "$rootfs" "$work/disk.img" 4G >/dev/null
rm -rf "$rootfs" "$initrd"

# One boot makes the 32-bit Wine prefix, the slowest step of a first run.
log "first boot: the 32-bit Wine prefix"
QZ8_PE32_DISK=$work/disk.img bash "$here/guest-boot.sh" "$work" prepare "$root_repo" "$work/share" || true
if ! grep -q '^PE32-PREPARED' "$work/share/prepare.txt" 2>/dev/null; then
    log "the guest did not make its Wine prefix; its console:"
    tail -n 30 "$work/share/console.log" >&2
    exit 1
fi
log "$(cat "$work/share/prepare.txt")"
rm -rf "$work/share"
mv "$work" "$out"
