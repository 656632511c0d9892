#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs, with apt-get, the Debian packages the build and the tests need
# that are not installed yet. Does nothing when all are there.
set -euo pipefail

packages=(
  # Build
  cmake ninja-build g++ pkg-config
  libcli11-dev qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-charts-dev qt6-svg-dev
  # Tests, benchmarks, formatting, fuzzing
  libgtest-dev libgmock-dev libbenchmark-dev clang clang-format
  libclang-rt-14-dev hyperfine xvfb xauth
  # The window: Chinese texts of Qt's own dialogs and CJK fonts
  qt6-translations-l10n fonts-noto-cjk fonts-arphic-uming fonts-arphic-ukai
  # The Windows programs, cross-compiled and tested under Wine
  g++-mingw-w64-x86-64-posix wine64 googletest
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null |
      grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=()
if ((EUID != 0)); then sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
