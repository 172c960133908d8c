# Sourced by tools/qemu-test.sh and tools/dist-deb.sh: Debian's packages of
# another architecture, fetched with apt-get download and never installed.
#
# apt_for ARCH STATE COMMAND ARGS...: apt-get or apt-cache (COMMAND) for
# ARCH's packages. The host's own architecture uses the host's package
# lists; another one gets lists of its own under STATE/apt-ARCH, made once,
# so that nothing about the host's dpkg changes.
apt_for() {
    local arch=$1 state=$2/apt-$1 command=$3; shift 3
    if [ "$arch" = "$(dpkg --print-architecture)" ]; then "$command" "$@"; return; fi
    local options=(-o APT::Architecture="$arch" -o APT::Architectures::="$arch"
                   -o Dir::State::Lists="$state/lists" -o Dir::Cache="$state/cache"
                   -o Dir::State::status="$state/status")
    if [ ! -f "$state/.updated" ]; then
        mkdir -p "$state/lists/partial" "$state/cache/archives/partial"
        : >"$state/status"
        apt-get "${options[@]}" update -qq >/dev/null
        touch "$state/.updated"
    fi
    "$command" "${options[@]}" "$@"
}

# apt_download ARCH STATE DIR PACKAGE...: the packages' .deb files into DIR.
apt_download() {
    local arch=$1 state=$2 dir=$3; shift 3
    mkdir -p "$dir"
    (cd "$dir" && apt_for "$arch" "$state" apt-get -o APT::Sandbox::User=root download -qq "$@")
}
