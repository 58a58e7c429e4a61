#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when missing.
set -euo pipefail
# librsvg2-bin draws the icon's PNG sizes; desktop-file-utils, appstream and
# groff-base check the installed desktop entry, metadata and manual pages;
# dpkg-dev computes the Debian package's dependencies.
# With --fuzz also clang and its libFuzzer runtime, for `make fuzz` (CI does
# not fuzz, so it does not fetch them).
packages=(g++ make cmake zlib1g-dev libdeflate-dev libsqlite3-dev libdtl-dev libgtest-dev libgmock-dev ccache
          qt6-base-dev libgl-dev fonts-liberation poppler-utils patch
          librsvg2-bin desktop-file-utils appstream groff-base dpkg-dev)
if [ "${1:-}" = "--fuzz" ]; then packages+=(clang libclang-rt-dev); fi
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q "${missing[@]}"
