#!/usr/bin/env bash
# Installs the Debian packages Tolvane needs to build, run and test (every tool the tests
# start, setpriv aside, which util-linux always brings); skips what is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config lld valgrind
  qt6-base-dev qt6-base-private-dev qt6-base-dev-tools libgl-dev libx11-dev libxcb1-dev libxcb-xfixes0-dev
  libxcb-damage0-dev libfontconfig-dev
  libgtest-dev libgmock-dev googletest
  clang libclang-rt-14-dev
  xvfb xauth xclip xdotool x11-utils x11-apps openbox dbus-daemon
  libwayland-dev libwayland-bin wayland-protocols qt6-wayland sway wl-clipboard
  fonts-ipafont-gothic qt6-translations-l10n
  libuchardet-dev libpng-dev
  dpkg-dev file lintian appstream bash-completion man-db
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
