#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
"""One table of every benchmark, as JSON too, and the growth chart.

usage: summary.py FOLDER

Reads FOLDER/bench_*.json (the rows each benchmark writes with --json) and the growth series
(bench_growth-series.json), prints all rows in one table (figure, its baseline from the same run, the
ratio, the target and whether it is met), writes FOLDER/bench-summary.json and draws
FOLDER/bench-growth.png: time and peak memory against the row count, and both per row, where a flat
line is linear growth. Exits 1 when a target is missed, 2 when there is nothing to summarise.
"""
import json
import pathlib
import sys

SERIES_FILE = "bench_growth-series.json"


def read_rows(folder):
    rows = []
    for path in sorted(folder.glob("bench_*.json")):
        if path.name == SERIES_FILE:
            continue
        bench = path.stem
        try:
            entries = json.loads(path.read_text(encoding="utf-8"))
        except (OSError, ValueError) as error:
            rows.append({"bench": bench, "name": "(unreadable: %s)" % error, "info": "", "target": 0,
                         "ours": 0, "baseline": 0, "ratio": 0, "unit": "", "met": False})
            continue
        for entry in entries:
            entry["bench"] = bench
            rows.append(entry)
    return rows


def show(value, unit):
    if unit in ("bytes", "B"):
        return "%.1f MB" % (value / 1e6)
    if unit == "s":
        if value < 1e-5:
            return "%.1f ns" % (value * 1e9)
        if value < 0.01:
            return "%.2f ms" % (value * 1e3)
        return "%.3f s" % value
    if unit == "x":
        return "%.2fx" % value
    return "%g %s" % (value, unit)


def print_table(rows):
    width = max([len(r["name"]) for r in rows] + [20])
    bench_width = max(len(r["bench"]) for r in rows)
    header = "%-*s  %-*s %12s %12s %8s %8s  %s" % (bench_width, "benchmark", width, "measure", "ours",
                                                  "baseline", "ratio", "target", "met")
    print(header)
    print("-" * len(header))
    for r in rows:
        if r.get("info"):
            print("%-*s  %-*s %s" % (bench_width, r["bench"], width, r["name"], r["info"]))
            continue
        target = r.get("target", 0)
        met = "info" if target <= 0 else ("yes" if r.get("met") else "NO")
        target_text = ("%.2fx" % target) if target > 0 else "-"
        print("%-*s  %-*s %12s %12s %7.2fx %8s  %s" % (
            bench_width, r["bench"], width, r["name"], show(r["ours"], r["unit"]),
            show(r["baseline"], r["unit"]), r["ratio"], target_text, met))
    judged = [r for r in rows if not r.get("info") and r.get("target", 0) > 0]
    missed = [r for r in judged if not r.get("met")]
    print("-" * len(header))
    print("%d targets, %d met, %d missed" % (len(judged), len(judged) - len(missed), len(missed)))
    return missed


def draw(folder, out):
    path = folder / SERIES_FILE
    if not path.exists():
        print("summary: no growth series (%s); no chart" % path, file=sys.stderr)
        return False
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    data = json.loads(path.read_text(encoding="utf-8"))
    counts = data["rows"]
    figure, axes = plt.subplots(2, 2, figsize=(13, 9))
    panels = [
        (axes[0][0], "seconds", 1.0, "time (s)", False),
        (axes[0][1], "peakBytes", 1e-6, "peak memory added (MB)", False),
        (axes[1][0], "seconds", 1e6, "time per row (µs)", True),
        (axes[1][1], "peakBytes", 1.0, "peak memory per row (bytes)", True),
    ]
    for axis, key, scale, label, per_row in panels:
        for index, series in enumerate(data["series"]):
            colour = "C%d" % index  # the same colour for a path in every panel
            if key == "peakBytes" and series["name"].startswith("sqlite3"):
                continue  # the loop holds one row at a time: nothing to draw
            points = [(n, v) for n, v in zip(counts, series[key]) if v is not None and v > 0]
            if len(points) < 2:
                continue
            xs = [n for n, _ in points]
            ys = [v * scale / (n if per_row else 1) for n, v in points]
            axis.plot(xs, ys, marker="o", label=series["name"], color=colour)
            if not per_row:
                # Where linear growth from the smallest point would be: a gap above it is worse than linear.
                axis.plot(xs, [ys[0] * n / xs[0] for n in xs], linestyle=":", color=colour, linewidth=1)
        axis.set_xscale("log")
        axis.set_yscale("log")
        axis.set_xlabel("rows")
        axis.set_ylabel(label)
        axis.grid(True, which="both", alpha=0.3)
        if per_row:
            axis.set_title(label + ": flat is linear")
        else:
            axis.set_title(label + " (dotted: linear from the first point)")
    axes[0][0].legend(fontsize=8)
    figure.suptitle("Vondrel: growth with the row count (each point a fresh process)")
    figure.tight_layout()
    figure.savefig(out, dpi=90)
    return True


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    folder = pathlib.Path(sys.argv[1])
    rows = read_rows(folder)
    if not rows:
        print("summary: no benchmark results in %s" % folder, file=sys.stderr)
        return 2
    print()
    print("All benchmarks: each figure beside its baseline from the same run")
    missed = print_table(rows)
    summary = folder / "bench-summary.json"
    summary.write_text(json.dumps(rows, ensure_ascii=False, indent=1), encoding="utf-8")
    print("summary: %s" % summary)
    chart = folder / "bench-growth.png"
    if draw(folder, chart):
        print("summary: %s" % chart)
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
