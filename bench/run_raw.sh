#!/usr/bin/env bash
# Camera raws against the JPEGs of the same photos: 12-megapixel DNGs made
# from make_photos' pictures, COUNT with a full-size JPEG preview and COUNT
# without; ms per picture of tessarolith-batch (every core) on the JPEGs, on
# the raws with a preview and on the raws without, beside LibRaw's own
# half-size development on one core (the floor); our peak memory on each.
#   bash bench/run_raw.sh [BUILD_DIR] [COUNT]   (default: build-release, 8)
# The figures move with the machine's load: read them on a quiet machine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
count=${2:-8}

source bench/common.sh
install_missing libraw-bin time
build_targets "$build" tessarolith-batch make_photos make_raws

cores=$(nproc)
make_work
ours=("$build/bin/tessarolith-batch" --quiet --settings "$ini" --jobs "$cores")

# COUNT raws of each sort; the JPEGs are the photos of the raws with a
# preview, so that the two folders differ only in how the photo is stored.
"$build/bin/make_photos" "$work/bmp" "$((2 * count))" 4000 3000 bmp
"$build/bin/make_photos" "$work/all" "$((2 * count))" 4000 3000 jpg
"$build/bin/make_raws" "$work/bmp" "$work/raw"
rm -r "$work/bmp"
mkdir "$work/jpg"
for raw in "$work"/raw/preview/*.dng; do
  mv "$work/all/$(basename "$raw" .dng).jpg" "$work/jpg/"
done
rm -r "$work/all"
plain=("$work"/raw/plain/*.dng)

"${ours[@]}" "$work/jpg" >/dev/null # warm the page cache
# The floor: camera white balance, no brightening, sRGB, half size, as the
# reader develops; one core, the picture written nowhere.
floor=$(OMP_NUM_THREADS=1 ms_per "$count" taskset -c 0 bash -c \
  'for f in "$@"; do dcraw_emu -h -w -W -o 1 -g 2.4 12.92 -c 0 -Z - "$f" >/dev/null; done' _ "${plain[@]}")
jpg=$(ms_per "$count" "${ours[@]}" "$work/jpg")
preview=$(ms_per "$count" "${ours[@]}" "$work/raw/preview")
developed=$(ms_per "$count" "${ours[@]}" "$work/raw/plain")
echo "4000 x 3000 photos to 128 x 128, ms per picture (median of 3), ours with every core ($cores):"
printf '  %-36s %8s %10s\n' "" "ms" "peak KB"
printf '  %-36s %8s %10s\n' "LibRaw half-size, one core (floor)" "$floor" -
printf '  %-36s %8s %10s\n' "ours, $count JPEGs" "$jpg" "$(peak_kb "${ours[@]}" "$work/jpg")"
printf '  %-36s %8s %10s\n' "ours, $count raws with a preview" "$preview" "$(peak_kb "${ours[@]}" "$work/raw/preview")"
printf '  %-36s %8s %10s\n' "ours, $count raws developed" "$developed" "$(peak_kb "${ours[@]}" "$work/raw/plain")"
echo "developed against the floor: $(ratio "$developed" "$floor") x; with a preview against the JPEGs: $(ratio "$preview" "$jpg") x"
