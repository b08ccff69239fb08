#!/usr/bin/env python3
"""Reads every #include under src/ and fails when a file looks upward.

The layers, lowest first; a folder may include its own layer and the layers below it, never one above:

    platform  <-  settings, i18n, crash, theme  <-  tuning  <-  ui  <-  update  <-  app

Portable files (outside a win32/ folder) also include no Windows header: they build and are tested natively.

    include_order.py SRC_DIR      checks the tree, prints one line per fault, exits 1 when there is any
    include_order.py --self-test  checks the checker on small trees written for the purpose
"""
import os
import re
import sys
import tempfile

LAYERS = [["platform"], ["settings", "i18n", "crash", "theme"], ["tuning"], ["ui"], ["update"], ["app"]]
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}
SOURCE = (".h", ".cpp", ".h.in")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
WINDOWS_HEADERS = re.compile(r"^(windows|winsock2|ws2tcpip|commctrl|shellapi|objbase|wincodec|winhttp|gdiplus)\.h$",
                             re.IGNORECASE)


def generated_homes(src):
    """Headers made at build time from a NAME.in in one of the folders: the folder they belong to."""
    homes = {}
    for folder in RANK:
        path = os.path.join(src, folder)
        for name in os.listdir(path) if os.path.isdir(path) else []:
            if name.endswith(".h.in"):
                homes[name[: -len(".in")]] = folder
    return homes


def faults(src):
    found = []
    homes = generated_homes(src)
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith(SOURCE):
                continue
            path = os.path.join(root, name)
            rel = os.path.relpath(path, src).replace(os.sep, "/")
            folder = rel.split("/")[0]
            if folder not in RANK:
                found.append(f"{rel}: folder '{folder}' has no place in the layer order")
                continue
            portable = "/win32/" not in f"/{rel}"
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    quote, target = m.groups()
                    where = f"{rel}:{number}"
                    if quote == "<":
                        if portable and WINDOWS_HEADERS.match(target.split("/")[-1]):
                            found.append(f"{where}: portable file includes <{target}>")
                        continue
                    to = target.split("/")[0] if "/" in target else homes.get(target)
                    if to not in RANK:
                        found.append(f"{where}: \"{target}\" is in no layer")
                    elif RANK[to] > RANK[folder]:
                        found.append(f"{where}: {folder} includes \"{target}\" from {to}, a layer above it")
    return found


def self_test():
    cases = [  # (files, expected number of faults)
        ({"app/a.cpp": '#include "update/u.h"\n#include "platform/p.h"\n'}, 0),
        ({"theme/t.cpp": '#include "i18n/x.h"\n'}, 0),  # same level
        ({"update/u.h": '#include "app/services.h"\n'}, 1),
        ({"platform/win32/p.cpp": '#  include "ui/win32/application.h"\n'}, 1),
        ({"crash/win32/c.cpp": '#include "ui/win32/application.h"\n'}, 1),
        ({"tuning/n.cpp": '#include "build_config.h"\n', "app/build_config.h.in": ""}, 1),
        ({"tuning/n.cpp": '#include "build_config.h"\n', "platform/build_config.h.in": ""}, 0),
        ({"tuning/n.cpp": '#include "somewhere.h"\n'}, 1),
        ({"tuning/n.cpp": "#include <windows.h>\n"}, 1),
        ({"tuning/win32/n.cpp": "#include <windows.h>\n"}, 0),
        ({"misc/m.cpp": ""}, 1),
    ]
    ok = True
    for files, expected in cases:
        with tempfile.TemporaryDirectory() as src:
            for rel, text in files.items():
                os.makedirs(os.path.dirname(os.path.join(src, rel)), exist_ok=True)
                with open(os.path.join(src, rel), "w") as f:
                    f.write(text)
            got = faults(src)
            if len(got) != expected:
                ok = False
                print(f"self-test: {sorted(files)} gave {got}, expected {expected} fault(s)")
    return ok


def main(argv):
    if argv[1:] == ["--self-test"]:
        return 0 if self_test() else 1
    if len(argv) != 2:
        print(__doc__)
        return 2
    found = faults(argv[1])
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
