#!/bin/sh
# Builds the decode benchmark in Release and runs it next to libjpeg-turbo's djpeg.
# Usage: bench/run_decode.sh [build-dir]   (default: build-bench)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-bench}
if ! command -v djpeg >/dev/null 2>&1; then
  echo "djpeg is missing; installing libjpeg-turbo-progs" >&2
  if [ "$(id -u)" -eq 0 ]; then apt-get install -y libjpeg-turbo-progs; else sudo apt-get install -y libjpeg-turbo-progs; fi
fi
cd "$here"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESS_BUILD_GUI=OFF >/dev/null
cmake --build "$build" --target decode_bench
"$build/bin/decode_bench" --benchmark_counters_tabular=true
