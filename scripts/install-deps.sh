#!/usr/bin/env bash
# Installs every Debian package Atelier needs to build, run and test.
# Idempotent: quiet and quick when everything is already there.
set -euo pipefail

packages=(
  # toolchain
  g++ cmake ninja-build pkg-config git
  # core
  libboost-dev libspdlog-dev libfmt-dev nlohmann-json3-dev libglib2.0-dev
  # http, storage, images, archives
  libcurl4-openssl-dev libsqlite3-dev zlib1g-dev libminizip-dev libvips-dev libpng-dev
  # the free font shipped in the demo bundle
  fonts-dejavu-core
  # desktop
  libgtk-3-dev libwebkit2gtk-4.1-dev xvfb xauth
  # tests and benchmarks (openssl makes the test certificate authority)
  googletest libgtest-dev libgmock-dev libbenchmark-dev libssl-dev openssl
  poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
