#!/usr/bin/env python3
"""Holds the value parsers' cases (tests/data/value_cases.txt, which
tests/unit/values_test.cpp holds the parsers to) to Python's email package.

usage: compare_values.py [--show] CASES
       compare_values.py --mail DRIVER [--show] MBOX...

Python's answer to each case:
- date: email.utils.parsedate_to_datetime on the value after its last ';'
  (the whole value if it has none), a result without a zone read as UTC,
  written as YYYY-MM-DDTHH:MM:SSZ; none where it raises;
- epoch: 1970-01-01T00:00:00Z and that many seconds, written alike;
- addr: email.utils.getaddresses([value]) (strict=False where Python has
  that argument), the pairs whose address has no '@' dropped, each domain
  (after the last '@') in lower case; the name of the first pair left;
- ids and parent: the id rule, stated again here for itself (Python's email
  package reads no list of ids): the bytes between '<' and the next '>',
  white space trimmed, not empty and holding no white space, '<' or '>'; a
  '<' in a quoted string or comment begins none; a value without brackets
  that is one token with an '@', comments and white space around it, is
  that id; parent: the last id of References, else the first of In-Reply-To.

A case without a "differs:" note must give Python's answer; a case with one
must not, or its note is stale. Exits 1 if any case fails either way. With
--show, every case is printed with Python's answer beside the expected.

With --mail, the cases are made of the messages of each MBOX (as Python's
mailbox module splits them): a date case of its Date and of each Received,
an addr case of its From, Sender, Reply-To, To and Cc, an ids case of its
Message-ID, In-Reply-To and References, a parent case of the last two; each
value unfolded and stripped of white space at both ends. DRIVER (the
build's tests/value_answers) answers them as the parsers do, and its
answers are held to Python's; every difference is listed (with --show, every
case), as the driver never fails on what it reads. Exits 1 if any differs."""

import argparse
import datetime
import email.utils
import inspect
import re
import sys

NONE = b"-"
NOTE = b"differs:"
UTC = datetime.timezone.utc


ESCAPES = {b"t": b"\t", b"\\": b"\\"}


def unescape(field):
    if field == NONE:
        return b""
    return re.sub(rb"\\(t|\\|x[0-9A-Fa-f]{2})",
                  lambda m: ESCAPES.get(m.group(1)) or bytes([int(m.group(1)[1:], 16)]), field)


def text(raw):
    return raw.decode("ascii", "surrogateescape")


def iso(moment):
    return b"%04d-%02d-%02dT%02d:%02d:%02dZ" % (moment.year, moment.month, moment.day,
                                                 moment.hour, moment.minute, moment.second)


def python_moment(value):
    """The date-time Python reads after the value's last ';', in the zone it
    names (UTC where it names none); None where it reads none, or one that
    is no instant in UTC's years 1 to 9999."""
    try:
        moment = email.utils.parsedate_to_datetime(text(value.rpartition(b";")[2]))
    except (ValueError, TypeError, OverflowError):
        return None
    if moment.tzinfo is None:
        moment = moment.replace(tzinfo=UTC)
    try:
        moment.astimezone(UTC)
    except OverflowError:
        return None
    return moment


def python_date(value):
    moment = python_moment(value)
    return [iso(moment.astimezone(UTC))] if moment else [NONE]


def python_epoch(seconds):
    epoch = datetime.datetime(1970, 1, 1, tzinfo=UTC)
    return [iso(epoch + datetime.timedelta(seconds=int(seconds)))]


LENIENT = {"strict": False} if "strict" in inspect.signature(email.utils.getaddresses).parameters else {}


def python_addresses(value):
    pairs = email.utils.getaddresses([text(value)], **LENIENT)
    kept = [(name, addr) for name, addr in pairs if "@" in addr]
    addresses = []
    for _, addr in kept:
        local, _, domain = addr.rpartition("@")
        addresses.append((local + "@" + domain.lower()).encode("ascii", "surrogateescape"))
    name = kept[0][0].encode("ascii", "surrogateescape") if kept else b""
    return [name or NONE] + addresses


QUOTED_STRING = re.compile(rb'"(?:\\.|[^"\\])*"', re.DOTALL)
# A '<', then what may be an id: where it stops, the id ends or the reading
# goes on.
MSG_ID = re.compile(rb"<[ \t]*([^ \t<>]*)[ \t]*")


def delimited_end(value, pos):
    """Past the quoted string or the comment (nested comments in it) that
    opens at pos, quoted-pairs taken whole; the end if it never closes."""
    if value[pos:pos + 1] == b'"':
        found = QUOTED_STRING.match(value, pos)
        return found.end() if found else len(value)
    depth = 0
    while pos < len(value):
        c = value[pos:pos + 1]
        pos += 2 if c == b"\\" else 1
        depth += (c == b"(") - (c == b")")
        if depth == 0:
            return pos
    return len(value)


def without_comments(value):
    plain, pos = b"", 0
    while pos < len(value):
        if value[pos:pos + 1] == b"(":
            plain += b" "
            pos = delimited_end(value, pos)
        else:
            plain += value[pos:pos + 1]
            pos += 1
    return plain


