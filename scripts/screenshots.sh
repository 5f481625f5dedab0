#!/usr/bin/env bash
# Pictures of zeqdesk for the documentation: starts the program under a virtual X server
# (xvfb-run) on a virtual card with examples/demo.zeq open and writes PNGs to docs/images/.
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

# The device bars with two virtual cards: ZEQ-SIM1 remembered as board 3, ZEQ-SIM0 given
# board 0 by the search; command 32925 (the first slot bar's "连接设备") connects ZEQ-SIM0
# before the picture is taken.
cat > "$home/dat/zeq.ini" <<'INI'
[Toolcfg]
Zoom=0
[Drevices]
ZEQ-SIM1=3
BoardType=0
INI
LANG=C.UTF-8 ZEQLINK_SIM_CLOCK=step xvfb-run -a -s '-screen 0 1280x800x24' \
  "$zeqdesk" --home "$home" --sim 2 --screenshot "$out/zeqdesk-devices.png" --show 32925 \
  "$home/demo.zeq"
echo "wrote $out/zeqdesk-devices.png"
