#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The yardstick of the stage record benchmark: the same work as
xsrating-cli --stage-record done the straightforward way with pandas and
numpy (Debian's python3-pandas): read the record, work out the discharge of
each distinct stage by the table's formula (wetted area and perimeter over
the survey's segments, area rounded to 0.01, Manning, rounded to 0.01), form
the time-weighted daily means with the midnights interpolated, and write one
CSV row per reading and one per day.

    bench/stage_record_pandas.py SURVEY.txt RECORD.txt N SLOPE OUT.csv
"""
import sys

import numpy as np
import pandas as pd


def wetted(points, levels):
    """Area and perimeter of each level over every segment."""
    x1, z1 = points[:-1, 0][None, :], points[:-1, 1][None, :]
    x2, z2 = points[1:, 0][None, :], points[1:, 1][None, :]
    h = levels[:, None]
    low, high = np.minimum(z1, z2), np.maximum(z1, z2)
    with np.errstate(divide="ignore", invalid="ignore"):
        # Wet part of each segment: the bed under water between its ends.
        frac = np.clip((h - low) / (high - low), 0, 1)
        frac = np.where(high == low, (h > low).astype(float), frac)
    width = np.abs(x2 - x1) * frac
    depth_high = np.clip(h - low, 0, None)
    depth_low = np.clip(h - high, 0, None)
    area = np.where(h > high, (depth_high + depth_low) / 2 * np.abs(x2 - x1),
                    depth_high * width / 2)
    length = np.hypot(x2 - x1, z2 - z1) * frac
    return area.sum(axis=1), length.sum(axis=1)


def main():
    survey, record, n, slope, out = sys.argv[1:6]
    n, slope = float(n), float(slope)
    points = np.loadtxt(survey, delimiter=",")
    z_sorted = np.sort(points[:, 1])
    z_min, z_top = z_sorted[0], z_sorted[-2]

    frame = pd.read_csv(record, header=0, names=["date", "time", "stage"])
    frame["when"] = pd.to_datetime(frame["date"] + " " + frame["time"],
                                   format="%Y-%m-%d %H:%M")
    stages = np.unique(frame["stage"].to_numpy())
    wet = (stages > z_min) & (stages <= z_top)
    area, perimeter = wetted(points, stages[wet])
    area = np.floor(area * 100 + 0.5) / 100
    q_wet = (1 / n) * (area / perimeter) ** (2 / 3) * slope ** 0.5 * area
    q = np.full(stages.shape, np.nan)
    q[stages <= z_min] = 0
    q[wet] = np.floor(q_wet * 100 + 0.5) / 100
    frame["flow"] = q[np.searchsorted(stages, frame["stage"].to_numpy())]
    frame["note"] = np.where(stages[np.searchsorted(
        stages, frame["stage"].to_numpy())] > z_top, "超出断面", "")

    # Daily means: the midnights put in by linear interpolation in time, then
    # the trapezoids of each day over 24 h; a day with a gap or a reading
    # without discharge is missing.
    series = frame.set_index("when")["flow"]
    days = pd.date_range(series.index[0].normalize(),
                         series.index[-1].normalize() + pd.Timedelta(days=1))
    full = series.reindex(series.index.union(days))
    filled = full.interpolate(method="time", limit_area="inside")
    # A reading without a discharge stays without one.
    filled[full.index.isin(series.index) & full.isna()] = np.nan
    t = filled.index.asi8 / 1e9
    dt = np.diff(t)
    trapezoid = (filled.to_numpy()[1:] + filled.to_numpy()[:-1]) / 2 * dt
    day_of = pd.Series(filled.index[:-1].normalize())
    good = (dt <= 86400) & ~np.isnan(trapezoid)
    pieces = pd.DataFrame({"day": day_of, "area": trapezoid, "good": good,
                           "dt": dt})
    daily = pieces.groupby("day").agg(area=("area", "sum"),
                                      good=("good", "all"), dt=("dt", "sum"))
    daily["mean"] = np.where(daily["good"] & (daily["dt"] == 86400),
                             daily["area"] / 86400, np.nan)
    daily = daily.loc[:series.index[-1].normalize()]

    with open(out, "w", encoding="utf-8-sig", newline="") as f:
        f.write("时间,水位,流量,说明\r\n")
        frame[["when", "stage", "flow", "note"]].to_csv(
            f, header=False, index=False, lineterminator="\r\n",
            date_format="%Y-%m-%d %H:%M")
        f.write("\r\n日期,日平均流量,说明\r\n")
        out_days = pd.DataFrame({"day": daily.index.strftime("%Y-%m-%d"),
                                 "mean": daily["mean"],
                                 "note": np.where(daily["mean"].isna(), "缺测",
                                                  "")})
        out_days.to_csv(f, header=False, index=False, lineterminator="\r\n")


if __name__ == "__main__":
    main()
