#!/usr/bin/env bash
# Configures and builds both builds: build/native (portable libraries, sanitizers)
# and build/win (the Windows programs and their tests), and build/win64 where only 64-bit
# Wine can run (see wine-env.sh). TAMSOLO_JOBS sets the parallel jobs.
#   scripts/build.sh --programs   only Tamsolo.exe and Dunmorrow.exe of the Windows build that
#                                 runs on this machine: no tests, no native build
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${TAMSOLO_JOBS:-$(nproc)}
if [ "${1:-}" = --programs ]; then
  source scripts/wine-env.sh
  toolchain=cmake/mingw-i686.cmake
  [ "$TAMSOLO_WINBUILD" = build/win64 ] && toolchain=cmake/mingw-x86_64.cmake
  if [ ! -f "$TAMSOLO_WINBUILD/build.ninja" ]; then
    cmake -S . -B "$TAMSOLO_WINBUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  ninja -C "$TAMSOLO_WINBUILD" -j "$jobs" Tamsolo Dunmorrow
  exit 0
fi
if [ ! -f build/native/build.ninja ]; then
  cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
ninja -C build/native -j "$jobs"
if [ ! -f build/win/build.ninja ]; then
  cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
ninja -C build/win -j "$jobs"
# Where 32-bit programs cannot run, the 64-bit build is the one whose tests run.
source scripts/wine-env.sh
if [ "$TAMSOLO_WINBUILD" = build/win64 ]; then
  if [ ! -f build/win64/build.ninja ]; then
    cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  ninja -C build/win64 -j "$jobs"
fi
