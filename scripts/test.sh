#!/usr/bin/env bash
# Builds everything and runs every test: the whole suite, the package's
# checks, then the core's tests again under AddressSanitizer and UBSan, then a
# few seconds of each fuzz target so they keep building and running.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
build_tree build
ctest --test-dir build --output-on-failure --parallel "$(nproc)"
bash scripts/check_package.sh
build_tree build-sanitize -DTESS_SANITIZE=ON -DTESS_BUILD_GUI=OFF -DTESS_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS=suppressions=$PWD/tests/fuzz/lsan.supp \
  ctest --test-dir build-sanitize --output-on-failure --parallel "$(nproc)" -L core
bash scripts/fuzz.sh 5
