#!/usr/bin/env bash
# Installs the toolkit from BUILD_DIR (default build) into a temporary prefix, builds the
# sprites example against it both ways (CMake package and pkg-config), runs each headless and
# compares its frame with examples/sprites/expected.png.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --component toolkit --prefix "$work/prefix" > /dev/null
example=examples/sprites

cmake -S "$example" -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$work/prefix" \
  -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$work/cmake-build" -j "$(nproc)" > /dev/null
SDL_VIDEODRIVER=dummy "$work/cmake-build/sprites" "$example/slime.png" "$work/cmake.png" \
  --check "$example/expected.png"
echo "check-example: the CMake package build draws the expected frame"

cp "$example/sprites.cpp" "$example/Makefile" "$work/"
PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" make -s -C "$work" sprites
SDL_VIDEODRIVER=dummy "$work/sprites" "$example/slime.png" "$work/pkg-config.png" \
  --check "$example/expected.png"
echo "check-example: the pkg-config build draws the expected frame"
