#!/usr/bin/env bash
# Times fieldsift against grep, ripgrep (where installed) and the floor of
# its input (128 KiB reads, from the file and through a pipe), and headsift,
# alone and in front of fieldsift, against an awk header filter run by mawk
# (where installed), on a generated mailbox with LF and with CR LF line ends,
# in interleaved rounds; checks both programs' output byte for byte; counts
# fieldsift's instructions a byte under valgrind (where installed), the
# figure no noise moves; and measures both programs' peak memory.
# Builds nothing: run `cmake --preset bench && cmake --build --preset bench`
# first. See bench/README.md.
set -euo pipefail
export LC_ALL=C  # grep compares bytes; EPOCHREALTIME has a '.' in it

usage() {
  cat <<'EOF'
usage: bench/run.sh [--size MB] [--rounds N] [--dir DIR] [--keep] [--quick]
                    [--build DIR] [--fieldsift PATH] [--headsift PATH] [--generator PATH]
                    [--trivial PATH] [--floor PATH] [--chart FILE]
  --size MB         mailbox size in millions of bytes (default 300; --quick: 5)
  --rounds N        timed rounds (default 7; --quick: 1)
  --dir DIR         where the mailboxes go (default /tmp); removed unless --keep
  --quick           a small, fast run that checks everything works; no goals
  --build DIR       take fieldsift, headsift, bench/make_mailbox, bench/trivial
                    and bench/read_floor from DIR (default build/bench, else
                    build/release)
  --chart FILE      also draw the medians, in MB/s, as an SVG bar chart in FILE
EOF
}

die() {
  echo "run.sh: $*" >&2
  exit 1
}

size="" rounds="" parent=/tmp keep=0 quick=0 build="" fieldsift="" generator="" trivial="" chart=""
floor="" headsift=""
while (($#)); do
  case $1 in
    --size) size=${2:?}; shift 2 ;;
    --rounds) rounds=${2:?}; shift 2 ;;
    --dir) parent=${2:?}; shift 2 ;;
    --keep) keep=1; shift ;;
    --quick) quick=1; shift ;;
    --build) build=${2:?}; shift 2 ;;
    --fieldsift) fieldsift=${2:?}; shift 2 ;;
    --headsift) headsift=${2:?}; shift 2 ;;
    --generator) generator=${2:?}; shift 2 ;;
    --trivial) trivial=${2:?}; shift 2 ;;
    --floor) floor=${2:?}; shift 2 ;;
    --chart) chart=${2:?}; shift 2 ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
if ((quick)); then
  size=${size:-5} rounds=${rounds:-1} no_lf_bytes=$((16 << 20))
else
  size=${size:-300} rounds=${rounds:-7} no_lf_bytes=$((1 << 30))
fi
((rounds >= 1)) || die "--rounds must be at least 1"

root=$(cd "$(dirname "$0")/.." && pwd)
if [[ -z $build ]]; then
  for dir in "$root/build/bench" "$root/build/release"; do
    [[ -x $dir/bench/make_mailbox ]] && { build=$dir; break; }
  done
  build=${build:-$root/build/bench}
fi
fieldsift=${fieldsift:-$build/fieldsift}
headsift=${headsift:-$build/headsift}
generator=${generator:-$build/bench/make_mailbox}
trivial=${trivial:-$build/bench/trivial}
floor=${floor:-$build/bench/read_floor}
for tool in "$fieldsift" "$headsift" "$generator" "$trivial" "$floor"; do
  [[ -x $tool ]] || die "$tool is missing: cmake --preset bench && cmake --build --preset bench"
done

work=$(mktemp -d "$parent/fieldsift-bench.XXXXXX")
if ((keep)); then
  trap 'echo "kept: $work"' EXIT
else
  trap 'rm -rf "$work"' EXIT
fi
lf=$work/lf.mbox crlf=$work/crlf.mbox expected=$work/expected encoded=$work/encoded.mbox
heads=$work/expected.heads heads_crlf=$work/expected.heads_crlf

