#!/usr/bin/env bash
# Installs what is needed, builds the two programs (no tests) and starts Tamsolo under Wine.
# Usage: scripts/run.sh [file]      the file is handed to Tamsolo as its command line
#        scripts/run.sh --dunmorrow starts Dunmorrow, the registry cleaner, instead
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --run
bash scripts/build.sh --programs
source scripts/wine-env.sh
tamsolo_prefix "${TAMSOLO_WINEPREFIX:-$HOME/.wine-tamsolo}"
tamsolo_xvfb
cd "$TAMSOLO_WINBUILD/app"
if [ "${1:-}" = --dunmorrow ]; then
  exec wine ./Dunmorrow.exe
fi
args=()
if [ $# -gt 0 ]; then args+=("$(winepath -w "$(realpath "$1")" 2>/dev/null)"); fi
exec wine ./Tamsolo.exe "${args[@]}"
