#!/bin/sh
# ctest's emulator for cross-built tests: wine, quiet and dialog-free. Refuses to run without a WINEPREFIX
# so that ~/.wine is never created by accident (scripts/run-tests.sh makes a throwaway prefix).
if [ -z "$WINEPREFIX" ]; then
  echo "wine-run.sh: WINEPREFIX is not set (use scripts/run-tests.sh)" >&2
  exit 125
fi
: "${WINEDEBUG:=-all}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=;winemenubuilder.exe=d}"
export WINEDEBUG WINEDLLOVERRIDES
exec wine "$@"
