#!/usr/bin/env bash
# Builds the Debian package and checks it as a user's system would see it: every
# file in its place, the desktop entry and metainfo valid, its Depends
# satisfiable from the archive, and nothing lintian warns of. Run by test.sh.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
deb=$(bash scripts/package.sh | tail -n 1)
[[ -f $deb ]] || { echo "check_package.sh: no package built" >&2; exit 1; }

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"

expected=(
  usr/bin/tessarolith usr/bin/tessarolith-batch usr/bin/tessarolith-thumbnailer
  usr/share/thumbnailers/org.tessarolith.Tessarolith.thumbnailer
  usr/share/tessarolith/installed
  usr/share/applications/org.tessarolith.Tessarolith.desktop
  usr/share/metainfo/org.tessarolith.Tessarolith.metainfo.xml
  usr/share/man/man1/tessarolith.1.gz usr/share/man/man1/tessarolith-batch.1.gz
  usr/share/man/man1/tessarolith-thumbnailer.1.gz
  usr/share/doc/tessarolith/copyright usr/share/doc/tessarolith/changelog.gz
)
for size in 16 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/tessarolith.png")
done
for file in "${expected[@]}"; do
  [[ -f $unpacked/$file ]] || { echo "check_package.sh: $deb lacks $file" >&2; exit 1; }
done

desktop-file-validate "$unpacked/usr/share/applications/org.tessarolith.Tessarolith.desktop"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/org.tessarolith.Tessarolith.metainfo.xml"
bash scripts/check_thumbnailer_entry.sh "$unpacked/usr/share/thumbnailers/org.tessarolith.Tessarolith.thumbnailer" \
  "$unpacked/usr/bin" "$unpacked/usr/share/applications/org.tessarolith.Tessarolith.desktop"
# Found by name, as `man PAGE` finds them once installed.
for page in tessarolith tessarolith-batch tessarolith-thumbnailer; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -M "$unpacked/usr/share/man" 1 "$page" 2>&1 >/dev/null) || true
  [[ -z $warnings ]] || { echo "check_package.sh: man $page: $warnings" >&2; exit 1; }
done
version=$(dpkg-deb -f "$deb" Version)
logged=$(gzip -dc "$unpacked/usr/share/doc/tessarolith/changelog.gz" | dpkg-parsechangelog -l - -S Version)
[[ $logged == "$version" ]] || { echo "check_package.sh: the changelog's latest entry is $logged, the package $version" >&2; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
for needed in fonts-ipafont-gothic qt6-translations-l10n libqt6widgets6 libjpeg62-turbo libheif1 libjxl0.7 libraw20 libseccomp2; do
  [[ $depends == *"$needed"* ]] || { echo "check_package.sh: Depends lacks $needed: $depends" >&2; exit 1; }
done
apt-get install -s -qq --no-install-recommends "./$deb" >/dev/null
# Errors and warnings fail, and so does any hardening lintian misses in the
# programs, though it rates that as information only.
found=0
tags=$(lintian --pedantic --display-info --fail-on error,warning "$deb") || found=$?
[[ -z $tags ]] || echo "$tags"
if ((found)) || [[ $tags == *hardening-* ]]; then
  echo "check_package.sh: lintian finds fault with $deb" >&2
  exit 1
fi
echo "check_package.sh: $deb passes"
