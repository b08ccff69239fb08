#!/usr/bin/env bash
# Builds native, native-asan, native-tsan and win32-test, runs the three test levels, prints a summary and fails
# on any failure. Every Wine run happens inside a private network namespace (scripts/run-wine-tests.sh).
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
declare -a names results
step() {  # step NAME command...
  local name=$1; shift
  local t0=$SECONDS
  echo "=== $name"
  if "$@"; then results+=("PASS  $name ($((SECONDS - t0)) s)"); else results+=("FAIL  $name ($((SECONDS - t0)) s)"); fi
}
build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j"$jobs"; }
native_tests() { ctest --test-dir build/"$1" --output-on-failure --no-tests=error -j"$jobs"; }
# A data race fails the test that shows it, at its first report.
tsan_tests() { TSAN_OPTIONS="halt_on_error=1 ${TSAN_OPTIONS:-}" native_tests native-tsan; }
. scripts/host-wine.sh
format_check() { git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run -Werror; }

step "format" format_check
step "build native" build native
step "unit tests (native)" native_tests native
step "build native-asan" build native-asan
step "unit tests (ASan+UBSan)" native_tests native-asan
step "build native-tsan" build native-tsan
step "unit tests (TSan)" tsan_tests
if [ -x scripts/fuzz-smoke.sh ]; then step "fuzz smoke" scripts/fuzz-smoke.sh; fi
step "build win32-test" build win32-test
# The window and its widgets again on a 150 % display: layout, fonts and drawing scale from the 96-DPI table.
dpi_tests="MainWindowTest|MainWindowCreate|MainWindowResources|MainWindowLook|ThemeHelper|FitLabelFont|Widgets|SvgRender"
if [ "$TW_HOST_32BIT" = 1 ]; then
  step "Windows + end-to-end tests (Wine)" scripts/run-wine-tests.sh build/win32-test
  # The same unit and Windows tests built for x86-64 (the end-to-end tests drive the shipped 32-bit program).
  step "build win64-test" build win64-test
  step "unit + Windows tests, 64-bit (Wine)" scripts/run-wine-tests.sh build/win64-test -- -E "^e2e[.]"
  step "window at 144 DPI (Wine)" scripts/run-wine-tests.sh build/win32-test --dpi 144 -- -R "$dpi_tests"
else
  # The 32-bit build is still compiled above; every level runs on the x86-64 build, end to end included.
  echo "test-all: this host runs no 32-bit programs: all Wine levels run on the x86-64 build"
  step "build win64-test" build win64-test
  step "unit + Windows + end-to-end tests, 64-bit (Wine)" scripts/run-wine-tests.sh build/win64-test
  step "window at 144 DPI, 64-bit (Wine)" scripts/run-wine-tests.sh build/win64-test --dpi 144 -- -R "$dpi_tests"
fi

echo
echo "=== summary"
fail=0
for r in "${results[@]}"; do
  echo "$r"
  [[ $r == FAIL* ]] && fail=1
done
exit $fail