# The commands compared; stdin and stdout are regular files, or stdin is a
# pipe from cat, or stdout is the null device, which fieldsift fills in the
# same blocks as a file. The floor reads as fieldsift does, widening its
# pipe too: `dd bs=128k` does not, and so falls behind a reader that does.
cmd_floor() { "$floor" <"$lf"; }
cmd_pipe_floor() { cat "$lf" | "$floor"; }
cmd_grep() { grep -i '^subject:' "$lf" >"$work/out.grep"; }
cmd_grep_crlf() { grep -i '^subject:' "$crlf" >"$work/out.grep"; }
cmd_grep_piped() { cat "$lf" | grep -i '^subject:' >"$work/out.grep"; }
cmd_rg() { rg -i '^subject:' "$lf" >"$work/out.grep"; }
cmd_rg_null() { rg -i '^subject:' "$lf" >/dev/null; }
cmd_lf() { "$fieldsift" Subject: <"$lf" >"$work/out.lf"; }
cmd_lf_null() { "$fieldsift" Subject: <"$lf" >/dev/null; }
cmd_lf_piped() { cat "$lf" | "$fieldsift" Subject: >"$work/out.lf_piped"; }
cmd_crlf() { "$fieldsift" Subject: <"$crlf" >"$work/out.crlf"; }
# headsift is held to the cookbook's awk header filter, run by mawk, Debian's
# default awk. The filter leaves out the empty line that ends each header,
# which headsift writes.
header_filter='/^From / {h = 1} /^\r?$/ {h = 0} h'
cmd_heads() { "$headsift" <"$lf" >"$work/out.heads"; }
cmd_heads_crlf() { "$headsift" <"$crlf" >"$work/out.heads_crlf"; }
cmd_heads_subject() { "$headsift" <"$lf" | "$fieldsift" Subject: >"$work/out.heads_subject"; }
cmd_mawk() { mawk "$header_filter" <"$lf" >"$work/out.mawk"; }
cmd_mawk_crlf() { mawk "$header_filter" <"$crlf" >"$work/out.mawk_crlf"; }
cmd_mawk_subject() { mawk "$header_filter" <"$lf" | "$fieldsift" Subject: >"$work/out.mawk_subject"; }
# headsift -f: three fields a row to the null device, against the block copy
# there; --decode on this mailbox, which has no encoded word, and on its twin
# whose every Subject is one (encoded_twin), each against the same rows
# undecoded.
cmd_heads_null() { "$headsift" <"$lf" >/dev/null; }
cmd_rows() { "$headsift" -f subject,from,date <"$lf" >/dev/null; }
cmd_rows_json() { "$headsift" -f subject,from,date --json <"$lf" >/dev/null; }
cmd_rows_csv() { "$headsift" -f subject,from,date --csv <"$lf" >/dev/null; }
# The views of three fields against the same fields' raw values.
cmd_rows_raw() { "$headsift" -f date,from,message-id <"$lf" >/dev/null; }
cmd_rows_views() { "$headsift" -f date:iso,from:addr,message-id:id <"$lf" >/dev/null; }
cmd_rows_two() { "$headsift" -f subject,from <"$lf" >"$work/out.rows_two"; }
cmd_rows_decode() { "$headsift" -f subject,from --decode <"$lf" >"$work/out.rows_decode"; }
cmd_encoded_two() { "$headsift" -f subject,from <"$encoded" >/dev/null; }
cmd_encoded_decode() { "$headsift" -f subject,from --decode <"$encoded" >"$work/out.encoded_decode"; }
commands=(floor pipe_floor grep grep_crlf grep_piped lf lf_null lf_piped crlf)
commands+=(heads heads_crlf heads_subject heads_null rows rows_json rows_csv rows_raw rows_views)
commands+=(rows_two rows_decode)
commands+=(encoded_two encoded_decode)
if command -v rg >/dev/null; then
  commands+=(rg rg_null)
else
  echo "ripgrep: skipped, rg is not installed (Debian package ripgrep)"
fi
if command -v mawk >/dev/null; then
  commands+=(mawk mawk_crlf mawk_subject)
else
  echo "mawk: skipped, mawk is not installed (Debian package mawk)"
