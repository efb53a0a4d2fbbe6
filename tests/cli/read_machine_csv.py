#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads machine CSV files the way users' tools do, with their defaults, and compares what they
get with what was put in.

Argument: a JSON file listing the cases. Each case names a CSV file, the rows it must give (the
instant in UTC milliseconds, the four readings as the 32-bit floats they were, null where
missing, the unit or null) and, where there is one, the JSON side file's expected content.

Exit status 0 when every case reads as expected; otherwise each difference is printed and the
status is 1.
"""
import csv
import json
import math
import struct
import sys

import pandas


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


def check_case(case, problems):
    path = case["csv"]

    def problem(text):
        problems.append(f"{path}: {text}")

    raw = open(path, "rb").read()
    if raw.startswith(b"\xef\xbb\xbf"):
        problem("starts with a byte-order mark")
    if b"\r" in raw:
        problem("has CR line ends")
    if not raw.endswith(b"\n"):
        problem("does not end with LF")
    raw.decode("utf-8")

    rows = case["rows"]
    frame = pandas.read_csv(path)
    if list(frame.columns) != ["time", "T1", "T2", "T3", "T4", "unit"]:
        problem(f"columns {list(frame.columns)}")
        return
    if len(frame) != len(rows):
        problem(f"{len(frame)} rows instead of {len(rows)}")
        return
    for channel in ("T1", "T2", "T3", "T4"):
        if frame[channel].dtype != "float64":
            problem(f"{channel} reads as {frame[channel].dtype}, not as numbers")

    times = pandas.to_datetime(frame["time"])
    utc = pandas.to_datetime(frame["time"], utc=True)
    for i, row in enumerate(rows):
        ms = utc[i].value // 1_000_000
        if ms != row["utc_ms"]:
            problem(f"row {i}: time {frame['time'][i]} is {ms} ms UTC, not {row['utc_ms']}")
        # The parsed time keeps its offset: the same instant as the UTC reading.
        if times[i] != utc[i] or times[i].utcoffset() is None:
            problem(f"row {i}: time {frame['time'][i]} lost its offset")
        for c, want in enumerate(row["values"]):
            got = frame[f"T{c + 1}"][i]
            if want is None:
                if not math.isnan(got):
                    problem(f"row {i} T{c + 1}: {got} where the reading is missing")
            elif math.isnan(got) or f32(got) != f32(want):
                problem(f"row {i} T{c + 1}: {got} does not read back as {want}")
        unit = frame["unit"][i]
        if row["unit"] is None:
            if not (isinstance(unit, float) and math.isnan(unit)):
                problem(f"row {i}: unit {unit!r} where none is known")
        elif unit != row["unit"]:
            problem(f"row {i}: unit {unit!r}, not {row['unit']!r}")

    # Python's csv module: the header, then six fields a line, the same texts pandas read.
    with open(path, newline="", encoding="utf-8") as f:
        lines = list(csv.reader(f))
    if lines[0] != ["time", "T1", "T2", "T3", "T4", "unit"]:
        problem(f"csv module reads the header as {lines[0]}")
    for i, line in enumerate(lines[1:]):
        if len(line) != 6:
            problem(f"csv module reads line {i + 2} as {len(line)} fields")
        elif line[0] != frame["time"][i]:
            problem(f"csv module reads time {line[0]!r}, pandas {frame['time'][i]!r}")

    if "metadata" in case:
        side = case["csv"] + ".json"
        with open(side, encoding="utf-8") as f:
            got = json.load(f)
        if got != case["metadata"]:
            problem(f"side file holds {got}, not {case['metadata']}")


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        cases = json.load(f)
    problems = []
    for case in cases:
        check_case(case, problems)
    for p in problems:
        print(p)
    print(f"{len(cases)} files read by pandas {pandas.__version__} and the csv module, "
          f"{len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
