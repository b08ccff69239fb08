"""Prints the start-up benchmark table: medians of each figure for Tempowave and its two baselines (the same
widgets without the program's logic, and a bare window) and the ratios against each.
   report.py TW.txt SAME.txt BARE.txt TW.exe SAME.exe BARE.exe"""
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


tw, same, bare = (load(p) for p in sys.argv[1:4])
if not tw or not same or not bare:
    sys.exit("no complete runs")
print(f"runs: {len(tw)} Tempowave, {len(same)} same widgets, {len(bare)} bare window (interleaved)")
print(f"{'figure':<28}{'Tempowave':>12}{'same widgets':>14}{'bare':>12}{'/ same':>8}{'/ bare':>8}")


def ratio(a, b):
    return a / b if b else float("nan")


for key, label in [("start_ms", "start-to-idle (ms, median)"), ("working_set_kb", "working set (KiB, median)"),
                   ("peak_working_set_kb", "peak working set (KiB)"), ("handles", "handles"),
                   ("gdi", "GDI objects"), ("user", "USER objects")]:
    a, s, b = (statistics.median(r[key] for r in rows) for rows in (tw, same, bare))
    if a == 0 and s == 0 and b == 0:
        print(f"{label:<28}{'not counted from outside here':>46}")
        continue
    print(f"{label:<28}{a:>12.1f}{s:>14.1f}{b:>12.1f}{ratio(a, s):>8.2f}{ratio(a, b):>8.2f}")
a, s, b = (os.path.getsize(p) for p in sys.argv[4:7])
print(f"{'exe size (bytes)':<28}{a:>12}{s:>14}{b:>12}{ratio(a, s):>8.2f}{ratio(a, b):>8.2f}")
