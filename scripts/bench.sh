#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures the computation at full size (1000 points, 100 stages) with Google
# Benchmark, then a whole xsrating-cli run on a 1000-point survey beside an
# empty run of the same binary (--version), with hyperfine. Run it on an idle
# machine; it builds the release preset first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh >/dev/null
build/bin/xsrating_bench --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp bench/data/section_1000.txt "$work/"
hyperfine --warmup 20 --min-runs 200 -N \
  "build/bin/xsrating-cli --version" \
  "build/bin/xsrating-cli -n 0.03 -s 0.0003 -m 100 $work/section_1000.txt"

# A ten-year five-minute stage record (about 1,050,000 readings) turned into
# the flow table, whole process, beside the same work done with pandas and
# numpy (bench/stage_record_pandas.py; Debian's python3-pandas, needed for
# this measurement only).
bench/make_stage_record.py "$work/record.txt"
if /usr/bin/python3 -c 'import pandas, numpy' 2>/dev/null; then
  hyperfine --warmup 1 --runs 5 -N \
    "build/bin/xsrating-cli -n 0.03 -s 0.0003 -m 100 --stage-record $work/record.txt $work/section_1000.txt" \
    "/usr/bin/python3 bench/stage_record_pandas.py $work/section_1000.txt $work/record.txt 0.03 0.0003 $work/pandas.csv"
else
  echo "python3-pandas is not installed: the pandas yardstick is left out" >&2
  hyperfine --warmup 1 --runs 5 -N \
    "build/bin/xsrating-cli -n 0.03 -s 0.0003 -m 100 --stage-record $work/record.txt $work/section_1000.txt"
fi
