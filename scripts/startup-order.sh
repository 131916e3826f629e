#!/usr/bin/env bash
# Writes src/startup_order.txt: the program's own functions that run from its start until
# its window idles, which the link lays out first and together. Only what start touches of
# the program's file is resident, but the kernel maps a file 64 kB at a time around each
# page touched, so code that runs at start scattered over the whole text kept all of it
# resident. Run after a change to what start does; a stale list costs memory, not
# correctness (functions not listed go after the listed ones, names no longer there are
# skipped).
#
# scripts/startup-order.sh [build folder]   (needs Xvfb and valgrind)
set -euo pipefail
export LC_ALL=C
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
program="$build/tolvane"

work="$(mktemp -d)"
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A private server and session folders: the profile is that of a start with the desktop
# files already in place (the first start writes them, and is run unprofiled first).
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

"$program" >/dev/null 2>&1 &
first=$!
sleep 3
kill "$first"
wait "$first" || true

# The profile is taken while the window idles, before anything of the shut-down runs.
valgrind --tool=callgrind --demangle=no --callgrind-out-file="$work/profile" \
  "$program" >/dev/null 2>&1 &
profiled=$!
sleep 25
callgrind_control --dump "$profiled" >/dev/null 2>&1
for _ in $(seq 50); do [ -s "$work/profile.1" ] && break; sleep 0.2; done
kill -9 "$profiled"
wait "$profiled" 2>/dev/null || true

# Every function the profile names (as run or as called) that the program defines, in
# the order of the current program's text.
sed -nE "s/^c?fn=\([0-9]+\) ([^']+).*/\1/p" "$work/profile.1" | sort -u >"$work/ran"
nm --defined-only "$program" | awk '$2 ~ /^[tTwW]$/ {print $1, $3}' | sort -k2 >"$work/defined"
join -1 2 -2 1 -o 1.1,1.2 "$work/defined" "$work/ran" | sort | awk '{print $2}' \
  >"$root/src/startup_order.txt"
echo "$(wc -l <"$root/src/startup_order.txt") functions in src/startup_order.txt"
