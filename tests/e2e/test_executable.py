#!/usr/bin/env python3
"""What the built Tempowave.exe carries: its manifest, its version, its imports. Read from the file itself:
Wine ignores the DPI entries of a manifest, so the program's behaviour under Wine cannot show them."""
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

import harness

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"
WS2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
WS2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"

SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}

# DLLs that come with every Windows the program supports. A MinGW runtime DLL (libstdc++, libgcc_s,
# libwinpthread) or any third-party DLL would have to be shipped beside the exe.
SYSTEM_DLLS = {
    "kernel32", "user32", "gdi32", "advapi32", "shell32", "ole32", "oleaut32", "comctl32", "comdlg32", "msvcrt",
    "ws2_32", "winhttp", "wininet", "iphlpapi", "gdiplus", "dwmapi", "uxtheme", "version", "msimg32", "shlwapi",
    "crypt32", "bcrypt", "secur32", "rpcrt4", "ntdll", "psapi", "imm32", "winmm", "usp10", "userenv", "setupapi",
    "netapi32", "wtsapi32", "dbghelp", "mpr", "powrprof", "wldap32", "dnsapi",
}


def _manifest(h):
    manifests = harness.PeFile(h.exe).resources(harness.RT_MANIFEST)
    h.check([key[0] for key in manifests] == [1], f"expected one manifest with id 1, found {list(manifests)}")
    return ET.fromstring(next(iter(manifests.values())))


def case_manifest_entries(h):
    root = _manifest(h)
    level = root.find(f"{ASM_V3}trustInfo/{ASM_V3}security/{ASM_V3}requestedPrivileges/"
                      f"{ASM_V3}requestedExecutionLevel")
    h.check(level is not None, "no requestedExecutionLevel")
    h.check(level.get("level") == "requireAdministrator", f"execution level {level.get('level')}")
    h.check(level.get("uiAccess") == "false", f"uiAccess {level.get('uiAccess')}")

    settings = root.find(f"{ASM_V3}application/{ASM_V3}windowsSettings")
    h.check(settings is not None, "no windowsSettings")
    for tag, want in ((f"{WS2005}dpiAware", "true/pm"), (f"{WS2016}dpiAwareness", "PerMonitorV2, PerMonitor")):
        got = settings.find(tag)
        h.check(got is not None and got.text.strip() == want, f"{tag}: {None if got is None else got.text}")

    deps = [a.attrib for a in root.iter(f"{ASM_V1}assemblyIdentity")
            if a.get("name") == "Microsoft.Windows.Common-Controls"]
    h.check(len(deps) == 1 and deps[0].get("version") == "6.0.0.0"
            and deps[0].get("publicKeyToken") == "6595b64144ccf1df", f"Common-Controls dependency: {deps}")
    dep_parent = root.find(f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/{ASM_V1}assemblyIdentity")
    h.check(dep_parent is not None and dep_parent.get("name") == "Microsoft.Windows.Common-Controls",
            "Common-Controls is not under dependency/dependentAssembly")

    ids = [e.get("Id").lower() for e in root.iter(f"{COMPAT}supportedOS")]
    h.check(len(ids) == len(set(ids)) and set(ids) == SUPPORTED_OS, f"supportedOS ids {ids}")


def case_file_version_is_project_version(h):
    want = os.environ["TW_PROJECT_VERSION"]
    want = ".".join((want.split(".") + ["0"] * 4)[:4])
    file_version, product_version = harness.file_version(harness.PeFile(h.exe))
    h.check(file_version == want, f"FILEVERSION {file_version}, project version {want}")
    h.check(product_version == want, f"PRODUCTVERSION {product_version}, project version {want}")


def case_imports_only_system_dlls(h):
    out = subprocess.run([os.environ["TW_OBJDUMP"], "-p", h.exe], capture_output=True, text=True, check=True).stdout
    dlls = [d.lower() for d in re.findall(r"DLL Name:\s*(\S+)", out)]
    h.check("kernel32.dll" in dlls, f"objdump found no imports: {dlls}")
    foreign = [d for d in dlls if not (d.endswith(".dll") and (d[:-4] in SYSTEM_DLLS or d.startswith("api-ms-win-")))]
    h.check(not foreign, f"imports that Windows does not provide: {foreign}")


if __name__ == "__main__":
    sys.exit(harness.main())
