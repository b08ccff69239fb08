#!/usr/bin/env python3
"""Checks what the built Tempowave.exe asks of the Windows loader, read from the file itself.

The program runs as administrator from wherever it was saved, so its import table may name only KnownDLLs:
Windows maps those from the system folder whatever the search order, while any other name is looked for in
the exe's folder first. Every other library is delay-loaded (it loads after the process has restricted the
search) or loaded by the program from the system folder. The exe must also keep address-space randomisation
(with the relocations it needs) and no-execute, and high-entropy addresses when it is 64-bit.

A delay-loaded function works only if its address slot starts out pointing at the stub that calls the
resolver: a slot that holds anything else is a jump into the void on the first call. So every delay-import
descriptor is read from the PE's delay-import directory, every slot must point into the image's code, and
every name must be one that the DLL's import library exports.
    pe_check.py Tempowave.exe [--nm NM --implib DLL=LIBRARY ...]
"""
import argparse
import re
import struct
import subprocess
import sys

# KnownDLLs on every Windows the manifest supports (Vista to 11): the names each of them lists under
# HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs. ntdll is mapped into every process first.
# Names that are KnownDLLs only on some versions (combase, gdiplus, shcore on 10; usp10, wininet on 7) are not
# here, nor libraries that never are (comctl32, uxtheme, dwmapi, version, winhttp, iphlpapi, dbghelp, ...).
KNOWN_DLLS = {
    "ntdll", "kernel32", "user32", "gdi32", "advapi32", "ole32", "oleaut32", "shell32", "comdlg32", "shlwapi",
    "msvcrt", "ws2_32", "rpcrt4", "psapi", "imagehlp", "setupapi", "imm32", "normaliz", "nsi", "wldap32",
}

DYNAMIC_BASE, NX_COMPAT, HIGH_ENTROPY_VA = 0x40, 0x100, 0x20
SCN_CODE, SCN_EXECUTE, SCN_WRITE = 0x20, 0x20000000, 0x80000000
DELAY_DIRECTORY, DESCRIPTOR_SIZE = 13, 32
DLATTR_RVA = 1
MAX_SLOTS = 1 << 16


class Malformed(Exception):
    pass


class Pe:
    def __init__(self, data):
        self.data = data
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise Malformed("not an MZ file")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise Malformed("not a PE file")
        nsections, = struct.unpack_from("<H", data, pe + 6)
        opt_size, = struct.unpack_from("<H", data, pe + 20)
        opt = pe + 24
        magic, = struct.unpack_from("<H", data, opt)
        self.pe32plus = magic == 0x20B
        self.pointer = 8 if self.pe32plus else 4
        self.image_base = struct.unpack_from("<Q" if self.pe32plus else "<I", data, opt + (24 if self.pe32plus else 28))[0]
        self.size_of_image, = struct.unpack_from("<I", data, opt + 56)
        self.dll_characteristics, = struct.unpack_from("<H", data, opt + 70)
        dirs = opt + (112 if self.pe32plus else 96)
        self.directories_at = dirs
        self.directories = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(nsections):
            s = opt + opt_size + 40 * i
            name = data[s:s + 8].rstrip(b"\0").decode("ascii", "replace")
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, s + 8)
            flags, = struct.unpack_from("<I", data, s + 36)
            self.sections.append((name, va, max(vsize, rawsize), rawsize, rawptr, flags))

    def section_of(self, rva):
        for section in self.sections:
            if section[1] <= rva < section[1] + section[2]:
                return section
        return None

    def offset(self, rva):
        section = self.section_of(rva)
        if section is None:
            raise Malformed(f"RVA {rva:#x} outside every section")
        _, va, _, rawsize, raw, _ = section
        if rva - va >= rawsize:
            raise Malformed(f"RVA {rva:#x} lies in uninitialised data")
        return raw + rva - va

    def read(self, rva, fmt):
        return struct.unpack_from(fmt, self.data, self.offset(rva))

    def name_at(self, rva):
        at = self.offset(rva)
        end = self.data.find(b"\0", at, at + 512)
        if end < 0:
            raise Malformed(f"name at RVA {rva:#x} has no end")
        raw = self.data[at:end]
        if not raw or not all(0x21 <= b < 0x7F for b in raw):
            raise Malformed(f"name at RVA {rva:#x} is not printable ASCII: {raw!r}")
        return raw.decode("ascii")

    def imports(self):
        """The DLLs of the import table, loaded before the program's first instruction."""
        rva, _ = self.directories[1]
        names = []
        at = self.offset(rva) if rva else None
        while at is not None:
            entry = self.data[at:at + 20]
            if entry == bytes(20):
                break
            names.append(self.name_at(struct.unpack_from("<I", entry, 12)[0]))
            at += 20
        return names

    def has_relocations(self):
        rva, size = self.directories[5]
        return rva != 0 and size != 0


