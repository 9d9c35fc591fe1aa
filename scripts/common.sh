# Shared by run.sh, test.sh and .ci/run: installs what is missing, configures and builds.
# Usage: source scripts/common.sh; quorvan_install_packages; quorvan_build BUILD_DIR [extra cmake args...]
#    or: quorvan_configure BUILD_DIR [extra cmake args...]; quorvan_build_targets BUILD_DIR TARGET...

QUORVAN_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Debian packages the project needs to build, test and show its window. The
# window manager and the X tools let a test minimise and restore the real window.
QUORVAN_PACKAGES=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
                  zlib1g-dev libbenchmark-dev clang xvfb xauth fonts-dejavu-core
                  openbox xdotool wmctrl x11-utils)

say() { printf '\033[1m==> %s\033[0m\n' "$*"; }

quorvan_install_packages() {
    local missing=()
    for p in "${QUORVAN_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        say "All needed Debian packages are installed."
        return 0
    fi
    say "Installing missing Debian packages: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Please run as root or install sudo: need ${missing[*]}" >&2; return 1; }
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

quorvan_jobs() {
    nproc 2>/dev/null || echo 2
}

quorvan_configure() {
    local dir="$1"; shift
    say "Configuring in ${dir}"
    cmake -S "$QUORVAN_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$dir.configure.log" 2>&1 \
        || { cat "$dir.configure.log"; return 1; }
}

# Everything the configuration holds (the tests and benchmarks too, when on).
quorvan_build() {
    local dir="$1"; shift
    local jobs
    jobs="$(quorvan_jobs)"
    quorvan_configure "$dir" "$@"
    say "Building (${jobs} jobs)"
    cmake --build "$dir" -j "$jobs"
}

# Only the named targets and what they need, whatever else the configuration holds.
quorvan_build_targets() {
    local dir="$1"; shift
    local jobs
    jobs="$(quorvan_jobs)"
    say "Building $* (${jobs} jobs)"
    cmake --build "$dir" -j "$jobs" --target "$@"
}

quorvan_demo_image() {
    local dir="$1"
    say "Generating the demo image"
    "$dir/tools/quorvan_makedemo" "$dir/demo.nes" --seed 1
}
