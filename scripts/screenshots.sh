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
# A window of a fixed size, two statements in the single-instruction box, and three rows in
# the watch box.
cat > "$home/dat/zeq.ini" <<'INI'
[Toolcfg]
Zoom=0
ListGetTime=100
[CommandLeft]
CommandTotal=2
1=rd curpos, 0
2=wr mcsmaxvel, 50, 0
[ListView]
paramnum=3
0=naxis:0:0
1=mcspos:0:0
2=curvel:1:0
INI

# shot NAME [OPTION...]: one picture of the program with demo.zeq open.
shot() {
  local name=$1
  shift
  LANG=C.UTF-8 ZEQLINK_SIM_CLOCK=step xvfb-run -a -s '-screen 0 1280x800x24' \
    "$zeqdesk" --home "$home" --sim 1 --board 0=0 --screenshot "$out/$name" "$@" "$home/demo.zeq"
  echo "wrote $out/$name"
}

shot zeqdesk-main.png
# The watch box polling its rows (command 32902, "获取参数值").
shot zeqdesk-watch.png --show 32902
# The graph dialog (command 33012) showing a capture of a move: axis 0's position against
# the card's time, taken by the graph capture on a virtual card with a USB card's timing.
bench=$build/bin/bench_shell_graph
if [ -x "$bench" ]; then
  LANG=C.UTF-8 "$bench" --move-csv "$home/move.csv"
  ZEQDESK_GRAPH_OPEN=$home/move.csv shot zeqdesk-graph.png --show 33012
else
  echo "screenshots: $bench not built; no graph picture" >&2
fi
# The homing dialog (command 32985).
shot zeqdesk-homing.png --show 32985

# The register configuration, teach and firmware dialogs, each opened by its menu command on
# the virtual card connected as board 0 (--board 0=0). The teach dialog reloads the point
# file it remembers in section "Teach" of zeq.ini.
cat > "$home/points.csv" <<'CSV'
point,axis0,axis1,axis2,axis3,speed,endspeed
point1,0.0000,0.0000,,,20.0,1.0
point2,150.0000,0.0000,,,20.0,1.0
point3,150.0000,80.5000,,,10.0,1.0
point4,0.0000,80.5000,,,10.0,0.0
CSV
cat >> "$home/dat/zeq.ini" <<INI
[Teach]
PointFile=$home/points.csv
JogSpeed=5.0
Mode=1
INI
for shot in "32938 zeqdesk-regconfig.png" "33013 zeqdesk-teach.png" "33019 zeqdesk-firmware.png"; do
  set -- $shot
  LANG=C.UTF-8 ZEQLINK_SIM_CLOCK=step xvfb-run -a -s '-screen 0 1280x800x24' \
    "$zeqdesk" --home "$home" --sim 1 --board 0=0 --screenshot "$out/$2" --show "$1" "$home/demo.zeq"
  echo "wrote $out/$2"
done

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

# A paused run: the virtual card connected as board 0, a breakpoint on "call report" (line 19
# of the demo); the picture shows the running line, the breakpoint and the variables pane.
LANG=C.UTF-8 ZEQLINK_SIM_CLOCK=step xvfb-run -a -s '-screen 0 1280x800x24' \
  "$zeqdesk" --home "$home" --sim 1 --board 0=0 --breakpoint 19 --run \
  --screenshot "$out/zeqdesk-paused.png" "$home/demo.zeq"
echo "wrote $out/zeqdesk-paused.png"
