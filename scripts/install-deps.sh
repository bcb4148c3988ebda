#!/usr/bin/env bash
# Installs the Debian packages the build, the programs and the tests need (one list per component
# in scripts/packages/); does nothing when all are present.
set -euo pipefail
cd "$(dirname "$0")"
read -r -a packages <<<"$(cat packages/*.txt | sed 's/#.*//' | tr '\n' ' ')"
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
