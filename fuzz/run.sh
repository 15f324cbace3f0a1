#!/usr/bin/env bash
# Builds every fuzz target with clang (libFuzzer, AddressSanitizer, UBSan) in
# build-fuzz/ and runs each for a bounded time.
#   fuzz/run.sh [seconds-per-target] [target-name-filter]
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET=${1:-60}
FILTER=${2:-}
BUILD_DIR=build-fuzz
GEN=()
command -v ninja >/dev/null && GEN=(-G Ninja)
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  CXX=clang++ CC=clang cmake -S . -B "$BUILD_DIR" "${GEN[@]}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMARON_FUZZ=ON -DVELMARON_TESTS=OFF -DVELMARON_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fsanitize=fuzzer-no-link -fno-omit-frame-pointer"
fi
cmake --build "$BUILD_DIR" --parallel "${JOBS:-$(nproc)}"
status=0
while IFS= read -r t; do
  name=$(basename "$t")
  [ -n "$FILTER" ] && [[ "$name" != *"$FILTER"* ]] && continue
  corpus="$BUILD_DIR/corpus/$name"
  mkdir -p "$corpus" "$BUILD_DIR/artifacts"
  seeds="fuzz/seeds/$name"
  echo "== $name for ${SECONDS_PER_TARGET}s"
  args=("$corpus")
  [ -d "$seeds" ] && args+=("$seeds")
  if ! QT_QPA_PLATFORM=offscreen "$t" -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=4096 \
       -print_final_stats=1 \
       -artifact_prefix="$BUILD_DIR/artifacts/$name-" "${args[@]}" 2>"$BUILD_DIR/$name.log"; then
    echo "FAILED: $name (see $BUILD_DIR/$name.log)"; tail -40 "$BUILD_DIR/$name.log"; status=1
  else
    grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$BUILD_DIR/$name.log" | tail -2
  fi
done < <(find "$BUILD_DIR/fuzz" -type f -executable -name 'fuzz_*' | sort)
exit $status
