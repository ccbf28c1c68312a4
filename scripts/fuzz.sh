#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while on its seed corpus.
# Usage: scripts/fuzz.sh [seconds per target]   (default 60). Crashes land in build/fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."
secs="${1:-60}"
bash scripts/setup.sh
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAMSOLO_FUZZ=ON >/dev/null
mkdir -p build/fuzz/crashes
status=0
for target in $(ninja -C build/fuzz -t targets all | sed -n 's/^\(fuzz_[a-z_]*\): .*/\1/p' | sort -u); do
  ninja -C build/fuzz "$target"
  corpus="$(dirname "$(find . -path ./build -prune -o -name "$target.cpp" -print | head -1)")/fuzz-corpus"
  work="build/fuzz/corpus-$target"
  mkdir -p "$work"
  echo "== $target ($secs s)"
  "$(find build/fuzz -name "$target" -type f | head -1)" "$work" "$corpus" \
    -max_total_time="$secs" -artifact_prefix=build/fuzz/crashes/ -rss_limit_mb=2048 || status=1
done
exit $status
