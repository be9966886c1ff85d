#!/usr/bin/env bash
# Sets up, builds and runs every test under Wine on a private virtual display.
#   scripts/test.sh                 all suites
#   scripts/test.sh 'StartUp.*'     a GoogleTest filter, applied to both Windows suites
# Ends with the line "N passed, N failed".
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
FILTER="${1:-*}"

bash "$ROOT/scripts/build.sh"

if [ -z "${TLVR_INSIDE_XVFB:-}" ]; then
  # Our own display and our own wineserver, both gone when the run ends.
  wineserver -k 2>/dev/null || true
  trap 'wineserver -k 2>/dev/null || true' EXIT
  set +e
  TLVR_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" bash "$0" "$@"
  status=$?
  exit $status
fi

RESULTS="$BUILD_DIR/test-results"
# Drive T: of the test prefix is an empty folder, so an installation can sit at a drive's root.
rm -rf "$BUILD_DIR/test-drive-t"; mkdir -p "$BUILD_DIR/test-drive-t"
ln -sfn "$BUILD_DIR/test-drive-t" "$WINEPREFIX/dosdevices/t:"
rm -rf "$RESULTS"; mkdir -p "$RESULTS"

# Drive F: of the test prefix is a small file system of its own, which the full-disk tests
# fill up. It needs root; where it cannot be mounted those tests are skipped with the reason.
FULL_DRIVE="$BUILD_DIR/test-drive-f"
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
  local name=$1 program=$2
  local out="$RESULTS/$name.log"
  log "running $name"
  set +e
  ( cd "$BUILD_DIR/bin" && timeout "${SUITE_TIMEOUT:-900}" wine "$program" --gtest_filter="$FILTER" ) 2>&1 | tee "$out" \
    | grep -E '^\[  (FAILED|PASSED|SKIPPED) |^\[==========\]|Failure|^.*: error' || true
  set -e
  wineserver -w 2>/dev/null || true
  local p f s
  p=$(grep -oE '^\[  PASSED  \] [0-9]+' "$out" | grep -oE '[0-9]+$' || true)
  f=$(grep -oE '^\[  FAILED  \] [0-9]+ tests?, listed below' "$out" | grep -oE '[0-9]+' || true)
  s=$(grep -oE '^\[  SKIPPED \] [0-9]+ tests?, listed below' "$out" | grep -oE '[0-9]+' || true)
  if [ -z "$p" ] && [ -z "$f" ]; then
    if grep -q '^\[==========\] 0 tests' "$out"; then return 0; fi
    log "$name ended without a summary (crash or time-out)"; failed=$((failed + 1)); return 0
  fi
  passed=$((passed + ${p:-0})); failed=$((failed + ${f:-0})); skipped=$((skipped + ${s:-0}))
}

run_suite unit tlvr_unit_tests.exe
run_suite blackbox tlvr_blackbox_tests.exe

# The artwork generator's own check (not a GoogleTest suite).
if [ "$FILTER" = "*" ]; then
  if python3 "$ROOT/tests/art/check_art.py" > "$RESULTS/art.log" 2>&1; then
    passed=$((passed + 1))
  else
    cat "$RESULTS/art.log"; failed=$((failed + 1))
  fi
fi

# The set-up's handling of APT source lists, on temporary folders.
if [ "$FILTER" = "*" ]; then
  bash "$ROOT/tests/scripts/setup_sources_test.sh" > "$RESULTS/setup.log" 2>&1
  p=$(grep -oE '^[0-9]+ passed' "$RESULTS/setup.log" | grep -oE '[0-9]+' || true)
  f=$(grep -oE ', [0-9]+ failed' "$RESULTS/setup.log" | grep -oE '[0-9]+' || true)
  if [ -z "$p" ]; then cat "$RESULTS/setup.log"; failed=$((failed + 1)); fi
  [ "${f:-0}" -gt 0 ] && cat "$RESULTS/setup.log"
  passed=$((passed + ${p:-0})); failed=$((failed + ${f:-0}))
fi

echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
