#!/usr/bin/env python3
"""Holds the decoder's output for every encoded value of one field in real
mail to what Python's email package (policy default) decodes.

usage: compare_decoding.py [--field NAME] [--show N] [--values FILE] DRIVER [MBOX...]

DRIVER is a command that reads values, one a line, and writes each decoded,
one a line, escaped as a TSV value (\\\\, \\t, \\r, \\n): the build's
tests/decode_values. For each message of each MBOX (as Python's mailbox module
splits it) the field's first occurrence is taken from the raw header,
unfolded (each line end before a space or TAB removed), and stripped of white
space at both ends. A --values FILE gives fields without their messages: a
record a field value, a line that begins with white space continuing the
record before it, # beginning a comment; each is taken as a message of that
one field. Each value that holds "=?" is decoded by DRIVER and by
Python, and the two are compared as bytes, after the decoder's one rule that
Python lacks: a control other than TAB, CR and LF that Python decoded (one
the raw value does not hold) is taken as U+FFFD.

A difference is listed with the defects Python found in the field, which
name most of the decoder's documented choices: a word glued to text or to
another word ("missing whitespace") is left as it stands, a word whose bytes
do not convert or whose charset is unknown ("undecodable", "Unknown charset")
is written as it stands where Python writes the bytes. Exits 1 if any value
differs."""

import argparse
import email
import email.policy
from email import _header_value_parser
import mailbox
import re
import subprocess
import sys

FOLD = re.compile(rb"\r?\n(?=[ \t])")


def raw_value(message, field):
    """The field's first value in the raw message, unfolded and stripped."""
    header = re.split(rb"\r?\n\r?\n", message, maxsplit=1)[0]
    pattern = re.compile(rb"^" + re.escape(field.encode()) + rb"[ \t]*:(.*(?:\r?\n[ \t].*)*)",
                         re.IGNORECASE | re.MULTILINE)
    found = pattern.search(header)
    if found is None:
        return None
    return FOLD.sub(b"", found.group(1)).strip(b" \t\r\n")


def python_value(message, field, raw):
    """What Python decodes, as bytes (bytes it could not decode as they came),
    with the controls it decoded taken as U+FFFD; and its defects."""
    parsed = email.message_from_bytes(message, policy=email.policy.default)
    header = parsed[field]
    text = "".join("\ufffd" if is_replaced(c) and c.encode() not in raw else c for c in str(header))
    # The header keeps no defects of its own; its parse has them.
    tree = _header_value_parser.get_unstructured(raw.decode("ascii", "surrogateescape"))
    defects = sorted({type(d).__name__ + ": " + str(d) for d in tree.all_defects})
    return text.encode("utf-8", "surrogateescape").strip(b" \t\r\n"), defects


def is_replaced(c):
    n = ord(c)
    return (n < 0x20 and c not in "\t\r\n") or 0x7F <= n <= 0x9F


def unescape(line):
    return re.sub(rb"\\(.)", lambda m: {b"t": b"\t", b"r": b"\r", b"n": b"\n"}.get(m.group(1), m.group(1)),
                  line)


def messages_of_values(path, field):
    """Each record of a --values file, as a message of that one field."""
    records = []
    for line in open(path, "rb").read().split(b"\n"):
        if line.startswith(b"#") or not line:
            continue
        if line[:1] in (b" ", b"\t") and records:
            records[-1] += b"\n" + line
        else:
            records.append(line)
    return [field.encode() + b": " + r + b"\n\nbody\n" for r in records]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--field", default="Subject")
    parser.add_argument("--show", type=int, default=20, help="differences to print")
    parser.add_argument("--values", help="a file of field values, a record each")
    parser.add_argument("driver")
    parser.add_argument("mboxes", nargs="*")
    args = parser.parse_args()

    sources = [(f"{path}#{key}", box.get_bytes(key))
               for path in args.mboxes for box in [mailbox.mbox(path, create=False)]
               for key in box.keys()]
    if args.values:
        sources += [(f"{args.values}#{n}", message)
                    for n, message in enumerate(messages_of_values(args.values, args.field))]
    cases = []  # (where, raw value, message)
    for where, message in sources:
        raw = raw_value(message, args.field)
        if raw is not None and b"=?" in raw and b"\n" not in raw:
            cases.append((where, raw, message))
    messages = len(sources)
    run = subprocess.run(args.driver, input=b"".join(raw + b"\n" for _, raw, _ in cases),
                         capture_output=True, shell=True, check=True)
    ours = [unescape(line) for line in run.stdout.split(b"\n")[:-1]]
    if len(ours) != len(cases):
        sys.exit(f"compare_decoding: the driver wrote {len(ours)} values for {len(cases)}")

    differ = 0
    for (where, raw, message), decoded in zip(cases, ours):
        expected, defects = python_value(message, args.field, raw)
        if decoded.strip(b" \t\r\n") == expected:
            continue
        differ += 1
        if differ <= args.show:
            print(f"{where}\n  raw:    {raw!r}\n  ours:   {decoded!r}\n  python: {expected!r}")
            for d in defects:
                print(f"  python's defect: {d}")
    print(f"compare_decoding: {messages} messages, {len(cases)} {args.field} values with =?, "
          f"{len(cases) - differ} the same as Python's, {differ} different")
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
