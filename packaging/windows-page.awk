# Makes of a manual page the one a Windows user opens: the subsection
# `.SS "cmd.exe and PowerShell"` of EXAMPLES becomes a section of its own
# right after SYNOPSIS, so that the page leads with the usage a Windows user
# can type, and EXAMPLES, whose other examples are for a POSIX shell, says
# so in its name. Every other line is copied as it is.
#
#   awk -f windows-page.awk man/PROGRAM.1 > PROGRAM.1
#
# Fails, writing nothing, on a page without that subsection or without
# SYNOPSIS and EXAMPLES, so that a renamed heading cannot pass unnoticed.

function section(line) { return line ~ /^\.SH/ }

{ lines[NR] = $0 }

# The subsection runs from its heading to the next section or subsection.
$0 == ".SS \"cmd.exe and PowerShell\"" { from = NR }
from && !to && NR > from && /^\.S[HS]/ { to = NR - 1 }

$0 == ".SH SYNOPSIS" { synopsis = NR }
$0 == ".SH EXAMPLES" { examples = NR }

END {
  if (from && !to) to = NR
  if (!from || !synopsis || !examples) {
    print FILENAME ": no SYNOPSIS, EXAMPLES or .SS \"cmd.exe and PowerShell\"" > "/dev/stderr"
    exit 1
  }
  # The subsection goes in before the section that follows SYNOPSIS.
  for (after = synopsis + 1; after <= NR && !section(lines[after]); after++) {}
  for (i = 1; i <= NR; i++) {
    if (i == after) {
      print ".SH \"CMD.EXE AND POWERSHELL\""
      for (j = from + 1; j <= to; j++) print lines[j]
    }
    if (i >= from && i <= to) continue
    print (i == examples ? ".SH \"EXAMPLES IN A POSIX SHELL\"" : lines[i])
  }
}
