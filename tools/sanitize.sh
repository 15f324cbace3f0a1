#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer (RelWithDebInfo, no benchmarks) into
# build-asan/ (or $BUILD_DIR) and runs every test; any sanitizer report fails its test. The program
# built there (build-asan/app/velmaron), started and closed with these options exported, ends 0.
# $JOBS compile jobs and test processes at once (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
BUILD_DIR=${BUILD_DIR:-build-asan}
JOBS=${JOBS:-$(nproc)}
FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
GEN=()
command -v ninja >/dev/null && GEN=(-G Ninja)
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD_DIR" "${GEN[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMARON_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$FLAGS" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
fi
cmake --build "$BUILD_DIR" --parallel "$JOBS"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_init_order=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Leaks inside the system's libraries only (the file says which); the program's own are reported.
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan-suppressions.txt:print_suppressions=0
cd "$BUILD_DIR"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$JOBS" "$@"
