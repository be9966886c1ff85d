# Shared settings for the project's scripts. Sourced, not run.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
# Dependencies built once per machine and reused by every clone.
CACHE_DIR="${TLVR_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/talvaro-ovra-deps}"
SDL_VERSION=2.26.5
SDL_PREFIX="$CACHE_DIR/sdl2-$SDL_VERSION-mingw64"
FONT_DIR="$CACHE_DIR/fonts-barlow-0.4.1"
ZLIB_VERSION=1.2.13
ZLIB_PREFIX="$CACHE_DIR/zlib-$ZLIB_VERSION-minizip-mingw64"

export WINEPREFIX="$BUILD_DIR/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

log() { printf '[%s] %s\n' "$(basename "$0")" "$*" >&2; }

# Wine has no PowerShell. Our stand-in (tests/standin/tlvr_standin_powershell.cpp) takes its place
# in this prefix only, so the installer window can run scripts/install.ps1 under Wine.
place_standin_powershell() {
  local standin="$BUILD_DIR/bin/tlvr_standin_powershell.exe"
  local folder="$WINEPREFIX/drive_c/windows/system32/WindowsPowerShell/v1.0"
  [ -f "$standin" ] || { log "no PowerShell stand-in built; the installer cannot run its script"; return 0; }
  mkdir -p "$folder"
  cmp -s "$standin" "$folder/powershell.exe" || cp "$standin" "$folder/powershell.exe"
}
