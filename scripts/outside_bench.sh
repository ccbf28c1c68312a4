#!/usr/bin/env bash
# Times Tamsolo from outside, as a user meets it: a separate process under Wine on a virtual
# display (tests/tools/outside/probe.c) starts the program and drives it with the messages the
# shell sends. Measured in pairs that alternate, so that the load of a shared machine falls on
# both sides alike; medians are printed:
#   start-up to a visible main window, beside an empty Win32 window (tests/tools/outside/empty.c);
#   a drop of N icon files on the window, beside the open of one N-image .ani, each until the
#   image list shows N items and the window answers again (N = 10, 100, 1000 by default), with
#   the longest stretch the window left the image list unanswered during the open.
# Usage: scripts/outside_bench.sh [TAMSOLO_EXE] [PAIRS] [COUNTS...]
#   (default the Tamsolo.exe of the build that runs here, build/win or build/win64; 5 pairs;
#   counts 10 100 1000). Needs Wine, Xvfb, mingw-w64, icotool and Python 3 with Pillow
#   (scripts/setup.sh installs them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# 32-bit Wine where the kernel runs 32-bit code, else the 64-bit build under 64-bit Wine.
. "$root/scripts/wine-env.sh"
exe=$(realpath "${1:-$root/$TAMSOLO_WINBUILD/app/Tamsolo.exe}")
pairs=${2:-5}
shift $(( $# > 2 ? 2 : $# ))
counts=("$@"); [ ${#counts[@]} -gt 0 ] || counts=(10 100 1000)
tools="$root/tests/tools/outside"
xp=; work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; [ -n "$xp" ] && kill "$xp" 2>/dev/null; rm -rf "$work"' EXIT
cc=i686-w64-mingw32-gcc; [ "$TAMSOLO_WINE_ARCH" = win64 ] && cc=x86_64-w64-mingw32-gcc
$cc -O2 -municode -o "$work/probe.exe" "$tools/probe.c" -luser32 -lcomctl32 -lshell32 -lole32
$cc -O2 -municode -mwindows -o "$work/empty.exe" "$tools/empty.c"
max=0; for n in "${counts[@]}"; do [ "$n" -gt "$max" ] && max=$n; done
/usr/bin/python3 - "$work" <<'PY'
import sys
from PIL import Image
work = sys.argv[1]
im = Image.new("P", (32, 32)); im.putpalette([(i * 7 + c * 40) & 255 for i in range(256) for c in range(3)])
im.putdata([(x + 3 * y) & 255 for y in range(32) for x in range(32)]); im.save(f"{work}/src.png")
PY
mkdir "$work/ico"; icotool -c -o "$work/ico/i0000.ico" "$work/src.png"
for i in $(seq 1 $((max - 1))); do cp "$work/ico/i0000.ico" "$work/ico/i$(printf %04d "$i").ico"; done
for n in "${counts[@]}"; do /usr/bin/python3 "$tools/make_ani.py" "$work/a$n.ani" "$n"; done

export WINEPREFIX="$work/pfx" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
disp=:$((300 + RANDOM % 400)); Xvfb "$disp" -screen 0 1280x1024x24 >/dev/null 2>&1 & xp=$!; sleep 1; export DISPLAY=$disp
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Brannoch\Tamsolo' /v NODLG /t REG_DWORD /d 1 /f >/dev/null 2>&1
wineserver -p 2>/dev/null || true
w() { wine winepath -w "$1" 2>/dev/null | tr -d '\r'; }
T=$(w "$exe"); E=$(w "$work/empty.exe"); P="$work/probe.exe"
median() { sort -n | awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; printf "median %.0f (min %.0f, max %.0f, n=%d)", m, a[1], a[NR], NR}'; }
echo "machine load: $(uptime)"

# Start-up: one warm-up pair, then the pairs.
args=()
for i in $(seq 0 "$pairs"); do args+=(launch "$E" visible EmptyWnd close launch "$T" visible TamsoloForm close); done
wine "$P" "${args[@]}" 2>/dev/null | tr -d '\r' | grep '^visible' | awk 'NR>2 {print $2}' >"$work/v"
echo "start-up, empty window (ms):   $(awk 'NR%2==1' "$work/v" | median)"
echo "start-up, Tamsolo (ms):        $(awk 'NR%2==0' "$work/v" | median)"
echo "start-up ratio (percent):      $(paste - - <"$work/v" | awk '{print 100*$2/$1}' | median)"

# A drop of N icons beside the open of an N-image .ani, alternating; time from the drop or
# the launch to the list holding N items and the window answering.
for n in "${counts[@]}"; do
  A=$(w "$work/a$n.ani"); : >"$work/d"; : >"$work/o"; : >"$work/u"
  for i in $(seq 1 "$pairs"); do
    wine "$P" launch "$T" visible TamsoloForm drop "$(w "$work/ico")" "$n" listed "$n" close 2>/dev/null | tr -d '\r' |
      sed -n 's/.*answers at [0-9.]* (since mark \([0-9.]*\)).*/\1/p' >>"$work/d"
    wine "$P" launch "\"$T\" $A" visible TamsoloForm mark listed "$n" close 2>/dev/null | tr -d '\r' >"$work/out"
    sed -n 's/.*answers at [0-9.]* (since mark \([0-9.]*\)).*/\1/p' "$work/out" >>"$work/o"
    sed -n 's/.*longest unanswered \([0-9.]*\).*/\1/p' "$work/out" >>"$work/u"
  done
  echo "drop of $n icon files (ms):   $(median <"$work/d")"
  echo "open of a $n-image .ani (ms): $(median <"$work/o")"
  echo "  longest unanswered (ms):    $(median <"$work/u")"
  echo "drop / open (percent):        $(paste "$work/d" "$work/o" | awk '{print 100*$1/$2}' | median)"
done
echo "machine load: $(uptime)"
