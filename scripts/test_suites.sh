#!/usr/bin/env bash
# Runs both Windows suites of an existing build under one Wine, on a private virtual display with
# its own wineserver: the host's Wine, or Wine 10 inside the Debian 13 root (TLVR_WINE_LEG=wine10,
# started there by scripts/wine10.sh). Called by scripts/test.sh, once for each.
#   scripts/test_suites.sh FILTER
# Writes "PASSED FAILED SKIPPED" to $BUILD_DIR/test-results/$TLVR_WINE_LEG/counts.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
FILTER="${1:-*}"
RESULTS="$BUILD_DIR/test-results/$TLVR_WINE_LEG"
# Wine turns Windows file names into Unix ones in the locale's character set: without UTF-8 the
# tests' non-ASCII folder names cannot be made. The same locale under both Wines, whatever the
# caller's (the Debian 13 root has no other).
export LC_ALL=C.UTF-8

if [ -z "${TLVR_INSIDE_XVFB:-}" ]; then
  prepare_wine_prefix
  place_standin_powershell
  rm -rf "$RESULTS"; mkdir -p "$RESULTS"
  # Our own display and our own wineserver, both gone when the run ends.
  wineserver -k 2>/dev/null || true
  trap 'wineserver -k 2>/dev/null || true' EXIT
  set +e
  TLVR_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" bash "$0" "$@"
  status=$?
  [ -s "$RESULTS/counts" ] || { log "$TLVR_WINE_LEG: the suites ended without counts"; echo "0 1 0" > "$RESULTS/counts"; }
  exit $status
fi

# Drive T: of the test prefix is an empty folder, so an installation can sit at a drive's root.
DRIVE_T="$BUILD_DIR/test-drive-t-$TLVR_WINE_LEG"
rm -rf "$DRIVE_T"; mkdir -p "$DRIVE_T"
ln -sfn "$DRIVE_T" "$WINEPREFIX/dosdevices/t:"

# Drive F: of the test prefix is a small file system of its own, which the full-disk tests
# fill up. It needs root; where it cannot be mounted those tests are skipped with the reason.
FULL_DRIVE="$BUILD_DIR/test-drive-f-$TLVR_WINE_LEG"
unmount_full_drive() {
  if mountpoint -q "$FULL_DRIVE" 2>/dev/null; then umount "$FULL_DRIVE" 2>/dev/null || umount -l "$FULL_DRIVE"; fi
}
unmount_full_drive  # left mounted by a run that was killed
rm -f "$WINEPREFIX/dosdevices/f:"
mkdir -p "$FULL_DRIVE"
if mount -t tmpfs -o size=48m,mode=0777 tmpfs "$FULL_DRIVE" 2>"$RESULTS/mount.log"; then
  trap unmount_full_drive EXIT
  trap 'unmount_full_drive; exit 143' TERM INT HUP
  ln -sfn "$FULL_DRIVE" "$WINEPREFIX/dosdevices/f:"
  export TLVR_TEST_FULL_DRIVE="F:"
  unset TLVR_TEST_FULL_DRIVE_SKIP
else
  unset TLVR_TEST_FULL_DRIVE
  export TLVR_TEST_FULL_DRIVE_SKIP="a small file system could not be mounted: $(tr '\n' ' ' < "$RESULTS/mount.log")"
  log "full-disk tests will be skipped: $TLVR_TEST_FULL_DRIVE_SKIP"
fi
passed=0; failed=0; skipped=0

# One GoogleTest program under Wine; its counts are read from its own summary.
run_suite() {
  local name=$1 program=$2 filter=${3:-$FILTER}
  local out="$RESULTS/$name.log"
  log "$TLVR_WINE_LEG: running $name"
  set +e
  ( cd "$BUILD_DIR/bin" && timeout "${SUITE_TIMEOUT:-900}" wine "$program" --gtest_filter="$filter" ) 2>&1 | tee "$out" \
    | awk 'reason { print; reason = 0 }
           /^\[  (FAILED|PASSED|SKIPPED) |^\[==========\]|Failure|: error/ { print }
           /: Skipped$/ { print; reason = 1 }' || true  # a skip's reason is the line after it
  set -e
  wineserver -w 2>/dev/null || true
  local p f s
  p=$(grep -oE '^\[  PASSED  \] [0-9]+' "$out" | grep -oE '[0-9]+$' || true)
  f=$(grep -oE '^\[  FAILED  \] [0-9]+ tests?, listed below' "$out" | grep -oE '[0-9]+' || true)
  s=$(grep -oE '^\[  SKIPPED \] [0-9]+ tests?, listed below' "$out" | grep -oE '[0-9]+' || true)
  if [ -z "$p" ] && [ -z "$f" ]; then
    if grep -q '^\[==========\] 0 tests' "$out"; then return 0; fi
    log "$TLVR_WINE_LEG: $name ended without a summary (crash or time-out)"; failed=$((failed + 1)); return 0
  fi
  passed=$((passed + ${p:-0})); failed=$((failed + ${f:-0})); skipped=$((skipped + ${s:-0}))
}

run_suite unit tlvr_unit_tests.exe
run_suite blackbox tlvr_blackbox_tests.exe
# Wine takes the display language from the locale variables of its Unix process, which a child
# started from the suites inherits as they are: the German display language gets a leg of its own.
case "$FILTER" in
  '*'|*LanguagesUnderLocale*)
    export LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 TLVR_TEST_LOCALE=de_DE
    run_suite blackbox-de tlvr_blackbox_tests.exe 'LanguagesUnderLocale.*'
    export LC_ALL=C.UTF-8 LANG=C.UTF-8; unset TLVR_TEST_LOCALE ;;
esac
# The same for DLL overrides: a Launcher without WINMM, which SDL's controllers need.
case "$FILTER" in
  '*'|*ControlsWithoutWinmm*)
    saved_overrides=$WINEDLLOVERRIDES
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winmm=d" TLVR_TEST_NO_WINMM=1
    run_suite blackbox-nowinmm tlvr_blackbox_tests.exe 'ControlsWithoutWinmm.*'
    export WINEDLLOVERRIDES=$saved_overrides; unset TLVR_TEST_NO_WINMM ;;
esac
echo "$passed $failed $skipped" > "$RESULTS/counts"
