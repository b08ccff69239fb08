#!/usr/bin/env bash
# Runs a cross-built test tree under Wine: inside a private network namespace, with a throwaway prefix, a
# private HOME, its own Xvfb display, a warm wineserver and a desktop keeper. Everything started here is
# stopped here.
#   scripts/run-wine-tests.sh BUILD_DIR [--dpi N] [-- ctest args...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd); shift
dpi=
while [ $# -gt 0 ]; do
  case $1 in --dpi) dpi=$2; shift 2 ;; --) shift; break ;; *) break ;; esac
done
if [ -z "${TW_NETNS:-}" ]; then
  exec "$here/scripts/with-netns.sh" -- "$0" "$build" ${dpi:+--dpi "$dpi"} -- "$@"
fi

. "$here/scripts/host-wine.sh"
# The 32-bit build on a host that runs no 32-bit programs: through qemu, about a minute per program start, so
# the end-to-end harness stretches its waits (TW_TIME_SCALE).
if [ "$TW_HOST_32BIT" = 0 ] && grep -q '^CMAKE_AR:FILEPATH=.*i686' "$build/CMakeCache.txt"; then
  if [ "${TW_WINE32_EMULATED:-}" != 1 ]; then
    exec "$here/scripts/wine32-emulated.sh" "$0" "$build" ${dpi:+--dpi "$dpi"} -- "$@"
  fi
  export TW_TIME_SCALE=${TW_TIME_SCALE:-8}
  # The helpers that drive the program (inspector, desktop keeper) come from the x86-64 test build: they drive
  # a 32-bit program as well, without a minute of emulated start-up per command.
  if [ -z "${TW_HELPERS_BUILD:-}" ]; then
    TW_HELPERS_BUILD=$here/build/win64-test
    if [ ! -f "$TW_HELPERS_BUILD/tests/e2e/inspector.exe" ] || [ ! -f "$TW_HELPERS_BUILD/tests/e2e/desktop_keeper.exe" ]; then
      (cd "$here" && cmake --preset win64-test >/dev/null &&
        cmake --build --preset win64-test --target inspector desktop_keeper >/dev/null)
    fi
    export TW_HELPERS_BUILD
  fi
  echo "run-wine-tests: the 32-bit build runs through qemu-i386, driven by $TW_HELPERS_BUILD's helpers" >&2
fi
. "$here/scripts/wine-session.sh"
start_wine_session "$build" "$dpi"
ctest --test-dir "$build" --output-on-failure --no-tests=error "$@"
