#!/usr/bin/env bash
# Compares the speed of `zeq compile` with `luac -p` (parse only) on equivalent programs of
# about 100,000 lines: the same functions, branches, loops, calls and built-in calls written
# in each language. Prints lines per second for both.
#
# Usage: bench/compare_compile.sh [path/to/zeq] [lines]
set -euo pipefail

ZEQ=${1:-"$(dirname "$0")/../build/bin/zeq"}
LINES=${2:-100000}
RUNS=5

if ! command -v luac5.4 >/dev/null 2>&1 && ! command -v luac >/dev/null 2>&1; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get install -y lua5.4
fi
LUAC=$(command -v luac5.4 || command -v luac)

if [ ! -x "$ZEQ" ]; then
  echo "zeq not found at $ZEQ (build it first: cmake --build build --target zeq)" >&2
  exit 2
fi

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
FUNCS=$((LINES / 40))

# The ZEQ script: 40 lines per function.
awk -v n="$FUNCS" 'BEGIN {
  print "var g"; print "#def ZEQ_LONG speed"; print "main"; print "\tcall f0"; print "end"
  for (f = 0; f < n; f++) {
    print "fun f" f
    print "\tvar i k"
    print "\tk = k + 1 ; counter"
    print "\tif k > 3 then"; print "\t\tSetMCSmaxvel 1000, 0"
    print "\telseif k == 2 then"; print "\t\twr mcsmaxvel, 5, 1"
    print "\telse"; print "\t\trd mcspos, 0"; print "\tendif"
    print "\twhile k < 10 do"; print "\t\tk = k + 2"
    print "\t\tif k == 7 then"; print "\t\t\tbreak"; print "\t\tendif"; print "\twend"
    print "\tfor i = 1 to 10 step 2 do"; print "\t\tMoveAbsolute i * 10, 0"
    print "\t\tif i == 5 then"; print "\t\t\tcontinue"; print "\t\tendif"; print "\tnext"
    print "\tgoto skip" f; print "\tpause"; print "skip" f ":"
    print "\tGetCurPos g, 0"
    print "\t3 @Z, COP16 encp, 0, user32b0, 0"
    print "\tPathEvent"; print "\tSET16 1, user16b0, 0"; print "\tEndPathEvent"
    print "\tPathAddLine 2, k, i"
    print "\twt mcsmoving, 0"
    print "\twa k > 1"
    print "\tboard 0"
    print "\tmg \"step " f "\""
    print "\tsleep 1"
    print "\tLinear2A 10, 100, 0, 200, 1, g"
    print "\tcall f" ((f + 1) % n)
    print "\texit"
    print "end"
  }
}' > "$WORK/prog.zeq"

# The same program in Lua: the built-ins become calls, the labels goto targets.
awk -v n="$FUNCS" 'BEGIN {
  print "g = 0"; print "speed = 0"; print "function main()"; print "  f0()"; print "end"
  for (f = 0; f < n; f++) {
    print "function f" f "()"
    print "  local i, k = 0, 0"
    print "  k = k + 1 -- counter"
    print "  if k > 3 then"; print "    SetMCSmaxvel(1000, 0)"
    print "  elseif k == 2 then"; print "    wr(\"mcsmaxvel\", 5, 1)"
    print "  else"; print "    rd(\"mcspos\", 0)"; print "  end"
    print "  while k < 10 do"; print "    k = k + 2"
    print "    if k == 7 then"; print "      break"; print "    end"; print "  end"
    print "  for i = 1, 10, 2 do"; print "    MoveAbsolute(i * 10, 0)"
    print "    if i == 5 then"; print "      goto continue"; print "    end"
    print "    ::continue::"; print "  end"
    print "  goto skip" f; print "  pause()"; print "  ::skip" f "::"
    print "  g = GetCurPos(0)"
    print "  event(3, \"Z\", \"COP16\", \"encp\", 0, \"user32b0\", 0)"
    print "  PathEvent()"; print "  SET16(1, \"user16b0\", 0)"; print "  EndPathEvent()"
    print "  PathAddLine(2, k, i)"
    print "  wt(\"mcsmoving\", 0)"
    print "  wa(k > 1)"
    print "  board(0)"
    print "  mg(\"step " f "\")"
    print "  sleep(1)"
    print "  g = Linear2A(10, 100, 0, 200, 1)"
    print "  f" ((f + 1) % n) "()"
    print "  do return end"
    print "end"
  }
}' > "$WORK/prog.lua"

zlines=$(wc -l < "$WORK/prog.zeq")
llines=$(wc -l < "$WORK/prog.lua")
mkdir -p "$WORK/home"

# Best CPU time (user + system, seconds) of RUNS runs of the command. CPU time rather than wall
# time: the build machine is shared and its load would otherwise dominate the figures.
best() {
  local best=""
  for _ in $(seq "$RUNS"); do
    local t
    t=$( { TIMEFORMAT='%3U %3S'; time "$@" >/dev/null 2>&1 || echo "FAIL" >&2; } 2>&1 | tail -1 )
    case "$t" in *FAIL*) echo "command failed: $*" >&2; exit 1 ;; esac
    t=$(echo "$t" | awk '{ printf "%.3f", $1 + $2 }')
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" -eq 1 ]; then best=$t; fi
  done
  if [ "$(echo "$best <= 0" | bc -l)" -eq 1 ]; then best=0.001; fi
  echo "$best"
}

tz=$(best "$ZEQ" --home "$WORK/home" compile "$WORK/prog.zeq")
tl=$(best "$LUAC" -p "$WORK/prog.lua")

printf '%-14s %8s lines  %8.3f s  %12.0f lines/s (CPU)\n' "zeq compile" "$zlines" "$tz" "$(echo "$zlines / $tz" | bc -l)"
printf '%-14s %8s lines  %8.3f s  %12.0f lines/s (CPU)\n' "luac -p" "$llines" "$tl" "$(echo "$llines / $tl" | bc -l)"
