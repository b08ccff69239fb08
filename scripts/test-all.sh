#!/usr/bin/env bash
# Builds native, native-asan, native-tsan and win32-test, and with clang native-clang, win32-clang and
# win64-clang; runs the three test levels and clang-tidy, prints a summary and fails on any failure. Every Wine
# run happens inside a private network namespace (scripts/run-wine-tests.sh).
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
build_target() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j"$jobs" --target "$2"; }
native_tests() { ctest --test-dir build/"$1" --output-on-failure --no-tests=error -j"$jobs"; }
# A data race fails the test that shows it, at its first report.
tsan_tests() { TSAN_OPTIONS="halt_on_error=1 ${TSAN_OPTIONS:-}" native_tests native-tsan; }
. scripts/host-wine.sh
format_check() { git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run -Werror; }
# The file check of a clang build's exe, without Wine: the same script and import libraries ctest gives it as
# Executable.LoaderFacts (listing that build's tests for ctest would start the 32-bit programs through qemu).
clang_file_check() {
  local b=build/$1 implibs
  implibs=$(sed -nE 's/^TW_IMPLIB_([a-z0-9]+):FILEPATH=(.*)$/--implib \1=\2/p' "$b/CMakeCache.txt")
  # shellcheck disable=SC2086  # one word per option and path
  python3 tests/pe_check.py "$b/Tempowave.exe" --nm "$(sed -n 's/^CMAKE_NM:FILEPATH=//p' "$b/CMakeCache.txt")" $implibs
}

step "format" format_check
step "build native" build native
step "unit tests (native)" native_tests native
step "build native-asan" build native-asan
step "unit tests (ASan+UBSan)" native_tests native-asan
step "build native-tsan" build native-tsan
step "unit tests (TSan)" tsan_tests
if [ -x scripts/fuzz-smoke.sh ]; then step "fuzz smoke" scripts/fuzz-smoke.sh; fi
# The second toolchain: clang 14 builds the portable code and its tests natively, and the program for Windows
# (MinGW target, lld) in 32 and 64 bits, every file with warnings as errors; lld's delay-loads pass the same
# file check; clang-tidy reads both compile databases.
step "build native-clang" build native-clang
step "unit tests (native clang)" native_tests native-clang
# The 32-bit clang build makes the program only: its file check needs nothing else, and the 64-bit clang build
# compiles every file of the tests as well.
step "build win32-clang" build_target win32-clang Tempowave
step "file check, 32-bit clang exe" clang_file_check win32-clang
step "build win64-clang" build win64-clang
# The clang program under Wine, briefly: its file checks, a start to the drawn window (GDI+ through lld's
# delay-load stubs), Run and Run again, an exception in the creation handler, and the last-resort handler
# reached from a paint handler's fault and from an exception nothing catches (clang's unwinding).
clang64="^(Executable[.].*|e2e[.]executable[.].*|e2e[.]window[.]logo_drawn|e2e[.]run[.]run_then_run_again"
clang64+="|e2e[.]program[.]wrongly_typed_option_reported_and_window_usable|CrashHandler[.].*)$"
step "clang 64-bit program (Wine)" scripts/run-wine-tests.sh build/win64-clang -- -R "$clang64"
step "clang-tidy" scripts/clang-tidy.sh build/native-clang build/win64-clang build/win32-clang
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
  # Every level runs on the x86-64 build, end to end included; the shipped 32-bit build then runs a lean
  # end-to-end set through qemu-i386 (about a minute per program start): its file checks, start to the window,
  # Run and Run again with the 32-bit network-connections stand-in, the values and the record in the native
  # registry view, /restore, planted libraries and the crash report, an exception in the creation handler, a
  # null read in a paint handler, and a start where GDI+ finds no sans-serif family.
  echo "test-all: this host runs no 32-bit programs: all Wine levels run on the x86-64 build, a lean" \
    "end-to-end set on the 32-bit build through qemu"
  step "build win64-test" build win64-test
  step "unit + Windows + end-to-end tests, 64-bit (Wine)" scripts/run-wine-tests.sh build/win64-test
  step "window at 144 DPI, 64-bit (Wine)" scripts/run-wine-tests.sh build/win64-test --dpi 144 -- -R "$dpi_tests"
  e2e32="^(Executable[.].*|CrashHandler[.].*|e2e[.]executable[.].*"
  e2e32+="|e2e[.]run[.]run_then_run_again|e2e[.]undo[.](own_values_come_back_exactly|restore_from_the_command_line)"
  e2e32+="|e2e[.]loading[.].*|e2e[.]program[.]wrongly_typed_option_reported_and_window_usable"
  e2e32+="|e2e[.]window[.]logo_without_a_sans_serif_family)$"
  step "32-bit end-to-end set through qemu (Wine)" scripts/run-wine-tests.sh build/win32-test -- -R "$e2e32"
fi
# Both test builds are there now: the release made from them again elsewhere must be byte-identical, then
# signed; the shipped exes (presets win32 and win64) are built here and in the same second build, compared, and
# read for test hooks.
step "release: reproducible, signed and verified" scripts/release-check.sh

echo
echo "=== summary"
fail=0
for r in "${results[@]}"; do
  echo "$r"
  [[ $r == FAIL* ]] && fail=1
done
exit $fail
