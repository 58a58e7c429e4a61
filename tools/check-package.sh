#!/usr/bin/env bash
# Builds the Debian package of the build folder given (default build) and
# checks it: every installed file is in it, and dpkg-shlibdeps gave it the
# libraries the programs link.
set -euo pipefail
build=${1:-build}
rm -f "$build"/vorne_*.deb
cmake --build "$build" --target package >/dev/null
deb=$(ls "$build"/vorne_*_"$(dpkg --print-architecture)".deb)
listing=$(dpkg-deb -c "$deb")
missing=0
for f in bin/vorne bin/vorne-batch share/applications/vorne.desktop share/metainfo/org.vorne.vorne.metainfo.xml \
         share/icons/hicolor/scalable/apps/vorne.svg share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/vorne.png \
         share/man/man1/vorne.1 share/man/man1/vorne-batch.1 share/doc/vorne/third-party-notices.txt \
         share/bash-completion/completions/vorne-batch share/bash-completion/completions/vorne; do
  if ! grep -q " \./usr/$f\$" <<<"$listing"; then echo "$deb lacks /usr/$f"; missing=1; fi
done
depends=$(dpkg-deb -f "$deb" Depends)
for d in libc6 zlib1g libqt6widgets6 libqt6gui6 qt6-qpa-plugins fonts-liberation; do
  if ! grep -q "\b$d\b" <<<"$depends"; then echo "$deb does not depend on $d (Depends: $depends)"; missing=1; fi
done
[ $missing -eq 0 ] || exit 1
echo "$deb: every file and dependency present"
