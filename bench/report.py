"""Prints the start-up benchmark table: medians of each figure and the ratio against the bare window."""
import os
import statistics
import sys


def load(path):
    rows = []
    for line in open(path):
        fields = dict(kv.split("=", 1) for kv in line.split())
        if fields.get("idle") == "yes":
            rows.append({k: float(v) for k, v in fields.items() if k != "idle"})
    return rows


tw, bare = load(sys.argv[1]), load(sys.argv[2])
if not tw or not bare:
    sys.exit("no complete runs")
print(f"runs: {len(tw)} Tempowave, {len(bare)} bare window (interleaved)")
print(f"{'figure':<28}{'Tempowave':>12}{'bare':>12}{'ratio':>8}")
for key, label in [("start_ms", "start-to-idle (ms, median)"), ("working_set_kb", "working set (KiB, median)"),
                   ("peak_working_set_kb", "peak working set (KiB)"), ("handles", "handles"),
                   ("gdi", "GDI objects"), ("user", "USER objects")]:
    a = statistics.median(r[key] for r in tw)
    b = statistics.median(r[key] for r in bare)
    if a == 0 and b == 0:
        print(f"{label:<28}{'not counted from outside here':>32}")
        continue
    print(f"{label:<28}{a:>12.1f}{b:>12.1f}{(a / b if b else float('nan')):>8.2f}")
a, b = os.path.getsize(sys.argv[3]), os.path.getsize(sys.argv[4])
print(f"{'exe size (bytes)':<28}{a:>12}{b:>12}{a / b:>8.2f}")
