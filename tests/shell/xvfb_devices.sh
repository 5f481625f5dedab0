#!/usr/bin/env bash
# The real program in a virtual X session with a virtual card remembered as board 0 in
# zeq.ini: `zeqdesk FILE` finds it with Board:0 chosen in its slot bar, and its "连接设备"
# button, reached with the keyboard (F6 to the instruction box, Tab to the device widgets:
# target list, search, board list, name, button) and pressed with Space, connects it. The
# card's open shows in ZEQLINK_TRACE (nothing touches the card before), Alt+F, X closes the
# program and zeq.ini keeps the card's board.
set -euo pipefail
zeqdesk=$1
script=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp "$script" "$home/demo.zeq"
mkdir -p "$home/dat"
printf '[Drevices]\nZEQ-SIM0=0\nBoardType=0\n' > "$home/dat/zeq.ini"
export ZEQDESK_TEST_BIN=$zeqdesk ZEQDESK_TEST_HOME=$home ZEQLINK_TRACE=$home/trace.txt
xvfb-run -a -s '-screen 0 1280x800x24' bash -c '
  set -euo pipefail
  "$ZEQDESK_TEST_BIN" --home "$ZEQDESK_TEST_HOME" --sim 1 "$ZEQDESK_TEST_HOME/demo.zeq" &
  pid=$!
  fail() { echo "$1" >&2; kill $pid 2>/dev/null || true; exit 1; }
  win=""
  for _ in $(seq 1 300); do
    win=$(xdotool search --onlyvisible --name "^ZeqDesk - " 2>/dev/null | head -n 1 || true)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || fail "no zeqdesk window appeared"
  xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
  sleep 0.5
  [ ! -s "$ZEQLINK_TRACE" ] || fail "the card was talked to before its button was pressed"
  xdotool key --window "$win" --clearmodifiers F6
  sleep 0.2
  xdotool key --window "$win" --clearmodifiers --delay 100 Tab Tab Tab Tab Tab space
  for _ in $(seq 1 100); do
    [ -s "$ZEQLINK_TRACE" ] && break
    sleep 0.1
  done
  [ -s "$ZEQLINK_TRACE" ] || fail "pressing \"连接设备\" did not open the card"
  sleep 0.5
  # Running the script with Alt+R over the connected board goes here.
  xdotool key --window "$win" --clearmodifiers alt+f
  sleep 0.3
  xdotool key --clearmodifiers x
  for _ in $(seq 1 300); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  kill -0 $pid 2>/dev/null && fail "Alt+F, X did not close zeqdesk"
  wait $pid
'
# The open's first frame is a write; the card answered.
head -n 1 "$home/trace.txt" | grep -q '^W '
grep -q '^R ' "$home/trace.txt"
grep -qx 'ZEQ-SIM0=0' "$home/dat/zeq.ini"
echo "zeqdesk connected ZEQ-SIM0 as board 0 from its slot bar"
