#!/usr/bin/env bash
# Wine 10, the base of the Proton that handheld PCs run, for the tests' second Wine: Debian 13's
# Wine in a root made with debootstrap and kept in the dependency cache, as SDL2 is. The build is
# the host's; only the suites run in the root, on the same build folder, bound at the same path.
#   scripts/wine10.sh prepare        makes the root once (as root); if it cannot, prints why, exits 1
#   scripts/wine10.sh run FILTER     runs both Windows suites under Wine 10 (scripts/test_suites.sh)
# Every mount (/proc, /sys, /dev, the project, the full-disk tests' drive) lives in a mount
# namespace of the run's own, inside a process namespace whose first process dies with the run: the
# kernel removes them all when the run ends, however it ends, and a killed run leaves none behind.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ROOT_MARK="$WINE10_ROOT/.tlvr-root-v1"
ROOT_LOG="$CACHE_DIR/debian13-wine10-root.log"
WINE10_PACKAGES=(wine wine64 xvfb xauth fonts-liberation)
IN_ROOT_PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin

# Runs a command chrooted into DIR, with /proc, /sys and /dev and the folders named in BIND
# (colon-separated, each at its own path) mounted in a namespace of its own.
in_root() {
  local dir=$1; shift
  unshare --mount --pid --fork --kill-child --propagation private -- bash -c '
    set -e; dir=$1; shift
    mount -t proc proc "$dir/proc"
    mount --rbind /sys "$dir/sys"
    mount --rbind /dev "$dir/dev"
    IFS=:; for folder in ${BIND:-}; do mkdir -p "$dir$folder"; mount --bind "$folder" "$dir$folder"; done; unset IFS
    exec chroot "$dir" "$@"' in_root "$dir" "$@"
}

prepare() {
  if [ -f "$ROOT_MARK" ] && [ -x "$WINE10_ROOT/usr/bin/wine" ]; then return 0; fi
  [ "$(id -u)" = 0 ] || { echo "making the Debian 13 root needs root"; return 1; }
  local tool
  for tool in debootstrap unshare chroot; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; return 1; }
  done
  local mirror work="$WINE10_ROOT.tmp"
  mirror=$(debian_mirror)
  log "making a Debian 13 root with Wine 10 in $WINE10_ROOT from $mirror (once, a few minutes)"
  mkdir -p "$CACHE_DIR"
  rm -rf "$work"
  if ! debootstrap --variant=minbase trixie "$work" "$mirror" >"$ROOT_LOG" 2>&1; then
    echo "debootstrap of Debian 13 from $mirror failed: $(tail -n 1 "$ROOT_LOG") (see $ROOT_LOG)"
    return 1
  fi
  if ! BIND="" in_root "$work" /usr/bin/env -i PATH="$IN_ROOT_PATH" HOME=/root DEBIAN_FRONTEND=noninteractive \
       sh -c "apt-get install -y -q --no-install-recommends ${WINE10_PACKAGES[*]} && apt-get clean" >>"$ROOT_LOG" 2>&1; then
    echo "installing ${WINE10_PACKAGES[*]} in the Debian 13 root failed: $(tail -n 1 "$ROOT_LOG") (see $ROOT_LOG)"
    return 1
  fi
  touch "$work/.tlvr-root-v1"
  rm -rf "$WINE10_ROOT"; mv "$work" "$WINE10_ROOT"
  log "Wine 10 root ready: $(BIND="" in_root "$WINE10_ROOT" /usr/bin/wine --version 2>/dev/null || echo '?')"
}

run() {
  local filter=$1 bind=$ROOT
  case "$BUILD_DIR/" in "$ROOT"/*) ;; *) bind="$bind:$BUILD_DIR" ;; esac
  BIND=$bind in_root "$WINE10_ROOT" /usr/bin/env -i PATH="$IN_ROOT_PATH" HOME=/root BUILD_DIR="$BUILD_DIR" \
    TLVR_WINE_LEG=wine10 SUITE_TIMEOUT="${SUITE_TIMEOUT:-900}" bash "$ROOT/scripts/test_suites.sh" "$filter"
}

# Sourced by the scripts' own tests for the functions alone.
[ "${TLVR_WINE10_FUNCTIONS_ONLY:-}" = 1 ] && return 0
case "${1:-}" in
  prepare) prepare ;;
  run) run "${2:-*}" ;;
  *) echo "usage: $0 prepare | run FILTER" >&2; exit 2 ;;
esac
