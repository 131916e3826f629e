#!/usr/bin/env bash
# Builds the clip list reader's fuzz target with clang and runs it for the given number of
# seconds (default 600). Findings land in build-fuzz/findings; the corpus grows in
# build-fuzz/corpus, seeded from tests/fuzz/corpus.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
out="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
if ! command -v clang++ >/dev/null; then
  echo "clang++ is missing: run scripts/install-deps.sh" >&2
  exit 77
fi
CC=clang CXX=clang++ cmake -S "$root/tests/fuzz" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$out" -j2 >/dev/null
mkdir -p "$out/corpus" "$out/findings"
exec "$out/clip_list_fuzz" "$out/corpus" "$root/tests/fuzz/corpus" \
  -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=1024 -malloc_limit_mb=256 \
  -artifact_prefix="$out/findings/" -print_final_stats=1
