#!/usr/bin/env bash
# tools/dist-win32.sh BUILD DIST: the Windows release, from the PE32 build in
# BUILD/win32 (make win32): DIST/qz8fsb-VERSION-win32.zip holding qz8fsb.exe
# and zornik.sys (stripped by their build), README.txt in CRLF and
# SHA256SUMS, in that order, every entry with the last commit's time. The
# images are checked as tests/shipped checks them, and against their size
# limits, before they are zipped. DIST/win32/ holds the zip's contents,
# unpacked from it, for tests that run the shipped images.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/dist-common.sh"
build=$(realpath -m "${1:?usage: dist-win32.sh BUILD DIST}")
dist=$(realpath -m "${2:?usage: dist-win32.sh BUILD DIST}")
name=qz8fsb-$version-win32
stage=$build/dist/win32
rm -rf "$stage" "$dist/win32" "$dist/$name.zip"
mkdir -p "$stage" "$dist"

fail() { echo "dist-win32: $*" >&2; exit 1; }

cp "$build/win32/app/qz8fsb.exe" "$build/win32/driver/zornik.sys" "$stage/"
bash "$dist_root/tools/check-pe-image.sh" "$dist_root/tests/shipped/vetted_imports.txt" \
    "$stage/qz8fsb.exe" "$stage/zornik.sys" >/dev/null || fail "the images fail tools/check-pe-image.sh"
for limit in qz8fsb.exe:262144 zornik.sys:32768; do
    file=${limit%%:*} max=${limit#*:}
    size=$(stat -c %s "$stage/$file")
    [ "$size" -le "$max" ] || fail "$file is $size bytes, over its limit of $max"
done
# The dialog template holds the caption in UTF-16: dropping the zero bytes
# leaves its text. (grep reads to the end: with -q, tr could die of SIGPIPE
# and fail the pipeline.)
caption="VELK QZ8-II FSB Modifier (Version $version)"
tr -d '\0' <"$stage/qz8fsb.exe" | grep -aF "$caption" >/dev/null || fail "qz8fsb.exe's caption is not '$caption'"

# The user's manual, for Notepad: ASCII, at most 79 columns, CRLF.
readme=$dist_root/packaging/windows/README.txt
LC_ALL=C grep -n '[^ -~]' "$readme" && fail "README.txt: characters other than printable ASCII"
awk 'length > 79 { print FILENAME ":" FNR ": " length " columns"; bad = 1 } END { exit bad }' "$readme" ||
    fail "README.txt: lines wider than 79 columns"
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$readme" >"$stage/README.txt"

(cd "$stage" && sha256sum qz8fsb.exe zornik.sys README.txt >SHA256SUMS)
chmod 0644 "$stage"/*
stamp "$stage"/*
(cd "$stage" && zip -q -X -D "$dist/$name.zip" qz8fsb.exe zornik.sys README.txt SHA256SUMS)
unzip -q "$dist/$name.zip" -d "$dist/win32"
