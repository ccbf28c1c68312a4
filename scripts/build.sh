#!/usr/bin/env bash
# Configures and builds both builds: build/native (portable libraries, sanitizers)
# and build/win (the Windows programs and their tests). TAMSOLO_JOBS sets the parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${TAMSOLO_JOBS:-$(nproc)}
if [ ! -f build/native/build.ninja ]; then
  cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
ninja -C build/native -j "$jobs"
if [ ! -f build/win/build.ninja ]; then
  cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
ninja -C build/win -j "$jobs"
