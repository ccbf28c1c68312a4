#!/usr/bin/env bash
# Starts Tamsolo on a virtual display and saves a picture of each of its six pages, one of
# the help window opened from the frame page, one of the save-mode box, one of the image
# list with its rename box open, one of the editor in its monochrome layout, then one of
# the pixel editor with a drawn image.
# Usage: scripts/screenshot.sh [folder]   (default: build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-build/screenshots}")"
mkdir -p "$out"
bash scripts/setup.sh
bash scripts/build.sh
source scripts/wine-env.sh
tamsolo_prefix "$PWD/$TAMSOLO_WINBUILD/wineprefix-shots"
unset DISPLAY
tamsolo_xvfb
trap tamsolo_wine_down EXIT
tamsolo_wine_up
# A four-frame animated cursor fills the document, so the image and frame pages have
# something to show and the preview plays.
demo="$(winepath -w "$PWD/tests/data/demo.ani")"
# Import without asking for the background colour.
wine reg add 'HKCU\Software\Brannoch\Tamsolo' /v NODLG /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
(cd "$TAMSOLO_WINBUILD/app" && wine ./Tamsolo.exe "$demo" </dev/null >/dev/null 2>&1 &)
wine "$TAMSOLO_WINBUILD/app/Pilot.exe" wait
sleep 2
wine "$TAMSOLO_WINBUILD/app/Pilot.exe" template 14
for i in 0 1 2 3 4 5; do
  wine "$TAMSOLO_WINBUILD/app/Pilot.exe" page "$i"
  sleep 1
  import -window root -crop 560x480+232+144 "$out/page$((i + 1)).png"
done
# The help, opened by the help button on the frame page.
read -r hx hy hw hh < <(wine "$TAMSOLO_WINBUILD/app/Pilot.exe" help 1 | tr -d '\r')
sleep 1
import -window root -crop "${hw}x${hh}+${hx}+${hy}" "$out/help.png"
wine "$TAMSOLO_WINBUILD/app/Pilot.exe" help-close
sleep 1
# The save-mode box, reached through "すべて保存" with a file in a scratch folder.
scratch="$(mktemp -d)"
read -r sx sy sw sh < <(wine "$TAMSOLO_WINBUILD/app/Pilot.exe" savemode "$(winepath -w "$scratch")\\saved.ani" | tr -d '\r')
sleep 1
import -window root -crop "${sw}x${sh}+${sx}+${sy}" "$out/savemode.png"
wine "$TAMSOLO_WINBUILD/app/Pilot.exe" savemode-ok
sleep 1
rm -rf "$scratch"
wine "$TAMSOLO_WINBUILD/app/Pilot.exe" page 0
sleep 1
read -r rx ry rw rh < <(wine "$TAMSOLO_WINBUILD/app/Pilot.exe" rename | tr -d '\r')
sleep 1
import -window root -crop "${rw}x${rh}+${rx}+${ry}" "$out/rename.png"
wine "$TAMSOLO_WINBUILD/app/Pilot.exe" rename-end
sleep 1
read -r mx my mw mh < <(wine "$TAMSOLO_WINBUILD/app/Pilot.exe" mono-editor | tr -d '\r')
sleep 1
import -window root -crop "${mw}x${mh}+${mx}+${my}" "$out/mono-editor.png"
wine "$TAMSOLO_WINBUILD/app/Pilot.exe" editor-cancel
sleep 1
wine "$TAMSOLO_WINBUILD/app/Pilot.exe" page 0
read -r ex ey ew eh < <(wine "$TAMSOLO_WINBUILD/app/Pilot.exe" editor | tr -d '\r')
sleep 1
import -window root -crop "${ew}x${eh}+${ex}+${ey}" "$out/editor.png"
echo "screenshots in $out"
