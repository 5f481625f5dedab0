#!/usr/bin/env bash
# The real program in a real (virtual) X session, driven by keys as a user would: it shows the
# window titled "ZeqDesk - PATH (USB)" for the file given on the command line, and Alt+F then X
# (File, 退出) closes it cleanly and leaves zeq.ini with Zoom and editsourcepath.
set -euo pipefail
zeqdesk=$1
script=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp "$script" "$home/demo.zeq"
export ZEQDESK_TEST_BIN=$zeqdesk ZEQDESK_TEST_HOME=$home
xvfb-run -a -s '-screen 0 1280x800x24' bash -c '
  set -euo pipefail
  "$ZEQDESK_TEST_BIN" --home "$ZEQDESK_TEST_HOME" --sim 1 "$ZEQDESK_TEST_HOME/demo.zeq" &
  pid=$!
  title="ZeqDesk - $ZEQDESK_TEST_HOME/demo.zeq (USB)"
  win=""
  for _ in $(seq 1 300); do
    win=$(xdotool search --onlyvisible --name "^ZeqDesk - " 2>/dev/null | head -n 1 || true)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || { echo "no zeqdesk window appeared" >&2; kill $pid; exit 1; }
  got=$(xdotool getwindowname "$win")
  [ "$got" = "$title" ] || { echo "title: \"$got\", expected \"$title\"" >&2; kill $pid; exit 1; }
  xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
  sleep 0.3
  xdotool key --window "$win" --clearmodifiers alt+f
  sleep 0.3
  xdotool key --clearmodifiers x
  for _ in $(seq 1 300); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 $pid 2>/dev/null; then echo "Alt+F, X did not close zeqdesk" >&2; kill $pid; exit 1; fi
  wait $pid
'
grep -q '^Zoom=' "$home/dat/zeq.ini"
grep -qx "editsourcepath=$home/demo.zeq" "$home/dat/zeq.ini"
echo "zeqdesk showed \"ZeqDesk - $home/demo.zeq (USB)\" and closed on Alt+F, X"
