#!/usr/bin/env python3
"""Packs release archives the same way every time.

    package_release.py --version V --epoch SECONDS --readme README.md --out DIR --signed TEXT ARCH=EXE...

Writes DIR/Tempowave-V-ARCH.zip for each ARCH=EXE (the exe as Tempowave.exe, and README.txt: the README's
"What it does" section, its "Giving back" note, the licence note and how to verify the download), then
DIR/SHA256SUMS over the archives in name order. Entries are stored in a fixed order with the time of
SOURCE_DATE_EPOCH (the last commit), fixed permissions and no extra fields, so the same inputs give the same
bytes wherever and whenever they are packed.
"""
import argparse
import hashlib
import os
import re
import sys
import time
import zipfile


def section(readme, title):
    """The text of a "## title" section, up to the next heading of the same or a higher level."""
    m = re.search(r"^## " + re.escape(title) + r"\s*\n(.*?)(?=^#{1,2} |\Z)", readme, re.M | re.S)
    return m.group(1).strip() if m else ""


def notes(readme, version, signed):
    what = section(readme, "What it does")
    if not what:
        raise SystemExit("package_release: README.md has no \"What it does\" section")
    # "Giving back" is a paragraph of that section; it comes along with it. The licence note is whatever the
    # README or a licence file beside it says.
    if "**Giving back.**" not in what:
        raise SystemExit("package_release: the \"What it does\" section lost its \"Giving back\" note")
    licence = section(readme, "Licence") or section(readme, "License")
    if not licence:
        licence = ("This source tree states no licence (no licence section in README.md and no licence file); "
                   "ask the maker before redistributing.")
    verify = section(readme, "Download and verify")
    parts = [
        f"Tempowave {version}",
        "",
        "Tempowave.exe runs as administrator (it writes under HKEY_LOCAL_MACHINE and restarts the network "
        "adapter). Start it from a folder of its own.",
        f"Authenticode signature: {signed}",
        "",
        "What it does",
        "------------",
        what,
        "",
        "Licence",
        "-------",
        licence,
    ]
    if verify:
        parts += ["", "Download and verify", "-------------------", verify]
    return ("\r\n".join(parts).replace("\n", "\r\n").replace("\r\r\n", "\r\n") + "\r\n").encode("utf-8")


def add(archive, name, data, when):
    info = zipfile.ZipInfo(name, date_time=when)
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = 3  # Unix, so that the permissions below are read as such
    info.external_attr = (0o100644 << 16)
    archive.writestr(info, data, compresslevel=9)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--version", required=True)
    ap.add_argument("--epoch", type=int, required=True)
    ap.add_argument("--readme", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--signed", required=True, help="what the notes say about the signature")
    ap.add_argument("exes", nargs="+", metavar="ARCH=EXE")
    args = ap.parse_args()
    if not re.fullmatch(r"[0-9]+(\.[0-9]+){1,3}", args.version):
        raise SystemExit(f"package_release: version {args.version!r} is not a dotted number")
    # A zip entry holds local time from 1980 on, in two-second steps: the epoch in UTC, clamped to that range.
    when = time.gmtime(max(args.epoch, 315532800))[:6]
    with open(args.readme, encoding="utf-8") as f:
        text = notes(f.read(), args.version, args.signed)
    os.makedirs(args.out, exist_ok=True)
    names = []
    for pair in args.exes:
        arch, _, exe = pair.partition("=")
        if not arch or not exe:
            raise SystemExit(f"package_release: {pair!r} is not ARCH=EXE")
        with open(exe, "rb") as f:
            binary = f.read()
        name = f"Tempowave-{args.version}-{arch}.zip"
        path = os.path.join(args.out, name)
        with zipfile.ZipFile(path, "w") as archive:
            add(archive, "Tempowave.exe", binary, when)
            add(archive, "README.txt", text, when)
        names.append(name)
    with open(os.path.join(args.out, "SHA256SUMS"), "w", newline="\n") as sums:
        for name in sorted(names):
            with open(os.path.join(args.out, name), "rb") as f:
                sums.write(f"{hashlib.sha256(f.read()).hexdigest()}  {name}\n")
    for name in sorted(names):
        print(os.path.join(args.out, name))
    return 0


if __name__ == "__main__":
    sys.exit(main())
