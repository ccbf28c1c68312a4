#!/usr/bin/env bash
# Installs what is needed, builds Tamsolo and starts it under Wine.
# Usage: scripts/run.sh [file]   (the file is handed to Tamsolo as its command line)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
source scripts/wine-env.sh
tamsolo_prefix "${TAMSOLO_WINEPREFIX:-$HOME/.wine-tamsolo}"
tamsolo_xvfb
args=()
if [ $# -gt 0 ]; then args+=("$(winepath -w "$(realpath "$1")" 2>/dev/null)"); fi
cd "$TAMSOLO_WINBUILD/app"
exec wine ./Tamsolo.exe "${args[@]}"
