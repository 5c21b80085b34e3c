#!/usr/bin/env bash
# Builds the program if needed and starts it.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
build_tree build
exec ./build/bin/tessarolith
