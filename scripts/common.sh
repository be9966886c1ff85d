# Shared settings for the project's scripts. Sourced, not run.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
# Dependencies built once per machine and reused by every clone.
CACHE_DIR="${TLVR_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/talvaro-ovra-deps}"
SDL_VERSION=2.32.4
SDL_ORIG_VERSION=2.32.4+dfsg
SDL_DEBIAN_VERSION=2.32.4+dfsg-1
SDL_ORIG_SHA256=d364cded8bf41f3f503014d3fb6473f1a7077ff468da1638dae4a6bec6ef2277
SDL_PREFIX="$CACHE_DIR/sdl2-$SDL_VERSION-mingw64"
FONT_DIR="$CACHE_DIR/fonts-barlow-0.4.1"
# Barlow has no Cyrillic: the Russian texts are drawn in Fira Sans Condensed.
CYRILLIC_FONT_DIR="$CACHE_DIR/fonts-fira-sans-condensed-0.4.1"
ZLIB_VERSION=1.2.13
ZLIB_PREFIX="$CACHE_DIR/zlib-$ZLIB_VERSION-minizip-mingw64"
# Debian 13 with its Wine 10, the base of the Proton that handheld PCs run: the tests' second Wine.
WINE10_ROOT="$CACHE_DIR/debian13-wine10-root"

# Which Wine runs the programs: the host's (Debian 12's Wine 8) or Wine 10 inside the root above.
# Each has a prefix of its own in the build folder.
TLVR_WINE_LEG="${TLVR_WINE_LEG:-wine8}"
if [ "$TLVR_WINE_LEG" = wine8 ]; then
  export WINEPREFIX="$BUILD_DIR/wineprefix"
else
  export WINEPREFIX="$BUILD_DIR/wineprefix-$TLVR_WINE_LEG"
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# The host's Debian mirror, from the deb822 file or the one-line list: Debian 13 installs from the
# same registry as everything else here.
debian_mirror() {
  local etc=${1:-/etc/apt} uri=""
  if [ -f "$etc/sources.list.d/debian.sources" ]; then
    uri=$(awk '$1 == "URIs:" { for (i = 2; i <= NF; i++) if ($i !~ /security/) { print $i; exit } }' \
      "$etc/sources.list.d/debian.sources")
  fi
  if [ -z "$uri" ] && [ -f "$etc/sources.list" ]; then
    uri=$(sed -E 's/^[ \t]+//; s/\[[^]]*\]//' "$etc/sources.list" \
      | awk '$1 == "deb" && $2 !~ /security|^cdrom:/ { print $2; exit }')
  fi
  echo "${uri:-http://deb.debian.org/debian}"
}

log() { printf '[%s] %s\n' "$(basename "$0")" "$*" >&2; }

# The private Wine prefix, prepared once.
prepare_wine_prefix() {
  local mark="$WINEPREFIX/.tlvr-prefix-v1"
  [ -f "$mark" ] && return 0
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
  touch "$mark"
}

# Wine has no PowerShell. Our stand-in (tests/standin/tlvr_standin_powershell.cpp) takes its place
# in this prefix only, so the installer window can run scripts/install.ps1 under Wine.
place_standin_powershell() {
  local standin="$BUILD_DIR/bin/tlvr_standin_powershell.exe"
  local folder="$WINEPREFIX/drive_c/windows/system32/WindowsPowerShell/v1.0"
  [ -f "$standin" ] || { log "no PowerShell stand-in built; the installer cannot run its script"; return 0; }
  mkdir -p "$folder"
  cmp -s "$standin" "$folder/powershell.exe" || cp "$standin" "$folder/powershell.exe"
}
