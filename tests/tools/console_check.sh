#!/usr/bin/env bash
# A Windows console shows headsift's rows as text whatever its code page:
# under Wine, in a terminal that `script` gives it, the Russian, French and
# Japanese sample read right under code pages 437 and 866, and the rows a
# pipe gets are the bytes that Linux writes.
#
#   console_check.sh LOADER HEADSIFT.EXE LINUX_HEADSIFT ROOT
set -uo pipefail
(($# == 4)) || { echo "usage: $0 LOADER HEADSIFT.EXE LINUX_HEADSIFT ROOT" >&2; exit 2; }
loader=$1 exe=$2 linux=$3 root=$4
export LANG=C.UTF-8  # the terminal's: Wine writes a console's text to it in UTF-8
cd "$root" || exit 2
failures=0
fail() { echo "console_check: $*" >&2; failures=$((failures + 1)); }

expected=("Отчёт за ноябрь" "Résumé de la réunion de décembre" "Re: 会議の議事録")
for page in 437 866; do
  shown=$(timeout 120 script -qc "$loader cmd /c 'chcp $page > NUL & $exe -f subject --decode --json examples\\encoded.mbox'" /dev/null | tr -d '\r')
  # The console wraps at its width: the text is looked for with the breaks out.
  joined=$(printf '%s' "$shown" | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' | tr -d '\n')
  for text in "${expected[@]}"; do
    [[ $joined == *"$text"* ]] || fail "under code page $page the console does not show $text"
  done
done
piped=$("$loader" "$exe" -f subject --decode --json examples/encoded.mbox | sed 's/examples\\\\/examples\//')
[[ $piped == "$("$linux" -f subject --decode --json examples/encoded.mbox)" ]] ||
  fail "to a pipe the rows differ from Linux's"
((failures == 0)) && echo "console_check: the rows read right under code pages 437 and 866, and piped are Linux's bytes"
((failures == 0))
