# Medians and ratios of bench/run.sh's timed rounds. Input lines are
# "round command microseconds"; lf_bytes, crlf_bytes and goals come from -v.
# Throughput is each file's own size over its time; bytes per microsecond are MB/s.

function median(list,    a, n, i, j, v) {
  n = split(list, a, " ")
  for (i = 2; i <= n; i++) {
    v = a[i] + 0
    for (j = i - 1; j >= 1 && a[j] + 0 > v; j--) a[j + 1] = a[j]
    a[j + 1] = v
  }
  return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
}

function row(label, command, bytes,    us) {
  us = median(times[command])
  mbs[command] = bytes / us
  printf "%-36s %10.1f %10.1f\n", label, us / 1000, mbs[command]
}

function ratio(label, of_medians, per_round, goal) {
  printf "%-36s %10.3f %10.3f", label, of_medians, median(per_round)
  if (goals) printf "   >= %.2f %s", goal, (of_medians >= goal ? "met" : "NOT MET")
  printf "\n"
}

{
  t[$1, $2] = $3
  times[$2] = times[$2] " " $3
  if ($1 + 0 > rounds) rounds = $1 + 0
}

END {
  printf "\n%-36s %10s %10s\n", "median of " rounds " round(s)", "ms", "MB/s"
  row("4 KB reads and nothing else, LF", "floor", lf_bytes)
  row("dd bs=4096, LF", "dd", lf_bytes)
  row("grep -i '^subject:', LF", "grep", lf_bytes)
  row("fieldsift Subject:, LF", "lf", lf_bytes)
  row("fieldsift Subject:, CR LF", "crlf", crlf_bytes)
  for (r = 1; r <= rounds; r++) {
    x_dd = x_dd " " t[r, "dd"] / t[r, "lf"]
    x_grep = x_grep " " t[r, "grep"] / t[r, "lf"]
    x_crlf = x_crlf " " (crlf_bytes / t[r, "crlf"]) / (lf_bytes / t[r, "lf"])
  }
  printf "\n%-36s %10s %10s%s\n", "throughput ratio", "of medians", "per round", (goals ? "   goal" : "")
  ratio("fieldsift LF x dd", mbs["lf"] / mbs["dd"], x_dd, 0.7)
  ratio("fieldsift LF x grep", mbs["lf"] / mbs["grep"], x_grep, 1.5)
  ratio("fieldsift CR LF x fieldsift LF", mbs["crlf"] / mbs["lf"], x_crlf, 0.8)
  printf "%-36s %10.3f\n", "fieldsift LF x 4 KB reads", mbs["lf"] / mbs["floor"]
  printf "%-36s %10.3f\n", "grep x 4 KB reads", mbs["grep"] / mbs["floor"]
}
