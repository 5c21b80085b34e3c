#!/usr/bin/env bash
# One run of every figure the engine's targets name, on photo-like pictures:
# ms per picture with one and with all cores beside the one-core djpeg floor,
# vipsthumbnail and ImageMagick; bitmaps; the window's run against the
# engine alone; the window's peak memory growth previewing a panorama; peak
# memory on the 12-megapixel and on the panorama folder.
#   bash bench/run_batch.sh [BUILD_DIR]     (default: build-release, made here)
# The figures move with the machine's load: read them on a quiet machine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}

source bench/common.sh
install_missing libjpeg-turbo-progs libvips-tools imagemagick time xvfb xdotool
build_targets "$build" tessarolith-batch make_photos window_run preview_memory

cores=$(nproc)
# The batch tool reads Tessarolith.ini beside itself when --settings is not
# given; give it default settings that save into the work folder.
make_work
batch() { "$build/bin/tessarolith-batch" --quiet --settings "$ini" --jobs "$@"; }

photos=$work/photos; bitmaps=$work/bitmaps; panoramas=$work/panoramas
"$build/bin/make_photos" "$photos" 16 4000 3000 jpg
"$build/bin/make_photos" "$bitmaps" 16 1600 1200 bmp 200
"$build/bin/make_photos" "$panoramas" 4 16000 8000 jpg 300
big=("$photos"/*.jpg)
pan=("$panoramas"/*.jpg)

batch 1 "$photos" >/dev/null # warm the page cache
floor=$(ms_per 16 bash -c 'for f in "$@"; do djpeg -outfile /dev/null "$f"; done' _ "${big[@]}")
one=$(ms_per 16 "$build/bin/tessarolith-batch" --quiet --settings "$ini" --jobs 1 "$photos")
all=$(ms_per 16 "$build/bin/tessarolith-batch" --quiet --settings "$ini" --jobs "$cores" "$photos")
vips=$(ms_per 16 vipsthumbnail -s '128x128!' -o "$out/vips_%s.jpg[Q=100]" "${big[@]}")
im=$(ms_per 16 bash -c 'for f in "$@"; do convert "$f" -thumbnail "128x128!" -quality 100 "$0/im_$(basename "$f")"; done' "$out" "${big[@]}")
echo "16 JPEGs of 4000 x 3000 to 128 x 128, ms per picture (median of 3):"
echo "  djpeg alone, one core (floor)  $floor"
echo "  ours --jobs 1                  $one   ($(ratio "$one" "$floor") x floor; target <= 0.95)"
echo "  ours --jobs $cores                  $all   ($(ratio "$all" "$floor") x floor; target <= 0.50)"
echo "  vipsthumbnail                  $vips"
echo "  ImageMagick convert            $im"

bmp=$(ms_per 16 "$build/bin/tessarolith-batch" --quiet --settings "$ini" --jobs "$cores" "$bitmaps")
echo "16 bitmaps of 1600 x 1200, all cores: $bmp ms per picture (target <= 4)"

display=(env QT_QPA_PLATFORM=offscreen)
command -v xvfb-run >/dev/null && display=(xvfb-run -a -s "-screen 0 1280x1024x24")
if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
  echo "window against tessarolith-batch, same folder: $("${display[@]}" "$build/bin/window_run" "$build/bin" "$ini" "$photos" 3 2>/dev/null) (target ratio <= 1.05)"
fi
echo "window previewing a 16000 x 8000 JPEG, peak memory: $("${display[@]}" "$build/bin/preview_memory" "$ini" "$panoramas" 2>/dev/null) (target <= 65536 KB)"

echo "peak resident memory, all cores:"
echo "  12-megapixel folder    $(peak_kb "$build/bin/tessarolith-batch" --quiet --settings "$ini" --jobs "$cores" "$photos") KB (target <= 49152)"
echo "  four 16000 x 8000      $(peak_kb "$build/bin/tessarolith-batch" --quiet --settings "$ini" --jobs "$cores" "$panoramas") KB (target <= 65536)"
echo "  vipsthumbnail, same    $(peak_kb vipsthumbnail -s '128x128!' -o "$out/vips_%s.jpg[Q=100]" "${pan[@]}") KB"

# A settings file grown to 60 MB: the defaults, then a section of distinct junk
# keys (what appending a log or a list to it makes), over an empty folder.
big_ini=$work/big.ini
python3 - "$ini" "$big_ini" <<'PY'
import sys
head = open(sys.argv[1], "rb").read()
lines, size, i = [head, b"[Junk]\r\n"], len(head), 0
while size < 60 * 1024 * 1024:
    line = b"key%07d=some value here\r\n" % i
    lines.append(line); size += len(line); i += 1
open(sys.argv[2], "wb").write(b"".join(lines))
PY
mkdir -p "$work/empty"
echo "60 MB settings file, empty folder: $(/usr/bin/time -f '%e s, %M KB' "$build/bin/tessarolith-batch" --quiet --settings "$big_ini" "$work/empty" 2>&1 >/dev/null | tail -1) (target < 3 s, <= 614400 KB)"
