#!/usr/bin/env bash
# Installs the Debian packages that building, playing and testing Mirefell need, and only
# those that are missing, so a machine that has them all is left alone (and offline works).
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl2-dev libx11-dev
  xvfb  # tests: presentation on a virtual display without a window manager
  libpng-dev zlib1g-dev libjpeg-dev
  libfreetype-dev libfontconfig-dev libfribidi-dev  # text services, the pictures' lettering
  libharfbuzz-dev libicu-dev  # text shaping: glyphs of complex scripts, word and cluster breaks
  fonts-liberation2 fonts-dejavu-core  # faces for Arial and Times New Roman, and the fallback
  fonts-noto-core fonts-wqy-microhei  # Arabic, Hebrew, Devanagari, Thai and CJK faces for shaping
  libgtest-dev libgmock-dev libbenchmark-dev
  libpixman-1-dev  # benchmark only: a peer of the software Direct3D 9 device
  libsdl2-ttf-dev  # benchmark only: a peer of the font object
  libglm-dev libeigen3-dev  # benchmark only: peers of the mathematics
  clang libclang-rt-dev  # fuzzing only: clang with libFuzzer and the sanitizer run-times
  clang-format  # checks only: the style of changed lines
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install ${missing[*]}" >&2; exit 1; }
  sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
