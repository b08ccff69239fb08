#!/usr/bin/env python3
"""Fails when a window frame is computed anywhere but in the one helper that does it for a window's own DPI.

AdjustWindowRectEx (and AdjustWindowRect) size the frame for the system DPI; on a monitor whose DPI differs,
the frame comes out wrong and the client area is clipped. Every frame goes through WindowRectForClient in
src/platform/win32/dpi_win32.cpp, which uses AdjustWindowRectExForDpi where the system has it; only that
function may name the Adjust* calls.

    one_frame_helper.py SRC_DIR      checks the tree, prints one line per fault, exits 1 when there is any
    one_frame_helper.py --self-test  checks the checker on small trees written for the purpose
"""
import os
import re
import sys
import tempfile

HELPER_FILE = "platform/win32/dpi_win32.cpp"
HELPER_START = re.compile(r"^RECT\s+WindowRectForClient\s*\(")
ADJUST = re.compile(r"\bAdjustWindowRect\w*")
SOURCE = (".h", ".cpp", ".h.in")


def code_of(line):
    """The line without a // comment (string literals may name the call: the helper binds it by name)."""
    return line.split("//", 1)[0]


def faults(src):
    found = []
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith(SOURCE):
                continue
            path = os.path.join(root, name)
            rel = os.path.relpath(path, src).replace(os.sep, "/")
            in_helper = False
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    if rel == HELPER_FILE and HELPER_START.match(line):
                        in_helper = True
                    elif in_helper and line.startswith("}"):
                        in_helper = False
                        continue
                    if in_helper:
                        continue
                    m = ADJUST.search(code_of(line))
                    if m:
                        found.append(f"{rel}:{number}: {m.group(0)} outside WindowRectForClient")
    return found


def self_test():
    helper = (
        "RECT WindowRectForClient(int w, int h, DWORD style, DWORD ex_style, int dpi) {\n"
        '  static const auto adjust = User32<Fn>("AdjustWindowRectExForDpi");\n'
        "  if (!adjust) AdjustWindowRectEx(&r, style, FALSE, ex_style);\n"
        "  return r;\n"
        "}\n"
    )
    cases = [
        ("the helper alone", {HELPER_FILE: helper}, 0),
        ("a dialog sizing its own frame", {HELPER_FILE: helper, "update/win32/update_dialog.cpp":
                                           "  AdjustWindowRectEx(&outer, style, FALSE, ex_style);\n"}, 1),
        ("the ForDpi variant called directly", {"app/win32/w.cpp": "  AdjustWindowRectExForDpi(&r, s, 0, e, d);\n"}, 1),
        ("the oldest variant", {"ui/win32/w.cpp": "  AdjustWindowRect(&r, s, FALSE);\n"}, 1),
        ("after the helper in its own file", {HELPER_FILE: helper + "void X() { AdjustWindowRectEx(&r, 0, 0, 0); }\n"},
         1),
        ("named in a comment only", {"ui/win32/w.cpp": "// unlike AdjustWindowRectEx, this ...\n"}, 0),
    ]
    failed = 0
    for name, files, expected in cases:
        with tempfile.TemporaryDirectory() as src:
            for rel, text in files.items():
                path = os.path.join(src, rel)
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, "w", encoding="utf-8") as f:
                    f.write(text)
            got = faults(src)
            if len(got) != expected:
                print(f"self-test '{name}': expected {expected} fault(s), found {got}")
                failed = 1
    return failed


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    if len(argv) != 2:
        print(__doc__)
        return 2
    found = faults(argv[1])
    for fault in found:
        print(fault)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
