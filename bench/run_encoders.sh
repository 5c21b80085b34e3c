#!/usr/bin/env bash
# What writing AVIF and JPEG XL thumbnails costs a run: the 12-megapixel
# JPEG folder to 128 x 128 JPEG, AVIF and JPEG XL thumbnails with all cores,
# ms per picture (median of 5), and each against JPEG.
#   bash bench/run_encoders.sh [BUILD_DIR]     (default: build-release, made here)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}

source bench/common.sh
build_targets "$build" tessarolith-batch make_photos
make_work
photos=$work/photos
"$build/bin/make_photos" "$photos" 16 4000 3000 jpg

"$build/bin/tessarolith-batch" --quiet --settings "$ini" "$photos" >/dev/null # warm the page cache
# The three formats take turns, five rounds, so that a change in the
# machine's load falls on all of them alike.
python3 - "$build/bin/tessarolith-batch" "$ini" "$photos" <<'PY'
import statistics, subprocess, sys, time
program, ini, photos = sys.argv[1:]
names = {"jpg": "JPEG", "avif": "AVIF", "jxl": "JPEG XL"}
runs = {f: [] for f in names}
for _ in range(5):
    for f in names:
        t = time.perf_counter()
        subprocess.run([program, "--quiet", "--settings", ini, "--format", f, photos], check=True,
                       stdout=subprocess.DEVNULL)
        runs[f].append((time.perf_counter() - t) * 1000 / 16)
ms = {f: statistics.median(r) for f, r in runs.items()}
print("16 JPEGs of 4000 x 3000 to 128 x 128, all cores, ms per picture (median of 5):")
for f, name in names.items():
    against = "" if f == "jpg" else f"   ({ms[f] / ms['jpg']:.2f} x JPEG; target <= 1.5)"
    print(f"  {name:8} {ms[f]:6.1f}{against}")
PY
