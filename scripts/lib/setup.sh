# Shared by scripts/test and scripts/run: install the Debian packages that are
# missing (nothing to do, and no network, when all are present).

kestro_need_packages() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        local sudo=()
        [[ $(id -u) -ne 0 ]] && sudo=(sudo)
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

KESTRO_BUILD_PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev
    libbenchmark-dev qt6-base-dev srecord binutils librsvg2-bin libelf-dev pkg-config
    gputils sdcc gcc-avr avr-libc binutils-avr libsimavr-dev simavr nlohmann-json3-dev)

# Building the Debian package and checking the installed files: the validators, lintian,
# man, and what CPack's dependency computation calls.
KESTRO_PACKAGE_PACKAGES=(desktop-file-utils appstream lintian man-db dpkg-dev file)
