# An SVG bar chart of bench/run.sh's median throughputs, in MB/s, with the
# machine and the date it was measured on. Input lines are "round command
# microseconds", as report.awk reads them; lf_bytes and crlf_bytes come from
# -v, and so may machine and date (else they are read off this machine).
# A command with no times in the input has no bar. median() comes from
# median.awk, given first with -f.

BEGIN {
  # The bars, top to bottom: command, label, and which file it reads.
  bars = split("floor grep rg lf crlf", command, " ")
  label["floor"] = "read floor (128 KiB reads)"
  label["grep"] = "grep -i '^subject:'"
  label["rg"] = "ripgrep -i '^subject:'"
  label["lf"] = "fieldsift Subject:, LF"
  label["crlf"] = "fieldsift Subject:, CR LF"
  bytes_of["crlf"] = "crlf"
}

function escape(text) {
  gsub(/&/, "\\&amp;", text)
  gsub(/</, "\\&lt;", text)
  gsub(/>/, "\\&gt;", text)
  return text
}

# "CPU model, N cores, system", from /proc/cpuinfo and /etc/os-release.
function this_machine(    line, model, cores, os) {
  while ((getline line < "/proc/cpuinfo") > 0) {
    if (line ~ /^processor[ \t]*:/) cores++
    if (model == "" && line ~ /^model name[ \t]*:/) model = substr(line, index(line, ":") + 2)
  }
  while ((getline line < "/etc/os-release") > 0) {
    if (line ~ /^PRETTY_NAME=/) os = substr(line, 13)
  }
  gsub(/"/, "", os)
  return (model == "" ? "unknown processor" : model) ", " cores " cores, " os
}

{
  times[$2] = times[$2] " " $3
  if ($1 + 0 > rounds) rounds = $1 + 0
}

END {
  if (machine == "") machine = this_machine()
  if (date == "") { "date +%Y-%m-%d" | getline date; close("date +%Y-%m-%d") }
  shown = 0
  for (i = 1; i <= bars; i++) {
    c = command[i]
    if (!(c in times)) continue
    shown++
    name[shown] = label[c]
    mbs[shown] = (bytes_of[c] == "crlf" ? crlf_bytes : lf_bytes) / median(times[c])
    fieldsift[shown] = c ~ /^(lf|crlf)$/
    if (mbs[shown] > most) most = mbs[shown]
  }
  left = 210; span = 400; row = 30; top = 70
  width = left + span + 90; height = top + shown * row + 20
  printf "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\"", width, height
  printf " viewBox=\"0 0 %d %d\" font-family=\"sans-serif\" font-size=\"13\">\n", width, height
  printf "<rect width=\"100%%\" height=\"100%%\" fill=\"#ffffff\"/>\n"
  printf "<text x=\"10\" y=\"24\" font-size=\"16\" font-weight=\"bold\">"
  printf "Throughput, MB/s: median of %d round(s)</text>\n", rounds
  printf "<text x=\"10\" y=\"46\" fill=\"#555555\">%.0f MB mailbox; %s; %s</text>\n",
    lf_bytes / 1e6, escape(machine), escape(date)
  for (i = 1; i <= shown; i++) {
    y = top + (i - 1) * row
    w = most > 0 ? mbs[i] / most * span : 0
    printf "<text x=\"%d\" y=\"%d\" text-anchor=\"end\">%s</text>\n", left - 8, y + 17, escape(name[i])
    printf "<rect x=\"%d\" y=\"%d\" width=\"%.1f\" height=\"%d\" fill=\"%s\"/>\n",
      left, y + 4, w, row - 8, fieldsift[i] ? "#2b6cb0" : "#a0aec0"
    printf "<text x=\"%.1f\" y=\"%d\">%.0f</text>\n", left + w + 6, y + 17, mbs[i]
  }
  print "</svg>"
}
