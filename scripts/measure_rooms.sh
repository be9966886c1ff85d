#!/usr/bin/env bash
# Measures again the room each window gives each text and rewrites src/texts/rooms.tsv, the table
# scripts/check_texts.py checks the translations against. Run it after changing a window's layout
# or a language's table, then commit the table: the fit test fails while it promises more room
# than the windows give. Runs the fit test once under the host's Wine (Wine 8).
#   scripts/measure_rooms.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
TABLE="$ROOT/src/texts/rooms.tsv"

bash "$ROOT/scripts/build.sh"
MEASURED="$BUILD_DIR/rooms-measured.tsv"
rm -f "$MEASURED"
# Wine opens the Unix path through its Z: drive.
TLVR_WINE_LEG=wine8 TLVR_ROOMS_OUT="Z:$MEASURED" bash "$ROOT/scripts/test_suites.sh" 'TextFit.*' || true
if [ ! -s "$MEASURED" ]; then
  log "the fit test wrote no table (see $BUILD_DIR/test-results/wine8/unit.log)"
  exit 1
fi
mv "$MEASURED" "$TABLE"
log "$(grep -vc '^#' "$TABLE") rows in $TABLE"
grep -h 'rooms measured' "$BUILD_DIR/test-results/wine8/unit.log" >&2 || true
# The test program compiles the table in: built again, the next fit test compares with this one.
bash "$ROOT/scripts/build.sh" >/dev/null
# The texts are those just measured: the host's widths must match GDI's within the tolerance.
python3 "$ROOT/scripts/check_texts.py" --calibrate "$FONT_DIR" "$CYRILLIC_FONT_DIR"
