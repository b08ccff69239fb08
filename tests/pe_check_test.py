#!/usr/bin/env python3
"""The loader check on copies of the built exe, each spoilt in one way it must catch.
    pe_check_test.py Tempowave.exe --nm NM --implib DLL=LIBRARY ...
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pe_check  # noqa: E402


def descriptor_at(pe):
    rva, _ = pe.directories[pe_check.DELAY_DIRECTORY]
    return pe.offset(rva)


def first_slot(pe, dll):
    d = next(d for d in pe_check.delay_imports(pe) if d.dll.lower() == dll)
    return d, pe.offset(d.entries[0][1])


def zero_slot(data, pe):
    _, at = first_slot(pe, "user32.dll")
    struct.pack_into("<I", data, at, 0) if not pe.pe32plus else struct.pack_into("<Q", data, at, 0)


def slot_into_data(data, pe):
    _, at = first_slot(pe, "user32.dll")
    rva_of_data = next(va for name, va, *_ in pe.sections if name == ".data")
    struct.pack_into("<Q" if pe.pe32plus else "<I", data, at, pe.image_base + rva_of_data)


def empty_directory(data, pe):
    struct.pack_into("<II", data, pe.directories_at + 8 * pe_check.DELAY_DIRECTORY, 0, 0)


def short_directory(data, pe):
    rva, size = pe.directories[pe_check.DELAY_DIRECTORY]
    struct.pack_into("<II", data, pe.directories_at + 8 * pe_check.DELAY_DIRECTORY, rva, size - 32)


def attributes(data, pe):
    struct.pack_into("<I", data, descriptor_at(pe), 0)


def table_outside(data, pe):
    struct.pack_into("<I", data, descriptor_at(pe) + 12, pe.size_of_image + 0x1000)


def unknown_name(data, pe):
    d, _ = first_slot(pe, "user32.dll")
    name = d.entries[0][0]
    at = data.find(name.encode() + b"\0")
    data[at + len(name) - 1] ^= 0x20


def also_imported(data, pe):
    # The name of the first imported DLL becomes that of a delay-loaded one.
    at = pe.offset(struct.unpack_from("<I", data, pe.offset(pe.directories[1][0]) + 12)[0])
    user = "USER32.dll\0".encode()
    data[at:at + len(user)] = user


CASES = [
    (zero_slot, "do not point at a stub"),
    (slot_into_data, "do not point at a stub"),
    (empty_directory, "the delay-import directory is empty, though"),
    (short_directory, "delay-import data malformed"),
    (attributes, "delay-import data malformed"),
    (table_outside, "delay-import data malformed"),
    (unknown_name, "not exported by"),
    (also_imported, "both imported at start and delay-loaded"),
]


def main(argv):
    exe, rest = argv[1], argv[2:]
    nm = rest[rest.index("--nm") + 1]
    implibs = dict(item.split("=", 1) for i, item in enumerate(rest) if i and rest[i - 1] == "--implib")
    original = open(exe, "rb").read()
    failures = []
    clean = pe_check.problems(pe_check.Pe(original), implibs, nm)
    if clean:
        failures.append(f"the built exe itself: {clean}")
    for spoil, expected in CASES:
        data = bytearray(original)
        spoil(data, pe_check.Pe(bytes(original)))
        try:
            found = pe_check.problems(pe_check.Pe(bytes(data)), implibs, nm)
        except Exception as e:  # the check must report, never fall over
            found = [f"raised {type(e).__name__}: {e}"]
        ok = any(expected in p for p in found)
        print(f"{'ok  ' if ok else 'FAIL'} {spoil.__name__}: {found[:2]}")
        if not ok:
            failures.append(f"{spoil.__name__}: expected {expected!r}, found {found}")
    for f in failures:
        print(f"FAIL {f}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
