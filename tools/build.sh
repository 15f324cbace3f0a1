#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR), $JOBS jobs at once (default: every core).
# Extra arguments go to the build tool.
#
# A compiler warning fails the build: CI's, the landing builds', every build made here, also in a
# build folder configured before (the compile commands stay as they are, so nothing is rebuilt
# for it). The objects that warned are removed, so the next build compiles them again and warns
# again. WERROR=OFF lets one build through with its warnings.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
GEN=()
command -v ninja >/dev/null && GEN=(-G Ninja)
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD_DIR" "${GEN[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
cmake --build "$BUILD_DIR" --parallel "${JOBS:-$(nproc)}" "$@" 2>&1 | tee "$log" || status=$?
[ "$status" -eq 0 ] || exit "$status"
if [ "${WERROR:-ON}" != OFF ] && grep -q "warning:" "$log"; then
  # The build tool prints each object's line, then what its compiler said.
  awk '/^\[[0-9]+\/[0-9]+\] /{obj=""} /^\[[0-9]+\/[0-9]+\] Building CXX object /{obj=$NF}
       /warning:/{if (obj != "") print obj}' "$log" | sort -u | while read -r o; do rm -f "$BUILD_DIR/$o"; done
  echo "build.sh: compiler warnings (below) count as errors:" >&2
  grep "warning:" "$log" >&2
  exit 1
fi
