#!/usr/bin/env bash
# Installs what is missing, builds Tolvane and runs every test tier (unit, widgets
# offscreen, end-to-end under Xvfb).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure --timeout 900
