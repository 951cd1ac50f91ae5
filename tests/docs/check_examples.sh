#!/usr/bin/env bash
# Runs the examples in the documentation and compares what they print, byte
# for byte, with what the documentation shows under them. Output read with
# CR LF line ends is compared as LF; a TAB must be a TAB.
#
#   check_examples.sh BINDIR ROOT [FILE...]
#     The `$ ` commands of the console blocks of README.md and the pages in
#     doc/, and of the manual pages' .EX blocks, or of the FILEs given (a
#     manual page if named *.1), each block in one bash from ROOT, with
#     BINDIR, where fieldsift and headsift are, first on PATH.
#   check_examples.sh --cmd LOADER DIR FILE...
#     The `C:\Tools\fieldsift> ` commands of each FILE (Markdown, plain text
#     or a manual page), each paragraph or .EX block as one batch file under
#     LOADER's cmd.exe in DIR, the folder of an unpacked zip. Commands at any
#     other prompt are shown, not run, and so is an .EX block whose first
#     line is at another shell's prompt. Wine 8 has no sort, and its find
#     takes no switch: a command that pipes into either runs its programs
#     under Wine, and the rest of the line through grep and sort, which
#     stand in for them (see wine_lacks); the run ends by listing those. A
#     block that prints other than it shows runs once more.
#
# A command goes on over the next line when it ends in `|`, `&&` or `\`, or
# leaves a single quote open; the lines after it, up to the next command or
# the end of the block, are its output. Exits 1 if any block prints other
# than it shows, or a file shows no example at all.
set -uo pipefail
export LC_ALL=C  # sort and uniq order bytes, as the examples show them

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=${HOME:-$work}  # GNU parallel warns on standard error without one

