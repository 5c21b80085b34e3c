#!/usr/bin/env bash
# Fails when the English translation lacks a text of the sources (unfinished)
# or keeps one the sources no longer have (vanished): lupdate is run over the
# sources into a copy of the translation, which is then read.
set -euo pipefail
lupdate=$1 source_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$source_dir/translations/tessarolith_en.ts" "$work/"
"$lupdate" -silent -locations none "$source_dir/src" -ts "$work/tessarolith_en.ts"
if grep -nE 'type="(unfinished|vanished|obsolete)"' "$work/tessarolith_en.ts" >&2; then
  echo "translations/tessarolith_en.ts is out of step with the sources (lines above)" >&2
  exit 1
fi
