#!/usr/bin/env bash
# Idempotent machine set-up for this project on Debian 12 (run as root):
# the native tool chain and GoogleTest; clang with libFuzzer; MinGW-w64 for i686 with the win32
# thread model (the shipped PE32 programs and drivers) and for x86_64 with
# posix threads (the PE32+ test build); 64-bit Wine, which runs the test
# build natively; Xvfb and ImageMagick for the windows and their pictures;
# Debian's i686 cross compiler for the command-line tool of the QZ8-II's
# 32-bit processor; QEMU for its guests (their kernels and busybox are
# unpacked from Debian's packages by tools/qemu-test.sh); zip, help2man,
# man and lintian for the release (make dist); for the 32-bit guest of make
# pe32-test, debootstrap, the module tools, mke2fs and qemu-img, and
# MinGW-w64 for i686 with posix threads (its test programs).
# A second run is a quick no-op.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
log() { echo "setup.sh: $*" >&2; }

if [ "$(id -u)" != 0 ]; then log "must run as root"; exit 1; fi

PKGS=(g++ gcc cmake make googletest libgtest-dev clang libclang-rt-14-dev
      g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 binutils-mingw-w64-i686
      g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
      mingw-w64-x86-64-dev mingw-w64-i686-dev
      wine wine64
      xvfb xauth imagemagick
      g++-i686-linux-gnu file
      qemu-system-x86 cpio xz-utils
      zip unzip help2man man-db lintian
      debootstrap kmod e2fsprogs qemu-utils g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix)

missing=()
installed=$(dpkg-query -W -f='${db:Status-Abbrev} ${binary:Package}\n' 2>/dev/null | awk '$1=="ii"{print $2}')
for p in "${PKGS[@]}"; do
    if ! grep -qx -e "$p" -e "$p:amd64" <<<"$installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    log "installing ${missing[*]}"
    apt-get update -qq >/dev/null
    apt-get install -y -qq "${missing[@]}" >/dev/null
fi
exit 0
