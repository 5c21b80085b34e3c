#!/usr/bin/env bash
# Builds the program if needed and starts it.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
configure_tree build
cmake --build build --parallel "$(nproc)" --target tessarolith
exec ./build/bin/tessarolith
