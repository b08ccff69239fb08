# Sourced by the scripts that run Wine. Some hosts run no 32-bit Linux programs (a kernel without IA-32
# emulation: Wine's 32-bit loader fails with "Exec format error"). There Wine can still run 64-bit Windows
# programs, so the 64-bit loader is put first on PATH and TW_HOST_32BIT=0 tells the callers; the 32-bit build
# then runs through qemu-i386 (scripts/wine32-emulated.sh). Elsewhere nothing changes and TW_HOST_32BIT=1.
# TW_HOST_32BIT=0 set beforehand takes the first way on any host (to try the emulated runs where 32-bit
# programs do run).
if [ -z "${TW_HOST_32BIT:-}" ]; then
  if [ -x /usr/lib/wine/wine ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1 &&
    /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
    TW_HOST_32BIT=0
    echo "host-wine: this host runs no 32-bit programs; Wine runs 64-bit programs, 32-bit ones through qemu" >&2
  else
    TW_HOST_32BIT=1
  fi
fi
if [ "$TW_HOST_32BIT" = 0 ]; then
  case ":$PATH:" in
    *"/scripts/wine64-only:"*) ;;
    *) PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64-only:$PATH" ;;
  esac
fi
export TW_HOST_32BIT PATH
