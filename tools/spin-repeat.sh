#!/usr/bin/env bash
# Holds the up button of the grid's spin editor (or, with "date", of the up-down date picker's
# spin pair) in the grid editors test form under a display server for HOLD seconds and prints
# the steps it gave beside the repeat rhythm's 1 + (T - 400 ms) / 100 ms. Exits 1 when they
# differ by more than 2.
# Usage: DISPLAY=:N tools/spin-repeat.sh [build-dir] [hold-seconds] [spin|date]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build}
HOLD=${2:-2}
KIND=${3:-spin}
: "${DISPLAY:?set DISPLAY to a running X server}"
form="$BUILD_DIR/tests/controls/grid/grid_editors_form"
log=$(mktemp)
"$form" >"$log" 2>/dev/null &
pid=$!
trap 'kill $pid 2>/dev/null; rm -f "$log"' EXIT
xdotool search --sync --name "^Grid editors$" >/dev/null
sleep 0.5
# The form stands at (5, 20) without a window manager, its columns 74 pixels wide from x = 81: the
# kind's first cell, then its up button at the cell's right edge.
case "$KIND" in
  spin) col=1 ;;
  date) col=15 ;;
  *) echo "unknown kind $KIND" >&2; exit 2 ;;
esac
left=$((81 + (col - 1) * 74))
xdotool mousemove $((left + 37)) 55 click 1
sleep 0.3
xdotool key F2
sleep 0.5
before=$(grep -c "^$KIND " "$log" || true)
xdotool mousemove $((left + 59)) 49
sleep 0.2
xdotool mousedown 1
sleep "$HOLD"
xdotool mouseup 1
sleep 0.3
steps=$(($(grep -c "^$KIND " "$log" || true) - before))
want=$(awk -v t="$HOLD" 'BEGIN { printf "%d", 1 + (t * 1000 - 400) / 100 }')
echo "held ${HOLD} s: ${steps} steps (rhythm: ${want})"
[ $((steps - want)) -le 2 ] && [ $((want - steps)) -le 2 ]
