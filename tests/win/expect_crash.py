#!/usr/bin/env python3
"""Runs a Windows test program that faults on purpose and checks the last-resort handler's work: the message
box it printed names the fault and the dump, the dump is there and not empty, the process ended with the
fault's code, and there was one message only (no second fault).
    expect_crash.py WINE_RUN PROGRAM [ARGS...]      (WINEPREFIX set; TW_WINE32_EMULATED=1 under qemu)
"""
import os
import re
import shutil
import subprocess
import sys

ACCESS_VIOLATION = 0xC0000005
# qemu-i386 reports every memory fault as an illegal instruction.
ILLEGAL_INSTRUCTION = 0xC000001D


def unix_path(windows):
    """Where a C:\\ path of the prefix is, its names matched without regard to case as Wine does."""
    path = os.path.join(os.environ["WINEPREFIX"], "drive_c")
    for part in windows[3:].split("\\"):
        names = os.listdir(path) if os.path.isdir(path) else []
        path = os.path.join(path, next((n for n in names if n.lower() == part.lower()), part))
    return path


def main(argv):
    codes = {ACCESS_VIOLATION}
    if os.environ.get("TW_WINE32_EMULATED") == "1":
        codes.add(ILLEGAL_INSTRUCTION)
    env = dict(os.environ, TW_PAINT_FAULT="1")
    proc = subprocess.run(argv[1:], env=env, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                          errors="replace", timeout=float(os.environ.get("TW_CRASH_TIMEOUT", "600")))
    out = proc.stdout
    print(out)
    problems = []
    if "PAINTING" not in out:
        problems.append("the test never reached the paint")
    boxes = re.findall(r"^MESSAGE BOX: (.*)$", out, re.M)
    texts = " ".join(boxes)
    seen = [c for c in codes if f"error 0x{c:08X}" in texts]
    if len(boxes) != 1 or len(seen) != 1:
        problems.append(f"expected one message naming the fault, saw {boxes}")
    # Wine turns an exit code into a Unix status by its low byte.
    if proc.returncode not in {c & 0xFF for c in codes}:
        problems.append(f"exit status {proc.returncode}, expected the fault's code")
    dump = re.search(r"saved to: (C:\\\S+\.dmp)", texts, re.I)
    if not dump:
        problems.append("the message names no dump")
    else:
        path = unix_path(dump.group(1))
        folder = os.path.dirname(path)
        matches = [os.path.join(folder, f) for f in os.listdir(folder)] if os.path.isdir(folder) else []
        if not matches or os.path.getsize(matches[0]) == 0:
            problems.append(f"no dump at {path}")
        if os.path.isdir(folder):
            shutil.rmtree(folder)  # other tests check that no crash left a dump
    if "the paint handler's fault did not end the process" in out:
        problems.append("the program went on after the fault")
    for p in problems:
        print(f"FAIL {p}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
