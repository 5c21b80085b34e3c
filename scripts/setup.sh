#!/usr/bin/env bash
# Installs what the project needs on Debian 12 (only what is missing), then
# configures and builds into build/. Sourced by run.sh and test.sh.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

TESS_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libjpeg62-turbo-dev libturbojpeg0-dev
  libpng-dev libgif-dev libwebp-dev libtiff-dev libheif-dev libjxl-dev liblcms2-dev libraw-dev
  libseccomp-dev bubblewrap libglib2.0-bin
  libgtest-dev libbenchmark-dev
  fonts-ipafont-gothic xvfb xauth dbus weston qt6-wayland
  qt6-translations-l10n qt6-tools-dev qt6-l10n-tools xdotool
  dpkg-dev desktop-file-utils appstream lintian
  clang libclang-rt-14-dev
)

missing=()
for pkg in "${TESS_PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

configure_tree() { # dir, extra cmake args...
  local dir=$1; shift
  if [[ ! -f $dir/build.ninja ]]; then
    cmake -S . -B "$dir" -G Ninja "$@"
  fi
}

build_tree() { # dir, extra cmake args...
  configure_tree "$@"
  cmake --build "$1" --parallel "$(nproc)"
}
