#!/usr/bin/env bash
# Runs a command after taking out of the current WINEPREFIX every font substitute and replacement through
# which GDI+ finds a face for its generic sans-serif family, or for the logo's own: Wine's GDI+ then answers
# "family not found" for them, as it does in a prefix made without such settings.
#   WINEPREFIX=... tests/win/without-sans-serif.sh COMMAND [args...]
set -euo pipefail
: "${WINEPREFIX:?}"
K='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
{
  for face in "Segoe UI" "Microsoft Sans Serif" "MS Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" Arial Tahoma; do
    wine reg delete "$K" /v "$face" /f /reg:64
    wine reg delete "$K" /v "$face" /f /reg:32
  done
  wine reg delete 'HKCU\Software\Wine\Fonts\Replacements' /f
} >/dev/null 2>&1 </dev/null || true
exec "$@"
