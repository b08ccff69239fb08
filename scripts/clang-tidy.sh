#!/usr/bin/env bash
# Runs clang-tidy 14 with the repository's .clang-tidy over the program's own sources and tests (src/, tests/),
# two files at a time, from the compile databases of builds already configured. The first database is the
# host's: each file it compiles (the portable code) is checked once, there. Every other file (the Windows code)
# is checked under each further database that compiles it, so that with both MinGW clang builds given the code
# that only one architecture compiles (an #if on __x86_64__, the 32-bit delay-load helper) is read too, and
# what depends on the width of a pointer or size_t is read at both widths. Every finding is an error; the run
# fails on any.
#   scripts/clang-tidy.sh BUILD_DIR [BUILD_DIR...]     e.g. build/native-clang build/win64-clang build/win32-clang
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
tidy=${CLANG_TIDY:-clang-tidy-14}
jobs=${JOBS:-2}
(($#)) || { echo "usage: $0 BUILD_DIR [BUILD_DIR...]" >&2; exit 2; }
work=$(mktemp -d /tmp/tw-tidy.XXXXXX)
trap 'rm -rf "$work"' EXIT
: >"$work/host"
status=0
first=1
for build in "$@"; do
  db=$(cd "$build" && pwd)
  [ -f "$db/compile_commands.json" ] || { echo "clang-tidy: $db has no compile_commands.json" >&2; exit 2; }
  # The repository's own C and C++ files only: not googletest, not generated sources, not resource scripts;
  # after the first database, not the files that the first one has checked.
  python3 - "$here" "$db/compile_commands.json" "$work/host" >"$work/files" <<'PY'
import json, os, sys
root, db, host_path = sys.argv[1], sys.argv[2], sys.argv[3]
host = set(open(host_path).read().split("\n"))
for entry in json.load(open(db)):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    rel = os.path.relpath(path, root)
    if rel.split(os.sep)[0] in ("src", "tests") and path.endswith((".c", ".cpp")) and path not in host:
        print(path)
PY
  sort -u "$work/files" -o "$work/files"
  if ((first)); then cp "$work/files" "$work/host"; first=0; fi
  count=$(wc -l <"$work/files")
  echo "clang-tidy: $count files from $db"
  ((count)) || continue
  t0=$SECONDS
  # One file per run so that a finding names its file; xargs fails when any run failed.
  if ! xargs -a "$work/files" -P "$jobs" -n 1 "$tidy" -p "$db" --quiet >"$work/out" 2>&1; then
    status=1
  fi
  # clang-tidy reports its suppressed-warning counts on stderr even with --quiet: only findings are shown.
  grep -v -E "^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter|^Error while processing" "$work/out" || true
  echo "clang-tidy: $db took $((SECONDS - t0)) s"
done
if ((status)); then echo "clang-tidy: findings above" >&2; else echo "clang-tidy: no findings"; fi
exit $status
