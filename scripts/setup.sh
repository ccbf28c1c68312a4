#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Tamsolo needs.
# Safe to run again: it only installs what is missing.
#   scripts/setup.sh          everything: the native build, the checking tools, the fuzzers
#   scripts/setup.sh --run    only what building and starting the Windows programs needs
set -euo pipefail

# Cross-building the two programs and starting them under Wine on an X display.
packages=(
  cmake make ninja-build googletest
  mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix libz-mingw-w64-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine32:i386 wine64
  xvfb xauth x11-utils
  fonts-ipafont-gothic fonts-wine locales
)
if [ "${1:-}" != --run ]; then
  # The native build under the sanitizers, the fuzzers and the independent readers the tests use.
  packages+=(
    g++ libgtest-dev zlib1g-dev clang imagemagick
    pngcheck icoutils giflib-tools gifsicle python3-pil
  )
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Wine takes its code page (932) from LANG and converts file names with the C library's
# locale, so the Japanese UTF-8 locale must exist for non-ASCII file names to work.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
echo "setup: all packages present"
