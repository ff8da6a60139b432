#!/usr/bin/env bash
# Builds the unit tests with AddressSanitizer (leak checking on) and
# UndefinedBehaviorSanitizer in build-asan/ (Ninja, ccache) and runs them through
# ctest. Any report fails its test. Arguments go to ctest (e.g. -R acs_).
#
# To keep CI within its time on two cores (a sanitizer build compiles slowly), this
# pass builds and runs by default only the tests of the code that reads untrusted
# files: the character file reader and builder, the character file fuzz corpus and
# the listening grammar. PW_SANITIZED below is a ctest regex; PW_SANITIZED=. runs
# every unit test (the character runtime, voice, engine...), as a developer should
# after touching them. Windows and X11 tests run in ./test only.
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
sanitized="${PW_SANITIZED:-^(acs_|charbuild_(sources|builder)|fuzz_acs|recognition_grammar)}"
# The test programs behind those tests (several tests may share one program): the
# first word of each test's command, read from the test files ctest reads, since
# ctest itself names no command before its program is built. Tests under Xvfb start
# with tests/with-xvfb, which is no program to build.
targets=$(python3 - "$sanitized" <<'PY'
import os, pathlib, re, sys
wanted = re.compile(sys.argv[1])
programs = set()
for f in pathlib.Path("build-asan").rglob("CTestTestfile.cmake"):
    for name, command in re.findall(r'add_test\(\[=\[(.*?)\]=\] "([^"]+)"', f.read_text()):
        if wanted.search(name) and os.path.basename(command) != "with-xvfb":
            programs.add(os.path.basename(command))
print(" ".join(sorted(programs)))
PY
)
cmake --build build-asan -j2 --target pw_data pw_characters $targets

export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$root/tools/sanitize/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd build-asan
"$root/tests/no-process-left" ctest --output-on-failure -j2 -LE xvfb -R "$sanitized" "$@"
