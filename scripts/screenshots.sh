#!/usr/bin/env bash
# Refreshes the README's pictures: starts the Launcher of the demo installation on a private
# virtual display, opens each page and saves an X-level screenshot of its window under docs/.
# (Wine's PrintWindow leaves out child windows, so the Launcher's own capture is not used here.)
#   scripts/screenshots.sh            every page
#   scripts/screenshots.sh install    only the pages named
# To add a page: write a function page_NAME that opens it (with "drive", see below) and echoes
# the window class to photograph, and add NAME to PAGES. A function env_NAME may echo variables
# (NAME=VALUE words) for the Launcher's start.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PAGES=(home video controls install updates apply pad session-ended high-contrast home-playstation folder-browser options card-play-time add-to-steam home-de home-ru)
OUT="${TLVR_SHOTS_DIR:-$ROOT/docs}"

if [ -z "${TLVR_INSIDE_XVFB:-}" ]; then
  bash "$ROOT/scripts/build.sh"
  place_standin_powershell
  mkdir -p "$OUT"
  wineserver -k 2>/dev/null || true
  trap 'wineserver -k 2>/dev/null || true' EXIT
  TLVR_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" bash "$0" "$@"
  exit $?
fi

DEMO="$BUILD_DIR/demo"
DRIVER="$BUILD_DIR/bin/tlvr_window_driver.exe"
drive() { wine "$DRIVER" "$@" 2>/dev/null | tr -d '\r'; }

page_home() { echo TalvaroOvra; }
# The home window in German and in Russian (Russian in its Cyrillic face), for this run only.
launch_home_de() { echo "--language de"; }
page_home_de() { echo TalvaroOvra; }
launch_home_ru() { echo "--language ru"; }
page_home_ru() { echo TalvaroOvra; }
# Wine has no high contrast: the variable makes the Launcher take it as on. The pad moves the
# focus to the second card so that the picture shows the selected and the focused card apart.
env_high_contrast() { echo TLVR_QA_HIGH_CONTRAST=1; }
launch_high_contrast() { printf 'wait 1500\ntap dpdown\n' > "$PAD_SCRIPT"; echo "--qa-pad $(winepath -w "$PAD_SCRIPT")"; }
page_high_contrast() { sleep 3; echo TalvaroOvra; }
# The home window driven by the scripted pad: three presses down bring the focus ring to
# "Video & CRT" (the script waits for SDL and its virtual controllers first).
PAD_SCRIPT="$BUILD_DIR/screenshot-pad.txt"
launch_pad() { printf 'wait 1500\ntap dpdown\nwait 300\ntap dpdown\nwait 300\ntap dpdown\n' > "$PAD_SCRIPT"; echo "--qa-pad $(winepath -w "$PAD_SCRIPT")"; }
page_pad() { sleep 4; echo TalvaroOvra; }
# The home window after one press on a PlayStation pad: the hint shows its d-pad and cross.
launch_home_playstation() { printf 'family playstation\nwait 1500\ntap dpdown\n' > "$PAD_SCRIPT"; echo "--qa-pad $(winepath -w "$PAD_SCRIPT")"; }
page_home_playstation() { sleep 4; echo TalvaroOvra; }
# The installer's Browse... pressed on a PlayStation pad: the folder browser with the two ROM
# folders the search found (files of zeros standing in for ROMs) above the drives and places.
SHOT_ROMS="$WINEPREFIX/drive_c/users/Public/ROMs"
env_folder_browser() {
  rm -rf "$SHOT_ROMS"; mkdir -p "$SHOT_ROMS/Talvaro GP" "$SHOT_ROMS/Kastri GP II"
  head -c 524288 /dev/zero > "$SHOT_ROMS/Talvaro GP/talvaro-gp.bin"
  head -c 524288 /dev/zero > "$SHOT_ROMS/Talvaro GP/talvaro-gp-rev1.bin"
  head -c 1048576 /dev/zero > "$SHOT_ROMS/Kastri GP II/kastri-gp-2.md"
  echo "TLVR_QA_ROM_PLACES=$(winepath -w "$SHOT_ROMS")"
}
launch_folder_browser() {
  printf 'family playstation\nwait 3000\ntap dpdown\nwait 300\ntap dpdown\nwait 300\ntap a\n' > "$PAD_SCRIPT"
  echo "--qa-pad $(winepath -w "$PAD_SCRIPT")"
}
page_folder_browser() { drive command TalvaroOvra 205 >/dev/null; sleep 6; echo TLVRFolderBrowser; }
page_options() { drive command TalvaroOvra 208 >/dev/null; echo TLVROptions; }
page_video() { drive command TalvaroOvra 201 >/dev/null; echo TLVRSettings; }
page_controls() { drive command TalvaroOvra 204 >/dev/null; echo TlvrControlEditor; }
page_install() {
  # The demo installation half-way: ROM folder and destination filled in, stages running.
  drive command TalvaroOvra 205 >/dev/null
  drive settext TLVRInstaller 10 'C:\users\Public\Documents' >/dev/null
  drive settext TLVRInstaller 13 'C:\users\Public\TalvaroOvraRecomp' >/dev/null
  drive click TLVRInstaller 1 >/dev/null
  sleep 4.5
  echo TLVRInstaller
}

