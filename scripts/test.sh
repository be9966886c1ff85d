#!/usr/bin/env bash
# Sets up, builds and runs every test. Both Windows suites run twice on the one build: under the
# host's Wine (Debian 12's Wine 8) and under Wine 10 (Debian 13's, the base of the Proton that
# handheld PCs run) from a root in the dependency cache, made here once (scripts/wine10.sh).
#   scripts/test.sh                 all suites
#   scripts/test.sh 'StartUp.*'     a GoogleTest filter, applied to both Windows suites
#   TLVR_WINE10=0 scripts/test.sh   the host's Wine alone, for a quick run while working
# Ends with one line over everything: "N passed, N failed, N skipped". A failure under either
# Wine fails the run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
FILTER="${1:-*}"

bash "$ROOT/scripts/build.sh"

RESULTS="$BUILD_DIR/test-results"
rm -rf "$RESULTS"; mkdir -p "$RESULTS"
passed=0; failed=0; skipped=0

# Adds one Wine's counts; a run that left none counts as a failure.
add_counts() {
  local leg=$1 p f s
  if read -r p f s < "$RESULTS/$leg/counts" 2>/dev/null; then
    passed=$((passed + p)); failed=$((failed + f)); skipped=$((skipped + s))
    log "$leg: $p passed, $f failed, $s skipped"
  else
    log "$leg: the suites left no counts"; failed=$((failed + 1))
  fi
}

leg_seconds() { local start=$1; echo $(( $(date +%s) - start )); }

start=$(date +%s)
bash "$ROOT/scripts/test_suites.sh" "$FILTER" || true
add_counts wine8
log "wine8 took $(leg_seconds "$start") s"

if [ "${TLVR_WINE10:-1}" = 0 ]; then
  log "wine10: skipped, TLVR_WINE10=0"
else
  start=$(date +%s)
  if reason=$(bash "$ROOT/scripts/wine10.sh" prepare); then
    log "wine10: the root took $(leg_seconds "$start") s to check or make"
    start=$(date +%s)
    bash "$ROOT/scripts/wine10.sh" run "$FILTER" || true
    add_counts wine10
    log "wine10 took $(leg_seconds "$start") s"
  else
    log "wine10: skipped, ${reason:-the Debian 13 root could not be made}"
  fi
fi

# The artwork generator's own check (not a GoogleTest suite).
if [ "$FILTER" = "*" ]; then
  if python3 "$ROOT/tests/art/check_art.py" > "$RESULTS/art.log" 2>&1; then
    passed=$((passed + 1))
  else
    cat "$RESULTS/art.log"; failed=$((failed + 1))
  fi
fi

# The tables of texts: keys, placeholders, access keys, line breaks, the fonts' characters and the rooms.
if [ "$FILTER" = "*" ]; then
  python3 "$ROOT/scripts/check_texts.py" "$FONT_DIR" "$CYRILLIC_FONT_DIR" > "$RESULTS/texts.log" 2>&1 || true
  p=$(grep -oE '^[0-9]+ passed' "$RESULTS/texts.log" | grep -oE '[0-9]+' || true)
  f=$(grep -oE ', [0-9]+ failed' "$RESULTS/texts.log" | grep -oE '[0-9]+' || true)
  if [ -z "$p" ] || [ "${f:-0}" -gt 0 ]; then cat "$RESULTS/texts.log"; fi
  [ -z "$p" ] && failed=$((failed + 1))
  passed=$((passed + ${p:-0})); failed=$((failed + ${f:-0}))
fi

# The room check can fail: a lengthened text of each language is caught.
if [ "$FILTER" = "*" ]; then
  python3 "$ROOT/scripts/check_texts.py" --self-test "$FONT_DIR" "$CYRILLIC_FONT_DIR" > "$RESULTS/rooms-self-test.log" 2>&1 || true
  p=$(grep -oE '^[0-9]+ passed' "$RESULTS/rooms-self-test.log" | grep -oE '[0-9]+' || true)
  f=$(grep -oE ', [0-9]+ failed' "$RESULTS/rooms-self-test.log" | grep -oE '[0-9]+' || true)
  if [ -z "$p" ] || [ "${f:-0}" -gt 0 ]; then cat "$RESULTS/rooms-self-test.log"; fi
  [ -z "$p" ] && failed=$((failed + 1))
  passed=$((passed + ${p:-0})); failed=$((failed + ${f:-0}))
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
