#!/usr/bin/env bash
# tools/pe32/guest-cache.sh: the 32-bit guest for the current recipe, from
# the cache (QZ8_PE32_CACHE, default ~/.cache/qz8fsb-pe32), or made now by
# guest-build.sh when the cache has none; older recipes' guests go. The
# cache's lock makes a second caller wait for the first, so a guest begun
# early (make pe32-guest, while CI builds) is made once and pe32-test then
# finds it. Its last line: "warm DIR", or "made DIR SECONDS".
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cache=${QZ8_PE32_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/qz8fsb-pe32}
mkdir -p "$cache"
key=$(cd "$here/.." && cat pe32/guest-build.sh pe32/initrd-init pe32/guest-env.sh pe32/guest-prepare.sh \
    wine-run.sh gui-display.sh | sha256sum | cut -c1-16)
guest=$cache/guest-$key
exec 8>"$cache/.lock"
flock 8
if [ -d "$guest" ]; then
    echo "warm $guest"
    exit 0
fi
echo "pe32-guest: no guest $key in $cache: making it" >&2
begin=$(date +%s)
for old in "$cache"/guest-*; do [ -e "$old" ] && rm -rf "$old"; done
bash "$here/guest-build.sh" "$guest" || exit 1
echo $(( $(date +%s) - begin )) >"$guest/made-seconds"
echo "made $guest $(cat "$guest/made-seconds")"
