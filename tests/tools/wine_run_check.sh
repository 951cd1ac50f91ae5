#!/usr/bin/env bash
# Holds tests/wine-run to its word, with a stand-in for Wine that answers as
# it is told: a run that wrote something, or succeeded, stands as it is; a
# failed run that wrote nothing is tried once more, and only once; each
# stream and the status come through apart.
#
#   wine_run_check.sh ROOT
set -uo pipefail
(($# == 1)) || { echo "usage: $0 ROOT" >&2; exit 2; }
run=$1/tests/wine-run
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# The stand-in: counts its starts, writes its first argument to standard
# output and its second to standard error, and exits with its third.
cat >"$work/loader" <<'EOS'
#!/bin/sh
echo start >>"$0.starts"
printf '%s' "$1"
printf '%s' "$2" >&2
exit "$3"
EOS

check() {  # WHAT OUT ERR STATUS STARTS STDERR-WANTED
  rm -f "$work/loader.starts"
  sh "$run" sh "$work/loader" "$2" "$3" "$4" >"$work/out" 2>"$work/err"
  local status=$? starts
  starts=$(wc -l <"$work/loader.starts")
  if [ "$status" != "$4" ] || [ "$(cat "$work/out")" != "$2" ] ||
     [ "$(cat "$work/err")" != "$6" ] || [ "$starts" != "$5" ]; then
    echo "FAIL: $1: status $status, $starts start(s), out '$(cat "$work/out")', err '$(cat "$work/err")'"
    failures=$((failures + 1))
  fi
}

retried="wine-run: sh wrote nothing and exited with 3 on its first try
wine-run: sh wrote nothing and exited with 3 on its second try"
check "a passing run" "ok" "" 0 1 ""
check "a silent passing run" "" "" 0 1 ""
check "a failure that wrote" "[  FAILED  ]" "" 1 1 ""
check "a failure that wrote to stderr alone" "" "oops" 3 1 "oops"
check "streams apart" "listing" "noise" 0 1 "noise"
check "a failure that wrote nothing" "" "" 3 2 "$retried"

((failures == 0)) || { echo "wine_run_check: $failures failure(s)"; exit 1; }
echo "wine_run_check: wine-run retries a silent failure once and nothing else"
