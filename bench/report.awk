# Medians and ratios of bench/run.sh's timed rounds. Input lines are
# "round command microseconds"; lf_bytes, crlf_bytes and goals come from -v.
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

END {
  printf "\n%-36s %10s %10s\n", "median of " rounds " round(s)", "ms", "MB/s"
  row("dd bs=128k, LF", "floor", lf_bytes)
  row("cat | dd bs=128k, LF", "pipe_floor", lf_bytes)
  row("grep -i '^subject:', LF", "grep", lf_bytes)
  row("cat | grep -i '^subject:', LF", "grep_piped", lf_bytes)
  row("fieldsift Subject:, LF", "lf", lf_bytes)
  row("cat | fieldsift Subject:, LF", "lf_piped", lf_bytes)
  row("fieldsift Subject:, CR LF", "crlf", crlf_bytes)
  for (r = 1; r <= rounds; r++) {
    x_grep = x_grep " " t[r, "grep"] / t[r, "lf"]
    x_piped = x_piped " " t[r, "grep_piped"] / t[r, "lf_piped"]
    x_crlf = x_crlf " " (crlf_bytes / t[r, "crlf"]) / (lf_bytes / t[r, "lf"])
    x_floor = x_floor " " t[r, "floor"] / t[r, "lf"]
    x_pipe_floor = x_pipe_floor " " t[r, "pipe_floor"] / t[r, "lf_piped"]
  }
  printf "\n%-36s %10s %10s%s\n", "throughput ratio", "of medians", "per round", (goals ? "   goal" : "")
  ratio("fieldsift LF x grep", mbs["lf"] / mbs["grep"], x_grep, 1.5)
  ratio("piped: fieldsift x grep", mbs["lf_piped"] / mbs["grep_piped"], x_piped, 1.2)
  ratio("fieldsift CR LF x fieldsift LF", mbs["crlf"] / mbs["lf"], x_crlf, 0.8)
  ratio("fieldsift LF x dd bs=128k", mbs["lf"] / mbs["floor"], x_floor, 0)
  ratio("piped: fieldsift x cat | dd", mbs["lf_piped"] / mbs["pipe_floor"], x_pipe_floor, 0)
  printf "%-36s %10.3f\n", "grep x dd bs=128k", mbs["grep"] / mbs["floor"]
}
