#!/usr/bin/env bash
# Starts Tamsolo on a virtual display and saves a picture of each of its six pages.
# Usage: scripts/screenshot.sh [folder]   (default: build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-build/screenshots}")"
mkdir -p "$out"
bash scripts/setup.sh
bash scripts/build.sh
source scripts/wine-env.sh
tamsolo_prefix "$PWD/build/win/wineprefix-shots"
unset DISPLAY
tamsolo_xvfb
trap tamsolo_wine_down EXIT
tamsolo_wine_up
(cd build/win/app && wine ./Tamsolo.exe </dev/null >/dev/null 2>&1 &)
wine build/win/app/Pilot.exe wait
sleep 1
for i in 0 1 2 3 4 5; do
  wine build/win/app/Pilot.exe page "$i"
  sleep 0.5
  import -window root -crop 560x480+232+144 "$out/page$((i + 1)).png"
done
echo "screenshots in $out"
