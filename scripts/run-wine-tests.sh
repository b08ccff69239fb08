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

export TW_CACHE=${TW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tempowave}
run=$(mktemp -d /tmp/tw-wine.XXXXXX)
export HOME=$run/home WINEPREFIX=$run/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=C.UTF-8 TW_RUN_DIR=$run
unset LC_ALL http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
mkdir -p "$HOME"
xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  [ -n "${TW_KEEP:-}" ] && echo "kept $run" >&2 || rm -rf "$run"
}
trap cleanup EXIT

"$here/scripts/make-prefix.sh" "$WINEPREFIX" ${dpi:+--dpi "$dpi"}
eval "$("$here/scripts/xvfb-start.sh" 1280x1024x24)"
xvfb_pid=$XVFB_PID
# A warm server with the system processes started on null handles: otherwise services.exe and explorer.exe
# inherit ctest's output pipe and every test waits for them.
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null
if [ -f "$build/tests/fakes/netshell/netshell.dll" ]; then
  "$here/scripts/install-fake-netshell.sh" "$build/tests/fakes/netshell/netshell.dll"
fi
if [ -f "$build/tests/e2e/desktop_keeper.exe" ]; then
  (wine "$build/tests/e2e/desktop_keeper.exe" "Z:$run/keeper.ready" >/dev/null 2>&1 </dev/null &)
  for _ in $(seq 100); do [ -e "$run/keeper.ready" ] && break; sleep 0.1; done
fi
ctest --test-dir "$build" --output-on-failure --no-tests=error "$@"
