# Sourced by run.sh and test.sh: prepares a Wine prefix and, when asked, an X server.
#   tamsolo_prefix <dir>    makes the 32-bit prefix once (fonts mapped, unmanaged windows)
#   tamsolo_xvfb            starts Xvfb on a free display unless DISPLAY already works
#   tamsolo_wine_up         starts a persistent wineserver and the prefix's services, detached
#   tamsolo_wine_down       stops them (and the Xvfb that tamsolo_xvfb started)

export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG=ja_JP.UTF-8

tamsolo_prefix() {
  export WINEPREFIX="$1"
  if [ ! -f "$WINEPREFIX/.tamsolo-ready" ]; then
    echo "wine: making prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d IPAGothic /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAGothic /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.tamsolo-ready"
  fi
}

TAMSOLO_XVFB_PID=""
tamsolo_xvfb() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=99
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  TAMSOLO_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "wine: Xvfb did not start" >&2
  return 1
}

tamsolo_wine_up() {
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

tamsolo_wine_down() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  if [ -n "$TAMSOLO_XVFB_PID" ]; then kill "$TAMSOLO_XVFB_PID" 2>/dev/null || true; fi
}
