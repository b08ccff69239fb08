#!/usr/bin/env python3
"""Runs a Windows test program that ends on purpose and checks the last-resort handler's work: the message
box it printed names what happened and the dump, the dump is there and not empty, the process ended with that
code, and there was one message only (no second fault).
    expect_crash.py paint|terminate WINE_RUN PROGRAM [ARGS...]   (WINEPREFIX set; TW_WINE32_EMULATED=1 under qemu)
"""
import os
import re
import shutil
import subprocess
import sys

ACCESS_VIOLATION = 0xC0000005
# qemu-i386 reports every memory fault as an illegal instruction.
ILLEGAL_INSTRUCTION = 0xC000001D
FATAL_APP_EXIT = 0x40000015
EMULATED = os.environ.get("TW_WINE32_EMULATED") == "1"


def unix_path(windows):
    """Where a C:\\ path of the prefix is, its names matched without regard to case as Wine does."""
    path = os.path.join(os.environ["WINEPREFIX"], "drive_c")
    for part in windows[3:].split("\\"):
        names = os.listdir(path) if os.path.isdir(path) else []
        path = os.path.join(path, next((n for n in names if n.lower() == part.lower()), part))
    return path


def main(argv):
    case = argv[1]
    if case == "terminate":
        codes = {FATAL_APP_EXIT}
    else:
        codes = {ACCESS_VIOLATION}
        if EMULATED:
            codes.add(ILLEGAL_INSTRUCTION)
    env = dict(os.environ, TW_DEATH_TEST=case)
    proc = subprocess.run(argv[2:], env=env, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                          errors="replace", timeout=float(os.environ.get("TW_CRASH_TIMEOUT", "600")))
    out = proc.stdout
    print(out)
    problems = []
    if "BEGUN" not in out:
        problems.append("the case never began")
    boxes = re.findall(r"^MESSAGE BOX: (.*)$", out, re.M)
    texts = " ".join(boxes)
    seen = [c for c in codes if f"error 0x{c:08X}" in texts]
    if len(boxes) != 1 or len(seen) != 1:
        problems.append(f"expected one message naming the fault, saw {boxes}")
    # Wine turns an exit code into a Unix status by its low byte.
    if proc.returncode not in {c & 0xFF for c in codes}:
        problems.append(f"exit status {proc.returncode}, expected the fault's code")
    dump = re.search(r"saved to: (C:\\\S+\.dmp)", texts, re.I)
    if not dump and EMULATED:
        # Wine's dump helper fails for every 32-bit process under qemu (the same build writes its dump under a
        # 32-bit Wine, and the x86-64 build writes one here): only the message is asked for there.
        print("NOTE no dump under qemu-i386, as every dump there")
    elif not dump:
        problems.append("the message names no dump")
    else:
        path = unix_path(dump.group(1))
        folder = os.path.dirname(path)
        matches = [os.path.join(folder, f) for f in os.listdir(folder)] if os.path.isdir(folder) else []
        if not matches or os.path.getsize(matches[0]) == 0:
            problems.append(f"no dump at {path}")
        if os.path.isdir(folder):
            shutil.rmtree(folder)  # other tests check that no crash left a dump
    if "the program went on after the fault" in out:
        problems.append("the program went on after the fault")
    for p in problems:
        print(f"FAIL {p}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
