# Sourced by the tools/dist-*.sh scripts: what makes a release the same
# bytes on every machine. The version comes from VERSION; every file's time
# is the last commit's (SOURCE_DATE_EPOCH, which dpkg-deb, help2man and gzip
# honour too); the locale, time zone and file modes are fixed.
umask 022
export LC_ALL=C.UTF-8 TZ=UTC
dist_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
version=$(head -n 1 "$dist_root/VERSION")
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$dist_root" log -1 --format=%ct 2>/dev/null) || {
        echo "dist: not a git checkout; set SOURCE_DATE_EPOCH to the release's time" >&2
        exit 2
    }
fi
export SOURCE_DATE_EPOCH

# FILE...: the release's time.
stamp() { touch -h -d "@$SOURCE_DATE_EPOCH" "$@"; }
