#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs one for the given number of seconds (default
# 600): clip_list_fuzz (the default, the list file reader) or journal_fuzz (the recovery
# journal reader). Usage: fuzz.sh [seconds] [target]. Findings land in
# build-fuzz/findings; the corpus grows in build-fuzz/corpus-<target>, seeded from
# tests/fuzz/corpus or tests/fuzz/journal_corpus.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
target="${2:-clip_list_fuzz}"
out="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
case "$target" in
  clip_list_fuzz) seeds="$root/tests/fuzz/corpus"; corpus="$out/corpus" ;;
  journal_fuzz) seeds="$root/tests/fuzz/journal_corpus"; corpus="$out/corpus-journal" ;;
  *) echo "unknown fuzz target: $target" >&2; exit 2 ;;
esac
if ! command -v clang++ >/dev/null; then
  echo "clang++ is missing: run scripts/install-deps.sh" >&2
  exit 77
fi
CC=clang CXX=clang++ cmake -S "$root/tests/fuzz" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$out" --target "$target" -j2 >/dev/null
mkdir -p "$corpus" "$out/findings"
exec "$out/$target" "$corpus" "$seeds" \
  -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=1024 -malloc_limit_mb=256 \
  -artifact_prefix="$out/findings/" -print_final_stats=1
