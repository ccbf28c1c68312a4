#!/usr/bin/env bash
# Builds the editor's portable tests under ThreadSanitizer (build/tsan) and runs them: the
# colour reduction runs on a worker thread with progress hand-over and cancel.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${TAMSOLO_JOBS:-$(nproc)}
if [ ! -f build/tsan/build.ninja ]; then
  cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMSOLO_SANITIZE=thread >/dev/null
fi
ninja -C build/tsan -j "$jobs" editor_tests
TSAN_OPTIONS="halt_on_error=1 ${TSAN_OPTIONS:-}" build/tsan/editor/editor_tests
