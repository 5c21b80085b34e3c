#!/usr/bin/env bash
# Times a whole thumbnail run against the floor (djpeg decoding alone) and
# against ImageMagick, on one photo-like corpus, and prints ms per picture.
#   bash bench/run_batch.sh [BUILD_DIR]     (default: build-release, made here)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}

need=()
command -v djpeg >/dev/null || need+=(libjpeg-turbo-progs)
command -v convert >/dev/null || need+=(imagemagick)
command -v /usr/bin/time >/dev/null || need+=(time)
if ((${#need[@]})); then
  sudo_cmd=(); [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
fi
source scripts/setup.sh
if [[ ! -f $build/build.ninja ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESS_BUILD_GUI=OFF
fi
cmake --build "$build" --target tessarolith-batch make_photos

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpus=$work/corpus
"$build/bin/make_photos" "$corpus" 16 4000 3000 jpg
"$build/bin/make_photos" "$corpus" 16 1600 1200 jpg 100
"$build/bin/make_photos" "$corpus" 8 1600 1200 bmp 200
big=("$corpus"/photo_4000x3000_*.jpg)
all=("$corpus"/*)
n_all=${#all[@]}
n_big=${#big[@]}


ms() { python3 -c "import sys; print(f'{float(sys.argv[1])*1000/float(sys.argv[2]):.1f}')" "$1" "$2"; }
seconds() { local t0 t1; t0=$(date +%s.%N); "$@" >/dev/null; t1=$(date +%s.%N); python3 -c "print($t1-$t0)"; }

# The batch tool reads Tessarolith.ini beside itself when --settings is not
# given; give it a file that saves into the work folder.
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

run_batch() { # jobs folder
  "$build/bin/tessarolith-batch" --quiet --settings "$ini" --jobs "$1" "$2"
}
big_dir=$work/big; mkdir -p "$big_dir"; cp "${big[@]}" "$big_dir"/

echo "corpus: $n_big JPEGs of 4000x3000, 16 JPEGs of 1600x1200, 8 BMPs of 1600x1200"
run_batch 1 "$big_dir" >/dev/null   # warm the page cache
t_floor=$(seconds bash -c 'for f in "$@"; do djpeg -outfile /dev/null "$f"; done' _ "${big[@]}")
t_j1=$(seconds run_batch 1 "$big_dir")
t_jn=$(seconds run_batch "$(nproc)" "$big_dir")
t_im=$(seconds bash -c 'for f in "$@"; do convert "$f" -thumbnail "128x128!" -quality 100 "$0/im_$(basename "$f")"; done' "$out" "${big[@]}")
floor=$(ms "$t_floor" "$n_big"); j1=$(ms "$t_j1" "$n_big"); jn=$(ms "$t_jn" "$n_big"); im=$(ms "$t_im" "$n_big")
echo "12 Mpx JPEG -> 128x128 JPEG, ms per picture:"
echo "  djpeg alone (floor)        $floor"
echo "  tessarolith-batch --jobs 1 $j1   ($(python3 -c "print(f'{$j1/$floor:.2f}')") x floor; target <= 1.20)"
echo "  tessarolith-batch --jobs $(nproc) $jn   ($(python3 -c "print(f'{$jn/$floor:.2f}')") x floor; target <= 0.65)"
echo "  convert -thumbnail         $im   (ours is $(python3 -c "print(f'{$im/$jn:.1f}')") x faster; target >= 3)"

t_mix=$(seconds run_batch "$(nproc)" "$corpus")
echo "whole corpus ($n_all pictures), default jobs: $(ms "$t_mix" "$n_all") ms per picture"

# Peak memory must not grow with the number of pictures.
many=$work/many; mkdir -p "$many"
"$build/bin/make_photos" "$many" 1 1600 1200 jpg 300
for i in $(seq 1 999); do ln "$many/photo_1600x1200_0300.jpg" "$many/copy_$i.jpg"; done
rss() { /usr/bin/time -f '%M' "$build/bin/tessarolith-batch" --quiet --settings "$ini" "$1" 2>&1 >/dev/null | tail -1; }
few=$work/few; mkdir -p "$few"; cp "$many/photo_1600x1200_0300.jpg" "$many"/copy_{1..9}.jpg "$few"/
echo "peak RSS: 10 pictures $(rss "$few") KB, 1000 pictures $(rss "$many") KB"
