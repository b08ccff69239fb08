#!/usr/bin/env bash
# `make run`: builds the loopback test build and starts Tempowave.exe under Wine inside a private network
# namespace, with local stand-ins for the update service (nothing pending) and the reachability probe.
# On the user's X display when there is a usable one (the program runs until its window is closed), otherwise
# on a private Xvfb display: waits for the window, saves a screenshot, closes the program and exits.
# Either way the screenshot goes to build/run-screenshot.png (or $TW_SCREENSHOT). Nothing started here
# outlives it: the program, the stand-ins, Xvfb and the prefix's wineserver are stopped by PID/prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/host-wine.sh"
preset=win32-test
[ "$TW_HOST_32BIT" = 1 ] || preset=win64-test  # a host that runs no 32-bit programs runs the x86-64 build
build=$here/build/$preset
if [ -z "${TW_NETNS:-}" ]; then
  cd "$here"
  cmake --preset $preset >/dev/null
  cmake --build --preset $preset -j"${JOBS:-2}"
  exec "$here/scripts/with-netns.sh" -- "$0" "$@"
fi

cache=${TW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tempowave}
shot=${TW_SCREENSHOT:-$build/../run-screenshot.png}
shot=$(cd "$(dirname "$shot")" && pwd)/$(basename "$shot")
export WINEPREFIX=$cache/run-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
[ -f "$WINEPREFIX/system.reg" ] || "$here/scripts/make-prefix.sh" "$WINEPREFIX"
# A server of this prefix left outside the namespace would give the program the host's network.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

pids=() xvfb_pid= app_pid= work=$(mktemp -d /tmp/tw-run.XXXXXX)
cleanup() {
  [ -z "$app_pid" ] || kill -9 "$app_pid" 2>/dev/null || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

for stand_in in "18080 {}" "18081 "; do
  read -r port body <<<"$stand_in"
  python3 "$here/tests/e2e/loopback_http.py" --port "$port" --body "$body" --log "$work/$port.jsonl" \
    >"$work/$port.out" 2>&1 </dev/null &
  pids+=($!)
done
for port in 18080 18081; do
  for _ in $(seq 50); do grep -q ready "$work/$port.out" 2>/dev/null && break; sleep 0.1; done
  grep -q ready "$work/$port.out" || { echo "run-app: stand-in on port $port did not start" >&2; exit 1; }
done

own_display=0
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  own_display=1
else
  eval "$("$here/scripts/xvfb-start.sh" 1280x1024x24)"
  xvfb_pid=$XVFB_PID
fi

inspect() { wine "$build/tests/e2e/inspector.exe" --class TFrmTempowave --timeout 30000 "$@" </dev/null; }
wine "$build/Tempowave.exe" >/dev/null 2>&1 </dev/null &
app_pid=$!
inspect wait >/dev/null || { echo "run-app: the window did not appear" >&2; exit 1; }
sleep 1  # let the window finish painting
if inspect capture "Z:${work//\//\\}\\shot.bmp" >/dev/null && convert "$work/shot.bmp" "$shot"; then
  echo "screenshot: $shot"
else
  echo "run-app: could not take the screenshot" >&2
  ((own_display)) || exit 1
fi

if ((own_display)); then
  echo "Tempowave is running on $DISPLAY; close its window to end."
else
  inspect close >/dev/null
fi
rc=0
wait "$app_pid" || rc=$?
app_pid=
echo "Tempowave exited with code $rc"
exit "$rc"
