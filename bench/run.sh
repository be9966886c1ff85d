#!/usr/bin/env bash
# Builds the project (scripts/build.sh) and runs the benchmarks (home paint, start-up, installer
# log, pad navigation, arrow presses at home, languages) under Wine on a private virtual display, printing
# the figures. BENCH=install (or home_paint, startup, pad, arrow, report, language) runs one of them alone.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

bash "$ROOT/scripts/build.sh"
place_standin_powershell

# A display number nobody uses.
display=70
while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do display=$((display + 1)); done
Xvfb ":${display}" -screen 0 1920x1080x24 >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1
want() { [ -z "${BENCH:-}" ] || [ "$BENCH" = "$1" ]; }

if want home_paint; then DISPLAY=":${display}" wine "$BUILD_DIR/bin/home_paint_bench.exe" "$@"; fi
# Start-up on the demo installation: the lock is free, as no other launcher runs on it.
if want startup; then DISPLAY=":${display}" wine "$BUILD_DIR/bin/startup_bench.exe" "$BUILD_DIR/demo" "$BUILD_DIR/bin/minimal_window.exe"; fi
# The installer under a script printing 100,000 lines of 80 characters as fast as it can.
if want install; then DISPLAY=":${display}" wine "$BUILD_DIR/bin/install_bench.exe" "$BUILD_DIR/demo" "$BUILD_DIR/bin/tlvr_standin_powershell.exe"; fi
# The pad navigation: a press's road to a window, and the CPU time while the Launcher waits.
if want pad; then DISPLAY=":${display}" wine "$BUILD_DIR/bin/pad_bench.exe" "$BUILD_DIR/demo" "$BUILD_DIR/bin/minimal_window.exe"; fi
# An arrow press at home, plain and beside a scanner stand-in holding each new file for 300 ms.
if want arrow; then DISPLAY=":${display}" wine "$BUILD_DIR/bin/arrow_bench.exe" "$BUILD_DIR/demo" "$BUILD_DIR/bin/tlvr_file_holder.exe"; fi
# The problem report of an installation with a 50 MB install log.
if want report; then DISPLAY=":${display}" wine "$BUILD_DIR/bin/report_bench.exe" 50; fi
# The installer's ROM search over a profile of 20,000 files.
if want rom_search; then DISPLAY=":${display}" wine "$BUILD_DIR/bin/rom_search_bench.exe"; fi
# A pad press after a key to the home window painted with the pad's prompts.
# Start-up with --language de against en, and a language change to every open window repainted.
if want language; then DISPLAY=":${display}" wine "$BUILD_DIR/bin/language_bench.exe" "$BUILD_DIR/demo"; fi
if want prompts; then DISPLAY=":${display}" wine "$BUILD_DIR/bin/prompts_bench.exe" "$BUILD_DIR/demo"; fi
