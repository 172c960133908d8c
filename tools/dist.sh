#!/usr/bin/env bash
# tools/dist.sh BUILD DIST: the release in DIST: the Windows zip
# (tools/dist-win32.sh) and the Debian packages of the CLI for i386 and amd64
# (tools/dist-deb.sh), then DIST/SHA256SUMS over them, each listed with its
# SHA-256.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/dist-common.sh"
build=$(realpath -m "${1:?usage: dist.sh BUILD DIST}")
dist=$(realpath -m "${2:?usage: dist.sh BUILD DIST}")
rm -rf "$dist"
bash "$here/dist-win32.sh" "$build" "$dist"
bash "$here/dist-deb.sh" "$build" "$dist" i386 amd64
cd "$dist"
sha256sum "qz8fsb-$version-win32.zip" "qz8fsb-cli_${version}_i386.deb" "qz8fsb-cli_${version}_amd64.deb" >SHA256SUMS
sed 's/^/dist: /' SHA256SUMS
