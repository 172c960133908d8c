#!/usr/bin/env bash
# tools/dist-deb.sh BUILD DIST ARCH...: the Debian package of qz8fsb-cli for
# each ARCH (i386, amd64), DIST/qz8fsb-cli_VERSION_ARCH.deb: the CLI as it
# ships (tools/build-cli.sh) in /usr/sbin, linked against the system's C and
# C++ libraries, with the Depends dpkg-shlibdeps finds for them; its manual
# page made by help2man from --help; the copyright and changelog; and the
# unit that applies /etc/qz8fsb/boot.qz8 at boot, installed but not
# enabled, and the sleep hook that starts it again after every resume while
# it is enabled. systemd-analyze checks the unit and lintian every package;
# an error fails the build. The library packages that
# dpkg-shlibdeps reads are ARCH's own, downloaded (not installed) into
# QZ8_APT_STATE (default BUILD).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/dist-common.sh"
source "$dist_root/tools/apt-arch.sh"
build=$(realpath -m "${1:?usage: dist-deb.sh BUILD DIST ARCH...}")
dist=$(realpath -m "${2:?usage: dist-deb.sh BUILD DIST ARCH...}")
shift 2
apt_state=$(realpath -m "${QZ8_APT_STATE:-$build}")
packaging=$dist_root/packaging/debian
stage=$build/dist/deb
rm -rf "$stage"
mkdir -p "$stage" "$dist"

fail() { echo "dist-deb: $*" >&2; exit 1; }

# The manual page, from what --help says now. Every build's --help is the
# same text, and the x86-64 one runs on any machine that builds this.
help_cli=$(bash "$dist_root/tools/build-cli.sh" "$build" amd64)
help2man --no-info --section=8 --version-string="$version" \
    --name="reads and reprograms the QZ8-II motherboard's clock generator" \
    "$help_cli" >"$stage/qz8fsb-cli.8"
warnings=$(man --warnings -l "$stage/qz8fsb-cli.8" 2>&1 >/dev/null) || fail "man cannot render the manual page"
[ -z "$warnings" ] || fail "the manual page: $warnings"

# The unit: every directive known (the program itself is not installed
# here).
unit=$packaging/qz8fsb-boot.service
if command -v systemd-analyze >/dev/null; then
    verify=$(systemd-analyze verify --man=no "$unit" 2>&1 | grep -v 'qz8fsb-cli is not executable' || true)
    [ -z "$verify" ] || fail "systemd-analyze: $verify"
fi
sh -n "$packaging/qz8fsb-sleep" || fail "the sleep hook is no shell script"

# ARCH: the Depends of the program in ARCH's package root, from ARCH's own
# C, C++ and GCC runtime packages as dpkg-shlibdeps reads them (their
# symbols files give the lowest versions the program's symbols need).
depends_of() {
    local arch=$1 libs=$stage/libs-$1 work=$stage/shlibs-$1 deb name
    apt_download "$arch" "$apt_state" "$apt_state/debs-$arch" libc6 libstdc++6 libgcc-s1 >&2
    local search=()
    mkdir -p "$libs"
    for deb in "$apt_state"/debs-"$arch"/{libc6,libstdc++6,libgcc-s1}_*.deb; do
        name=$(basename "$deb"); name=${name%%_*}
        dpkg-deb -R "$deb" "$libs/$name"
        search+=("-S$libs/$name")
    done
    mkdir -p "$work/debian/qz8fsb-cli/DEBIAN" "$work/debian/qz8fsb-cli/usr/sbin"
    printf 'Source: qz8fsb-cli\n\nPackage: qz8fsb-cli\nArchitecture: %s\n' "$arch" >"$work/debian/control"
    cp "$stage/$arch/usr/sbin/qz8fsb-cli" "$work/debian/qz8fsb-cli/usr/sbin/"
    (cd "$work" && DEB_HOST_ARCH=$arch dpkg-shlibdeps -O "${search[@]}" debian/qz8fsb-cli/usr/sbin/qz8fsb-cli) |
        sed -n 's/^shlibs:Depends=//p'
}

packages=()
for arch in "$@"; do
    cli=$(bash "$dist_root/tools/build-cli.sh" "$build" "$arch")
    root=$stage/$arch
    doc=$root/usr/share/doc/qz8fsb-cli
    install -D -m 0755 "$cli" "$root/usr/sbin/qz8fsb-cli"
    install -d -m 0755 "$root/usr/share/man/man8" "$doc"
    gzip -9n <"$stage/qz8fsb-cli.8" >"$root/usr/share/man/man8/qz8fsb-cli.8.gz"
    install -m 0644 "$packaging/copyright" "$doc/copyright"
    sed "s/@VERSION@/$version/g" "$packaging/changelog.in" | gzip -9n >"$doc/changelog.gz"
    install -D -m 0644 "$unit" "$root/lib/systemd/system/qz8fsb-boot.service"
    install -D -m 0755 "$packaging/qz8fsb-sleep" "$root/lib/systemd/system-sleep/qz8fsb-cli"
    chmod 0644 "$root/usr/share/man/man8/qz8fsb-cli.8.gz" "$doc/changelog.gz"

    # Installed-Size as dpkg-gencontrol counts it: each file rounded up to
    # a KiB, each directory one KiB.
    kib=$(find "$root" -mindepth 1 \( -type f -printf '%s\n' \) -o \( -type d -printf '1024\n' \) |
          awk '{ total += int(($1 + 1023) / 1024) } END { print total }')
    install -d -m 0755 "$root/DEBIAN"
    (cd "$root" && find usr lib -type f | sort | xargs md5sum >DEBIAN/md5sums)
    depends=$(depends_of "$arch")
    case "$depends" in *libc6*) ;; *) fail "dpkg-shlibdeps found no Depends for $arch: '$depends'" ;; esac
    sed -e "s/@VERSION@/$version/g" -e "s/@ARCH@/$arch/g" -e "s/@INSTALLED_SIZE@/$kib/g" \
        -e "s/@DEPENDS@/$depends/g" "$packaging/control.in" >"$root/DEBIAN/control"
    chmod 0644 "$root/DEBIAN/md5sums" "$root/DEBIAN/control"
    deb=$dist/qz8fsb-cli_${version}_$arch.deb
    dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
    packages+=("$deb")
done

lintian --allow-root --fail-on error "${packages[@]}" || fail "lintian found errors"
