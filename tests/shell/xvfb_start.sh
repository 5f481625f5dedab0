#!/usr/bin/env bash
# Starts zeqdesk under a virtual X server with a script on a virtual card, lets it take a
# picture of its window and close, then checks the picture and the settings it left.
set -euo pipefail
zeqdesk=$1
script=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp "$script" "$home/demo.zeq"
xvfb-run -a -s '-screen 0 1280x800x24' \
  "$zeqdesk" --home "$home" --sim 1 --screenshot "$home/window.png" "$home/demo.zeq"
test -s "$home/window.png"
head -c 8 "$home/window.png" | od -An -tx1 | grep -q '89 50 4e 47'
grep -q '^Zoom=' "$home/dat/zeq.ini"
grep -qx "editsourcepath=$home/demo.zeq" "$home/dat/zeq.ini"
echo "zeqdesk started, showed its window and wrote its settings"
