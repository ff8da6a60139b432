#!/usr/bin/env bash
# Builds the unit tests with AddressSanitizer (leak checking on) and
# UndefinedBehaviorSanitizer in build-asan/ (Ninja, ccache) and runs them through
# ctest. Any report fails its test. Arguments go to ctest (e.g. -R acs_).
#
# To stay within the time of an ordinary ./test on two cores, this pass builds only
# the unit_tests target (not the program itself nor the benchmarks), and skips the
# tests that need an X server (label "xvfb": the end-to-end runs of the program and
# the X11 window and key tests); those run in ./test.
#
# Leaks inside system libraries are suppressed in tools/sanitize/lsan.supp, each with
# the reason; anything else is ours to fix.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
sanitizers="address,undefined"
# Configured every time, so that a change of flags here takes effect. -O1 and line
# tables only (-g1) keep the build quick; reports still name files and lines.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
  -DCMAKE_CXX_FLAGS="-fsanitize=$sanitizers -fno-omit-frame-pointer -fno-sanitize-recover=all" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=$sanitizers" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=$sanitizers" \
  -DPW_TEST_TIMEOUT_SCALE=3 > /dev/null
cmake --build build-asan -j2 --target unit_tests

export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$root/tools/sanitize/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd build-asan
ctest --output-on-failure -j2 -LE xvfb "$@"
