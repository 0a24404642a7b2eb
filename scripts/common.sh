# Shared by ./scripts/run and ./scripts/test: install what is missing, then build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${KELVO_BUILD_DIR:-$ROOT/build}"

# Debian packages the build, the tests and the program need.
PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-qpa-plugins libgtest-dev
          fonts-dejavu-core python3 python3-pil ccache xvfb xdotool libsqlite3-dev
          clang-format dpkg-dev lintian appstream poppler-utils)

ensure_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Extra cmake arguments for a build of another kind (sanitizers, release).
CMAKE_EXTRA=()
BUILD_TYPE=RelWithDebInfo

# ccache keeps compiled objects between builds, also between clones of the
# project (paths below the parent folder are taken as relative).
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$ROOT")}"
# The debug data name the folder of the build that compiled an object first;
# without this the folder would be part of every object's key.
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
launcher() {
    command -v ccache >/dev/null && echo "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
    return 0
}

build() {
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE="$BUILD_TYPE" $(launcher) ${CMAKE_EXTRA[@]+"${CMAKE_EXTRA[@]}"} >/dev/null
    cmake --build "$BUILD" -j"$(nproc)" ${BUILD_TARGETS[@]+--target "${BUILD_TARGETS[@]}"}
}
