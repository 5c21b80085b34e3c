#!/usr/bin/env bash
# One run of every figure the engine's targets name, on photo-like pictures:
# ms per picture with one and with all cores beside the one-core djpeg floor,
# vipsthumbnail and ImageMagick; bitmaps; the window's run against the
# engine alone; peak memory on the 12-megapixel and on the panorama folder.
#   bash bench/run_batch.sh [BUILD_DIR]     (default: build-release, made here)
# The figures move with the machine's load: read them on a quiet machine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}

need=()
command -v djpeg >/dev/null || need+=(libjpeg-turbo-progs)
command -v vipsthumbnail >/dev/null || need+=(libvips-tools)
command -v convert >/dev/null || need+=(imagemagick)
command -v /usr/bin/time >/dev/null || need+=(time)
if ((${#need[@]})); then
  sudo_cmd=(); [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
fi
source scripts/setup.sh
if [[ ! -f $build/build.ninja ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target tessarolith-batch make_photos window_run

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cores=$(nproc)

ratio() { python3 -c "import sys; print(f'{float(sys.argv[1])/float(sys.argv[2]):.2f}')" "$1" "$2"; }
# Median wall time of three runs of a command, in ms per picture.
ms_per() { # count command...
  local n=$1; shift
  python3 - "$n" "$@" <<'PY'
import subprocess, sys, time
n, cmd = int(sys.argv[1]), sys.argv[2:]
runs = []
for _ in range(3):
    t = time.perf_counter()
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
    runs.append(time.perf_counter() - t)
print(f"{sorted(runs)[1] * 1000 / n:.1f}")
PY
}
peak_kb() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1; }

# The batch tool reads Tessarolith.ini beside itself when --settings is not
# given; give it default settings that save into the work folder.
out=$work/out; mkdir -p "$out"
ini=$work/Tessarolith.ini
python3 - "$ini" "$out" <<'PY'
import sys
path, folder = sys.argv[1], sys.argv[2]
keys = [("幅"," 128"),("高さ"," 128"),("比率構成"," 3"),("ファイル種類"," 0"),("圧縮率"," 100"),
        ("余白色"," 0"),("画質"," 3"),("先頭文字","Thumb_"),("保存フォルダ",folder),("同一名"," 0")]
text = "[Section]\r\n" + "".join(f"{k}={v}\r\n" for k, v in keys)
open(path, "wb").write(text.encode("cp932"))
PY
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
echo "window against the engine alone, same folder: $("${display[@]}" "$build/bin/window_run" "$ini" "$photos" 3 2>/dev/null) (target ratio <= 1.10)"

echo "peak resident memory, all cores:"
echo "  12-megapixel folder    $(peak_kb "$build/bin/tessarolith-batch" --quiet --settings "$ini" --jobs "$cores" "$photos") KB (target <= 49152)"
echo "  four 16000 x 8000      $(peak_kb "$build/bin/tessarolith-batch" --quiet --settings "$ini" --jobs "$cores" "$panoramas") KB (target <= 65536)"
echo "  vipsthumbnail, same    $(peak_kb vipsthumbnail -s '128x128!' -o "$out/vips_%s.jpg[Q=100]" "${pan[@]}") KB"
