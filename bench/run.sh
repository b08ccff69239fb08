#!/usr/bin/env bash
# Start-up benchmark: Tempowave.exe against a bare Win32 window built the same way, interleaved runs under a
# warm wineserver, inside a private network namespace with loopback stand-ins for the update service and probe.
#   bench/run.sh [runs]        (default 15 runs of each)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-15}
build=$here/build/win32-test
if [ -z "${TW_NETNS:-}" ]; then
  "$here/scripts/install-deps.sh"
  cmake --preset win32-test >/dev/null
  cmake --build --preset win32-test -j"${JOBS:-2}" >/dev/null
  exec "$here/scripts/with-netns.sh" -- "$0" "$runs"
fi

export TW_CACHE=${TW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tempowave}
run=$(mktemp -d /tmp/tw-bench.XXXXXX)
export HOME=$run/home WINEPREFIX=$run/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$HOME"
pids=()
cleanup() {
  wineserver -k 2>/dev/null || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$run"
}
trap cleanup EXIT
"$here/scripts/make-prefix.sh" "$WINEPREFIX" >/dev/null
eval "$("$here/scripts/xvfb-start.sh" 1280x1024x24)"
pids+=("$XVFB_PID")
python3 "$here/bench/standins.py" >/dev/null 2>&1 &
pids+=($!)
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null

launcher=$build/bench/bench_launcher.exe
measure() { wine "$launcher" "$1" 2>/dev/null | tr -d '\r'; }
measure "$build/Tempowave.exe" >/dev/null  # warm-up: first start fills caches
measure "$build/bench/bare_window.exe" >/dev/null
: >"$run/tw.txt"
: >"$run/bare.txt"
for _ in $(seq "$runs"); do
  measure "$build/Tempowave.exe" >>"$run/tw.txt"
  measure "$build/bench/bare_window.exe" >>"$run/bare.txt"
done
python3 "$here/bench/report.py" "$run/tw.txt" "$run/bare.txt" "$build/Tempowave.exe" "$build/bench/bare_window.exe"
