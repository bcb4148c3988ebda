#!/usr/bin/env bash
# Installs the Debian packages the build, the programs and the tests need; does nothing when all are present.
set -euo pipefail
packages=(
  build-essential cmake ninja-build clang clang-format libclang-rt-14-dev
  qt6-base-dev libqt6printsupport6 qt6-qpa-plugins fonts-liberation fonts-dejavu-core
  libcurl4-openssl-dev libarchive-dev libssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  poppler-utils zip unzip libarchive-tools p7zip-full python3 hyperfine groff
  xvfb xauth cups cups-bsd cups-client printer-driver-cups-pdf valgrind time
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
