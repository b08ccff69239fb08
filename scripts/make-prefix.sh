#!/usr/bin/env bash
# Makes a configured, dialog-free Wine prefix by copying a template (built once per Wine version, ~15 s).
#   scripts/make-prefix.sh DIR [--graphics x11|null] [--dpi N]
# Template settings: win64 prefix (runs 32- and 64-bit programs); X11 "Managed"=N so Wine draws its own frame
# and DestroyWindow does not wait for a window manager; CJK fonts through FontSubstitutes; marlett for the
# caption buttons.
set -euo pipefail
dir=$1; shift
graphics=x11; dpi=
while [ $# -gt 0 ]; do
  case $1 in --graphics) graphics=$2; shift 2 ;; --dpi) dpi=$2; shift 2 ;; *) echo "bad arg $1" >&2; exit 2 ;; esac
done
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" WINEARCH=win64
cache=${TW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tempowave}
# Named after the Wine version and this script, so that either change makes a new one.
template=$cache/prefix-$(wine --version | tr -c 'A-Za-z0-9.\n' _)-$(sha1sum "$0" | cut -c1-8)
# Under scripts/wine32-emulated.sh the 32-bit side is made by hand (Wine's 64-bit wineboot cannot start its
# 32-bit helpers on a host that runs no 32-bit programs): a template of its own.
[ "${TW_WINE32_EMULATED:-}" = 1 ] && template=$template-wow32

create() {
  local p=$1 t0=$SECONDS
  rm -rf "$p" "$p.tmp"; mkdir -p "$(dirname "$p")"
  # HOME unset: the user folders become real folders inside the prefix, never links into a real home.
  env -u HOME TW_WINE32_OFF=1 WINEPREFIX="$p.tmp" wineboot -i >/dev/null 2>&1 </dev/null
  if [ "${TW_WINE32_EMULATED:-}" = 1 ]; then
    # The 32-bit builtins into syswow64, then an update whose 32-bit helpers now run through qemu: the 32-bit
    # registry view (Wow6432Node, the 32-bit COM classes) and the x86 side-by-side assemblies (Common
    # Controls 6) appear. About three minutes on 2 cores.
    WINEPREFIX="$p.tmp" wineserver -w
    mkdir -p "$p.tmp/drive_c/windows/syswow64"
    cp -n /usr/lib/i386-linux-gnu/wine/i386-windows/* "$p.tmp/drive_c/windows/syswow64/"
    env -u HOME WINEPREFIX="$p.tmp" wineboot -u >/dev/null 2>&1 </dev/null
    WINEPREFIX="$p.tmp" wineserver -w
    grep -q 'Wow6432Node' "$p.tmp/system.reg" || { echo "make-prefix: no 32-bit registry view in $p.tmp" >&2; exit 1; }
  fi
  local K='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
  {
    WINEPREFIX="$p.tmp" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    for f in "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "Segoe UI" "Microsoft Sans Serif" "MS Sans Serif" "Arial" \
      "Malgun Gothic" "Gulim" "Meiryo" "Meiryo UI" "Yu Gothic UI" "MS UI Gothic" "Microsoft YaHei" \
      "Microsoft YaHei UI" "SimSun"; do
      # Both views: each side of Wine's font code reads its own.
      WINEPREFIX="$p.tmp" wine reg add "$K" /v "$f" /d "WenQuanYi Micro Hei" /f /reg:64
      WINEPREFIX="$p.tmp" wine reg add "$K" /v "$f" /d "WenQuanYi Micro Hei" /f /reg:32
    done
  } >/dev/null 2>&1 </dev/null
  [ -f /usr/share/wine/fonts/marlett.ttf ] && cp /usr/share/wine/fonts/marlett.ttf "$p.tmp/drive_c/windows/Fonts/"
  WINEPREFIX="$p.tmp" wineserver -k 2>/dev/null || true
  WINEPREFIX="$p.tmp" wineserver -w 2>/dev/null || true
  rm -f "$p.tmp/wineserver"
  mv "$p.tmp" "$p"
  echo "make-prefix: template $p made in $((SECONDS - t0)) s" >&2
}

# Two runs on one machine (worktrees side by side) must not build the same template at once: one builds, the
# other waits for it and takes it.
if [ ! -f "$template/system.reg" ]; then
  mkdir -p "$cache"
  exec 9>"$template.lock"
  flock 9
  [ -f "$template/system.reg" ] || create "$template"
  flock -u 9
  exec 9>&-
fi
rm -rf "$dir"
cp -a "$template" "$dir"
export WINEPREFIX=$dir
{
  [ "$graphics" = null ] && wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
  [ -n "$dpi" ] && wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
  true
} >/dev/null 2>&1 </dev/null
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
