#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each briefly from its seed corpus.
#   scripts/fuzz-smoke.sh [total seconds, default 25: 5 s a target]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
total=${1:-25}
build=$here/build/fuzz
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DTEMPOWAVE_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
targets=(strings_fuzz answer_fuzz markup_fuzz translate_fuzz record_fuzz)
cmake --build "$build" -j"${JOBS:-2}" --target "${targets[@]}"
per=$((total / ${#targets[@]}))
work=$(mktemp -d /tmp/tw-fuzz.XXXXXX)
trap 'rm -rf "$work"' EXIT
for t in "${targets[@]}"; do
  # A scratch copy of the seeds: what the run discovers stays out of the source tree.
  mkdir -p "$work/$t"
  cp "$here/tests/fuzz/corpus/$t/"* "$work/$t/" 2>/dev/null || true
  echo "--- $t (${per} s)"
  status=0
  "$build/tests/fuzz/$t" -max_total_time="$per" -max_len=4096 -print_final_stats=1 -artifact_prefix="$work/" "$work/$t" \
    >"$work/$t.log" 2>&1 || status=$?
  grep -E "^(#[0-9]+ +DONE|stat::number_of_executed_units)" "$work/$t.log" || true
  if [ "$status" -ne 0 ]; then
    tail -40 "$work/$t.log"
    for a in "$work"/crash-* "$work"/leak-* "$work"/timeout-*; do [ -e "$a" ] && od -c "$a" | head -20; done
    exit "$status"
  fi
done
