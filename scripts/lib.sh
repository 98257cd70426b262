# Shared by the project's scripts: installing what is missing, and the build.
# shellcheck shell=bash

PROJECT_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

say() { printf '\n== %s\n' "$*"; }

# Installs the Debian packages given whose status is not "installed".
ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "Installing ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev)
GUI_PACKAGES=(qt6-base-dev libgl-dev libxcb1-dev xvfb xauth)

# configure_and_build PRESET [extra cmake arguments...]
configure_and_build() {
  local preset="$1"
  shift
  cmake --preset "$preset" -S "$PROJECT_ROOT" "$@" >/dev/null
  cmake --build --preset "$preset"
}
