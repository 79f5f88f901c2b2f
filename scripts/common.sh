# Shared by the scripts in this folder: the lists of Debian packages Brindle
# needs, and the configure-and-build step.

BRINDLE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BRINDLE_BUILD=${BRINDLE_BUILD:-$BRINDLE_ROOT/build}

BRINDLE_PACKAGES=(
    # toolchain and tests
    cmake ninja-build g++ pkg-config clang-format libgtest-dev googletest time
    # GUI and audio output
    qt6-base-dev qt6-multimedia-dev qt6-qpa-plugins
    # encoder and decoder
    libmp3lame-dev libmpg123-dev
    # tests: audio server, reference tools, a display for screenshots
    pulseaudio pulseaudio-utils lame mpg123 sox ffmpeg xvfb xauth imagemagick
    # tests: a screen reader's view (session bus, accessibility bus, AT-SPI client)
    dbus-daemon at-spi2-core python3-pyatspi
    # fonts for the skin and dialogs
    fonts-dejavu-core
    # the Debian package and the checks of the desktop entry and metadata
    dpkg-dev desktop-file-utils appstream lintian
)

# What scripts/fuzz needs: clang with the libFuzzer and sanitizer runtimes
# (libclang-rt is only recommended by clang), and what the fuzzed readers and
# their seeds use.
BRINDLE_FUZZ_PACKAGES=(
    cmake ninja-build pkg-config clang libclang-rt-14-dev
    qt6-base-dev libmpg123-dev lame
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the packages named, or BRINDLE_PACKAGES, that are missing.
install_packages() {
    local wanted=("$@") missing=()
    [ $# -gt 0 ] || wanted=("${BRINDLE_PACKAGES[@]}")
    for pkg in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build_brindle() {
    cmake -S "$BRINDLE_ROOT" -B "$BRINDLE_BUILD" -G Ninja "$@"
    cmake --build "$BRINDLE_BUILD" --parallel "$(nproc)"
}
