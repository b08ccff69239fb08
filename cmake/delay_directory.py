#!/usr/bin/env python3
"""Points a linked exe's delay-import directory at its table of delay-import descriptors.

GNU ld links the descriptors that dlltool's delay libraries carry, but leaves the PE's delay-import directory
empty, so Windows' tools and scanners see only a LoadLibrary/GetProcAddress pattern. The program's resolver
does not need the directory; the table lies between two labels that the link map names
(platform/win32/library_search_win32.cpp), ending in an all-zero descriptor.
    delay_directory.py EXE MAP
"""
import re
import struct
import sys

DELAY_DIRECTORY, DESCRIPTOR_SIZE = 13, 32


def symbol(map_text, name):
    found = re.findall(r"^\s+0x([0-9a-fA-F]+)\s+" + re.escape(name) + r"\s*$", map_text, re.M)
    if len(found) != 1:
        raise SystemExit(f"delay_directory: {name} found {len(found)} times in the link map")
    return int(found[0], 16)


def checksum(data, at):
    """The PE checksum (the loader checks it only for drivers, but tools report a wrong one)."""
    total = 0
    padded = data + b"\0" * (len(data) % 2)
    for i in range(0, len(padded), 2):
        if at <= i < at + 4:
            continue
        total += padded[i] | padded[i + 1] << 8
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def main(exe, map_file):
    with open(map_file) as f:
        map_text = f.read()
    begin, end = symbol(map_text, "tw_delay_descriptors_begin"), symbol(map_text, "tw_delay_descriptors_end")
    data = bytearray(open(exe, "rb").read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    opt = pe + 24
    pe32plus = struct.unpack_from("<H", data, opt)[0] == 0x20B
    image_base = struct.unpack_from("<Q" if pe32plus else "<I", data, opt + (24 if pe32plus else 28))[0]
    dirs = opt + (112 if pe32plus else 96)
    count, rest = divmod(end - begin, DESCRIPTOR_SIZE)
    if end < begin or rest or count == 0:
        raise SystemExit(f"delay_directory: {end - begin} bytes between the labels are not whole descriptors")
    if struct.unpack_from("<II", data, dirs + 8 * DELAY_DIRECTORY) != (0, 0):
        raise SystemExit("delay_directory: the delay-import directory is set already")
    struct.pack_into("<II", data, dirs + 8 * DELAY_DIRECTORY, begin - image_base, (count + 1) * DESCRIPTOR_SIZE)
    at = opt + 64
    if struct.unpack_from("<I", data, at)[0]:
        struct.pack_into("<I", data, at, checksum(bytes(data), at))
    with open(exe, "wb") as f:
        f.write(data)
    print(f"delay_directory: {count} delay-import descriptors at {begin - image_base:#x}")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2])
