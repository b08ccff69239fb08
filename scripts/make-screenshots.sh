#!/usr/bin/env bash
# Takes the README's pictures of the window (docs/*.png) from the loopback test build, under Wine in a
# private network namespace with a throwaway prefix and its own Xvfb display. Everything started here is
# stopped here.
#   scripts/make-screenshots.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/win32-test}" && pwd)
out=${2:-$here/docs}
if [ -z "${TW_NETNS:-}" ]; then
  exec "$here/scripts/with-netns.sh" -- "$0" "$build" "$out"
fi

. "$here/scripts/wine-session.sh"
start_wine_session "$build"
python3 "$here/tests/e2e/screenshots.py" --build "$build" --out "$out"