fi
# GNU parallel spreads the same pipelines over every core: the mailbox cut
# into one part a core, each just before a line that begins "From " (without
# --recend it would cut inside a line), and a Maildir of the same messages
# in groups of files. Each writes what one process writes, in input order.
q_headsift=$(printf %q "$headsift") q_fieldsift=$(printf %q "$fieldsift")
cut_mailbox=(--pipepart -a "$lf" --recend '\n' --recstart 'From ' --block -1 -k)
cmd_par_subject() {
  parallel "${cut_mailbox[@]}" "$q_headsift | $q_fieldsift Subject:" >"$work/out.par_subject"
}
cmd_par_mawk_subject() {
  parallel "${cut_mailbox[@]}" "mawk $(printf %q "$header_filter") | $q_fieldsift Subject:" \
    >"$work/out.par_mawk_subject"
}
cmd_files() { xargs -0 "$headsift" <"$work/files" | "$fieldsift" Subject: >"$work/out.files"; }
cmd_par_files() {
  parallel --pipe --recend '\0' -k "xargs -0 $q_headsift | $q_fieldsift Subject:" <"$work/files" \
    >"$work/out.par_files"
}
if command -v parallel >/dev/null && command -v mawk >/dev/null; then
  commands+=(par_subject par_mawk_subject files par_files)
else
  echo "parallel: skipped, GNU parallel or mawk is not installed (Debian packages parallel, mawk)"
fi

# Runs one command; its wall time in microseconds lands in `elapsed`.
timed() {
  local start=$EPOCHREALTIME
  "cmd_$1" || die "the $1 command failed with status $?"
  local end=$EPOCHREALTIME
  elapsed=$((${end/./} - ${start/./}))
}

verify() {  # OUTPUT WHAT [EXPECTED]
  cmp -s "${3:-$expected}" "$1" && return
  echo "FAIL: $2 differs from the expected bytes:" >&2
  cmp "${3:-$expected}" "$1" >&2 || true
  ((keep)) || echo "(run again with --keep to look at the files)" >&2
  exit 1
}

# The mailboxes' every message starts with "From " and every header ends in
# an empty line, so the awk filter writes headsift's lines but for those
# empty lines, and fieldsift after either writes the same.
verify_mawk() {
  grep -Ev $'^\r?$' "$work/out.heads" >"$work/out.heads_lines"
  verify "$work/out.mawk" "mawk's header filter for the LF mailbox" "$work/out.heads_lines"
  grep -Ev $'^\r?$' "$work/out.heads_crlf" >"$work/out.heads_lines"
  verify "$work/out.mawk_crlf" "mawk's header filter for the CR LF mailbox" "$work/out.heads_lines"
  verify "$work/out.mawk_subject" "mawk | fieldsift Subject:" "$work/out.heads_subject"
}

verify_all() {
  verify "$work/out.lf" "fieldsift's output for the LF mailbox"
  verify "$work/out.lf_piped" "fieldsift's output for the piped LF mailbox"
  verify "$work/out.crlf" "fieldsift's output for the CR LF mailbox"
  verify "$work/out.heads" "headsift's output for the LF mailbox" "$heads"
  verify "$work/out.heads_crlf" "headsift's output for the CR LF mailbox" "$heads_crlf"
  verify "$work/out.heads_subject" "headsift | fieldsift Subject:" "$work/expected.heads_subject"
  [[ ! -e $work/out.mawk ]] || verify_mawk
  [[ ! -e $work/out.par_subject ]] || verify_parallel
  verify_rows
}

# A row a message; decoding changes nothing where no word is encoded but a
# folded line's leading SP and TAB, which it makes one space, and the
# encoded twin's subjects decode to the mailbox's own. The rows of the
# mailbox with each line's leading white space one space are what decoding
# must give (a body's lines change too, and with them the offsets, which are
# left out of the comparison).
verify_rows() {
  local messages
  messages=$(grep -c '^$' "$heads")  # the empty line that ends each header
  [[ $(wc -l <"$work/out.rows_two") == "$messages" ]] ||
    echo "FAIL: headsift -f writes other than one row for each of $messages messages" >&2
  sed 's/^[[:blank:]][[:blank:]]*/ /' "$lf" | "$headsift" -f subject,from | cut -f 3- \
    >"$work/out.one_space"
  cut -f 3- "$work/out.rows_decode" >"$work/out.rows_decode_values"
  verify "$work/out.rows_decode_values" "headsift -f --decode, nothing encoded" \
    "$work/out.one_space"
  cmp -s "$work/out.one_space" <(cut -f 3- "$work/out.encoded_decode") ||
    echo "FAIL: the encoded twin's subjects do not decode to the mailbox's own" >&2
}

