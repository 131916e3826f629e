#!/usr/bin/env bash
# Kills a saving process at random moments many times (default 500 rounds) and checks
# that the file always holds one complete list. Usage: kill-save-soak.sh [rounds] [items]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
[ -d "$build" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target kill_save_tests -j2
TOLVANE_KILL_ROUNDS="${1:-500}" TOLVANE_KILL_ITEMS="${2:-200000}" "$build/tests/kill_save_tests"
