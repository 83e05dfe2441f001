#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need,
# only when some are missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libbenchmark-dev
  librtaudio-dev librtmidi-dev libpng-dev zlib1g-dev
  libsdl2-dev libx11-dev libxi-dev libxtst-dev libfreetype-dev libfontconfig-dev fontconfig
  fonts-liberation2 fonts-dejavu-core
  jackd2 libjack-jackd2-dev
  xvfb xauth xdotool x11-apps zenity
  libdbus-1-dev dbus-daemon
  libgl-dev libgl1-mesa-dri libglx-mesa0 libegl1 libegl-mesa0
  libatk1.0-dev libatk-bridge2.0-dev libatspi2.0-dev at-spi2-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
