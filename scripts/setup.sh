#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs, with apt-get, the Debian packages the build, the programs, the
# benchmarks, the fuzzers and the tests need that are not installed yet, on
# any Debian 12, a minimal one (debootstrap --variant=minbase) included. Does
# nothing when all are there.
set -euo pipefail

packages=(
  # Build
  cmake ninja-build g++ pkg-config
  libcli11-dev libboost-dev qt6-base-dev qt6-base-dev-tools libgl-dev
  # Tests, benchmarks, formatting (it lists the sources with git), fuzzing
  libgtest-dev libgmock-dev libbenchmark-dev clang clang-format git
  libclang-rt-14-dev hyperfine
  # Tests that count how often a run opens a file
  strace
  # The Debian package: its dependencies, its checks
  dpkg-dev file lintian desktop-file-utils appstream
  # The window: Chinese texts of Qt's own dialogs and CJK fonts
  qt6-translations-l10n fonts-noto-cjk fonts-arphic-uming fonts-arphic-ukai
  # The Windows programs, cross-compiled and tested under Wine; the window's
  # tests on a virtual display, its screenshot, and a CJK face for SimSun
  g++-mingw-w64-x86-64-posix wine64 googletest
  xvfb xauth x11-utils imagemagick fonts-wqy-zenhei
  # The Windows installer and portable zip, and their test
  nsis zip unzip
  # The user guide, Markdown (with tables) made into HTML
  cmark-gfm
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
# Waits while another apt holds the package database.
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -qq
  -o DPkg::Lock::Timeout=600)
"${apt[@]}" update
"${apt[@]}" install -y --no-install-recommends "${missing[@]}"