class DelayImport:
    """One delay-import descriptor: its DLL and, slot by slot, the imported name and the slot's first value."""

    def __init__(self, pe, rva):
        fields = pe.read(rva, "<8I")
        self.rva = rva
        attrs, name, hmod, iat, int_, _bound, _unload, _stamp = fields
        if attrs != DLATTR_RVA:
            raise Malformed(f"descriptor at {rva:#x}: attributes {attrs:#x}, not RVA-based")
        for label, value in (("module handle", hmod), ("address table", iat), ("name table", int_)):
            if pe.section_of(value) is None:
                raise Malformed(f"descriptor at {rva:#x}: {label} RVA {value:#x} outside the image")
        self.dll = pe.name_at(name)
        if not self.dll.lower().endswith(".dll"):
            raise Malformed(f"descriptor at {rva:#x}: DLL name {self.dll!r}")
        for label, value in (("module handle", hmod), ("address table", iat)):
            if not pe.section_of(value)[5] & SCN_WRITE:
                raise Malformed(f"{self.dll}: {label} at {value:#x} is in a read-only section")
        fmt = "<Q" if pe.pe32plus else "<I"
        ordinal_flag = 1 << (63 if pe.pe32plus else 31)
        self.entries = []  # (name or "#ordinal", slot RVA, slot value)
        for i in range(MAX_SLOTS + 1):
            if i == MAX_SLOTS:
                raise Malformed(f"{self.dll}: name table without an end")
            thunk, = pe.read(int_ + i * pe.pointer, fmt)
            if thunk == 0:
                break
            if thunk & ordinal_flag:
                name = f"#{thunk & 0xFFFF}"
            else:
                if thunk >= 1 << 31:
                    raise Malformed(f"{self.dll}: name entry {i} holds {thunk:#x}")
                name = pe.name_at(thunk + 2)
            slot_rva = iat + i * pe.pointer
            self.entries.append((name, slot_rva, pe.read(slot_rva, fmt)[0]))


def delay_imports(pe):
    """The descriptors of the delay-import directory, which must end in an all-zero one."""
    rva, size = pe.directories[DELAY_DIRECTORY]
    if rva == 0 and size == 0:
        return []
    descriptors = []
    at = rva
    while True:
        raw = pe.data[pe.offset(at):pe.offset(at) + DESCRIPTOR_SIZE]
        if len(raw) < DESCRIPTOR_SIZE:
            raise Malformed(f"delay-import descriptor at {at:#x} runs past the file")
        if raw == bytes(DESCRIPTOR_SIZE):
            break
        if at + DESCRIPTOR_SIZE > rva + size:
            raise Malformed(f"delay-import directory ({rva:#x}, {size} bytes) has no all-zero descriptor at its end")
        descriptors.append(DelayImport(pe, at))
        at += DESCRIPTOR_SIZE
    if at + DESCRIPTOR_SIZE != rva + size:
        raise Malformed(f"delay-import directory size {size} does not match its {len(descriptors)} descriptors "
                        f"and the closing one")
    return descriptors


def scan_for_descriptors(pe):
    """Descriptors found anywhere in the image, for telling what an empty directory hides."""
    found = []
    for _, va, _, rawsize, raw, _ in pe.sections:
        for off in range(0, rawsize - DESCRIPTOR_SIZE + 1, 4):
            if struct.unpack_from("<I", pe.data, raw + off)[0] != DLATTR_RVA:
                continue
            try:
                found.append(DelayImport(pe, va + off))
            except (Malformed, struct.error):
                continue
    return found


def exported_names(nm, library, pe32plus):
    """The functions an import library provides, undecorated as the DLL exports them."""
    out = subprocess.run([nm, "-g", library], capture_output=True, text=True, check=True).stdout
    prefix = "__imp_" if pe32plus else "__imp__"
    names = set()
    for symbol in re.findall(r" I (\S+)", out):
        if symbol.startswith(prefix):
            name = symbol[len(prefix):]
            names.add(name if pe32plus else re.sub(r"@\d+$", "", name))
    return names


