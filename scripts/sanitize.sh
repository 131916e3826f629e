#!/usr/bin/env bash
# Builds the unit, widget and Wayland test tiers under AddressSanitizer with
# UndefinedBehaviorSanitizer, then under ThreadSanitizer, and runs them; the reader threads
# of the clipboard ports run under both. Usage: sanitize.sh [asan|tsan]... (default both).
# Build folders: build-asan, build-tsan. Exits non-zero when any run reports a fault.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
kinds=("$@")
[ "${#kinds[@]}" -eq 0 ] && kinds=(asan tsan)
targets=(unit_tests gui_tests e2e_wayland_tests tolvane offering_source)
status=0
for kind in "${kinds[@]}"; do
  case "$kind" in
    asan) option=TOLVANE_ASAN ;;
    tsan) option=TOLVANE_TSAN ;;
    *) echo "unknown sanitizer: $kind" >&2; exit 2 ;;
  esac
  build="$root/build-$kind"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -D$option=ON >/dev/null
  cmake --build "$build" --target "${targets[@]}" -j2
  # Leaks inside Qt's and fontconfig's own caches are not ours to mend.
  export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  # The tests start other programs (QProcess forks) while threads run.
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$root/scripts/tsan.supp"
  # Each run: a tier, a name for its log, and a filter of its tests.
  runs=("unit_tests unit_tests *" "gui_tests gui_tests *" "e2e_wayland_tests e2e_wayland_tests *")
  if [ "$kind" = tsan ]; then
    # ThreadSanitizer loses sight of the main thread's locks and atomics once Qt has
    # started another process there, so the Wayland rows on our in-process compositor run
    # in a process that starts none, apart from the rows with sway and its tools.
    runs=("unit_tests unit_tests *" "gui_tests gui_tests *"
          "e2e_wayland_tests e2e_wayland_own */OwnExt:*/OwnWlr:WaylandProtocolChoice*"
          "e2e_wayland_tests e2e_wayland_sway */Sway:WaylandProgram*")
  fi
  for run in "${runs[@]}"; do
    read -r tier name filter <<<"$run"
    echo "== $kind: $name"
    if ! "$build/tests/$tier" --gtest_filter="$filter" >"$build/$name.log" 2>&1; then
      echo "FAILED: $kind $name (see $build/$name.log)"
      tail -40 "$build/$name.log"
      status=1
    else
      tail -1 "$build/$name.log"
    fi
  done
done
exit $status
