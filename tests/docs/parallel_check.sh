#!/usr/bin/env bash
# Holds the recipes of doc/parallel.md to what one process writes, byte for
# byte: a mailbox of LF and CR LF mail cut into parts of many sizes by GNU
# parallel, its messages as files in groups (parallel --pipe on the list of
# names, and xargs -P with a file a job), and the --sshlogin form, through a stand-in for ssh that runs
# each job on this machine.
#
#   parallel_check.sh BINDIR ROOT
#     BINDIR holds fieldsift and headsift; ROOT is the source folder.
set -euo pipefail
export LC_ALL=C
(($# == 2)) || { echo "usage: $0 BINDIR ROOT" >&2; exit 2; }
PATH="$(cd "$1" && pwd):$PATH"
root=$2
command -v parallel >/dev/null ||
  { echo "parallel_check: GNU parallel is not installed (Debian package parallel)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=${HOME:-$work}  # GNU parallel warns on standard error without one
failures=0

same() {  # WHAT EXPECTED ACTUAL
  cmp -s "$2" "$3" && return
  echo "FAIL: $1 writes other bytes than one process"
  cmp "$2" "$3" || true
  failures=$((failures + 1))
}

# The sample and the Maildir's messages behind From lines, once with LF and
# once with CR LF line ends, ten times over: folded fields, a body's
# Subject: line, quoted and unquoted From lines in bodies, a last line
# without its line feed.
mbox=$work/mixed.mbox
for file in "$root"/examples/maildir/*/*; do
  printf 'From sender@example.org Mon Nov 30 09:14:02 2026\n'
  cat "$file"
  printf '\n\n'
done >"$work/maildir.mbox"
printf 'From what I saw, it works.\n' >>"$work/maildir.mbox"
cat "$root/examples/sample.mbox" "$work/maildir.mbox" >"$work/lf.mbox"
sed 's/$/\r/' "$work/lf.mbox" >"$work/crlf.mbox"
for ((i = 0; i < 10; i++)); do cat "$work/lf.mbox" "$work/crlf.mbox"; done >"$mbox"

cut=(--pipepart -a "$mbox" --recend '\n' --recstart 'From ')
headsift "$mbox" >"$work/heads"
headsift "$mbox" | fieldsift Subject: >"$work/subjects"
for block in 3k -1; do
  parallel "${cut[@]}" --block "$block" -k headsift >"$work/out"
  same "--block $block: headsift" "$work/heads" "$work/out"
  parallel "${cut[@]}" --block "$block" -k 'headsift | fieldsift Subject:' >"$work/out"
  same "--block $block: headsift | fieldsift Subject:" "$work/subjects" "$work/out"
done

# Rows name their part as stdin and count offsets in it; the fields agree.
headsift -f subject,from,received "$mbox" | cut -f 3- >"$work/rows"
parallel "${cut[@]}" --block 3k -k 'headsift -f subject,from,received' | cut -f 3- >"$work/out"
same "--block 3k: headsift -f, the fields" "$work/rows" "$work/out"

# Several machines: parallel sends each part through ssh; the stand-in drops
# ssh's options and the host and runs the command here, with the SHELL a
# login would set (parallel's remote side runs each job in $SHELL, and a CI
# runner may start us without one).
cat >"$work/ssh" <<'EOF'
#!/bin/sh
while [ "$1" != -- ]; do shift; done
shift
SHELL=/bin/sh exec sh -c "$*"
EOF
chmod +x "$work/ssh"
parallel --ssh "$work/ssh" -S 1/alpha,1/beta "${cut[@]}" --block 5k -k 'headsift | fieldsift Subject:' \
  >"$work/out"
same "--sshlogin: headsift | fieldsift Subject:" "$work/subjects" "$work/out"

# Many files: the messages one a file, without their From lines.
mkdir "$work/maildir"
awk -v dir="$work/maildir" '/^From / {close(f); f = sprintf("%s/%05d", dir, ++n); next}
  {print > f}' "$mbox"
find "$work/maildir" -type f -print0 | sort -z >"$work/files"
xargs -0 headsift <"$work/files" | fieldsift From: >"$work/from"
parallel --pipe --recend '\0' --block 2k -k 'xargs -0 headsift | fieldsift From:' \
  <"$work/files" >"$work/out"
same "parallel --pipe: headsift FILES | fieldsift From:" "$work/from" "$work/out"
mkdir "$work/jobs"
xargs -0 -P 2 -n 100 sh -c 'headsift "$@" | fieldsift From: > "$(mktemp "$0/XXXXXX")"' \
  "$work/jobs" <"$work/files"
cat "$work/jobs"/* | sort >"$work/out"
sort "$work/from" >"$work/from.sorted"
same "xargs -P, a file a job: headsift FILES | fieldsift From:, sorted" "$work/from.sorted" "$work/out"

((failures == 0)) || { echo "parallel_check: $failures failure(s)"; exit 1; }
echo "parallel_check: every parallel recipe writes what one process writes" \
  "($(grep -c '^From ' "$work/heads") messages, $(ls "$work/maildir" | wc -l) files)"