page_updates() {
  # The start-up check finds the demo release; the window's own check lists what it printed.
  wine "$BUILD_DIR/bin/tlvr_demo_update_driver.exe" open-updates >/dev/null 2>&1
  echo TLVRUpdates
}
page_apply() {
  # Half-way through applying the demo release, in the update-apply run's window.
  wine "$BUILD_DIR/bin/tlvr_demo_update_driver.exe" open-updates >/dev/null 2>&1
  wine "$BUILD_DIR/bin/tlvr_demo_update_driver.exe" download >/dev/null 2>&1
  sleep 3
  echo TLVRUpdates
}

# A game that crashes: the stand-in of the tests takes game 1's place for this picture and ends
# with an access violation after its last words; the demo game is put back afterwards.
export TLVR_STANDIN_EXIT=0xC0000005
export TLVR_STANDIN_LAST_WORDS="Track data check failed: the ROM input is not the one this game was built from"
export TLVR_STANDIN_RECORD="$BUILD_DIR/screenshot-standin-record.txt"
page_session_ended() {
  cp "$DEMO/games/tlvr1/tlvr1.exe" "$BUILD_DIR/demo-game-aside.exe"
  cp "$BUILD_DIR/bin/tlvr_standin_game.exe" "$DEMO/games/tlvr1/tlvr1.exe"
  drive click TalvaroOvra 200 >/dev/null
  drive rect '#32770' 20 >/dev/null || true
  cp "$BUILD_DIR/demo-game-aside.exe" "$DEMO/games/tlvr1/tlvr1.exe"
  echo '#32770'
}

# Game 1 with a record of three sessions: its card shows the last one and the time in all.
launch_card_play_time() {
  mkdir -p "$DEMO/.local"
  printf '2026-11-28T19:02:11Z,1,16320,0\r\n2026-11-29T20:15:40Z,1,20810,0\r\n2026-11-30T18:40:03Z,1,6370,0\r\n' \
    > "$DEMO/.local/sessions.csv"
}
page_card_play_time() { echo TalvaroOvra; }

# Add to Steam on a stand-in Steam folder with one account: the message is photographed, and the
# four library pictures written for game 1 are put side by side in docs/steam-pictures.png.
STEAM_STANDIN="$BUILD_DIR/screenshot-steam"
page_add_to_steam() {
  rm -rf "$STEAM_STANDIN"; mkdir -p "$STEAM_STANDIN/userdata/31415926/config"
  wine reg add 'HKCU\Software\Valve\Steam' /v SteamPath /t REG_SZ /d "$(winepath -w "$STEAM_STANDIN" | tr '\\' /)" /f \
    >/dev/null 2>&1
  drive command TalvaroOvra 209 >/dev/null
  drive rect '#32770' 30 >/dev/null || true
  local grid="$STEAM_STANDIN/userdata/31415926/config/grid" id
  id=$(ls "$grid" | grep -E '^[0-9]+p\.png$' | sort | head -n 1 | sed 's/p\.png$//')
  if [ -n "$id" ]; then
    # Half size (the hero 40 %), the logo on a grey ground to show its transparent edges.
    local b='#101315' t="$BUILD_DIR/screenshot-steam"
    convert "$grid/${id}p.png" -resize 50% -bordercolor "$b" -border 6 "$t/cover.png"
    convert "$grid/${id}.png" -resize 50% -bordercolor "$b" -border 6 "$t/header.png"
    convert "$grid/${id}_logo.png" -resize 50% -background '#3a3f40' -flatten -bordercolor "$b" -border 6 "$t/logo.png"
    convert "$grid/${id}_hero.png" -resize 40% -bordercolor "$b" -border 6 "$t/hero.png"
    convert "$t/header.png" "$t/logo.png" -background "$b" -gravity northwest -append "$t/right.png"
    convert "$t/cover.png" "$t/right.png" -background "$b" -gravity northwest +append "$t/row.png"
    convert "$t/row.png" "$t/hero.png" -background "$b" -gravity northwest -append +repage "$OUT/steam-pictures.png"
    log "wrote $OUT/steam-pictures.png"
  fi
  wine reg delete 'HKCU\Software\Valve\Steam' /v SteamPath /f >/dev/null 2>&1 || true
  echo '#32770'
}

shoot() {
  local name=$1
  # Every page starts from the demo as laid out: no update half-applied, the daily check due.
  rm -rf "$DEMO/.local/updates" "$DEMO/demo-update.txt"
  local arguments="" environment=""
  if declare -f "launch_${name//-/_}" >/dev/null; then arguments=$("launch_${name//-/_}"); fi
  if declare -f "env_${name//-/_}" >/dev/null; then environment=$("env_${name//-/_}"); fi
  # shellcheck disable=SC2086  # the page's arguments and variables are words
  ( cd "$DEMO" && env $environment wine "$DEMO/TalvaroOvraRecomp.exe" $arguments >/dev/null 2>&1 & )
  drive rect TalvaroOvra 60 >/dev/null || { log "the launcher did not open"; return 1; }
  local class rect
  class=$("page_${name//-/_}")
  rect=$(drive rect "$class" 20) || { log "page $name: no $class window"; return 1; }
  sleep 1.5  # let every child paint
  import -window root -crop "$rect" +repage "$OUT/$name.png"
  log "wrote $OUT/$name.png ($rect)"
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

# The demo run writes into the destination above: start from an empty one each time.
rm -rf "$WINEPREFIX/drive_c/users/Public/TalvaroOvraRecomp"
[ $# -gt 0 ] && PAGES=("$@")
for page in "${PAGES[@]}"; do shoot "$page"; done
rm -rf "$DEMO/.local/updates" "$DEMO/demo-update.txt" "$DEMO/.local/sessions.csv" "$SHOT_ROMS"
