#!/usr/bin/env bash
# Configures (once) and builds into ./build with Ninja and ccache.
# PW_LINE_TABLES_ONLY=1 (set by CI) configures a fresh build with line tables only
# (-g1) in place of full debug information: backtraces and test reports still name
# files and lines, and compiling and linking take a good deal less time. A developer's
# build keeps full debug information, for the debugger.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
if [ ! -f build/build.ninja ]; then
  flags=()
  if [ -n "${PW_LINE_TABLES_ONLY:-}" ]; then flags+=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"); fi
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${flags[@]}"
fi
cmake --build build -j2