def model_ids(value):
    if b"<" not in value and b">" not in value:
        tokens = without_comments(value).split()
        return tokens if len(tokens) == 1 and b"@" in tokens[0] else []
    ids, pos = [], 0
    while pos < len(value):
        c = value[pos:pos + 1]
        if c in (b'"', b"("):
            pos = delimited_end(value, pos)
        elif c == b"<":
            # Where no id follows, reading goes on after the "<", so that a
            # quoted string or comment there is passed over whole.
            found = MSG_ID.match(value, pos)
            if found.group(1) and value[found.end():found.end() + 1] == b">":
                ids.append(found.group(1))
                pos = found.end() + 1
            else:
                pos += 1
        else:
            pos += 1
    return ids


def model_parent(references, in_reply_to):
    last = model_ids(references)[-1:] or model_ids(in_reply_to)[:1]
    return last or [NONE]


def answer(kind, fields):
    if kind == b"date":
        return python_date(fields[0])
    if kind == b"epoch":
        return python_epoch(fields[0])
    if kind == b"addr":
        return python_addresses(fields[0])
    if kind == b"ids":
        return model_ids(fields[0]) or [NONE]
    if kind == b"parent":
        return model_parent(fields[0], fields[1])
    raise ValueError(f"unknown kind {kind!r}")


ARGUMENTS = {b"date": 1, b"epoch": 1, b"addr": 1, b"ids": 1, b"parent": 2}


FOLD = re.compile(rb"\r?\n(?=[ \t])")
FIELDS = {b"date": [b"date", b"received"], b"addr": [b"from", b"sender", b"reply-to", b"to", b"cc"],
          b"ids": [b"message-id", b"in-reply-to", b"references"]}


def escape(value):
    if not value:
        return NONE
    value = re.sub(rb"\\(?=[tx\\])", rb"\\\\", value)
    return re.sub(rb"[\x00-\x1f\x7f-\xff]", lambda m: b"\\x%02X" % m.group(0)[0], value)


def mail_cases(paths):
    """The cases of every message of the mailboxes, as lines of a cases file."""
    import mailbox
    lines = []
    for path in paths:
        box = mailbox.mbox(path, create=False)
        for key in box.keys():
            header = re.split(rb"\r?\n\r?\n", box.get_bytes(key), maxsplit=1)[0]
            values = {}
            for found in re.finditer(rb"^([!-9;-~]+)[ \t]*:(.*(?:\r?\n[ \t].*)*)", header, re.MULTILINE):
                value = FOLD.sub(b"", found.group(2)).strip(b" \t\r\n")
                values.setdefault(found.group(1).lower(), []).append(value)
            for kind, names in FIELDS.items():
                for name in names:
                    for value in values.get(name, [])[:None if name == b"received" else 1]:
                        lines.append(kind + b"\t" + escape(value))
            parent = [values.get(name, [b""])[0] for name in (b"references", b"in-reply-to")]
            if any(parent):
                lines.append(b"parent\t" + b"\t".join(escape(v) for v in parent))
    return lines


def case_lines(args):
    """The cases file's lines, with their numbers; or the mail's, answered by the driver."""
    if not args.mail:
        return enumerate(open(args.cases, "rb").read().split(b"\n"), 1)
    lines = mail_cases([args.cases] + args.mboxes)
    import subprocess
    run = subprocess.run([args.mail], input=b"".join(line + b"\n" for line in lines),
                         capture_output=True, check=True)
    answered = run.stdout.split(b"\n")[:-1]
    if len(answered) != len(lines):
        sys.exit(f"compare_values: the driver answered {len(answered)} cases of {len(lines)}")
    return enumerate(answered, 1)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--show", action="store_true", help="print every case")
    parser.add_argument("--mail", metavar="DRIVER", help="read the cases from mail, answered by DRIVER")
    parser.add_argument("cases", help="the cases file, or with --mail the first mailbox")
    parser.add_argument("mboxes", nargs="*")
    args = parser.parse_args()

    failures = checked = 0
    for number, line in case_lines(args):
        if not line or line.startswith(b"#"):
            continue
        kind, *fields = line.split(b"\t")
        note = fields.pop() if fields and fields[-1].startswith(NOTE) else None
        arguments = [unescape(f) for f in fields[:ARGUMENTS[kind]]]
        expected = [f if f == NONE else unescape(f) for f in fields[ARGUMENTS[kind]:]]
        python = answer(kind, arguments)
        checked += 1
        agrees = python == expected
        wrong = agrees if note else not agrees
        failures += wrong
        if wrong or args.show:
            verdict = ("stale note: Python agrees" if note else "differs from Python") if wrong else "ok"
            print(f"{'mail case ' if args.mail else args.cases + ':'}{number}: {verdict}\n  value:    {arguments!r}\n"
                  f"  expected: {expected!r}\n  python:   {python!r}")
            if note:
                print(f"  note:     {note.decode()}")
    print(f"compare_values: {checked} cases{' from mail' if args.mail else ''}, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
