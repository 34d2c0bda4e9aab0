#!/usr/bin/env bash
# Installs the Debian packages the project needs, if any is missing.
# Used by scripts/run.sh and scripts/test.sh; safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6test6 libgl-dev
  libpng-dev nlohmann-json3-dev qt6-image-formats-plugins
  # Scanning: SANE's header (libsane is loaded at run time); it brings libsane1, whose
  # virtual "test" scanner the tests scan with.
  libsane-dev
  libgtest-dev libgmock-dev googletest
  clang libclang-rt-14-dev
  fonts-noto-cjk fonts-dejavu-core
  # The accessibility test: a private X server, session bus and accessibility bus, and the
  # Python bindings it walks the bus with.
  xvfb dbus dbus-daemon at-spi2-core python3 python3-pyatspi
  # scripts/test-under-load.sh: the load beside the tests.
  stress-ng
)
if [ "${NOVARI_WITH_DISPLAY_TOOLS:-0}" = 1 ]; then
  packages+=(xauth x11-utils xdotool imagemagick)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing Debian packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" != 0 ]; then
  command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
