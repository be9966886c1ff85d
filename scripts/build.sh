#!/usr/bin/env bash
# Sets up the machine (idempotent), then configures and builds everything into $BUILD_DIR.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
bash "$ROOT/scripts/setup.sh"

if [ ! -f "$BUILD_DIR/build.ninja" ] || ! grep -q "^TLVR_ZLIB_PREFIX:" "$BUILD_DIR/CMakeCache.txt"; then
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" \
    -DSDL2_DIR="$SDL_PREFIX/lib/cmake/SDL2" \
    -DTLVR_ZLIB_PREFIX="$ZLIB_PREFIX" \
    -DTLVR_FONT_DIR="$FONT_DIR" >/dev/null
fi
cmake --build "$BUILD_DIR" -- ${NINJA_FLAGS:-}

# A private Wine prefix inside the build folder, prepared once.
PREFIX_MARK="$WINEPREFIX/.tlvr-prefix-v1"
if [ ! -f "$PREFIX_MARK" ]; then
  log "preparing the Wine prefix in $WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  reg() { wine reg add "$@" /f >/dev/null 2>&1 || true; }
  # A crashing program must end, not wait in the debugger on an invisible display.
  reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d ""
  reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 1
  # Windows always has Segoe UI and a sans-serif face; a fresh prefix has neither, so the
  # launcher's documented fallbacks would draw nothing. Stand in for them with Liberation Sans.
  reg 'HKCU\Software\Wine\Fonts\Replacements' /v "Segoe UI" /t REG_SZ /d "Liberation Sans"
  reg 'HKCU\Software\Wine\Fonts\Replacements' /v "Microsoft Sans Serif" /t REG_SZ /d "Liberation Sans"
  wineserver -w || true
  touch "$PREFIX_MARK"
fi
