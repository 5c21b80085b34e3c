#!/usr/bin/env bash
# Builds the programs and packs them, with their desktop entry, icon,
# metainfo and manual pages, into dist/tessarolith_<version>_amd64.deb.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
configure_tree build
cmake --build build --parallel "$(nproc)" --target tessarolith tessarolith-batch tessarolith-thumbnailer
mkdir -p dist
(cd build && cpack -G DEB -B "$PWD/../dist/.cpack" >/dev/null)
shopt -s nullglob
debs=(dist/.cpack/tessarolith_*_amd64.deb)
((${#debs[@]} == 1)) || { echo "package.sh: expected one package, found ${#debs[@]}" >&2; exit 1; }
mv -f "${debs[0]}" dist/
rm -rf dist/.cpack
echo "dist/$(basename "${debs[0]}")"
