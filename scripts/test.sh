#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: the native tests
# under the sanitizers, then the Windows tests under Wine on a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh

status=0
echo "== native tests"
ctest --test-dir build/native --output-on-failure -j "$(nproc)" || status=1

echo "== ThreadSanitizer (the editor's worker thread)"
bash scripts/tsan.sh || status=1

source scripts/wine-env.sh
echo "== Windows tests (Wine, $TAMSOLO_WINE_ARCH: $TAMSOLO_WINBUILD)"
tamsolo_prefix "$PWD/$TAMSOLO_WINBUILD/wineprefix"
export TAMSOLO_WINEPREFIX="$WINEPREFIX"
trap tamsolo_wine_down EXIT
tamsolo_xvfb
tamsolo_wine_up
# Registry and window tests share the prefix, so the Windows tests run one at a time.
ctest --test-dir "$TAMSOLO_WINBUILD" --output-on-failure -j 1 || status=1

exit $status
