#!/usr/bin/env bash
# tools/build-cli.sh BUILD ARCH: qz8fsb-cli as it ships, for the Debian
# architecture ARCH (amd64, or i386 for the QZ8-II's own Pentium 4), built in
# BUILD/cli-ARCH, linked against the system's C and C++ libraries. Prints the
# program's path. The same binary goes into the package of make dist and,
# with those libraries, into the QEMU guests of make qemu-test.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:?usage: build-cli.sh BUILD ARCH}")
arch=${2:?usage: build-cli.sh BUILD ARCH}
case $arch in
    amd64) toolchain=() ;;
    i386) toolchain=(-DCMAKE_TOOLCHAIN_FILE="$root/tools/linux-i686.cmake") ;;
    *) echo "build-cli.sh: no build for architecture '$arch'" >&2; exit 2 ;;
esac
out=$build/cli-$arch
cmake -S "$root" -B "$out" -DCMAKE_BUILD_TYPE=Release -DQZ8_CLI_SHIPPED=ON "${toolchain[@]}" >/dev/null
cmake --build "$out" --target qz8fsb-cli -j "${JOBS:-2}" >/dev/null
echo "$out/cli/qz8fsb-cli"
