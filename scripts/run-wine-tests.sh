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

. "$here/scripts/wine-session.sh"
start_wine_session "$build" "$dpi"
ctest --test-dir "$build" --output-on-failure --no-tests=error "$@"
