# Medians and ratios of bench/run.sh's timed rounds. Input lines are
# "round command microseconds"; lf_bytes, crlf_bytes, files_bytes (the
# Maildir's), encoded_bytes (the twin whose Subjects are encoded) and goals
# come from -v.
# Throughput is each file's own size over its time; bytes per microsecond are MB/s.
# median() comes from median.awk, given first with -f.

function row(label, command, bytes,    us) {
  us = median(times[command])
  mbs[command] = bytes / us
  printf "%-36s %10.1f %10.1f\n", label, us / 1000, mbs[command]
}

# A goal of 0 is a share shown for information.
function ratio(label, of_medians, per_round, goal) {
  printf "%-36s %10.3f %10.3f", label, of_medians, median(per_round)
  if (goals && goal > 0) printf "   >= %.2f %s", goal, (of_medians >= goal ? "met" : "NOT MET")
  printf "\n"
}

{
  t[$1, $2] = $3
  times[$2] = times[$2] " " $3
  if ($1 + 0 > rounds) rounds = $1 + 0
}

# Per round, the first command's throughput over the second's.
function per_round(a, a_bytes, b, b_bytes,    r, list) {
  for (r = 1; r <= rounds; r++) list = list " " (a_bytes / t[r, a]) / (b_bytes / t[r, b])
  return list
}

function compare(label, a, a_bytes, b, b_bytes, goal) {
  if (!(a in mbs) || !(b in mbs)) return
  ratio(label, mbs[a] / mbs[b], per_round(a, a_bytes, b, b_bytes), goal)
}

END {
  printf "\n%-36s %10s %10s\n", "median of " rounds " round(s)", "ms", "MB/s"
  row("read floor (128 KiB reads), LF", "floor", lf_bytes)
  row("cat | read floor, LF", "pipe_floor", lf_bytes)
  row("grep -i '^subject:', LF", "grep", lf_bytes)
  row("grep -i '^subject:', CR LF", "grep_crlf", crlf_bytes)
  row("cat | grep -i '^subject:', LF", "grep_piped", lf_bytes)
  if ("rg" in times) row("rg -i '^subject:', LF", "rg", lf_bytes)
  if ("rg_null" in times) row("rg -i '^subject:', LF, to /dev/null", "rg_null", lf_bytes)
  row("fieldsift Subject:, LF", "lf", lf_bytes)
  row("fieldsift Subject:, LF, to /dev/null", "lf_null", lf_bytes)
  row("cat | fieldsift Subject:, LF", "lf_piped", lf_bytes)
  row("fieldsift Subject:, CR LF", "crlf", crlf_bytes)
  row("headsift, LF", "heads", lf_bytes)
  row("headsift, CR LF", "heads_crlf", crlf_bytes)
  if ("mawk" in times) row("mawk header filter, LF", "mawk", lf_bytes)
  if ("mawk_crlf" in times) row("mawk header filter, CR LF", "mawk_crlf", crlf_bytes)
  row("headsift | fieldsift Subject:, LF", "heads_subject", lf_bytes)
  if ("mawk_subject" in times) row("mawk filter | fieldsift Subject:, LF", "mawk_subject", lf_bytes)
  row("headsift, LF, to /dev/null", "heads_null", lf_bytes)
  row("headsift -f 3 fields, TSV", "rows", lf_bytes)
  row("headsift -f 3 fields, JSON", "rows_json", lf_bytes)
  row("headsift -f 3 fields, CSV", "rows_csv", lf_bytes)
  row("headsift -f date,from,message-id", "rows_raw", lf_bytes)
  row("the same as :iso, :addr, :id", "rows_views", lf_bytes)
  row("headsift -f subject,from", "rows_two", lf_bytes)
  row("headsift -f subject,from --decode", "rows_decode", lf_bytes)
  row("every Subject encoded: -f", "encoded_two", encoded_bytes)
  row("every Subject encoded: -f --decode", "encoded_decode", encoded_bytes)
  if ("par_subject" in times) {
    row("parallel: headsift | fieldsift", "par_subject", lf_bytes)
    row("parallel: mawk filter | fieldsift", "par_mawk_subject", lf_bytes)
    row("Maildir: headsift FILES | fieldsift", "files", files_bytes)
    row("parallel: headsift FILES | fieldsift", "par_files", files_bytes)
  }
  printf "\n%-36s %10s %10s%s\n", "throughput ratio", "of medians", "per round", (goals ? "   goal" : "")
  compare("fieldsift LF x grep", "lf", lf_bytes, "grep", lf_bytes, 2.0)
  compare("fieldsift LF x ripgrep", "lf", lf_bytes, "rg", lf_bytes, 1.5)
  compare("piped: fieldsift x grep", "lf_piped", lf_bytes, "grep_piped", lf_bytes, 1.2)
  compare("fieldsift CR LF x fieldsift LF", "crlf", crlf_bytes, "lf", lf_bytes, 0.9)
  compare("fieldsift CR LF x grep, CR LF", "crlf", crlf_bytes, "grep_crlf", crlf_bytes, 1.8)
  compare("headsift LF x mawk filter", "heads", lf_bytes, "mawk", lf_bytes, 5.0)
  compare("headsift CR LF x mawk filter, CR LF", "heads_crlf", crlf_bytes, "mawk_crlf", crlf_bytes, 5.0)
  compare("headsift pipeline x mawk pipeline", "heads_subject", lf_bytes, "mawk_subject", lf_bytes, 5.0)
  compare("headsift pipeline x fieldsift alone", "heads_subject", lf_bytes, "lf", lf_bytes, 0.4)
  compare("headsift -f 3 fields x block copy", "rows", lf_bytes, "heads_null", lf_bytes, 0.7)
  compare("headsift -f JSON x block copy", "rows_json", lf_bytes, "heads_null", lf_bytes, 0.5)
  compare("headsift -f CSV x TSV", "rows_csv", lf_bytes, "rows", lf_bytes, 0.9)
  compare("-f views x the same raw fields", "rows_views", lf_bytes, "rows_raw", lf_bytes, 0.7)
  compare("-f --decode x -f, nothing encoded", "rows_decode", lf_bytes, "rows_two", lf_bytes, 0.8)
  compare("-f --decode x -f, all encoded", "encoded_decode", encoded_bytes, "encoded_two",
          encoded_bytes, 0.3)
  compare("parallel x one: headsift pipeline", "par_subject", lf_bytes, "heads_subject", lf_bytes, 0)
  compare("parallel x one: mawk pipeline", "par_mawk_subject", lf_bytes, "mawk_subject", lf_bytes, 0)
  compare("parallel x one: Maildir files", "par_files", files_bytes, "files", files_bytes, 0)
  compare("fieldsift LF x read floor", "lf", lf_bytes, "floor", lf_bytes, 0)
  compare("fieldsift LF, /dev/null x a file", "lf_null", lf_bytes, "lf", lf_bytes, 0)
  compare("piped: fieldsift x cat | floor", "lf_piped", lf_bytes, "pipe_floor", lf_bytes, 0)
  compare("grep x read floor", "grep", lf_bytes, "floor", lf_bytes, 0)
}
