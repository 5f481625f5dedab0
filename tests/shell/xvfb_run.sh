#!/usr/bin/env bash
# The real program in a virtual X session runs a script from its key: with a virtual card
# remembered as board 0 and connected at start-up, Alt+R compiles and runs the file given on
# the command line. Its frames reach the wire (ZEQLINK_TRACE), dat/build.dat is written and
# "运行结束！" ends the output pane (copied to a file with --output-log).
#
# The connection is made with --board 0=0 (as the command-line tool does). The device bars'
# "连接设备" button is the user's way to the same state; a test of that button belongs with
# the bars.
set -euo pipefail
zeqdesk=$1
script=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp "$script" "$home/demo.zeq"
mkdir -p "$home/dat"
printf '[Drevices]\nZEQ-SIM0=0\nBoardType=0\n' > "$home/dat/zeq.ini"
export ZEQDESK_TEST_BIN=$zeqdesk ZEQDESK_TEST_HOME=$home
export ZEQLINK_TRACE=$home/trace.txt
xvfb-run -a -s '-screen 0 1280x800x24' bash -c '
  set -euo pipefail
  "$ZEQDESK_TEST_BIN" --home "$ZEQDESK_TEST_HOME" --sim 1 --board 0=0 \
    --output-log "$ZEQDESK_TEST_HOME/output.txt" "$ZEQDESK_TEST_HOME/demo.zeq" &
  pid=$!
  win=""
  for _ in $(seq 1 300); do
    win=$(xdotool search --onlyvisible --name "^ZeqDesk - " 2>/dev/null | head -n 1 || true)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || { echo "no zeqdesk window appeared" >&2; kill $pid; exit 1; }
  xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
  # The connection is made on the worker of the device bars once the window shows.
  for _ in $(seq 1 100); do
    grep -q "ZEQ-SIM0 已连接" "$ZEQDESK_TEST_HOME/output.txt" && break
    sleep 0.1
  done
  grep -q "ZEQ-SIM0 已连接" "$ZEQDESK_TEST_HOME/output.txt" ||
    { echo "the virtual card is not connected" >&2; kill $pid; exit 1; }
  sleep 0.3
  xdotool key --window "$win" --clearmodifiers alt+r
  for _ in $(seq 1 600); do
    grep -q "运行结束！" "$ZEQDESK_TEST_HOME/output.txt" && break
    sleep 0.1
  done
  xdotool key --window "$win" --clearmodifiers alt+f
  sleep 0.3
  xdotool key --clearmodifiers x
  for _ in $(seq 1 300); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 $pid 2>/dev/null; then kill $pid; fi
  wait $pid || true
'
out=$home/output.txt
tail -c 64 "$out" | grep -q "运行结束！" || { echo "the output does not end with 运行结束！:" >&2; cat "$out" >&2; exit 1; }
grep -q "demo finished" "$out"
test -s "$home/dat/build.dat"
# Queue FIFO command blocks of the run (port register 4), not only the connect's traffic.
grep -q '^W 84 ' "$ZEQLINK_TRACE" || { echo "no queue FIFO frames in the trace" >&2; exit 1; }
echo "Alt+R ran demo.zeq to its end on the virtual card: frames traced, build.dat written"
