#!/usr/bin/env bash
# Sets up and builds everything, then starts the Launcher on the demo installation under Wine.
# With a display the window opens there. Without one (DISPLAY unset) the Launcher runs on a
# virtual display; a screenshot of it is saved to a PNG whose path is printed, then it exits.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bash "$ROOT/scripts/build.sh"
place_standin_powershell
DEMO="$BUILD_DIR/demo"
LAUNCHER="$DEMO/TalvaroOvraRecomp.exe"

if [ -n "${DISPLAY:-}" ]; then
  cd "$DEMO"
  exec wine "$LAUNCHER" "$@"
fi

SHOT="${TLVR_SCREENSHOT:-$BUILD_DIR/screenshots/launcher-$(date +%Y%m%d-%H%M%S).png}"
mkdir -p "$(dirname "$SHOT")"
wineserver -k 2>/dev/null || true
xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" bash -c '
  cd "$1"
  wine "$2" "${@:4}" &
  # Give the window time to appear and paint (the first start of a prefix is slower).
  for i in $(seq 1 40); do
    sleep 0.5
    if xwininfo -root -tree 2>/dev/null | grep -q "Talvaro Ovra-Remix Recomp - 0.60"; then break; fi
  done
  sleep 2
  import -window root "$3"
  wineserver -k 2>/dev/null || true
' run "$DEMO" "$LAUNCHER" "$SHOT" "$@"
echo "$SHOT"
