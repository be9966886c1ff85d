# Shared settings for the project's scripts. Sourced, not run.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
# Dependencies built once per machine and reused by every clone.
CACHE_DIR="${TLVR_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/talvaro-ovra-deps}"
SDL_VERSION=2.26.5
SDL_PREFIX="$CACHE_DIR/sdl2-$SDL_VERSION-mingw64"
FONT_DIR="$CACHE_DIR/fonts-barlow-0.4.1"

export WINEPREFIX="$BUILD_DIR/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

log() { printf '[%s] %s\n' "$(basename "$0")" "$*" >&2; }
