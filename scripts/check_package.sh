#!/usr/bin/env bash
# Builds the Debian package and checks it as a user's system would see it: every
# file in its place, the desktop entry and metainfo valid, its Depends
# satisfiable from the archive. Run by test.sh.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
deb=$(bash scripts/package.sh | tail -n 1)
[[ -f $deb ]] || { echo "check_package.sh: no package built" >&2; exit 1; }

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"

expected=(
  usr/bin/tessarolith usr/bin/tessarolith-batch
  usr/share/tessarolith/installed
  usr/share/applications/org.tessarolith.Tessarolith.desktop
  usr/share/metainfo/org.tessarolith.Tessarolith.metainfo.xml
  usr/share/man/man1/tessarolith.1 usr/share/man/man1/tessarolith-batch.1
)
for size in 16 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/tessarolith.png")
done
for file in "${expected[@]}"; do
  [[ -f $unpacked/$file ]] || { echo "check_package.sh: $deb lacks $file" >&2; exit 1; }
done

desktop-file-validate "$unpacked/usr/share/applications/org.tessarolith.Tessarolith.desktop"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/org.tessarolith.Tessarolith.metainfo.xml"
for page in tessarolith tessarolith-batch; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$unpacked/usr/share/man/man1/$page.1" 2>&1 >/dev/null)
  [[ -z $warnings ]] || { echo "check_package.sh: $page.1: $warnings" >&2; exit 1; }
done

depends=$(dpkg-deb -f "$deb" Depends)
for needed in fonts-ipafont-gothic qt6-translations-l10n libqt6widgets6 libjpeg62-turbo libheif1 libjxl0.7 libraw20; do
  [[ $depends == *"$needed"* ]] || { echo "check_package.sh: Depends lacks $needed: $depends" >&2; exit 1; }
done
apt-get install -s -qq --no-install-recommends "./$deb" >/dev/null
echo "check_package.sh: $deb passes"
