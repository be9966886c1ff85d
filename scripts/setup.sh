#!/usr/bin/env bash
# Installs and builds everything the project needs on a Debian 12 machine (as root).
# Idempotent: on a machine where everything is present it only checks and returns.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

PACKAGES=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 xvfb xauth x11-apps x11-utils debootstrap
          imagemagick cmake ninja-build googletest python3 npm curl dpkg-dev fonts-liberation)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  # npm may come from another source than Debian's package; any working npm will do.
  if command -v npm >/dev/null 2>&1; then
    local keep=(); for p in "${missing[@]}"; do [ "$p" = npm ] || keep+=("$p"); done
    missing=("${keep[@]+"${keep[@]}"}")
  fi
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Source entries (deb-src) beside the binary ones, so that "apt-get source" works. A Debian
# installed with the Debian installer lists its sources as one-line entries in sources.list;
# container and cloud images use the deb822 file debian.sources; a machine may have both. Each
# form gets one file of ours, written the same way every time, and only for entries that have no
# source entry yet: a second run adds nothing.
write_source_lists() {
  local etc=$1
  local deb822="$etc/sources.list.d/debian.sources" deb822_src="$etc/sources.list.d/debian-src.sources"
  if [ -f "$deb822" ] && ! grep -qE '^Types:.*deb-src' "$deb822"; then
    sed -E 's/^Types:.*$/Types: deb-src/' "$deb822" > "$deb822_src.new"
    mv "$deb822_src.new" "$deb822_src"
  fi
  local one_line="$etc/sources.list" one_line_src="$etc/sources.list.d/debian-src.list"
  if [ -f "$one_line" ]; then
    # "deb [options] uri suite components" becomes "deb-src ..." unless a source entry for that
    # uri and suite exists already, in sources.list or in the deb822 file.
    local covered=/dev/null
    [ -f "$deb822" ] && covered=$deb822
    awk '
      function key(uri, suite) { sub(/\/+$/, "", uri); return uri " " suite }
      function flush(u, s) { for (u in uris) for (s in suites) have[key(u, s)] = 1; split("", uris); split("", suites) }
      FILENAME == ARGV[1] {
        if ($0 ~ /^[ \t]*$/) flush()
        else if ($1 == "URIs:") for (i = 2; i <= NF; i++) uris[$i] = 1
        else if ($1 == "Suites:") for (i = 2; i <= NF; i++) suites[$i] = 1
        next
      }
      !started { flush(); started = 1 }
      { sub(/^[ \t]+/, "") }
      /cdrom:/ { next }
      $1 == "deb" || $1 == "deb-src" {
        type = $1; rest = $0; sub(/^deb(-src)?[ \t]+/, "", rest)
        plain = rest; if (plain ~ /^\[/) { sub(/^\[[^]]*\][ \t]*/, "", plain) }
        split(plain, f, /[ \t]+/)
        if (type == "deb-src") have[key(f[1], f[2])] = 1
        else { want[++n] = rest; wantkey[n] = key(f[1], f[2]) }
      }
      END { for (i = 1; i <= n; i++) if (!(wantkey[i] in have)) { have[wantkey[i]] = 1; print "deb-src " want[i] } }
    ' "$covered" "$one_line" > "$one_line_src.new"
    if [ -s "$one_line_src.new" ]; then mv "$one_line_src.new" "$one_line_src"; else rm -f "$one_line_src.new" "$one_line_src"; fi
  fi
}

enable_source_lists() {
  write_source_lists /etc/apt
  apt-get update -qq
}

