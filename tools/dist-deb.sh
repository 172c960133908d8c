#!/usr/bin/env bash
# tools/dist-deb.sh BUILD DIST ARCH...: the Debian package of qz8fsb-cli for
# each ARCH (i386, amd64), DIST/qz8fsb-cli_VERSION_ARCH.deb: the static CLI
# as it ships (tools/build-cli.sh) in /usr/sbin, its manual page made by
# help2man from --help, the copyright and changelog, and the unit that
# applies /etc/qz8fsb/boot.qz8 at boot, installed but not enabled. lintian
# checks every package; an error fails the build.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/dist-common.sh"
build=$(realpath -m "${1:?usage: dist-deb.sh BUILD DIST ARCH...}")
dist=$(realpath -m "${2:?usage: dist-deb.sh BUILD DIST ARCH...}")
shift 2
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
    install -D -m 0644 "$packaging/qz8fsb-boot.service" "$root/lib/systemd/system/qz8fsb-boot.service"
    chmod 0644 "$root/usr/share/man/man8/qz8fsb-cli.8.gz" "$doc/changelog.gz"

    # Installed-Size as dpkg-gencontrol counts it: each file rounded up to
    # a KiB, each directory one KiB.
    kib=$(find "$root" -mindepth 1 \( -type f -printf '%s\n' \) -o \( -type d -printf '1024\n' \) |
          awk '{ total += int(($1 + 1023) / 1024) } END { print total }')
    install -d -m 0755 "$root/DEBIAN"
    (cd "$root" && find usr lib -type f | sort | xargs md5sum >DEBIAN/md5sums)
    sed -e "s/@VERSION@/$version/g" -e "s/@ARCH@/$arch/g" -e "s/@INSTALLED_SIZE@/$kib/g" \
        "$packaging/control.in" >"$root/DEBIAN/control"
    chmod 0644 "$root/DEBIAN/md5sums" "$root/DEBIAN/control"
    deb=$dist/qz8fsb-cli_${version}_$arch.deb
    dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
    packages+=("$deb")
done

# The one warning left, shared-library-lacks-prerequisites, is lintian taking
# the static-pie program (a position-independent image that needs no loader)
# for a shared library without dependencies; a plain static one would be the
# error statically-linked-binary instead.
lintian --allow-root --fail-on error "${packages[@]}" || fail "lintian found errors"