# The mailbox with every Subject line's value an encoded word, in Q: in one
# of four charsets by turn where it is ASCII, in UTF-8 where it is not; its
# spaces trimmed first, as a value's are.
encode_subjects() {
  mawk 'BEGIN {
      n = split("UTF-8 ISO-8859-1 windows-1252 KOI8-R", cs, " ")
      for (i = 128; i < 256; i++) hex[sprintf("%c", i)] = sprintf("=%02X", i)
    }
    tolower(substr($0, 1, 8)) == "subject:" {
      v = substr($0, 9); cr = ""
      if (v ~ /\r$/) { cr = "\r"; sub(/\r$/, "", v) }
      sub(/^[ \t]+/, "", v); sub(/[ \t]+$/, "", v)
      if (v == "") { print; next }
      charset = cs[NR % n + 1]
      gsub(/=/, "=3D", v); gsub(/\?/, "=3F", v); gsub(/_/, "=5F", v); gsub(/\t/, "=09", v)
      gsub(/ /, "_", v)
      q = ""
      for (i = 1; i <= length(v); i++) {
        c = substr(v, i, 1)
        if (c in hex) { q = q hex[c]; charset = "UTF-8" } else q = q c
      }
      print substr($0, 1, 8) " =?" charset "?Q?" q "?=" cr; next
    }
    { print }' "$lf" >"$encoded"
}

# Each part of a mailbox cut before a "From " line starts with a message, as
# headsift reads the whole, so the parts' output is the whole's; and a
# Maildir's files in groups give what they give in one list.
verify_parallel() {
  verify "$work/out.par_subject" "parallel: headsift | fieldsift Subject:" "$work/out.heads_subject"
  verify "$work/out.par_mawk_subject" "parallel: mawk | fieldsift Subject:" "$work/out.heads_subject"
  verify "$work/out.par_files" "parallel: headsift FILES | fieldsift Subject:" "$work/out.files"
}

