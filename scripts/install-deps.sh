#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the tools need.
# Does nothing when all of them are present; uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl2-dev libmpg123-dev libstb-dev
  libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libgtest-dev libbenchmark-dev
  lame ffmpeg sox libsox-fmt-mp3
  xvfb xauth xdotool
  fonts-dejavu-core
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  sudo=()
else
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update
"${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
