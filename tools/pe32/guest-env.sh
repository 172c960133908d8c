# Sourced by the guest scripts: the file systems a Debian system mounts at
# boot, and the 32-bit Wine prefix on the guest's disk.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
mount -t tmpfs tmp /tmp
mount -t tmpfs run /run
mkdir -p /dev/shm /dev/pts
mount -t tmpfs shm /dev/shm
mount -t devpts pts /dev/pts
hostname qz8-pe32
export QZ8_WINE_ARCH=win32 QZ8_WINEPREFIX=/root/qz8/prefix QZ8_WINE_DESKTOP=1024x768
