#!/usr/bin/env python3
"""Checks what the built Tempowave.exe asks of the Windows loader, read from the file itself.

The program runs as administrator from wherever it was saved, so its import table may name only KnownDLLs:
Windows maps those from the system folder whatever the search order, while any other name is looked for in
the exe's folder first. Every other library is delay-loaded (it loads after the process has restricted the
search) or loaded by the program from the system folder. The exe must also keep address-space randomisation
(with the relocations it needs) and no-execute, and high-entropy addresses when it is 64-bit.
    pe_check.py Tempowave.exe
"""
import struct
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


class Pe:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        nsections, = struct.unpack_from("<H", data, pe + 6)
        opt_size, = struct.unpack_from("<H", data, pe + 20)
        opt = pe + 24
        magic, = struct.unpack_from("<H", data, opt)
        self.pe32plus = magic == 0x20B
        self.dll_characteristics, = struct.unpack_from("<H", data, opt + 70)
        dirs = opt + (112 if self.pe32plus else 96)
        self.directories = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(nsections):
            s = opt + opt_size + 40 * i
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, s + 8)
            self.sections.append((va, max(vsize, rawsize), rawptr))

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError(f"RVA {rva:#x} outside every section")

    def name_at(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def imports(self):
        """The DLLs of the import table, loaded before the program's first instruction. (Delay-loaded ones are
        not listed anywhere the loader reads: the runtime loads them on first use.)"""
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


def problems(pe):
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
    return found


def main(argv):
    if len(argv) != 2:
        print(__doc__)
        return 2
    with open(argv[1], "rb") as f:
        pe = Pe(f.read())
    print(f"imports: {pe.imports()}")
    print(f"DllCharacteristics: {pe.dll_characteristics:#06x}")
    found = problems(pe)
    for problem in found:
        print(f"FAIL {problem}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
