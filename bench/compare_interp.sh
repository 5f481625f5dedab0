#!/usr/bin/env bash
# Compares the interpreter's speed with lua5.4 and python3 on equivalent programs: a tight
# arithmetic loop and a loop with a function call, every assignment echoed ("x=%d\r\n") into a
# sink that drops the text (/dev/null for the peers). Prints statements per second, counting
# for every language the statements the interpreter executes per loop turn (5 and 7).
#
# Usage: bench/compare_interp.sh [path/to/bench_desk_interp] [turns]
set -euo pipefail

BENCH=${1:-"$(dirname "$0")/../build-bench/bin/bench_desk_interp"}
TURNS=${2:-100000}

if [ ! -x "$BENCH" ]; then
  echo "bench_desk_interp not found at $BENCH (configure with -DZEQ_BUILD_BENCH=ON and build it)" >&2
  exit 2
fi
if ! command -v lua5.4 >/dev/null 2>&1; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get install -y lua5.4
fi

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

cat > "$WORK/arith.py" <<PY
import os
out = open(os.devnull, "w")
i = 0
out.write("i=%d\r\n" % i)
x = 0
while i < $TURNS:
    x = x + i * 2 - 1
    out.write("x=%d\r\n" % x)
    i = i + 1
    out.write("i=%d\r\n" % i)
PY
cat > "$WORK/call.py" <<PY
import os
out = open(os.devnull, "w")
g = 0
def f():
    global g
    g = g + 1
    out.write("g=%d\r\n" % g)
i = 0
out.write("i=%d\r\n" % i)
while i < $TURNS:
    f()
    i = i + 1
    out.write("i=%d\r\n" % i)
PY
cat > "$WORK/arith.lua" <<LUA
local out = io.open("/dev/null", "w")
local i = 0
out:write(string.format("i=%d\r\n", i))
local x = 0
while i < $TURNS do
  x = x + i * 2 - 1
  out:write(string.format("x=%d\r\n", x))
  i = i + 1
  out:write(string.format("i=%d\r\n", i))
end
LUA
cat > "$WORK/call.lua" <<LUA
local out = io.open("/dev/null", "w")
g = 0
local function f()
  g = g + 1
  out:write(string.format("g=%d\r\n", g))
end
local i = 0
out:write(string.format("i=%d\r\n", i))
while i < $TURNS do
  f()
  i = i + 1
  out:write(string.format("i=%d\r\n", i))
end
LUA

# Best of three runs, in seconds of CPU time (user + system), as the benchmark counts its own.
cpu_seconds() {
  python3 - "$@" <<'PY'
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)
r = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.6f" % (r.ru_utime + r.ru_stime))
PY
}
best() {
  local best=""
  for _ in 1 2 3; do
    local t; t=$(cpu_seconds "$@")
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  echo "$best"
}
rate() { echo "scale=0; $1 * $2 / $3" | bc -l; }

zeq_rate() {
  "$BENCH" --benchmark_filter="$1" --benchmark_format=csv 2>/dev/null |
    awk -F, -v name="$1/$TURNS" 'index($1, name) { printf "%d\n", $7 + 0 }'
}

printf '%-12s %15s %15s\n' "program" "language" "statements/s"
for prog in arith call; do
  per=5; filter=BM_ArithmeticLoop
  if [ "$prog" = call ]; then per=7; filter=BM_CallLoop; fi
  printf '%-12s %15s %15s\n' "$prog" "zeq" "$(zeq_rate $filter)"
  printf '%-12s %15s %15s\n' "$prog" "lua5.4" "$(rate "$TURNS" $per "$(best lua5.4 "$WORK/$prog.lua")")"
  printf '%-12s %15s %15s\n' "$prog" "python3" "$(rate "$TURNS" $per "$(best python3 "$WORK/$prog.py")")"
done
