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

# The shaping module is reached only through the module table, so a link that dropped its
# objects would still succeed; a program linked through pkg-config must find it.
cat > "$work/probe.cpp" <<'PROBE'
#include <d3dx9.h>
#include <platform/win32/modules.h>
int main() {
  HMODULE module = LoadLibraryA("usp10.dll");
  return module != nullptr && GetProcAddress(module, "ScriptStringAnalyse") != nullptr ? 0 : 1;
}
PROBE
PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig"
export PKG_CONFIG_PATH
# shellcheck disable=SC2046
c++ -std=c++20 "$work/probe.cpp" -o "$work/probe" $(pkg-config --cflags --libs mirefell-toolkit)
"$work/probe"
echo "check-example: a program linked with the installed toolkit finds the shaping module"
