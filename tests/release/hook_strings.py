#!/usr/bin/env python3
"""What only a test build may carry, looked for in the bytes of an exe: the fault points (the environment
variable that ends the program at one, and the points' names) and the loopback stand-ins of the test presets
(loopback addresses, their ports, the .test host), each in ASCII and in UTF-16LE, letter case ignored.

The strings come from the tree, so the check follows it: the variable from src/platform/fault_point.cpp, the
names from src/platform/fault_point.h, the hosts and ports from the "loopback" preset of CMakePresets.json, and
beside them 127.0.0.1, localhost, [::1] and tempowave.test whatever the presets say.

One use of "localhost" is the program's own: the WMI connection to the local machine (\\\\localhost\\root\\CIMV2)
is made from the UTF-16 string "localhost" alone. That whole string, NUL before and after, is allowed; the name
inside anything longer (a URL, "localhost:port") is not.

    hook_strings.py --source ROOT EXE...                        fails when any exe carries any of the strings
    hook_strings.py --source ROOT --self-test SHIPPED_EXE TEST_EXE
        the check itself: the shipped exe passes, the test build's exe is refused for its fault points and for
        each loopback host and port of the presets, and copies of the shipped exe with one string written into
        them (each string, each encoding) are refused
"""
import argparse
import json
import os
import re
import sys
import tempfile
from urllib.parse import urlsplit

ALWAYS = ["127.0.0.1", "localhost", "[::1]", "tempowave.test"]
ENCODINGS = ("ascii", "utf-16-le")


def fault_point_strings(root):
    """(environment variable names, point names) read from the fault points' source."""
    with open(os.path.join(root, "src", "platform", "fault_point.cpp"), encoding="utf-8") as f:
        variables = re.findall(r'getenv\(\s*"([^"]+)"\s*\)', f.read())
    with open(os.path.join(root, "src", "platform", "fault_point.h"), encoding="utf-8") as f:
        points = re.findall(r'constexpr\s+char\s+kEnd\w*\[\]\s*=\s*"([^"]+)"', f.read())
    if not variables or not points:
        raise SystemExit("hook_strings: no fault-point variable or names found in src/platform/fault_point.*")
    return variables, points


def loopback_strings(root):
    """Hosts and ":port"s of the URLs in the loopback preset's cache variables."""
    with open(os.path.join(root, "CMakePresets.json"), encoding="utf-8") as f:
        presets = json.load(f)["configurePresets"]
    loopback = [p for p in presets if p["name"] == "loopback"]
    if len(loopback) != 1:
        raise SystemExit("hook_strings: no single \"loopback\" preset in CMakePresets.json")
    hosts, ports = [], []
    for value in loopback[0].get("cacheVariables", {}).values():
        if not isinstance(value, str) or "://" not in value:
            continue
        url = urlsplit(value)
        hosts.append(url.hostname)
        if url.port is not None:
            ports.append(f":{url.port}")
    if not hosts:
        raise SystemExit("hook_strings: the loopback preset names no URL")
    return hosts, ports


def forbidden(root):
    """{string: what it is}, in a fixed order."""
    variables, points = fault_point_strings(root)
    hosts, ports = loopback_strings(root)
    table = {}
    for s in variables:
        table.setdefault(s, "fault-point variable")
    for s in points:
        table.setdefault(s, "fault-point name")
    for s in ALWAYS + hosts:
        table.setdefault(s, "loopback host")
    for s in ports:
        table.setdefault(s, "loopback port")
    return table


def allowed(data, at, needle, encoding):
    """The program's own WMI server name: "localhost" as a whole UTF-16 string."""
    if needle != "localhost" or encoding != "utf-16-le" or at % 2:
        return False
    end = at + len(needle.encode(encoding))
    return at >= 2 and data[at - 2:at] == b"\0\0" and data[end:end + 2] == b"\0\0"


