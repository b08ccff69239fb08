#!/usr/bin/env bash
# ctest's emulator for cross-built tests: wine, quiet and dialog-free. Refuses to run without a WINEPREFIX
# so that ~/.wine is never created by accident (scripts/run-wine-tests.sh makes a throwaway prefix).
#
# Now and then (seen once in a few thousand starts, on a 64-bit test) Wine fails to start the program at all
# and falls back to start.exe, which prints "Application could not be started ..." and "ShellExecuteEx
# failed: ..." (translated under other locales) on stdout and exits non-zero before a line of the program has
# run. That is Wine failing to start a process, not the program failing, so exactly that case is started again,
# at most twice, and said so on stderr. Any other outcome, a failing test included, is passed on as it is.
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: WINEPREFIX is not set (use scripts/run-wine-tests.sh)" >&2
  exit 125
fi
: "${WINEDEBUG:=-all}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=;winemenubuilder.exe=d}"
export WINEDEBUG WINEDLLOVERRIDES

out=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'rm -f "$out"' EXIT

# True when what the run printed is Wine's start.exe saying that it could not start the program (on stdout, in
# the language of the test's locale, always naming ShellExecuteEx), and the program itself printed nothing:
# every test program here is a GoogleTest one, which opens with "Running main() from".
wine_could_not_start() {
  grep -q 'ShellExecuteEx' "$out" && ! grep -q '^Running main() from' "$out"
}

attempt=1
while :; do
  : >"$out"
  wine "$@" > >(tee "$out")
  rc=$?
  wait $! 2>/dev/null # let tee finish writing the copy
  if [ "$rc" -ne 0 ] && [ "$attempt" -lt 3 ] && wine_could_not_start; then
    echo "wine-run.sh: Wine could not start ${1:-the program} (attempt $attempt, exit code $rc); starting it again" >&2
    attempt=$((attempt + 1))
    continue
  fi
  exit "$rc"
done