# SDL2 comes from Debian 13's source package (it knows Steam's virtual pads and newer pads' HID
# drivers). Debian 12's source lists do not carry it, so its two files come straight from the
# mirror's pool; the tarball must match the digest below, which the package's .dsc gives.
build_sdl2() {
  [ -f "$SDL_PREFIX/lib/libSDL2.a" ] && return 0
  log "building SDL2 $SDL_VERSION for Windows x64 (about two minutes)"
  local work; work=$(mktemp -d)
  local pool="$(debian_mirror)/pool/main/libs/libsdl2"
  local tarball="$work/libsdl2_$SDL_ORIG_VERSION.orig.tar.gz"
  curl -fsSL -o "$work/libsdl2.dsc" "$pool/libsdl2_$SDL_DEBIAN_VERSION.dsc"
  grep -q " $SDL_ORIG_SHA256 [0-9]* libsdl2_$SDL_ORIG_VERSION.orig.tar.gz" "$work/libsdl2.dsc" \
    || { log "libsdl2_$SDL_DEBIAN_VERSION.dsc does not name the expected tarball"; return 1; }
  curl -fsSL -o "$tarball" "$pool/libsdl2_$SDL_ORIG_VERSION.orig.tar.gz"
  echo "$SDL_ORIG_SHA256  $tarball" | sha256sum -c --quiet - \
    || { log "libsdl2_$SDL_ORIG_VERSION.orig.tar.gz does not match its digest"; return 1; }
  tar -xf "$tarball" -C "$work"
  local srcdir; srcdir=$(find "$work" -maxdepth 1 -type d -name 'SDL2-*' | head -n1)
  cmake -S "$srcdir" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$SDL_PREFIX.tmp" \
    -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF >/dev/null
  cmake --build "$work/build" >/dev/null
  cmake --install "$work/build" >/dev/null
  rm -rf "$SDL_PREFIX"; mv "$SDL_PREFIX.tmp" "$SDL_PREFIX"
  rm -rf "$work"
}

# zlib and its minizip (contrib/minizip in zlib's source package) write the problem reports' zip
# files. Debian builds no MinGW zlib, so ours is cross-built from Debian's sources like SDL2.
build_zlib() {
  [ -f "$ZLIB_PREFIX/lib/libminizip.a" ] && return 0
  log "building zlib $ZLIB_VERSION with minizip for Windows x64"
  enable_source_lists
  local work; work=$(mktemp -d)
  # The newest Debian version first; a mirror that lacks its files still has the release's.
  ( cd "$work" && apt-get source --download-only -qq zlib >/dev/null 2>&1 ) || {
    rm -rf "$work"; work=$(mktemp -d)
    ( cd "$work" && apt-get source --download-only -qq "zlib=1:$ZLIB_VERSION.dfsg-1" >/dev/null )
  }
  local tarball; tarball=$(ls "$work"/zlib_*.orig.tar.* | head -n1)
  tar -xf "$tarball" -C "$work"
  local srcdir; srcdir=$(find "$work" -maxdepth 1 -type d -name 'zlib-*' | head -n1)
  local cc=x86_64-w64-mingw32-gcc-posix ar=x86_64-w64-mingw32-ar
  local flags=(-O2 -DNDEBUG -I"$srcdir")
  local objs=()
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees uncompr zutil; do
    "$cc" "${flags[@]}" -c "$srcdir/$f.c" -o "$work/$f.o"; objs+=("$work/$f.o")
  done
  local mz=()
  for f in zip unzip ioapi iowin32; do
    "$cc" "${flags[@]}" -c "$srcdir/contrib/minizip/$f.c" -o "$work/mz_$f.o"; mz+=("$work/mz_$f.o")
  done
  mkdir -p "$ZLIB_PREFIX.tmp/lib" "$ZLIB_PREFIX.tmp/include/minizip"
  "$ar" rcs "$ZLIB_PREFIX.tmp/lib/libz.a" "${objs[@]}"
  "$ar" rcs "$ZLIB_PREFIX.tmp/lib/libminizip.a" "${mz[@]}"
  cp "$srcdir/zlib.h" "$srcdir/zconf.h" "$ZLIB_PREFIX.tmp/include/"
  for h in zip.h unzip.h ioapi.h iowin32.h; do cp "$srcdir/contrib/minizip/$h" "$ZLIB_PREFIX.tmp/include/minizip/"; done
  # The licence travels with the library.
  cp "$srcdir/README" "$ZLIB_PREFIX.tmp/README.zlib"
  rm -rf "$ZLIB_PREFIX"; mv "$ZLIB_PREFIX.tmp" "$ZLIB_PREFIX"
  rm -rf "$work"
}