def findings(data, table):
    """[(string, what, encoding, offset)] of every occurrence that is not allowed."""
    lowered = data.lower()  # ASCII letters only, so UTF-16LE text is lowered the same way
    found = []
    for needle, what in table.items():
        for encoding in ENCODINGS:
            pattern = needle.lower().encode(encoding)
            at = lowered.find(pattern)
            while at >= 0:
                if not allowed(lowered, at, needle.lower(), encoding):
                    found.append((needle, what, encoding, at))
                at = lowered.find(pattern, at + 1)
    return found


def check(paths, table):
    failed = 0
    for path in paths:
        with open(path, "rb") as f:
            found = findings(f.read(), table)
        for needle, what, encoding, at in found:
            print(f"{path}: {what} {needle!r} ({encoding}) at {at:#x}")
        print(f"{path}: {'FAILED' if found else 'ok'} ({len(table)} strings looked for, ASCII and UTF-16LE)")
        failed |= bool(found)
    return 1 if failed else 0


def self_test(shipped, test_build, table, hosts, ports):
    failures = []
    with open(shipped, "rb") as f:
        good = f.read()
    with open(test_build, "rb") as f:
        test_data = f.read()
    if findings(good, table):
        failures.append(f"the shipped exe fails: {findings(good, table)}")
    # The test build carries its hooks: each kind, and each loopback host and port of the presets, is found.
    found = findings(test_data, table)
    seen = {needle for needle, _, _, _ in found}
    for what in ("fault-point variable", "fault-point name"):
        if not any(w == what for _, w, _, _ in found):
            failures.append(f"the test build's exe: no {what} found")
    for needle in hosts + ports:
        if needle not in seen:
            failures.append(f"the test build's exe: {needle!r} not found")
    print(f"{test_build}: refused for {len(found)} occurrences of {sorted(seen)}")
    # Each string, in each encoding, written over the shipped exe's own bytes (in its constant data, where such
    # a string would be), with a NUL either side as a string of its own would have.
    anchor = good.find("root\\CIMV2".encode("utf-16-le"))
    if anchor < 0:
        failures.append("the shipped exe has no WMI namespace string to write over")
    else:
        with tempfile.TemporaryDirectory() as tmp:
            for needle in table:
                for encoding in ENCODINGS:
                    spoilt = bytearray(good)
                    text = b"\0\0" + needle.encode(encoding) + b"\0\0"
                    if allowed(text, 2, needle, encoding):  # the WMI server's name: in a URL instead
                        text = b"\0\0" + f"http://{needle}/".encode(encoding) + b"\0\0"
                    spoilt[anchor:anchor + len(text)] = text
                    path = os.path.join(tmp, "spoilt.exe")
                    with open(path, "wb") as f:
                        f.write(spoilt)
                    with open(path, "rb") as f:
                        if not findings(f.read(), table):
                            failures.append(f"{needle!r} in {encoding}: passed")
    # Letter case hides no string; "localhost" in anything longer than itself is refused.
    for variant in ("Tempowave_End_At", "TEMPOWAVE.TEST", "LocalHost:80", "\\\\LOCALHOST\\c$"):
        for encoding in ENCODINGS:
            spoilt = bytearray(good)
            text = b"\0\0" + variant.encode(encoding) + b"\0\0"
            spoilt[anchor:anchor + len(text)] = text
            if anchor >= 0 and not findings(bytes(spoilt), table):
                failures.append(f"{variant!r} in {encoding}: passed")
    for line in failures:
        print("FAIL", line)
    if not failures:
        print(f"hook_strings self-test: ok ({len(table)} strings x {len(ENCODINGS)} encodings written into copies of "
              f"{shipped}, each refused)")
    return 1 if failures else 0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--source", required=True, help="the tree the exes were built from")
    ap.add_argument("--self-test", action="store_true")
    ap.add_argument("exes", nargs="+")
    args = ap.parse_args()
    table = forbidden(args.source)
    if args.self_test:
        if len(args.exes) != 2:
            ap.error("--self-test takes SHIPPED_EXE TEST_EXE")
        hosts, ports = loopback_strings(args.source)
        return self_test(args.exes[0], args.exes[1], table, hosts, ports)
    return check(args.exes, table)


if __name__ == "__main__":
    sys.exit(main())