def code_rva(pe, value):
    """The RVA a slot's first value points at, when that is code of this image."""
    if value < pe.image_base or value - pe.image_base >= pe.size_of_image:
        return None
    section = pe.section_of(value - pe.image_base)
    if section is None or not section[5] & (SCN_CODE | SCN_EXECUTE):
        return None
    return value - pe.image_base


def delay_problems(pe, descriptors, implibs, nm):
    found = []
    seen = set()
    started = {name.lower() for name in pe.imports()}
    for d in descriptors:
        dll = d.dll.lower()
        if dll in seen:
            found.append(f"{d.dll} has two delay-import descriptors")
        seen.add(dll)
        if dll in started:
            found.append(f"{d.dll} is both imported at start and delay-loaded")
        if not d.entries:
            found.append(f"{d.dll}: a delay-import descriptor without functions")
        bad = [(name, value) for name, _, value in d.entries if code_rva(pe, value) is None]
        if bad:
            shown = ", ".join(f"{name}={value:#x}" for name, value in bad[:5])
            found.append(f"{d.dll}: {len(bad)} of {len(d.entries)} delay-import slots do not point at a stub in the "
                         f"image's code ({shown}{', ...' if len(bad) > 5 else ''})")
        if nm is None:
            continue
        library = implibs.get(dll[:-4])
        if library is None:
            found.append(f"{d.dll}: no import library given to check its names against")
            continue
        exported = exported_names(nm, library, pe.pe32plus)
        unknown = [name for name, _, _ in d.entries if name not in exported]
        if unknown:
            found.append(f"{d.dll}: not exported by {library}: {unknown}")
    return found


def problems(pe, implibs=None, nm=None):
    found = []
    imports = [name.lower() for name in pe.imports()]
    if "kernel32.dll" not in imports:
        found.append(f"no import table read (imports {imports})")
    foreign = [name for name in imports if not (name.endswith(".dll") and name[:-4] in KNOWN_DLLS)]
    if foreign:
        found.append(f"imported at start though not a KnownDLL (would be searched for beside the exe): {foreign}")
    wanted = [("DYNAMIC_BASE", DYNAMIC_BASE), ("NX_COMPAT", NX_COMPAT)]
    if pe.pe32plus:
        wanted.append(("HIGH_ENTROPY_VA", HIGH_ENTROPY_VA))
    for name, bit in wanted:
        if not pe.dll_characteristics & bit:
            found.append(f"{name} not set (DllCharacteristics {pe.dll_characteristics:#06x})")
    if not pe.has_relocations():
        found.append("no relocations: the image cannot be moved, whatever DYNAMIC_BASE says")

    try:
        descriptors = delay_imports(pe)
    except (Malformed, struct.error) as e:
        found.append(f"delay-import data malformed: {e}")
        return found
    if not descriptors:
        hidden = scan_for_descriptors(pe)
        found.append(f"the delay-import directory is empty, though {len(hidden)} delay-import descriptors are in the "
                     f"image ({', '.join(d.dll for d in hidden)})" if hidden else "no delay-loaded library")
        descriptors = hidden
    found += delay_problems(pe, descriptors, implibs or {}, nm)
    return found


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("exe")
    parser.add_argument("--nm", help="the toolchain's nm, to read the import libraries")
    parser.add_argument("--implib", action="append", default=[], metavar="DLL=LIBRARY",
                        help="the import library a delay-loaded DLL's names are checked against")
    args = parser.parse_args(argv[1:])
    implibs = {}
    for item in args.implib:
        dll, _, library = item.partition("=")
        implibs[dll.lower()] = library
    with open(args.exe, "rb") as f:
        try:
            pe = Pe(f.read())
        except (Malformed, struct.error) as e:
            print(f"FAIL {args.exe}: {e}")
            return 1
    print(f"imports: {pe.imports()}")
    print(f"DllCharacteristics: {pe.dll_characteristics:#06x}")
    try:
        for d in delay_imports(pe):
            print(f"delay-loaded: {d.dll} ({len(d.entries)} functions)")
    except (Malformed, struct.error):
        pass
    found = problems(pe, implibs, args.nm)
    for problem in found:
        print(f"FAIL {problem}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
