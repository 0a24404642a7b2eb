# Shared by ./scripts/run and ./scripts/test: install what is missing, then build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${KELVO_BUILD_DIR:-$ROOT/build}"

# Debian packages the build, the tests and the program need.
PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-qpa-plugins libgtest-dev
          fonts-dejavu-core python3 python3-pil)

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

build() {
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE="$BUILD_TYPE" ${CMAKE_EXTRA[@]+"${CMAKE_EXTRA[@]}"} >/dev/null
    cmake --build "$BUILD" -j"$(nproc)" ${BUILD_TARGETS[@]+--target "${BUILD_TARGETS[@]}"}
}
