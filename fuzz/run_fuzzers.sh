#!/usr/bin/env bash
# Runs each fuzz target for a bounded time, starting from its seed corpus.
# A crash or failed check fails the run and prints the input that caused it.
# usage: fuzz/run_fuzzers.sh BUILD_DIR SECONDS_PER_TARGET
set -uo pipefail
cd "$(dirname "$0")/.."
build=$1
seconds=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
# target and the largest input it is given (long lines come from the stretch
# field of the line path's input, not from long inputs; a decoded value is
# a header field's, rarely longer than a few lines)
for entry in line_path:16384 text_write:8192 header:16384 decode:4096; do
  target=${entry%%:*}
  mkdir -p "$work/$target/corpus" "$work/$target/found"
  echo "== fuzzing $target for ${seconds}s"
  if "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -max_len="${entry##*:}" \
      -timeout=20 -rss_limit_mb=4096 -print_final_stats=1 -dict=fuzz/fieldsift.dict \
      -artifact_prefix="$work/$target/found/" "$work/$target/corpus" "fuzz/corpus/$target" \
      >"$work/$target/log" 2>&1; then
    grep -E '^#[0-9]+.*DONE|^stat::' "$work/$target/log"
  else
    failed=$((failed + 1))
    tail -n 60 "$work/$target/log"
    for input in "$work/$target/found"/*; do
      [ -e "$input" ] || continue
      echo "== $target failed on this input ($(basename "$input")), as base64 and as bytes:"
      base64 "$input"
      od -A d -t x1z -v "$input"
      echo "== reproduce: decode the base64 into a file F and run $build/fuzz/${target}_fuzzer F"
    done
  fi
done
if [ "$failed" -eq 0 ]; then
  echo "fuzz: no crash and no failed check in line_path, text_write, header or decode"
else
  echo "fuzz: $failed target(s) found an input that fails"
  exit 1
fi
