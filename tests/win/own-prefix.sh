#!/usr/bin/env bash
# Runs one test command with a Wine prefix of its own, so that its wineserver starts in the current network
# namespace (the run's shared wineserver sees the run's namespace only). Used under scripts/with-netns.sh.
#   tests/win/own-prefix.sh [--gui] PROGRAM.exe [args...]   a Windows test program, through wine
#   tests/win/own-prefix.sh [--gui] COMMAND [args...]       a host command that starts Wine programs itself
# --gui: a display of its own (a client in this namespace cannot count on reaching the run's display: Xvfb's
# socket file is shared with other runs and may be gone), otherwise no graphics driver at all.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
base=${TW_RUN_DIR:?run under scripts/run-wine-tests.sh}
graphics=null
if [ "${1:-}" = --gui ]; then graphics=x11; shift; fi
dir=$(mktemp -d "$base/own.XXXXXX")
export WINEPREFIX=$dir/prefix
xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT
if [ "$graphics" = x11 ]; then
  eval "$("$here/scripts/xvfb-start.sh" 1280x1024x24)"
  xvfb_pid=$XVFB_PID
fi
"$here/scripts/make-prefix.sh" "$WINEPREFIX" --graphics "$graphics"
rc=0
case $1 in
  *.exe) "$here/scripts/wine-run.sh" "$@" </dev/null || rc=$? ;;
  *) "$@" </dev/null || rc=$? ;;
esac
exit $rc
