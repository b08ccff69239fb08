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

export TW_CACHE=${TW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tempowave}
run=$(mktemp -d /tmp/tw-shots.XXXXXX)
export HOME=$run/home WINEPREFIX=$run/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=C.UTF-8 TW_RUN_DIR=$run
unset LC_ALL http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
mkdir -p "$HOME"
xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$run"
}
trap cleanup EXIT

"$here/scripts/make-prefix.sh" "$WINEPREFIX"
eval "$("$here/scripts/xvfb-start.sh" 1280x1024x24)"
xvfb_pid=$XVFB_PID
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null
if [ -f "$build/tests/fakes/netshell/netshell.dll" ]; then
  "$here/scripts/install-fake-netshell.sh" "$build/tests/fakes/netshell/netshell.dll"
fi
if [ -f "$build/tests/e2e/desktop_keeper.exe" ]; then
  (wine "$build/tests/e2e/desktop_keeper.exe" "Z:$run/keeper.ready" >/dev/null 2>&1 </dev/null &)
  for _ in $(seq 100); do [ -e "$run/keeper.ready" ] && break; sleep 0.1; done
fi
python3 "$here/tests/e2e/screenshots.py" --build "$build" --out "$out"
