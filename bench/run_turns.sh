#!/usr/bin/env bash
# Photos as phones and web tools save them: the same sixteen 12-megapixel
# JPEGs untagged, tagged with orientation 6 (a portrait), 3 (upside down) and
# 2 (mirrored), and saved progressive; each folder timed and measured with all
# cores, beside vipsthumbnail and the one-core djpeg floor of the same files.
#   bash bench/run_turns.sh [BUILD_DIR]     (default: build-release, made here)
# The figures move with the machine's load: read them on a quiet machine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}

source bench/common.sh
install_missing libjpeg-turbo-progs libvips-tools time
build_targets "$build" tessarolith-batch make_photos

cores=$(nproc)
make_work
plain=$work/untagged
"$build/bin/make_photos" "$plain" 16 4000 3000 jpg

# An EXIF block holding only the orientation, put first in each file.
tag() { # orientation folder
  mkdir -p "$2"
  python3 - "$1" "$plain" "$2" <<'PY'
import os, struct, sys
value, source, target = int(sys.argv[1]), sys.argv[2], sys.argv[3]
tiff = b"MM\0*" + struct.pack(">I", 8) + struct.pack(">H", 1) \
    + struct.pack(">HHIHH", 0x0112, 3, 1, value, 0) + struct.pack(">I", 0)
block = b"Exif\0\0" + tiff
app1 = b"\xff\xe1" + struct.pack(">H", len(block) + 2) + block
for name in sorted(os.listdir(source)):
    data = open(os.path.join(source, name), "rb").read()
    open(os.path.join(target, name), "wb").write(data[:2] + app1 + data[2:])
PY
}
tag 6 "$work/tagged-6"
tag 3 "$work/tagged-3"
tag 2 "$work/tagged-2"
mkdir -p "$work/progressive"
for f in "$plain"/*.jpg; do jpegtran -progressive -copy all -outfile "$work/progressive/$(basename "$f")" "$f"; done

batch() { "$build/bin/tessarolith-batch" --quiet --settings "$ini" --jobs "$cores" "$@"; }
vips() { vipsthumbnail -s '128x128!' -o "$out/vips_%s.jpg[Q=100]" "$1"/*.jpg; }
floor() { for f in "$1"/*.jpg; do djpeg -outfile /dev/null "$f"; done; }
# Median of three wall times, in ms for the whole folder.
ms() { python3 - "$@" <<'PY'
import subprocess, sys, time
runs = []
for _ in range(3):
    t = time.perf_counter()
    subprocess.run(sys.argv[1:], check=True, stdout=subprocess.DEVNULL)
    runs.append(time.perf_counter() - t)
print(f"{sorted(runs)[1] * 1000:.0f}")
PY
}
export -f batch vips floor
export build ini cores out

printf '%-12s %9s %9s %12s %9s %9s %12s\n' folder "ours ms" "ours KB" "djpeg 1 ms" "vips ms" "vips KB" "vs untagged"
base_ms=; base_kb=
for folder in untagged tagged-6 tagged-3 tagged-2 progressive; do
  dir=$work/$folder
  batch "$dir" >/dev/null # the page cache warmed
  t=$(ms bash -c 'batch "$0"' "$dir")
  kb=$(peak_kb "$build/bin/tessarolith-batch" --quiet --settings "$ini" --jobs "$cores" "$dir")
  f=$(ms bash -c 'floor "$0"' "$dir")
  v=$(ms bash -c 'vips "$0"' "$dir")
  vkb=$(peak_kb bash -c 'vips "$0"' "$dir")
  if [[ -z $base_ms ]]; then base_ms=$t; base_kb=$kb; fi
  printf '%-12s %9s %9s %12s %9s %9s %6s, %5s\n' "$folder" "$t" "$kb" "$f" "$v" "$vkb" \
    "$(ratio "$t" "$base_ms") x" "$(ratio "$kb" "$base_kb") x"
done
echo "targets: tagged 6, 3 and 2 at most 1.05 x the untagged time and 1.1 x its peak;"
echo "  progressive at most 0.55 x its djpeg time, peak at most its coefficients"
echo "  ($cores workers x 36 MB for these photos) plus 8 MB per worker"
