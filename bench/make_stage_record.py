#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes a synthetic five-minute stage record of ten years (2015-2024, about
1,050,000 readings) for bench/data/section_1000.txt: a seasonal stage with a
flood each summer, a few readings above the bank crest, stages to 0.01 m as a
logger gives them. Deterministic.

    bench/make_stage_record.py OUT.txt
"""
import datetime
import math
import random
import sys


def main():
    out_path = sys.argv[1]
    rng = random.Random(20241208)
    start = datetime.datetime(2015, 1, 1)
    end = datetime.datetime(2025, 1, 1)
    step = datetime.timedelta(minutes=5)
    # The section's bed is at 43.15 m and its lower crest at 53.1 m.
    base, season, crest = 45.6, 0.9, 53.1
    floods = []
    for year in range(2015, 2025):
        peak = datetime.datetime(year, 6, 1) + datetime.timedelta(
            days=rng.uniform(0, 90))
        floods.append((peak, rng.uniform(3.0, 7.8), rng.uniform(20, 60)))
    lines = ["日期,时间,水位"]
    t = start
    while t < end:
        days = (t - start).total_seconds() / 86400
        h = base + season * math.sin(2 * math.pi * (days - 100) / 365.25)
        for peak, rise, width in floods:
            hours = (t - peak).total_seconds() / 3600
            if abs(hours) < 10 * width:
                h += rise * math.exp(-(hours / width) ** 2)
        h += rng.gauss(0, 0.01)
        lines.append(f"{t.year}-{t.month:02d}-{t.day:02d},"
                     f"{t.hour}:{t.minute:02d},{min(h, crest + 0.3):.2f}")
        t += step
    with open(out_path, "w", encoding="utf-8", newline="\r\n") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
