# Sourced by run.sh and test.sh: prepares a Wine prefix and, when asked, an X server.
#   tamsolo_prefix <dir>    makes the 32-bit prefix once (fonts mapped, unmanaged windows)
#   tamsolo_xvfb            starts Xvfb on a free display unless DISPLAY already works
#   tamsolo_wine_up         starts a persistent wineserver and the prefix's services, detached
#   tamsolo_wine_down       stops them (and the Xvfb that tamsolo_xvfb started)

#
# The programs ship as 32-bit Windows executables (build/win). Where the kernel cannot run
# 32-bit code (its 32-bit emulation turned off), 32-bit Wine cannot start, so the same code is
# also built as 64-bit (build/win64) and its tests and the program run under 64-bit Wine.
# TAMSOLO_WINBUILD names the build whose programs run here; TAMSOLO_WINE_ARCH is win32 or win64.

tamsolo_can_run_32bit() {
  [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

if [ -z "${TAMSOLO_WINE_ARCH:-}" ]; then
  if tamsolo_can_run_32bit; then TAMSOLO_WINE_ARCH=win32; else TAMSOLO_WINE_ARCH=win64; fi
fi
export TAMSOLO_WINE_ARCH
export WINEARCH=$TAMSOLO_WINE_ARCH
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG=ja_JP.UTF-8
if [ "$TAMSOLO_WINE_ARCH" = win64 ]; then
  TAMSOLO_WINBUILD=build/win64
  # `wine`, `wineboot` and `winepath` through the 64-bit loader (Debian's wrappers would pick
  # the 32-bit one whenever it is installed).
  _tamsolo_shims="${TMPDIR:-/tmp}/tamsolo-wine64-$(id -u)"
  if [ ! -x "$_tamsolo_shims/winepath" ]; then
    mkdir -p "$_tamsolo_shims"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' > "$_tamsolo_shims/wine"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 wineboot "$@"\n' > "$_tamsolo_shims/wineboot"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 winepath "$@"\n' > "$_tamsolo_shims/winepath"
    chmod +x "$_tamsolo_shims/wine" "$_tamsolo_shims/wineboot" "$_tamsolo_shims/winepath"
  fi
  case ":$PATH:" in *":$_tamsolo_shims:"*) ;; *) export PATH="$_tamsolo_shims:$PATH" ;; esac
else
  TAMSOLO_WINBUILD=build/win
fi
export TAMSOLO_WINBUILD

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
  # Debian's Wine 8 loads none of the fonts of its own data folder (/usr/share/wine/fonts,
  # which its loader reaches as /usr/lib/wine/../../share/wine): the caption buttons, drawn
  # with Marlett's glyphs, showed as "0 1 r" in every title bar. The prefix's own Fonts
  # folder is always read, so Marlett goes there.
  local marlett=/usr/share/wine/fonts/marlett.ttf fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -f "$marlett" ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
    cp "$marlett" "$fonts/marlett.ttf"
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
