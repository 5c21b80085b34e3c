#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# SECONDS (default 60), seeded from the shared corpus folder beside the
# repository (or TESS_CORPUS_DIR) and from tests/fuzz/seeds. What a run finds
# stays in build-fuzz/corpus/<target>/; a crash leaves its input in
# build-fuzz/crashes/ and ends the script with status 1.
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]   targets: decode_picture settings_file compose
#                                                png_reader gif_reader webp_reader tiff_reader heif_reader jxl_reader
#                                                raw_reader
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(decode_picture settings_file compose png_reader gif_reader webp_reader
  tiff_reader heif_reader jxl_reader raw_reader)

corpus=${TESS_CORPUS_DIR:-$PWD/../shared/corpus}
build_tree build-fuzz -DTESS_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo

seeds_of() { # target: its seed folders, one a line
  case $1 in
    decode_picture | compose) echo "$corpus" ;;
    settings_file) echo "$PWD/tests/fuzz/seeds/settings" ;;
    png_reader) echo "$corpus/formats/png" ;;
    gif_reader) echo "$corpus/formats/gif" ;;
    webp_reader) echo "$corpus/formats/webp" ;;
    tiff_reader) echo "$corpus/formats/tiff" ;;
    heif_reader) echo "$corpus/formats/heif" ;;
    jxl_reader) echo "$corpus/formats/jxl" ;;
    # Most raws are TIFF files inside, so TIFF pictures make good seeds for its parser.
    raw_reader) printf '%s\n' "$corpus/raw/good" "$corpus/formats/tiff" ;;
  esac
}

mkdir -p build-fuzz/crashes
status=0
for target in "${targets[@]}"; do
  work=build-fuzz/corpus/$target
  mkdir -p "$work"
  mapfile -t seeds < <(seeds_of "$target")
  echo "fuzz_$target: ${seconds} s"
  # A picture may take the gigabyte of the largest pixel buffer, and more
  # under the address sanitizer.
  if ! ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS=suppressions=$PWD/tests/fuzz/lsan.supp \
    "build-fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 \
      -malloc_limit_mb=2048 -print_final_stats=0 -artifact_prefix="build-fuzz/crashes/$target-" \
      "$work" "${seeds[@]}" 2> "build-fuzz/$target.log"; then
    tail -n 40 "build-fuzz/$target.log"
    status=1
  fi
done
exit $status
