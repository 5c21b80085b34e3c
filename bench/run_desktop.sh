#!/usr/bin/env bash
# The desktop's thumbnails: tessarolith-thumbnailer against the thumbnailers
# the desktop already has, and tessarolith-batch --thumbnail-cache against
# the desktop making a folder's normal and large thumbnails one file at a
# time. Each pair is timed in turn, round after round, so that the machine's
# load weighs on both sides alike; the figures are medians over the rounds.
#   bash bench/run_desktop.sh [BUILD_DIR]     (default: build-release, made here)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}

source bench/common.sh
install_missing libgdk-pixbuf2.0-bin heif-thumbnailer time
build_targets "$build" tessarolith-batch tessarolith-thumbnailer make_photos

make_work
photos=$work/photos
"$build/bin/make_photos" "$photos" 16 4000 3000 jpg
# The corpus beside the repository, as the tests find it.
heic=${TESS_CORPUS_DIR:-../shared/corpus}/formats/heif/good/libheif/example.heic
one=("$photos"/*.jpg); one=${one[0]}

python3 - "$build/bin" "$work" "$one" "$heic" "$photos" <<'PY'
import os, shutil, statistics, subprocess, sys, time
bin_dir, work, jpeg, heic, photos = sys.argv[1:6]
ours = os.path.join(bin_dir, "tessarolith-thumbnailer")
batch = os.path.join(bin_dir, "tessarolith-batch")
out = os.path.join(work, "out.png")
pictures = sorted(os.path.join(photos, f) for f in os.listdir(photos))
env = dict(os.environ, XDG_CACHE_HOME=os.path.join(work, "cache"))

def timed(command, **kw):
    t = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, **kw)
    return (time.perf_counter() - t) * 1000

def desktop_folder():
    # As the desktop does: one process per file and flavour, one after another.
    t = time.perf_counter()
    for p in pictures:
        for size in ("128", "256"):
            subprocess.run(["gdk-pixbuf-thumbnailer", "-s", size, p, out], check=True)
    return (time.perf_counter() - t) * 1000

def cache_folder():
    shutil.rmtree(os.path.join(work, "cache"), ignore_errors=True)
    return timed([batch, "--quiet", "--thumbnail-cache", photos], env=env)

pairs = {
    "12-megapixel JPEG, -s 256": (lambda: timed([ours, "-s", "256", jpeg, out]),
                                  lambda: timed(["gdk-pixbuf-thumbnailer", "-s", "256", jpeg, out]),
                                  "gdk-pixbuf-thumbnailer", 0.8),
    "HEIC of the corpus, -s 256": (lambda: timed([ours, "-s", "256", heic, out]),
                                   lambda: timed(["heif-thumbnailer", "-s", "256", heic, out]),
                                   "heif-thumbnailer", 1.0),
    "16 JPEGs into normal and large": (cache_folder, desktop_folder,
                                       "gdk-pixbuf-thumbnailer at 128 and 256, file after file", 0.35),
}
rounds = 7
for name, (mine, theirs, who, target) in pairs.items():
    mine(); theirs()  # the page cache warmed for both
    a, b = [], []
    for _ in range(rounds):
        a.append(mine()); b.append(theirs())
    ma, mb = statistics.median(a), statistics.median(b)
    print(f"{name}: ours {ma:.1f} ms, {who} {mb:.1f} ms, ratio {ma / mb:.2f} (target <= {target})")
PY

# Peak memory of the cache run must not grow with the folder: 16 pictures,
# then 64 (the same photos under more names).
many=$work/many; mkdir -p "$many"
for i in 0 1 2 3; do for f in "$photos"/*.jpg; do ln "$f" "$many/$i-$(basename "$f")"; done; done
for folder in "$photos" "$many"; do
  rm -rf "$work/cache"
  kb=$(XDG_CACHE_HOME=$work/cache peak_kb "$build/bin/tessarolith-batch" --quiet --thumbnail-cache "$folder")
  echo "cache run over $(ls "$folder" | wc -l) pictures: peak $kb KB"
done
echo "(target: the two peaks alike)"
