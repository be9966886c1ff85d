#!/usr/bin/env bash
# Sets up the machine (idempotent), then configures and builds everything into $BUILD_DIR.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
bash "$ROOT/scripts/setup.sh"

# A build folder made with another SDL2 (or without Russian's face) is configured again onto what
# set-up made.
if [ ! -f "$BUILD_DIR/build.ninja" ] || ! grep -q "^TLVR_ZLIB_PREFIX:" "$BUILD_DIR/CMakeCache.txt" \
   || ! grep -qx "SDL2_DIR:[A-Z]*=$SDL_PREFIX/lib/cmake/SDL2" "$BUILD_DIR/CMakeCache.txt" \
   || ! grep -qx "TLVR_CYRILLIC_FONT_DIR:[A-Z]*=$CYRILLIC_FONT_DIR" "$BUILD_DIR/CMakeCache.txt"; then
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" \
    -DSDL2_DIR="$SDL_PREFIX/lib/cmake/SDL2" \
    -DTLVR_ZLIB_PREFIX="$ZLIB_PREFIX" \
    -DTLVR_FONT_DIR="$FONT_DIR" \
    -DTLVR_CYRILLIC_FONT_DIR="$CYRILLIC_FONT_DIR" >/dev/null
fi
cmake --build "$BUILD_DIR" -- ${NINJA_FLAGS:-}

# A private Wine prefix inside the build folder, prepared once.
prepare_wine_prefix
