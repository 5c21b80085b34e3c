#!/usr/bin/env bash
# The other picture kinds in one run: a folder of photo-sized pictures per
# kind (PNG, WebP, TIFF, HEIC, AVIF, JPEG XL), and for each, ms per picture of
# the kind's own library decoding on one core (the floor, pinned to it), ours with every
# core, vipsthumbnail, and our peak memory.
#   bash bench/run_kinds.sh [BUILD_DIR] [COUNT]   (default: build-release, 8)
# The figures move with the machine's load: read them on a quiet machine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
count=${2:-8}

source bench/common.sh
install_missing libvips-tools libjxl-tools time
build_targets "$build" tessarolith-batch make_photos kind_floor

cores=$(nproc)
make_work

"$build/bin/make_photos" "$work/bmp" "$count" 4000 3000 bmp
printf '%-6s %8s %8s %6s %8s %10s\n' kind floor ours x vips "peak KB"
for kind in png webp tif heic avif jxl; do
  folder=$work/$kind; mkdir -p "$folder"
  for f in "$work"/bmp/*.bmp; do
    name=$folder/$(basename "${f%.bmp}").$kind
    case $kind in
      webp) vips copy "$f" "$name[Q=90]" ;;
      heic) vips heifsave "$f" "$name" --Q 60 --compression hevc ;;
      avif) vips heifsave "$f" "$name" --Q 60 --compression av1 --effort 0 ;;
      jxl) vips copy "$f" "$work/for_jxl.png" && cjxl -q 90 -e 3 "$work/for_jxl.png" "$name" >/dev/null 2>&1 ;;
      *) vips copy "$f" "$name" ;;
    esac
  done
  files=("$folder"/*.$kind)
  # One core for the floor: dav1d and libjxl would otherwise spread one
  # picture over every core.
  floor=$(taskset -c 0 "$build/bin/kind_floor" "${files[@]}")
  ours=$(ms_per "$count" "$build/bin/tessarolith-batch" --quiet --settings "$ini" --jobs "$cores" "$folder")
  vips=-
  if [[ $kind != jxl ]]; then
    vips=$(ms_per "$count" vipsthumbnail -s '128x128!' -o "$out/vips_%s.jpg[Q=100]" "${files[@]}")
  fi
  peak=$(peak_kb "$build/bin/tessarolith-batch" --quiet --settings "$ini" --jobs "$cores" "$folder")
  printf '%-6s %8s %8s %6s %8s %10s\n' "$kind" "$floor" "$ours" "$(ratio "$ours" "$floor")" "$vips" "$peak"
done
echo "floor: the kind's library, one core; ours: every core ($cores); target ours <= 0.55 x floor"
