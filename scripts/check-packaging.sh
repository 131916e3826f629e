#!/usr/bin/env bash
# Checks what goes beside the program: the AppStream metadata validates, the manual pages
# format without warnings, the bash completion completes tolvanectl's commands, and the
# Debian package built from BUILD_DIR passes lintian without errors or warnings.
# Usage: check-packaging.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?build folder}" && pwd)"
failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }

appstreamcli validate --no-net "$root/packaging/org.tolvane.Tolvane.metainfo.xml" ||
  fail "AppStream metadata"

for page in "$root"/packaging/man/*.1; do
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

# What the completion offers for the words typed so far, the last one being completed.
complete_words() {
  bash -c 'source /usr/share/bash-completion/bash_completion
           source "$0"
           COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
           COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
           _tolvanectl tolvanectl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
           for word in "${COMPREPLY[@]}"; do echo "$word"; done | sort | tr "\n" " "' \
    "$root/packaging/completion/tolvanectl" "$@"
}
check_completion() {
  local expected="$1"; shift
  local got; got="$(cd "$work" && complete_words "$@")"
  [ "$got" = "$expected" ] || fail "completion of '$*': got '$got', expected '$expected'"
}
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/lists"; touch "$work/a.tvn" "$work/notes.txt"
check_completion "copy count " tolvanectl co
check_completion "--help --null --version " tolvanectl --
check_completion "open " tolvanectl --null op
check_completion "a.tvn lists " tolvanectl open ""
check_completion "" tolvanectl read ""
check_completion "" tolvanectl open a.tvn ""

(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null) || fail "cpack"
for deb in "$work"/package/tolvane_*.deb; do
  # Its remarks are shown; only errors and warnings fail.
  lintian --fail-on error,warning --tag-display-limit 0 -I "$deb" || fail "lintian"
done
exit "$failed"
