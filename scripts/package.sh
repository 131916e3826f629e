#!/usr/bin/env bash
# Builds the Debian package build/tolvane_<version>_<arch>.deb: the program, its desktop
# entry, MIME type, icons and help. Installs what is missing first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target tolvane tolvanectl tolvane_icons tolvane_docs -j2
cd "$root/build"
cpack -G DEB
ls -1 "$root"/build/tolvane_*.deb
