#!/usr/bin/env bash
# Runs a command in which Wine starts its 32-bit programs through qemu-i386, for a host whose kernel runs no
# 32-bit programs (Wine's 32-bit loader there fails with "Exec format error").
#   scripts/wine32-emulated.sh COMMAND [args...]
# Wine 8 starts every 32-bit process by exec'ing <bindir>/wine-preloader with its 32-bit loader (Debian ships
# no preloader, so Wine then tries the loader itself). In a private mount namespace an overlay adds a
# wine-preloader to /usr/lib/wine that hands the loader to qemu-i386-static, so the program, its children and
# Wine's own 32-bit helpers all run. Nothing outside the namespace changes: binfmt_misc is not touched. About a
# minute of emulated start-up per 32-bit process on 2 cores. Needs root.
set -euo pipefail
if [ "${TW_WINE32_EMULATED:-}" != 1 ]; then
  TW_WINE32_EMULATED=1 exec unshare -m --propagation private "$0" "$@"
fi
qemu=$(command -v qemu-i386-static || true)
[ -n "$qemu" ] || { echo "wine32-emulated: no qemu-i386-static (Debian package qemu-user-static)" >&2; exit 2; }
extra=$(mktemp -d /tmp/tw-wine32.XXXXXX)
trap 'umount /usr/lib/wine 2>/dev/null; rm -rf "$extra"' EXIT
# TW_WINE32_OFF=1 lets a command start no 32-bit process, as on the host itself (the first step of making a
# prefix, whose 32-bit side is then made once, in a second step).
printf '#!/bin/sh\n[ "$TW_WINE32_OFF" = 1 ] && exit 1\nexport WINELOADERNOEXEC=1\nexec %s "$@"\n' "$qemu" \
  >"$extra/wine-preloader"
chmod +x "$extra/wine-preloader"
mount -t overlay overlay -o "lowerdir=$extra:/usr/lib/wine" /usr/lib/wine
export TW_WINE32_EMULATED
"$@"
