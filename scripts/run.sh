#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs the program on the four-point
# example, printing the result file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
build/bin/xsrating-cli -n 0.025 -s 0.0004 -m 5 examples/v_section.txt
iconv -f GBK -t UTF-8 "examples/v_section成果.txt"
