#!/usr/bin/env python3
"""What a shipped exe says about itself, read from the file: its version resource (fixed numbers and the text
entries Windows shows in the file's properties), its manifest, and the machine it is built for.

    release_files.py --version 1.0.0.0 ARCH=EXE...      ARCH: x86 or x64
    release_files.py --self-test EXE                     the reader on copies spoilt in known ways
"""
import argparse
import os
import struct
import sys
import tempfile
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402  (its PE resource reader)

ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"
WS2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}
MACHINE = {"x86": 0x14C, "x64": 0x8664}
FIXED_SIGNATURE = 0xFEEF04BD


def _align(n):
    return (n + 3) & ~3


def _block(data, at):
    """One node of a version resource: (key, value bytes, value type, children, end)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, at)
    if length < 6 or at + length > len(data):
        raise ValueError(f"version block at {at} claims {length} bytes")
    end = at + length
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
        if key_end >= end:
            raise ValueError("version block key without its end")
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = _align(key_end + 2)
    value_size = value_length * 2 if value_type == 1 else value_length
    value = data[value_at:value_at + value_size]
    children = []
    child = _align(value_at + value_size)
    while child < end:
        node = _block(data, child)
        children.append(node)
        child = _align(node[4])
    return key, value, value_type, children, end


def version_resource(pe):
    """(fixed file version, fixed product version, {string name: text}) of the first version resource."""
    blobs = list(pe.resources(harness.RT_VERSION).values())
    if len(blobs) != 1:
        raise ValueError(f"{len(blobs)} version resources")
    key, value, _, children, _ = _block(blobs[0], 0)
    if key != "VS_VERSION_INFO" or len(value) < 52 or struct.unpack_from("<I", value)[0] != FIXED_SIGNATURE:
        raise ValueError("no VS_VERSION_INFO with its fixed part")
    fms, fls, pms, pls = struct.unpack_from("<IIII", value, 8)
    text = lambda ms, ls: f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    strings = {}
    for child in children:
        if child[0] != "StringFileInfo":
            continue
        for table in child[3]:
            for name, raw, value_type, _, _ in table[3]:
                strings[name] = raw.decode("utf-16-le").rstrip("\0") if value_type == 1 else raw
    return text(fms, fls), text(pms, pls), strings


def machine(pe_data):
    pe = struct.unpack_from("<I", pe_data, 0x3C)[0]
    return struct.unpack_from("<H", pe_data, pe + 4)[0]


def problems(path, arch, version):
    """Everything wrong with one exe, as texts (empty when it is right)."""
    found = []
    pe = harness.PeFile(path)
    if machine(pe.data) != MACHINE[arch]:
        found.append(f"machine {machine(pe.data):#x}, expected {MACHINE[arch]:#x} for {arch}")
    try:
        file_version, product_version, strings = version_resource(pe)
    except (ValueError, struct.error) as e:
        return found + [f"version resource: {e}"]
    for what, got in (("FILEVERSION", file_version), ("PRODUCTVERSION", product_version)):
        if got != version:
            found.append(f"{what} {got}, expected {version}")
    expected = {
        "CompanyName": "Vantorel",
        "ProductName": "Tempowave",
        "FileDescription": "Tempowave network latency tuner",
        "OriginalFilename": "Tempowave.exe",
        "InternalName": "Tempowave",
        "FileVersion": version,
        "ProductVersion": version,
    }
    for name, want in expected.items():
        if strings.get(name) != want:
            found.append(f"{name} {strings.get(name)!r}, expected {want!r}")

    manifests = pe.resources(harness.RT_MANIFEST)
    if len(manifests) != 1:
        return found + [f"{len(manifests)} manifests"]
    try:
        root = ET.fromstring(next(iter(manifests.values())))
    except ET.ParseError as e:
        return found + [f"manifest: {e}"]
    ids = {e.get("Id", "").lower() for e in root.iter(f"{COMPAT}supportedOS")}
    if ids != SUPPORTED_OS:
        found.append(f"supportedOS {sorted(ids)}")
    settings = root.find(f"{ASM_V3}application/{ASM_V3}windowsSettings")
    long_paths = None if settings is None else settings.find(f"{WS2016}longPathAware")
    if long_paths is None or (long_paths.text or "").strip().lower() != "true":
        found.append("no longPathAware true")
    # Per-monitor v2 from Windows 10 1703, per-monitor from 1607, which ignores dpiAware once dpiAwareness is
    # there: both, in that order.
    awareness = None if settings is None else settings.find(f"{WS2016}dpiAwareness")
    if awareness is None or (awareness.text or "").strip() != "PerMonitorV2, PerMonitor":
        found.append(f"dpiAwareness {None if awareness is None else awareness.text!r}, "
                     "expected 'PerMonitorV2, PerMonitor'")
    level = root.find(f"{ASM_V3}trustInfo/{ASM_V3}security/{ASM_V3}requestedPrivileges/"
                      f"{ASM_V3}requestedExecutionLevel")
    if level is None or level.get("level") != "requireAdministrator":
        found.append("execution level is not requireAdministrator")
    identity = root.find("{urn:schemas-microsoft-com:asm.v1}assemblyIdentity")
    if identity is None or identity.get("version") != version:
        found.append(f"manifest version {None if identity is None else identity.get('version')}, "
                     f"expected {version}")
    return found


def self_test(exe):
    """Copies of a good exe, each spoilt where the check must look: every one must be caught."""
    with open(exe, "rb") as f:
        good = f.read()
    arch = "x64" if machine(good) == MACHINE["x64"] else "x86"
    _, version, _ = version_resource(harness.PeFile(exe))
    spoilt = {
        "another company": (b"V\0a\0n\0t\0o\0r\0e\0l\0", b"V\0a\0n\0t\0o\0r\0e\0x\0"),
        "another file name": (b"T\0e\0m\0p\0o\0w\0a\0v\0e\0.\0e\0x\0e\0", b"T\0e\0m\0p\0o\0w\0a\0v\0e\0.\0c\0o\0m\0"),
        "long paths off": (b">true</longPathAware>", b">fals</longPathAware>"),
        "a supportedOS gone": (b"8e0f7a12-bfb3-4fe8", b"8e0f7a12-bfb3-4fe9"),
        "per-monitor v1 gone": (b"PerMonitorV2, PerMonitor<", b"PerMonitorV2           <"),
    }
    failures = []
    if problems(exe, arch, version):
        failures.append(f"the unspoilt exe fails: {problems(exe, arch, version)}")
    other = "x86" if arch == "x64" else "x64"
    if not problems(exe, other, version):
        failures.append("the wrong architecture passed")
    if not problems(exe, arch, "9.9.9.9"):
        failures.append("another version passed")
    with tempfile.TemporaryDirectory() as tmp:
        for what, (old, new) in spoilt.items():
            if good.count(old) < 1:
                failures.append(f"{what}: {old!r} not in the exe")
                continue
            path = os.path.join(tmp, "spoilt.exe")
            with open(path, "wb") as f:
                f.write(good.replace(old, new))
            if not problems(path, arch, version):
                failures.append(f"{what}: passed")
    for line in failures:
        print("FAIL", line)
    return 1 if failures else 0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--version")
    ap.add_argument("--self-test", action="store_true")
    ap.add_argument("exes", nargs="+")
    args = ap.parse_args()
    if args.self_test:
        return self_test(args.exes[0])
    version = ".".join((args.version.split(".") + ["0"] * 4)[:4])
    failed = 0
    for pair in args.exes:
        arch, _, path = pair.partition("=")
        found = problems(path, arch, version)
        for line in found:
            print(f"{path}: {line}")
        print(f"{path}: {'ok' if not found else 'FAILED'} ({arch}, {version})")
        failed |= bool(found)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
