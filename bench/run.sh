#!/usr/bin/env bash
# The benchmark, inside a private network namespace with loopback stand-ins for the update service and probe,
# under a warm wineserver with the test stand-in of the network-connections component:
#  1. start-up: Tempowave.exe against two baselines built the same way, a plain window with the same child
#     windows and a bare window, in interleaved runs;
#  2. network work: Run->Running against the probe's round-trip, handles and GDI/USER objects across Run/Stop
#     cycles and update dialogs, the window's worst round-trip while the update check and the connectivity
#     wait are waiting on slow answers and while an adapter that takes 2 s per call restarts.
#   bench/run.sh [runs] [cycles]        (default 15 start-up runs of each, 200 cycles)
# It measures the shipped i686 build, or the x86_64 one on a host that runs no 32-bit programs
# (scripts/host-wine.sh); TW_BENCH_PRESET=win64-test or win32-test chooses.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
runs=${1:-15}
cycles=${2:-200}
. "$here/scripts/host-wine.sh"
if [ "$TW_HOST_32BIT" = 1 ]; then preset=${TW_BENCH_PRESET:-win32-test}; else preset=${TW_BENCH_PRESET:-win64-test}; fi
build=$here/build/$preset
if [ -z "${TW_NETNS:-}" ]; then
  "$here/scripts/install-deps.sh"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"${JOBS:-2}" >/dev/null
  exec "$here/scripts/with-netns.sh" -- "$here/bench/run.sh" "$runs" "$cycles"
fi

. "$here/scripts/wine-session.sh"
start_wine_session "$build"
standins=
trap 'kill $standins 2>/dev/null || true; stop_wine_session' EXIT
python3 "$here/bench/standins.py" >/dev/null 2>&1 &
standins=$!

launcher=$build/bench/bench_launcher.exe
measure() { wine "$launcher" "$1" 2>/dev/null | tr -d '\r'; }
measure "$build/Tempowave.exe" >/dev/null  # warm-up: first start fills caches
measure "$build/bench/same_widgets.exe" >/dev/null
measure "$build/bench/bare_window.exe" >/dev/null
: >"$TW_RUN_DIR/tw.txt"
: >"$TW_RUN_DIR/same.txt"
: >"$TW_RUN_DIR/bare.txt"
for _ in $(seq "$runs"); do
  measure "$build/Tempowave.exe" >>"$TW_RUN_DIR/tw.txt"
  measure "$build/bench/same_widgets.exe" >>"$TW_RUN_DIR/same.txt"
  measure "$build/bench/bare_window.exe" >>"$TW_RUN_DIR/bare.txt"
done
python3 "$here/bench/report.py" "$TW_RUN_DIR/tw.txt" "$TW_RUN_DIR/same.txt" "$TW_RUN_DIR/bare.txt" \
  "$build/Tempowave.exe" "$build/bench/same_widgets.exe" "$build/bench/bare_window.exe"
kill $standins 2>/dev/null || true
wait $standins 2>/dev/null || true
standins=
python3 "$here/bench/network.py" "$build" "$cycles"
