# shellcheck shell=bash
# Shared by run.sh and test.sh: installs what is missing from Debian's packages and builds
# with the given CMake preset. Sourced, not run.

VELNOR_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins libcurl4-openssl-dev libsmbclient-dev
    libgtest-dev fonts-dejavu-core
)

velnor_install_missing() {
    local missing=()
    for package in "${VELNOR_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# CMD in a private network and mount namespace where only loopback is up and the resolver is
# 127.0.0.1, where nothing answers: nothing the command sends can leave the machine. Needs root
# (or unprivileged user namespaces).
velnor_isolated() { # cmd...
    # shellcheck disable=SC2016 # expanded by the shell in the namespace
    local inner='
        set -e
        ip link set lo up 2>/dev/null || true
        resolv=$(mktemp /tmp/velnor-resolv.XXXXXX)
        printf "nameserver 127.0.0.1\noptions timeout:1 attempts:1\n" >"$resolv"
        mount --bind "$resolv" /etc/resolv.conf
        exec "$@"'
    if [ "$(id -u)" -eq 0 ]; then
        unshare --net --mount --propagation private -- bash -c "$inner" isolated "$@"
    else
        unshare --user --map-root-user --net --mount --propagation private -- \
            bash -c "$inner" isolated "$@"
    fi
}

velnor_build() {
    local preset=$1
    shift
    cmake --preset "$preset" "$@" >/dev/null
    cmake --build --preset "$preset"
}
