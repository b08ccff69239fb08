#!/usr/bin/env bash
# Installs the test-only network-connections component into the current WINEPREFIX, for the bitness it was
# built for: one copy in that system folder and the connection manager class registered in that registry view
# (a second copy next to the program would be loaded twice, once by the program and once by COM).
#   WINEPREFIX=... scripts/install-fake-netshell.sh path/to/netshell.dll
set -euo pipefail
: "${WINEPREFIX:?}"
dll=$1
clsid='{BA126AD1-2166-11D1-B1D0-00805FC1270E}'
key="HKLM\\Software\\Classes\\CLSID\\$clsid"
# The PE machine field: 0x8664 for x86-64, 0x14c for i386.
machine=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(); o=struct.unpack_from("<I",d,0x3c)[0]; print(hex(struct.unpack_from("<H",d,o+4)[0]))' "$dll")
if [ "$machine" = 0x8664 ]; then
  folder=system32 view=64
else
  folder=syswow64 view=32  # system32 is redirected to syswow64 for a 32-bit program
fi
cp "$dll" "$WINEPREFIX/drive_c/windows/$folder/netshell.dll"
{
  wine reg add "$key" /ve /d "Network Connections Manager (test stand-in)" /f /reg:$view
  wine reg add "$key\\InprocServer32" /ve /d 'C:\windows\system32\netshell.dll' /f /reg:$view
  wine reg add "$key\\InprocServer32" /v ThreadingModel /d Both /f /reg:$view
} >/dev/null 2>&1 </dev/null
