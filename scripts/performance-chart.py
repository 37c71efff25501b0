#!/usr/bin/python3
"""Draws docs/performance.png from the Performance page's main table: the
first table of its newest section (docs/performance.md), the CPU time of
each renderer for 60 s of audio, as bars. The chart follows the table: edit
the table, then run this again.

Usage: python3 scripts/performance-chart.py [OUT.png]
"""
import re
import sys
from pathlib import Path

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

ROOT = Path(__file__).resolve().parents[1]


def newest_main_table(page):
    """The heading of the page's first section and its first table's rows, as lists of cells."""
    section = page.split("\n## ", 1)[1]
    heading = section.splitlines()[0]
    rows = []
    for line in section.splitlines():
        if line.startswith("|"):
            rows.append([cell.strip() for cell in line.strip("|").split("|")])
        elif rows:
            break
    return heading, rows


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "docs" / "performance.png"
    heading, rows = newest_main_table((ROOT / "docs" / "performance.md").read_text())
    header, body = rows[0], [row for row in rows[2:]]
    time_column = next(index for index, name in enumerate(header) if "CPU" in name)
    names = [row[0] for row in body]
    milliseconds = [float(re.match(r"([\d,.]+)\s*ms", row[time_column]).group(1).replace(",", "")) for row in body]

    figure, axis = plt.subplots(figsize=(8, 0.5 + 0.55 * len(names)))
    bars = axis.barh(names[::-1], milliseconds[::-1], color=["#b22222" if name == "Quorlin" else "#888888"
                                                             for name in names[::-1]])
    axis.bar_label(bars, labels=[f"{value:g} ms" for value in milliseconds[::-1]], padding=3, fontsize=9)
    axis.set_xlabel(f"{header[time_column]}, milliseconds: {header[0]} (less is faster)", fontsize=9)
    axis.set_xlim(0, max(milliseconds) * 1.15)
    axis.set_title(heading, fontsize=10)
    for side in ("top", "right"):
        axis.spines[side].set_visible(False)
    figure.tight_layout()
    figure.savefig(out, dpi=80)
    print(out)


if __name__ == "__main__":
    main()
