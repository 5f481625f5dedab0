#!/usr/bin/env bash
# Pictures of zeqdesk for the documentation: starts the program under a virtual X server
# (xvfb-run) on a virtual card with examples/demo.zeq open and writes PNGs to docs/images/:
# the main window, and a run paused at a breakpoint.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
zeqdesk=$build/bin/zeqdesk
out=$root/docs/images
if [ ! -x "$zeqdesk" ]; then
  echo "screenshots: $zeqdesk not found; build first (cmake --build --preset default)" >&2
  exit 1
fi
command -v xvfb-run >/dev/null || { echo "screenshots: xvfb-run is missing (apt-get install xvfb xauth)" >&2; exit 1; }
mkdir -p "$out"

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/dat"
cp "$root/examples/demo.zeq" "$home/demo.zeq"
# A window of a fixed size, and two statements in the single-instruction box.
cat > "$home/dat/zeq.ini" <<'INI'
[Toolcfg]
Zoom=0
[CommandLeft]
CommandTotal=2
1=rd curpos, 0
2=wr mcsmaxvel, 50, 0
INI

LANG=C.UTF-8 ZEQLINK_SIM_CLOCK=step xvfb-run -a -s '-screen 0 1280x800x24' \
  "$zeqdesk" --home "$home" --sim 1 --screenshot "$out/zeqdesk-main.png" "$home/demo.zeq"
echo "wrote $out/zeqdesk-main.png"

# A paused run: the virtual card connected as board 0, a breakpoint on "call report" (line 19
# of the demo); the picture shows the running line, the breakpoint and the variables pane.
LANG=C.UTF-8 ZEQLINK_SIM_CLOCK=step xvfb-run -a -s '-screen 0 1280x800x24' \
  "$zeqdesk" --home "$home" --sim 1 --board 0=0 --breakpoint 19 --run \
  --screenshot "$out/zeqdesk-paused.png" "$home/demo.zeq"
echo "wrote $out/zeqdesk-paused.png"
