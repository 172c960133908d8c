#!/usr/bin/env bash
# tools/dist-check.sh BUILD: make dist twice, each in a fresh clone of the last
# commit, and the artifacts compared byte for byte with cmp. The clones lie in
# folders of different depth, so a build path left in an image would change
# its bytes; the second build starts minutes after the first, with another
# umask, time zone and locale. diffoscope, where installed, shows where two
# files differ. Uncommitted changes are not part of the check.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:?usage: dist-check.sh BUILD}")
work=$build/dist-check
commit=$(git -C "$root" rev-parse HEAD)
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
    echo "dist-check: uncommitted changes are left out: this builds commit $commit"
fi
rm -rf "$work"
mkdir -p "$work"

# NAME FOLDER ENV...: make dist in a fresh clone at FOLDER; prints its time.
build_in() {
    local name=$1 folder=$2 started; shift 2
    git clone -q --no-hardlinks "$root" "$folder"
    git -C "$folder" checkout -q --detach "$commit"
    started=$(date +%s)
    if ! (cd "$folder" && env "$@" make dist >"$work/$name.log" 2>&1); then
        tail -n 30 "$work/$name.log"
        echo "dist-check: make dist failed in $folder (log: $work/$name.log)"
        exit 1
    fi
    echo "dist-check: build $name in $folder: $(( $(date +%s) - started )) s"
}

started=$(date +%s)
one=$work/one/qz8fsb
two=$work/two/a/deeper/folder/qz8fsb
# Both take the library packages dpkg-shlibdeps reads from this build's
# download, fetched once.
build_in one "$one" LC_ALL=C TZ=UTC QZ8_APT_STATE="$build"
(umask 002 && build_in two "$two" LC_ALL=C.UTF-8 TZ=XST-14 QZ8_APT_STATE="$build")

status=0
for file in SHA256SUMS $(awk '{ print $2 }' "$one/dist/SHA256SUMS"); do
    if cmp "$one/dist/$file" "$two/dist/$file"; then
        echo "dist-check: $file identical, sha256 $(sha256sum <"$one/dist/$file" | cut -d' ' -f1)"
    else
        status=1
        if command -v diffoscope >/dev/null; then
            diffoscope --text - "$one/dist/$file" "$two/dist/$file" | head -n 60 || true
        fi
    fi
done
[ -s "$one/dist/SHA256SUMS" ] || { echo "dist-check: the first build made no SHA256SUMS"; status=1; }
if [ $status -eq 0 ]; then
    echo "dist-check: two builds, identical bytes ($(( $(date +%s) - started )) s in all)"
else
    echo "dist-check: FAILED: the two builds differ"
fi
exit $status
