#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the program need.
# Idempotent: installs only what is missing.
set -euo pipefail
PKGS=(build-essential cmake ninja-build ccache pkg-config
      qt6-base-dev libgl-dev
      libgtest-dev libgmock-dev googletest libbenchmark-dev
      libcurl4-openssl-dev libmspack-dev
      gcab mscompress python3 python3-pyftpdlib
      clang libclang-rt-14-dev
      xvfb xauth
      fonts-liberation
      locales)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
