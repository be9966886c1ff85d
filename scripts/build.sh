#!/usr/bin/env bash
# Sets up the machine (idempotent), then configures and builds everything into $BUILD_DIR.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
bash "$ROOT/scripts/setup.sh"

if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" \
    -DSDL2_DIR="$SDL_PREFIX/lib/cmake/SDL2" \
    -DTLVR_FONT_DIR="$FONT_DIR" >/dev/null
fi
cmake --build "$BUILD_DIR" -- ${NINJA_FLAGS:-}

# A private Wine prefix inside the build folder, prepared once.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  log "preparing the Wine prefix in $WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  # A crashing program must end, not wait in the debugger on an invisible display.
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d "" /f >/dev/null 2>&1 || true
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 1 /f >/dev/null 2>&1 || true
  wineserver -w || true
fi
