#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, checks the formatting, builds, and runs every
# test: the release build's suite, the Debian package installed and run, the
# Windows programs' tests, installer and zip under Wine
# (scripts/test-windows.sh), the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target for 30 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check-format.sh
scripts/build.sh
ctest --preset default -j2
scripts/package-test.sh "$(scripts/package.sh)"
scripts/test-windows.sh
cmake --preset asan >/dev/null
cmake --build --preset asan -j2
ctest --preset asan -j2
scripts/fuzz.sh 30
