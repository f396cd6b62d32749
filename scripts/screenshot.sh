#!/usr/bin/env bash
# Saves a picture of the window after start-up, with a typical board's settings, under a
# virtual X server: scripts/screenshot.sh [OUT.png]   (default: docs/window.png)
# The build folder is build/default unless BUILD_DIR names another.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs/window.png}")
build=${BUILD_DIR:-$root/build/default}
gui=$build/ladder51-gui
cli=$build/ladder51
for tool in "$gui" "$cli"; do
  [ -x "$tool" ] || { echo "screenshot: $tool is missing; build first (make build)" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "screenshot: xvfb-run is missing (apt-get install xvfb xauth)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ladder51-board.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Start and stop buttons on P3.2 and P3.3, a motor and a lamp on P1.0 and P1.1, a 24C16 on
# P3.6/P3.7, a MAX7219 on P1.5..P1.7.
"$cli" settings -C "$work" --pin P3.2=X0 --pin P3.3=X1 --pin P1.0=Y0 --pin P1.1=Y1 \
  --xtal 11.0592 --filter 3 --eeprom 24c16 --scl 3.6 --sda 3.7 \
  --display on --din 1.5 --load 1.6 --clk 1.7 >/dev/null 2>&1

mkdir -p "$(dirname "$out")"
xvfb-run -a -s "-screen 0 1280x800x24" "$gui" --dir "$work" --screenshot "$out"
echo "wrote $out"
