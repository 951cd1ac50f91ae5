#!/usr/bin/env python3
"""Holds headsift's views of real mail to Python's email package.

usage: compare_views.py [--dates PCT] [--addr PCT] [--name PCT] [--ids PCT]
                        [--parent PCT] [--python-messages] HEADSIFT FILE...

Runs HEADSIFT -f COLUMNS --json FILE... and reads each FILE again here by
headsift's rules: an input whose first line begins "From " is a mailbox, in
which each such line outside a header begins a message, any other input is
one message; a header ends at its first empty line; a field's value is the
first of its name, unfolded, SP and TAB dropped at both ends. Python's answer
to each view of those raw values (compare_values.py states each):
- date:iso, date:epoch: email.utils.parsedate_to_datetime, in UTC;
- from:addr, to:addr, cc:addr: the addr-specs email.utils.getaddresses
  gives, those without '@' dropped, domains in lower case; from:name: the
  first one's display name;
- message-id:id and :parent: the id rule, and the last id of References,
  else the first of In-Reply-To;
- :size: the message's bytes, which add up to the input's length.
Each row must be a message found here, at its offset.

Every difference is listed: the value, ours, Python's. A date column must
agree on --dates percent of the dates Python reads (default 100), but for
the differences of the kinds in INTENDED (tests/data/value_cases.txt's
"differs:" notes give the reasons); each other column on its percent of the
messages that hold its field; sizes exactly. Exits 1 if one falls short.
With --python-messages, the messages of Python's own email tests
(test/test_email/data/msg_*.txt) are read too; where Python has none, the
run is skipped, saying so."""

import argparse
import datetime
import glob
import json
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compare_values import (UTC, model_ids, model_parent, python_addresses,  # noqa: E402
                            python_moment, without_comments)

COLUMNS = "date:iso,date:epoch,from:addr,to:addr,cc:addr,from:name,message-id:id,:parent,:size"
EPOCH = datetime.datetime(1970, 1, 1, tzinfo=UTC)
WELL_FORMED = re.compile(rb"([\x00-\x7f]|[\xc2-\xdf][\x80-\xbf]|\xe0[\xa0-\xbf][\x80-\xbf]"
                         rb"|[\xe1-\xec\xee\xef][\x80-\xbf]{2}|\xed[\x80-\x9f][\x80-\xbf]"
                         rb"|\xf0[\x90-\xbf][\x80-\xbf]{2}|[\xf1-\xf3][\x80-\xbf]{3}"
                         rb"|\xf4[\x80-\x8f][\x80-\xbf]{2})|.", re.DOTALL)


def json_text(raw):
    """The bytes as JSON rows carry them: each byte that begins no
    well-formed UTF-8 sequence is U+FFFD."""
    if raw.isascii():
        return raw.decode()
    return "".join(m.group(1).decode() if m.group(1) else "\ufffd" for m in WELL_FORMED.finditer(raw))


def message_starts(data):
    if not data.startswith(b"From "):
        return [0]
    starts, in_header = [0], True
    for line in re.finditer(rb"[^\n]*\n?", data):
        if in_header:
            in_header = line.group() not in (b"\n", b"\r\n")
        elif line.group().startswith(b"From "):
            starts.append(line.start())
            in_header = True
    return starts


def header_fields(message):
    """The first value of each name in the message's header, by name in
    lower case."""
    end = re.search(rb"(?:\A|\n)\r?\n", message)
    header = message[:end.start()] if end else message
    values, open_name = {}, None
    for number, line in enumerate(header.split(b"\n")):
        line = line[:-1] if line.endswith(b"\r") else line
        if line[:1] in (b" ", b"\t"):
            if open_name:
                values[open_name] += line
            continue
        name, colon, value = line.partition(b":")
        open_name = None
        if colon and not (number == 0 and line.startswith(b"From ")):
            name = name.rstrip(b" \t").lower()
            if name not in values:
                values[name], open_name = value, name
    return {name: value.strip(b" \t") for name, value in values.items()}