fetch_fonts() {
  [ -f "$FONT_DIR/BarlowCondensed-BoldItalic.ttf" ] && return 0
  log "fetching the Barlow fonts from the npm registry"
  local work; work=$(mktemp -d)
  ( cd "$work" && npm pack --silent @expo-google-fonts/barlow@0.4.1 @expo-google-fonts/barlow-condensed@0.4.1 >/dev/null )
  mkdir -p "$work/regular" "$work/condensed"
  tar -xzf "$work"/expo-google-fonts-barlow-0.4.1.tgz -C "$work/regular"
  tar -xzf "$work"/expo-google-fonts-barlow-condensed-0.4.1.tgz -C "$work/condensed"
  mkdir -p "$FONT_DIR.tmp"
  cp "$work/regular/package/400Regular/Barlow_400Regular.ttf" "$FONT_DIR.tmp/Barlow-Regular.ttf"
  cp "$work/condensed/package/700Bold/BarlowCondensed_700Bold.ttf" "$FONT_DIR.tmp/BarlowCondensed-Bold.ttf"
  cp "$work/condensed/package/700Bold_Italic/BarlowCondensed_700Bold_Italic.ttf" "$FONT_DIR.tmp/BarlowCondensed-BoldItalic.ttf"
  # The font licence (SIL OFL 1.1) travels with the fonts.
  cp "$work/regular/package/LICENSE_FONT" "$FONT_DIR.tmp/OFL.txt"
  rm -rf "$FONT_DIR"; mv "$FONT_DIR.tmp" "$FONT_DIR"
  rm -rf "$work"
}

# Fira Sans Condensed, open-licensed like Barlow, with Cyrillic and of a similar build (x-height,
# cap height and width within a few per cent); only its three styles the Launcher draws are kept.
fetch_cyrillic_fonts() {
  [ -f "$CYRILLIC_FONT_DIR/FiraSansCondensed-BoldItalic.ttf" ] && return 0
  log "fetching the Fira Sans Condensed fonts from the npm registry"
  local work; work=$(mktemp -d)
  ( cd "$work" && npm pack --silent @expo-google-fonts/fira-sans-condensed@0.4.1 >/dev/null )
  tar -xzf "$work"/expo-google-fonts-fira-sans-condensed-0.4.1.tgz -C "$work"
  mkdir -p "$CYRILLIC_FONT_DIR.tmp"
  cp "$work/package/400Regular/FiraSansCondensed_400Regular.ttf" "$CYRILLIC_FONT_DIR.tmp/FiraSansCondensed-Regular.ttf"
  cp "$work/package/700Bold/FiraSansCondensed_700Bold.ttf" "$CYRILLIC_FONT_DIR.tmp/FiraSansCondensed-Bold.ttf"
  cp "$work/package/700Bold_Italic/FiraSansCondensed_700Bold_Italic.ttf" "$CYRILLIC_FONT_DIR.tmp/FiraSansCondensed-BoldItalic.ttf"
  # The font licence (SIL OFL 1.1) travels with the fonts.
  cp "$work/package/LICENSE_FONT" "$CYRILLIC_FONT_DIR.tmp/OFL.txt"
  rm -rf "$CYRILLIC_FONT_DIR"; mv "$CYRILLIC_FONT_DIR.tmp" "$CYRILLIC_FONT_DIR"
  rm -rf "$work"
}

# Sourced by the set-up test for its functions alone.
[ "${TLVR_SETUP_FUNCTIONS_ONLY:-}" = 1 ] && return 0
install_packages
build_sdl2
build_zlib
fetch_fonts
fetch_cyrillic_fonts
