# Shared by scripts/run, scripts/test and scripts/bench: install what is missing, then build.
# Sourced, not run.

set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# What a bare Debian 12 needs to build, run, test and package Tavirel (fonts-dejavu-extra holds
# the condensed face the window's narrow labels are laid out for; libegl-dev and libegl-mesa0 draw
# pictures without a window; desktop-file-utils, appstream and shared-mime-info check the menu
# entry, the metadata and the scene file type; dpkg-dev and file let CPack find the package's
# dependencies).
PACKAGES=(g++ cmake ninja-build qt6-base-dev libqt6opengl6-dev libgl-dev libglu1-mesa-dev
          libgl1-mesa-dri libegl-dev libegl-mesa0 xvfb xauth qt6-translations-l10n
          libbenchmark-dev libtinyobjloader-dev locales fonts-dejavu-extra desktop-file-utils
          appstream shared-mime-info dpkg-dev file libode-dev)

fail() {
    echo "error: $*" >&2
    exit 1
}

step() {
    echo "==> $*"
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        fail "installing packages needs root (or sudo): $*"
    fi
}

missing_packages() {
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q '^install ok installed$' ||
            echo "$pkg"
    done
}

# install_packages PKG...: installs those not yet installed; quick when all are there.
install_packages() {
    local missing
    missing=$(missing_packages "$@")
    [ -z "$missing" ] && return 0
    step "installing:" $missing
    export DEBIAN_FRONTEND=noninteractive
    # A fresh machine has no package lists yet; refresh them once when an install cannot proceed.
    if ! as_root apt-get install -y -q --no-install-recommends $missing; then
        as_root apt-get update -q || fail "apt-get update failed (is Debian's package registry reachable?)"
        as_root apt-get install -y -q --no-install-recommends $missing ||
            fail "could not install: $missing"
    fi
}

# build DIR [cmake options...]: configures DIR (again when options are given, so that a folder
# made by another script takes them), then builds incrementally.
build() {
    local dir="$1"
    shift
    if [ ! -f "$dir/build.ninja" ] || [ $# -gt 0 ]; then
        step "configuring $dir"
        cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null || fail "cmake could not configure $dir"
    fi
    step "building $dir"
    cmake --build "$dir" || fail "the build in $dir failed"
}
