#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
# Without a parallel port the program runs against the simulated adapter.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
bash tools/build.sh --target velmaron
exec "${BUILD_DIR:-build}/app/velmaron" "$@"
