#!/usr/bin/env bash
# Runs one Windows test program with a prefix of its own, so that its wineserver starts in the current network
# namespace (the run's shared wineserver sees the run's namespace only). Used under scripts/with-netns.sh.
#   tests/win/own-prefix.sh PROGRAM.exe [args...]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
base=${TW_RUN_DIR:?run under scripts/run-wine-tests.sh}
dir=$(mktemp -d "$base/own.XXXXXX")
export WINEPREFIX=$dir/prefix
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT
"$here/scripts/make-prefix.sh" "$WINEPREFIX" --graphics null
rc=0
"$here/scripts/wine-run.sh" "$@" </dev/null || rc=$?
exit $rc