# The messages of the mailbox's first 300 MB at most as files of one
# message each, without their "From " lines, as a Maildir holds them, listed
# in order for xargs -0.
make_maildir() {
  mkdir "$work/maildir"
  head -c 300000000 "$lf" | mawk -v dir="$work/maildir" '
    /^From / {close(f); f = sprintf("%s/%07d", dir, ++n); next} {print > f}'
  printf '%s\0' "$work"/maildir/* >"$work/files"
  files_bytes=$(find "$work/maildir" -type f -printf '%s\n' | awk '{n += $1} END {print n}')
  printf 'Maildir: %d files, %d bytes\n' "$(find "$work/maildir" -type f | wc -l)" "$files_bytes"
}
files_bytes=0

# Peak resident memory, in KiB, of the command last run by under_time.
under_time() { /usr/bin/time -f %M -o "$work/rss" "$@"; }
last_rss() { tail -n 1 "$work/rss"; }

# A line of no_lf_bytes x's without a line feed, on standard output.
endless_line() { head -c "$no_lf_bytes" /dev/zero | tr '\0' x; }

measure_memory() {
  if [[ ! -x /usr/bin/time ]]; then
    echo "peak RSS: skipped, /usr/bin/time is missing (Debian package time)"
    return
  fi
  local line=$((no_lf_bytes >> 20)) rows=() written trivial_rss
  under_time "$trivial" </dev/null || die "$trivial failed"
  trivial_rss=$(last_rss)
  under_time "$fieldsift" Subject: <"$lf" >"$work/out.lf" || die "fieldsift failed on the LF mailbox"
  verify "$work/out.lf" "fieldsift's output for the LF mailbox"
  rows+=("fieldsift, LF mailbox" "$(last_rss)")
  endless_line | under_time "$fieldsift" Subject: >/dev/null ||
    die "fieldsift failed on the line without a line feed"
  rows+=("fieldsift, $line MiB line, not selected" "$(last_rss)")
  written=$({ printf 'Subject: '; endless_line; } | under_time "$fieldsift" Subject: | wc -c) ||
    die "fieldsift failed on the selected line without a line feed"
  ((written == no_lf_bytes + 11)) || die "fieldsift wrote $written bytes of the selected line without a line feed"
  rows+=("fieldsift, $line MiB line, selected" "$(last_rss)")
  under_time "$headsift" <"$lf" >"$work/out.heads" || die "headsift failed on the LF mailbox"
  verify "$work/out.heads" "headsift's output for the LF mailbox" "$heads"
  rows+=("headsift, LF mailbox" "$(last_rss)")
  { printf 'A: b\n\n'; endless_line; } | under_time "$headsift" >/dev/null ||
    die "headsift failed on the body line without a line feed"
  rows+=("headsift, $line MiB line, in a body" "$(last_rss)")
  # A header's last line without its line end gets two line feeds.
  written=$(endless_line | under_time "$headsift" | wc -c) ||
    die "headsift failed on the header line without a line feed"
  ((written == no_lf_bytes + 2)) || die "headsift wrote $written bytes of the header line without a line feed"
  rows+=("headsift, $line MiB line, in a header" "$(last_rss)")
  report_memory "$trivial_rss" "${rows[@]}"
}

report_memory() {  # TRIVIAL, then LABEL KIB for each program's run
  local trivial_rss=$1 worst=0
  shift
  printf '\npeak RSS                                    KiB   over trivial\n'
  printf '%-40s %7d\n' "trivial C++ program" "$trivial_rss"
  while (($#)); do
    printf '%-40s %7d %+8d\n' "$1" "$2" $(($2 - trivial_rss))
    ((worst = $2 - trivial_rss > worst ? $2 - trivial_rss : worst))
    shift 2
  done
  local verdict=no
  ((worst <= 1024)) && verdict=yes
  echo "within 1 MiB of the trivial program: $verdict ($worst KiB at most)"
}

# Instructions a byte of fieldsift on the first 30 MB of each mailbox (all of
# it with --quick), counted by valgrind: the one figure that does not move
# with the load on the machine; and of headsift's block copy, rows and views
# on the LF one's.
count_instructions() {
  if ! command -v valgrind >/dev/null; then
    echo "instructions: skipped, valgrind is not installed"
    return
  fi
  local slice=30000000 file name bytes counts=() args
  # Instructions a byte of the command given, reading the slice.
  per_byte() {
    valgrind --tool=cachegrind --cache-sim=no --cachegrind-out-file=/dev/null \
      "$@" <"$work/slice" >"$work/out.valgrind" 2>"$work/valgrind" ||
      die "$1 failed under valgrind"
    awk -v bytes="$bytes" '/I[ ]+refs:/ { gsub(",", "", $NF); print $NF / bytes }' "$work/valgrind"
  }
  for name in lf crlf; do
    file=$work/$name.mbox
    head -c "$slice" "$file" >"$work/slice"
    bytes=$(stat -c %s "$work/slice")
    counts+=("$(per_byte "$fieldsift" Subject:)")
    [[ $name == lf ]] || continue
    for args in "" "-f subject,from,date" "-f date,from,message-id" \
      "-f date:iso,from:addr,message-id:id"; do
      # shellcheck disable=SC2086 # the arguments are words
      counts+=("$(per_byte "$headsift" $args)")
    done
  done
  rm -f "$work/slice"
  awk -v lf="${counts[0]}" -v block="${counts[1]}" -v rows="${counts[2]}" -v raw="${counts[3]}" \
    -v views="${counts[4]}" -v crlf="${counts[5]}" -v goals=$((!quick)) 'BEGIN {
    printf "\n%-36s %10s\n", "instructions a byte (valgrind)", ""
    printf "%-36s %10.3f\n%-36s %10.3f\n", "fieldsift, LF", lf, "fieldsift, CR LF", crlf
    printf "%-36s %10.3f", "fieldsift CR LF x fieldsift LF", crlf / lf
    if (goals) printf "   <= 1.15 %s", (crlf / lf <= 1.15 ? "met" : "NOT MET")
    printf "\n"
    printf "%-36s %10.3f\n%-36s %10.3f\n", "headsift, block copy", block, "headsift -f 3 fields", rows
    printf "%-36s %10.3f\n%-36s %10.3f\n", "headsift -f date,from,message-id", raw,
      "the same as :iso, :addr, :id", views
    printf "%-36s %10.3f\n%-36s %10.3f\n", "-f 3 fields / block copy", rows / block,
      "views / the same raw fields", views / raw
  }'
}

# The views beside the plain way of making them in Python (bench/views.py,
# its mailbox and email packages), on the first 30 MB of the LF mailbox (all
# of it with --quick), each run reading the same file by name, in turn, in
# at most three rounds: Python takes seconds a round.
compare_python() {
  if ! command -v python3 >/dev/null; then
    echo "Python views: skipped, python3 is not installed"
    return
  fi
  local slice=$work/slice.mbox bytes r python=() ours=()
  # Written in blocks of 1 MiB, as the mailbox was: a file written in small
  # pieces (head's) takes 40% longer to read from the cache.
  dd if="$lf" of="$slice" bs=1M count=30000000 iflag=count_bytes status=none
  bytes=$(stat -c %s "$slice")
  cmd_python() { python3 "$root/bench/views.py" "$slice" >"$work/out.python"; }
  cmd_views_by_name() { "$headsift" -f date:iso,from:addr,message-id:id "$slice" >/dev/null; }
  for ((r = 1; r <= (rounds < 3 ? rounds : 3); r++)); do
    timed python
    python+=("$elapsed")
    timed views_by_name
    ours+=("$elapsed")
  done
  [[ -s $work/out.python ]] || die "bench/views.py wrote no row"
  rm -f "$slice" "$work/out.python"
  awk -v p="$(median_of "${python[@]}")" -v h="$(median_of "${ours[@]}")" -v goals=$((!quick)) \
    -v mb="$((bytes / 1000000))" '
  BEGIN {
    printf "\n%-36s %10s\n", "views of the first " mb " MB, by name", "ms"
    printf "%-36s %10.1f\n", "Python (bench/views.py)", p / 1000
    printf "%-36s %10.1f\n", "headsift -f date:iso,...", h / 1000
    printf "%-36s %10.1f", "Python x headsift", p / h
    if (goals) printf "   >= 200 %s", (p / h >= 200 ? "met" : "NOT MET")
    printf "\n"
  }'
}

# The median of the numbers given.
median_of() {
  printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'
}

# Medians and ratios from lines "round command microseconds".
report_speed() {
  awk -v lf_bytes="$(stat -c %s "$lf")" -v crlf_bytes="$(stat -c %s "$crlf")" -v goals=$((!quick)) \
    -v files_bytes="$files_bytes" -v encoded_bytes="$(stat -c %s "$encoded")" \
    -f "$root/bench/median.awk" -f "$root/bench/report.awk"
}

echo "fieldsift: $fieldsift"
echo "headsift: $headsift"
echo "mailbox: $size MB, $rounds round(s), in $work; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
"$generator" --size "$size" --expected Subject: "$expected" --headers "$heads" "$lf"
"$generator" --size "$size" --crlf --headers "$heads_crlf" "$crlf"
# What the pipeline must write: fieldsift, held to its own expected output
# above, on the expected headers.
"$fieldsift" Subject: <"$heads" >"$work/expected.heads_subject"
printf 'LF file %d bytes, CR LF file %d bytes, expected output %d bytes, headers %d bytes\n' \
  "$(stat -c %s "$lf")" "$(stat -c %s "$crlf")" "$(stat -c %s "$expected")" "$(stat -c %s "$heads")"

[[ ! " ${commands[*]} " =~ " files " ]] || make_maildir
encode_subjects

# The mailboxes go to disk before the timing starts, so that no round pays
# for writing them back; a first untimed round warms the page cache and
# checks the output.
sync
cat "$lf" "$crlf" "$encoded" >/dev/null
for c in "${commands[@]}"; do timed "$c"; done
verify_all

for ((round = 1; round <= rounds; round++)); do
  for c in "${commands[@]}"; do
    timed "$c"
    echo "$round $c $elapsed"
  done
done >"$work/times"
verify_all
echo "output: identical to the expected lines, LF from the file and piped, and CR LF;"
echo "        headsift's and its pipeline's too$([[ ! -e $work/out.mawk ]] || echo ", and mawk's but for the empty lines")"
[[ ! -e $work/out.par_subject ]] || echo "        and each parallel run's, the same as one process's"
report_speed <"$work/times"
count_instructions
compare_python
[[ -z $chart ]] || awk -v lf_bytes="$(stat -c %s "$lf")" -v crlf_bytes="$(stat -c %s "$crlf")" \
  -f "$root/bench/median.awk" -f "$root/bench/chart.awk" <"$work/times" >"$chart"
measure_memory