# Writes, for block N of a file, N.where, N.run (the commands) and N.expected.
# The style variable says how blocks are marked: markdown (```console), roff
# (.EX and .EE), or cmd (prompted lines in a paragraph); prompt, what starts
# a command to run.
extract() {  # STYLE FILE PROMPT
  PROMPT=$3 awk -v style="$1" -v dir="$work" '
    BEGIN {
      prompt = ENVIRON["PROMPT"]  # as it is: -v would take its backslashes for escapes
      eol = prompt == "$ " ? "\n" : "\r\n"  # batch files want CR LF
    }
    function unroff(s) {
      gsub(/\\e/, "\001", s)
      gsub(/\\-/, "-", s); gsub(/\\\(aq/, "\047", s); gsub(/\\\(dq/, "\"", s)
      gsub(/\\\(ga/, "`", s); gsub(/\\\(ti/, "~", s); gsub(/\\\(ha/, "^", s); gsub(/\\&/, "", s)
      if (s ~ /\\/) bad("an escape this script does not know: " s)
      gsub(/\001/, "\\", s)
      return s
    }
    function bad(why) {
      printf "%s:%d: %s\n", FILENAME, FNR, why > "/dev/stderr"
      failed = 1
    }
    function open_block() {
      n = ++blocks
      printf "%s:%d\n", FILENAME, FNR > (dir "/" n ".where"); close(dir "/" n ".where")
      printf "" > (dir "/" n ".run"); printf "" > (dir "/" n ".expected")
      in_block = 1; commands = 0; going_on = 0
    }
    function close_block() {
      if (in_block && commands == 0) bad("a block of examples without a command")
      close(dir "/" n ".run"); close(dir "/" n ".expected")
      in_block = 0
    }
    # One line of a block: part of a command, or of what the last one printed.
    function take(line, is_command, eol) {
      if (going_on || is_command) {
        printf "%s%s", line, eol >> (dir "/" n ".run")
        quotes = (going_on ? quotes : 0) + gsub(/\047/, "&", line)
        going_on = line ~ /(\||&&|\\)[ \t]*$/ || quotes % 2
        commands += is_command
      } else if (commands == 0) {
        bad("output before any command: " line)
      } else {
        print line >> (dir "/" n ".expected")
      }
    }
    { sub(/\r$/, "") }
    style == "markdown" && /^```console[ \t]*$/ { open_block(); next }
    style == "markdown" && in_block && /^```/ { close_block(); next }
    style == "markdown" && in_block {
      if (substr($0, 1, 2) == "$ ") take(substr($0, 3), 1, "\n"); else take($0, 0, "\n")
      next
    }
    # An example whose first line is at the prompt of another shell is not run.
    style == "roff" && /^\.EX/ { in_example = 1; first = 1; next }
    style == "roff" && /^\.EE/ { close_block(); in_example = 0; next }
    style == "roff" && in_example {
      if (substr($0, 1, 1) == ".") { bad("a request inside .EX: " $0); next }
      line = unroff($0)
      at = index(line, prompt) == 1
      if (first && (at || line !~ /^(\$|(PS )?[A-Z]:\\[^>]*>) /)) open_block()
      first = 0
      if (in_block) take(at ? substr(line, length(prompt) + 1) : line, at, eol)
      next
    }
    style == "cmd" {
      at = index($0, prompt)
      if (at > 0 && substr($0, 1, at - 1) ~ /^ *$/) {
        if (!in_block) { open_block(); indent = at - 1 }
        take(substr($0, at + length(prompt)), 1, eol)
      } else if (in_block && ($0 ~ /^[ \t]*$/ || $0 ~ /^ *```/)) {
        close_block()
      } else if (in_block) {
        if (substr($0, 1, indent) !~ /^ *$/) bad("output indented less than its command")
        take(substr($0, indent + 1), 0)
      }
    }
    END {
      close_block()
      if (blocks == 0) { print FILENAME ": no examples found" > "/dev/stderr"; failed = 1 }
      exit failed
    }
  ' "$2"
}

# Runs block N with the runner given; 0 if it printed what it shows.
check_block() {  # N RUNNER...
  local n=$1
  shift
  "$@" "$work/$n.run" </dev/null 2>&1 | sed 's/\r$//' >"$work/$n.actual"
  # Now and then Wine fails to start a program at all (as tests/wine-run
  # says), and the block then prints less than it shows: under Wine a block
  # runs once more, and fails if it prints other than it shows again.
  if [[ $1 == run_cmd ]] && ! cmp -s "$work/$n.expected" "$work/$n.actual"; then
    echo "check_examples: $(cat "$work/$n.where"): under Wine the block printed other than it shows; run once more"
    "$@" "$work/$n.run" </dev/null 2>&1 | sed 's/\r$//' >"$work/$n.actual"
  fi
  cmp -s "$work/$n.expected" "$work/$n.actual" && return 0
  echo "FAIL: $(cat "$work/$n.where"): the example prints other than it shows (TAB as ^I):"
  sed 's/^/  $ /' "$work/$n.run"
  diff -u --label shown --label printed <(cat -vT "$work/$n.expected") <(cat -vT "$work/$n.actual")
  return 1
}

run_bash() { (cd "$root" && PATH="$bindir:$PATH" bash "$1"); }

# What Wine lacks: a pipe into sort or into find with a switch, to the end
# of the line. The part before it runs under Wine into a file; the rest runs
# in bash on that file, each Windows command put as grep or sort says it:
# find /c counts the lines that hold a string (/i: in any case), find /v ""
# passes every line, sort compares without regard to case.
wine_lacks='^(.*[^ ]) *\| *((find +/|sort( |$)).*)$'
stand_in='s#find /c /v ""#grep -c ""#g; s#find /c /i "#grep -ciF -- "#g; s#find /c "#grep -cF -- "#g
  s#find /v ""#grep ""#g; s#^sort#LC_ALL=C sort -f#; s#> nul#> /dev/null#g'

# Writes the batch file for block file $1: each command as it is, or, where
# Wine lacks the end of its pipeline, the part before it into a file and a
# line that names that file, for the output to be put in its place.
write_batch() {
  local line tails=0
  printf '@echo off\r\n'
  while IFS= read -r line; do
    line=${line%$'\r'}
    if [[ $line =~ $wine_lacks ]]; then
      tails=$((tails + 1))
      sed -E "$stand_in" <<<"${BASH_REMATCH[2]}" >"$dir/fieldsift-tail-$tails.sh"
      printf '%s > fieldsift-tail-%d.txt\r\necho fieldsift-tail-%d\r\n' "${BASH_REMATCH[1]}" $tails $tails
      printf '%s\n' "$line" >>"$work/stood-in"
    else
      printf '%s\r\n' "$line"
    fi
  done <"$1"
}

run_cmd() {
  local line
  write_batch "$1" >"$dir/fieldsift-example.bat"
  (cd "$dir" && "$loader" cmd /c fieldsift-example.bat 2>&1) | while IFS= read -r line; do
    if [[ ${line%$'\r'} =~ ^fieldsift-tail-([0-9]+)$ ]]; then
      (cd "$dir" && tr -d '\r' <"fieldsift-tail-${BASH_REMATCH[1]}.txt" |
        bash "fieldsift-tail-${BASH_REMATCH[1]}.sh")
    else
      printf '%s\n' "$line"
    fi
  done
  rm -f "$dir"/fieldsift-example.bat "$dir"/fieldsift-tail-*
}

blocks=0 failures=0
check_file() {  # FILE PROMPT RUNNER
  local style=markdown n count
  [[ $3 == run_cmd ]] && style=cmd
  [[ $1 == *.1 ]] && style=roff
  rm -f "$work"/[0-9]*
  extract "$style" "$1" "$2" || { failures=$((failures + 1)); return; }
  count=$(find "$work" -name '*.where' | wc -l)
  for ((n = 1; n <= count; n++)); do
    check_block "$n" "$3" || failures=$((failures + 1))
  done
  blocks=$((blocks + count))
}

if [[ ${1-} == --cmd ]]; then
  (($# >= 4)) || { echo "usage: $0 --cmd LOADER DIR FILE..." >&2; exit 2; }
  loader=$2 dir=$3
  shift 3
  for file; do check_file "$file" 'C:\Tools\fieldsift> ' run_cmd; done
  if [[ -s $work/stood-in ]]; then
    echo "check_examples: Wine lacks sort and find's switches; grep and sort stood in for them in:"
    sed 's/^/  /' "$work/stood-in"
  fi
else
  (($# >= 2)) || { echo "usage: $0 BINDIR ROOT [FILE...]" >&2; exit 2; }
  bindir=$(cd "$1" && pwd) root=$2
  shift 2
  if (($# == 0)); then
    # Of doc/, the pages that show a console at all: the others hold none.
    mapfile -t pages < <(grep -l '^```console' "$root"/doc/*.md)
    set -- "$root/README.md" "${pages[@]}" "$root/man/fieldsift.1" "$root/man/headsift.1"
  fi
  for file; do check_file "$file" '$ ' run_bash; done
fi
((failures == 0)) || { echo "check_examples: $failures failure(s) in $blocks blocks of examples"; exit 1; }
echo "check_examples: all $blocks blocks of examples print what they show"
