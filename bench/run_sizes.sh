#!/usr/bin/env bash
# Several sizes from one decode: ms per picture and peak memory of the
# 12-megapixel JPEG folder made at 128 x 128 alone and at 64, 128 and 256
# square in one run, on every core.
#   bash bench/run_sizes.sh [BUILD_DIR]     (default: build-release, made here)
# The figures move with the machine's load: read them on a quiet machine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}

source bench/common.sh
install_missing time
build_targets "$build" tessarolith-batch make_photos

cores=$(nproc)
make_work
photos=$work/photos
"$build/bin/make_photos" "$photos" 16 4000 3000 jpg
batch=("$build/bin/tessarolith-batch" --quiet --settings "$ini" --jobs "$cores")
three=(--size 64x64 --size 128x128 --size 256x256)

"${batch[@]}" "$photos" >/dev/null # warm the page cache
one=$(ms_per 16 "${batch[@]}" --size 128x128 "$photos")
all=$(ms_per 16 "${batch[@]}" "${three[@]}" "$photos")
echo "16 JPEGs of 4000 x 3000, all cores, ms per picture (median of 3):"
echo "  128 x 128 alone                 $one"
echo "  64, 128 and 256 square at once  $all   ($(ratio "$all" "$one") x one size; target <= 1.35)"
echo "peak resident memory:"
echo "  128 x 128 alone                 $(peak_kb "${batch[@]}" --size 128x128 "$photos") KB"
echo "  64, 128 and 256 square at once  $(peak_kb "${batch[@]}" "${three[@]}" "$photos") KB"
