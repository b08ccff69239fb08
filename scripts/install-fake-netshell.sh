#!/usr/bin/env bash
# Installs the test-only network-connections component into the current WINEPREFIX: one copy in the 32-bit
# system folder and the connection manager class registered in the 32-bit registry view (a second copy next to
# the program would be loaded twice, once by the program and once by COM).
#   WINEPREFIX=... scripts/install-fake-netshell.sh path/to/netshell.dll
set -euo pipefail
: "${WINEPREFIX:?}"
dll=$1
clsid='{BA126AD1-2166-11D1-B1D0-00805FC1270E}'
key="HKLM\\Software\\Classes\\CLSID\\$clsid"
cp "$dll" "$WINEPREFIX/drive_c/windows/syswow64/netshell.dll"
{
  wine reg add "$key" /ve /d "Network Connections Manager (test stand-in)" /f /reg:32
  # system32 is redirected to syswow64 for the 32-bit program.
  wine reg add "$key\\InprocServer32" /ve /d 'C:\windows\system32\netshell.dll' /f /reg:32
  wine reg add "$key\\InprocServer32" /v ThreadingModel /d Both /f /reg:32
} >/dev/null 2>&1 </dev/null
