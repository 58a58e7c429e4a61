#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when missing.
set -euo pipefail
# With --fuzz also clang and its libFuzzer runtime, for `make fuzz` (CI does
# not fuzz, so it does not fetch them).
packages=(g++ make cmake zlib1g-dev libgtest-dev libgmock-dev ccache
          qt6-base-dev libgl-dev fonts-liberation poppler-utils
          libdtl-dev patch)
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