def python_views(fields):
    """Python's answer to each column but :size; the value it read from, or
    None where the message has no such field."""
    answers = {}
    date = fields.get(b"date")
    moment = python_moment(date) if date is not None else None
    utc = moment.astimezone(UTC) if moment else None
    answers["date:iso"] = (date, utc.strftime("%Y-%m-%dT%H:%M:%SZ") if utc else None, moment)
    answers["date:epoch"] = (date, (utc - EPOCH) // datetime.timedelta(seconds=1) if utc else None, moment)
    for name in ("from", "to", "cc"):
        value = fields.get(name.encode())
        found = python_addresses(value) if value is not None else [b"-"]
        answers[name + ":addr"] = (value, [json_text(a) for a in found[1:]])
        if name == "from":
            answers["from:name"] = (value, None if found[0] == b"-" else json_text(found[0]))
    value = fields.get(b"message-id")
    answers["message-id:id"] = (value, [json_text(i) for i in model_ids(value or b"")])
    refs, reply = fields.get(b"references"), fields.get(b"in-reply-to")
    parent = model_parent(refs or b"", reply or b"")[0]
    shown = None if refs is None and reply is None else (refs or b"") + b" | " + (reply or b"")
    answers[":parent"] = (shown, None if parent == b"-" else json_text(parent))
    return answers


# RFC 5322's date-time with its obsolete forms, and asctime's, as headsift
# reads them (comments taken out first): a date Python reads that has none
# of these shapes is one it guesses at.
W = r"[ \t]"
DAY = r"(?:mon|tue|wed|thu|fri|sat|sun)"
MONTH = r"(?:jan|feb|mar|apr|may|jun|jul|aug|sep|oct|nov|dec)"
YEAR = r"(?:19\d\d|[2-9]\d{3}|\d{2,3})"
TIME = rf"\d\d{W}*:{W}*\d\d(?:{W}*:{W}*\d\d)?"
ZONE = rf"(?:[+-](?:[01]\d|2[0-3])[0-5]\d|[a-z]+)(?:{W}.*)?"
GRAMMAR = re.compile(rf"{W}*(?:(?:{DAY}{W}*,{W}*)?\d{{1,2}}{W}*{MONTH}{W}*{YEAR}{W}+{TIME}{W}*(?:{ZONE})?"
                     rf"|(?:{DAY}{W}*)?{MONTH}{W}*\d{{1,2}}{W}+{TIME}{W}*"
                     rf"(?:{YEAR}(?:{W}*{ZONE})?|{ZONE}{W}*{YEAR}{W}*))", re.IGNORECASE | re.DOTALL)


def shifted(moment, years):
    try:
        return moment.replace(year=moment.year + years).astimezone(UTC)
    except (ValueError, OverflowError):
        return None


def date_text(value):
    return without_comments(value.rpartition(b";")[2]).decode("latin-1")


# The differences meant, each a test of (value, our instant or None,
# Python's date-time in the zone it read).
INTENDED = {
    "2-digit year 50-68 is 19xx (Python: 20xx)":
        lambda v, ours, m: 2050 <= m.year <= 2068 and ours == shifted(m, -100),
    "3-digit year has 1900 added (Python: as it is)":
        lambda v, ours, m: 100 <= m.year <= 999 and ours == shifted(m, 1900),
    "year before 1900 refused (Python takes it)":
        lambda v, ours, m: ours is None and m.year < 1900,
    "AST or ADT is -0000, obs-zone names neither (Python: -0400, -0300)":
        lambda v, ours, m: ours == m.replace(tzinfo=UTC)
        and re.search(r"(?<![a-z])a[sd]t(?![a-z])", date_text(v), re.IGNORECASE),
    "refused, no date-time of the grammar (Python guesses)":
        lambda v, ours, m: ours is None and not GRAMMAR.fullmatch(date_text(v)),
}


def our_instant(column, ours):
    if ours is None:
        return None
    if column == "date:epoch":
        return EPOCH + datetime.timedelta(seconds=ours)
    return datetime.datetime.strptime(ours, "%Y-%m-%dT%H:%M:%SZ").replace(tzinfo=UTC)


def intended_kind(column, value, ours, moment):
    instant = our_instant(column, ours)
    return next((kind for kind, test in INTENDED.items() if test(value, instant, moment)), None)


class Tally:
    def __init__(self):
        self.counted, self.agreed, self.intended, self.alone = {}, {}, {}, {}
        self.differences = []

    def add(self, where, column, answer, ours):
        value, python, *moment = answer
        if column.startswith("date:") and python is None:
            if ours is not None:  # a date Python does not read: listed, not counted
                self.alone[column] = self.alone.get(column, 0) + 1
                self.differences.append((where, column, value, ours, python, "ours alone"))
            return
        if value is None and ours in (None, []):
            return
        self.counted[column] = self.counted.get(column, 0) + 1
        if ours == python:
            self.agreed[column] = self.agreed.get(column, 0) + 1
            return
        kind = intended_kind(column, value, ours, moment[0]) if moment else None
        if kind:
            self.intended[column] = self.intended.get(column, 0) + 1
        self.differences.append((where, column, value, ours, python, "intended: " + kind if kind else ""))

    def report(self, needed):
        """Prints each column's counts; answers whether every column has
        the agreement it needs."""
        enough = True
        for column in COLUMNS.split(",")[:-1]:
            counted, agreed = self.counted.get(column, 0), self.agreed.get(column, 0)
            intended = self.intended.get(column, 0)
            share = 100.0 * (agreed + intended) / counted if counted else 100.0
            ok = share >= needed[column]
            enough &= ok
            line = f"{column:14} {agreed:6} of {counted:6} agree"
            if column.startswith("date:"):
                line += f", {intended} differ as intended; {self.alone.get(column, 0)} read by us alone"
            print(f"{line}: {share:.2f}% (needs {needed[column]}%){'' if ok else ' FAILS'}")
        return enough


def show(value):
    return value.decode("utf-8", "backslashreplace") if isinstance(value, bytes) else value


def compare_input(path, rows, tally):
    """Holds one input's rows to its messages; answers whether its rows and
    sizes are right."""
    data = open(path, "rb").read()
    starts = message_starts(data)
    if [row["offset"] for row in rows] != starts:
        print(f"{path}: rows at offsets {[row['offset'] for row in rows][:10]}..., messages at {starts[:10]}...")
        return False
    right = sum(row["fields"][":size"] for row in rows) == len(data)
    if not right:
        print(f"{path}: sizes add up to {sum(row['fields'][':size'] for row in rows)}, not {len(data)}")
    for row, start, end in zip(rows, starts, starts[1:] + [len(data)]):
        if row["fields"][":size"] != end - start:
            print(f"{path}:{start}: size {row['fields'][':size']}, message of {end - start} bytes")
            right = False
        for column, answer in python_views(header_fields(data[start:end])).items():
            tally.add(f"{path}:{start}", column, answer, row["fields"][column])
    return right


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    for name, default in (("dates", 100.0), ("addr", 99.5), ("name", 99.5), ("ids", 100.0), ("parent", 100.0)):
        parser.add_argument("--" + name, type=float, default=default, metavar="PCT")
    parser.add_argument("--python-messages", action="store_true",
                        help="take in the messages Python's own email tests read too")
    parser.add_argument("headsift")
    parser.add_argument("files", nargs="*")
    args = parser.parse_args()
    if args.python_messages:
        try:
            import test.test_email
            folder = os.path.join(os.path.dirname(test.test_email.__file__), "data")
        except ImportError:
            folder = "test.test_email"
        found = sorted(glob.glob(os.path.join(folder, "msg_*.txt")))
        if not found:
            print(f"compare_views: skipped, Python's test messages are not here ({folder})")
            return 0
        args.files += found
    needed = {"date:iso": args.dates, "date:epoch": args.dates, "from:addr": args.addr, "to:addr": args.addr,
              "cc:addr": args.addr, "from:name": args.name, "message-id:id": args.ids, ":parent": args.parent}

    run = subprocess.run([args.headsift, "-f", COLUMNS, "--json", "--", *args.files], capture_output=True)
    if run.returncode != 0:
        sys.exit(f"compare_views: headsift failed ({run.returncode}): {run.stderr.decode(errors='replace')}")
    rows = {path: [] for path in args.files}
    for line in run.stdout.splitlines():
        row = json.loads(line)
        rows[row["input"]].append(row)
    tally = Tally()
    right = all([compare_input(path, rows[path], tally) for path in args.files])
    for where, column, value, ours, python, note in tally.differences:
        print(f"{where}: {column}\n  value:  {show(value)!r}\n  ours:   {json.dumps(ours, ensure_ascii=False)}\n"
              f"  python: {json.dumps(python, ensure_ascii=False)}{'  (' + note + ')' if note else ''}")
    print(f"compare_views: {len(args.files)} inputs, {sum(len(r) for r in rows.values())} messages; "
          f"sizes {'add up' if right else 'WRONG'}")
    enough = tally.report(needed)
    return 0 if right and enough else 1


if __name__ == "__main__":
    sys.exit(main())
