#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the expected result file of a survey, computed independently of the
C++ code (Python floats are IEEE doubles, and the operations are made in the
same order), for the end-to-end fixtures.

usage: reference_table.py SURVEY ROUGHNESS SLOPE STAGES DATA_FILE_PATH > OUT
The time line is left as "计算时间: TIME"; the tests compare from line 2.
"""
import math
import re
import sys


def fmt(v):
    if v == 0:
        return " 0 "
    a = abs(v)
    s = "%.15G" % a
    if s.startswith("0."):
        s = s[1:]
    return ("-" if v < 0 else " ") + s + " "


def zone(line):
    n = len(line)
    return line + b" " * ((n // 14 + 1) * 14 - n)


def main():
    survey, n_text, slope_text, m_text, path = sys.argv[1:6]
    nums = [float(t) for t in re.split(r"[,\s]+", open(survey).read().strip())]
    pts = list(zip(nums[0::2], nums[1::2]))
    n, slope, m = float(n_text), float(slope_text), float(m_text)
    e = sorted(z for _, z in pts)
    zmin = e[0]
    ztop = e[-2] if e[-2] < e[-1] else e[-1]
    dz = math.floor((ztop - zmin) * 100 / m) / 100
    hs = [j * dz + zmin for j in range(1, int(math.floor(m)) + 1)]
    area = [0.0] * len(hs)
    per = [0.0] * len(hs)
    for i in range(len(pts) - 1):
        (x1, z1), (x2, z2) = pts[i], pts[i + 1]
        for j, h in enumerate(hs):
            if z1 >= h and z2 < h:
                xc = x2 - (h - z2) * ((x2 - x1) / (z1 - z2))
                area[j] += (h - z2) * (x2 - xc) / 2
                per[j] += math.sqrt((xc - x2) * (xc - x2) + (h - z2) * (h - z2))
            elif z1 < h and z2 < h:
                area[j] += ((2 * h - z1) - z2) / 2 * (x2 - x1)
                per[j] += math.sqrt((x1 - x2) * (x1 - x2) + (z1 - z2) * (z1 - z2))
            elif z1 < h and z2 >= h:
                xc = x1 + (h - z1) * ((x2 - x1) / (z2 - z1))
                area[j] += (h - z1) * (xc - x1) / 2
                per[j] += math.sqrt((xc - x1) * (xc - x1) + (z1 - h) * (z1 - h))
    out = [
        "计算时间: TIME".encode("gbk"),
        ("地形测文件：" + path).encode("gbk"),
        ("地形测点数：" + fmt(len(pts))).encode("gbk"),
        zone(("糙率=" + fmt(n)).encode("gbk")) + ("比降=" + slope_text).encode("gbk"),
        b"",
        zone(zone("水位".encode("gbk")) + "面积".encode("gbk")) + "流量".encode("gbk"),
    ]
    for j, h in enumerate(hs):
        a = math.floor(area[j] * 100 + 0.5) / 100
        r = a / per[j]
        q = (((1 / n) * math.pow(r, 2 / 3)) * math.pow(slope, 0.5)) * a
        q = math.floor(q * 100 + 0.5) / 100
        out.append(zone(zone(fmt(h).encode()) + fmt(a).encode()) + fmt(q).encode())
    sys.stdout.buffer.write(b"".join(line + b"\r\n" for line in out))


main()
