#!/usr/bin/env bash
# Installs the Debian 12 packages that Pellworks needs to build, run and test.
# Only missing packages are installed; nothing happens when all are present.
set -euo pipefail

build_pkgs=(
  cmake ninja-build ccache g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-svg-dev libqt6svg6
  libgl-dev libx11-dev libxi-dev libxtst-dev libxext-dev libxcb-shape0-dev libxcb-xfixes0-dev
  libespeak-ng-dev espeak-ng espeak-ng-data
  libpocketsphinx-dev libsphinxbase-dev pocketsphinx-en-us
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  fonts-dejavu-core dpkg-dev
)
test_pkgs=(
  xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick sox openbox xcompmgr
  flite
  lintian desktop-file-utils appstream shared-mime-info man-db strace
  # As on many desktops: a program without a session bus starts one. The tests must
  # pass, and leave nothing running, where it does.
  dbus-x11
)

want=("${build_pkgs[@]}")
if [ "${1:-}" = "--test" ]; then want+=("${test_pkgs[@]}"); fi

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
