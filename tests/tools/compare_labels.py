#!/usr/bin/env python3
"""Holds the decoder to Python for every name it knows a charset by: for each
name tools/make_charset_tables.py lists (as it is given there and in upper
case), a word in B and one in Q of text that Python's codec for the name
encodes, decoded by DRIVER and by that codec, must give the same text; and
for each charset, its text cut into words of a few characters each, as
writers cut a long header, must come out of DRIVER as it comes out of
Python's email package (policy default). A name Python's codecs do not know is
held to the codec of its charset's row. The one rule of the decoder's that
Python lacks is applied to Python's text first: a control other than TAB, CR
and LF is U+FFFD. A charset left to the system's converter whose every word
comes back as it went in is reported as one this system has no converter
for, and not failed.

usage: compare_labels.py DRIVER

DRIVER is a command that reads values, one a line, and writes each decoded,
one a line, escaped as a TSV value: the build's tests/decode_values."""

import base64
import email
import email.policy
import pathlib
import re
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "tools"))
import make_charset_tables as tables  # noqa: E402

# Characters of many scripts: each codec's text is those of them it encodes.
SAMPLE = ("Jörg, ça va? 100 € ñ ß Привет Καλημέρα שלום مرحبا ภาษาไทย 日本語の件名 ｱｲｳ 中文郵件 "
          "报价单 한국어 丂 嘅 𝄞 © ™ Łódź Şişli Þór ╔═╗")


# The differences from Python that the decoder means, by row: the
# characters left out of its text, and why.
LEFT_OUT = {
    "Big5": (lambda data: len(data) == 2 and 0xC6A1 <= int.from_bytes(data, "big") <= 0xC8FE,
             "the system's CP950 (glibc's as Windows') reads C6A1-C8FE, where Python's cp950 "
             "has kana and Cyrillic, as characters for private use"),
}


def replaced(text):
    return "".join("\ufffd" if (ord(c) < 0x20 and c not in "\t\r\n") or 0x7F <= ord(c) <= 0x9F
                   else c for c in text)


def encodes(codec, c):
    try:
        c.encode(codec)
        return True
    except UnicodeError:
        return False


def text_of(charset, codec):
    """What the codec encodes of the sample; for a table, every character of
    its upper half too."""
    left_out = LEFT_OUT.get(charset.name, (lambda data: False, ""))[0]
    text = "".join(c for c in SAMPLE if encodes(codec, c) and not left_out(c.encode(codec)))
    if charset.decoding == "ByTable":
        text += "".join(b.decode(codec) for b in (bytes([n]) for n in range(0x80, 0x100))
                        if encodes(codec, b.decode(codec, "replace").replace("\ufffd", "")) and
                        b.decode(codec, "replace") != "\ufffd")
    return text


def q_text(data):
    return "".join(chr(b) if chr(b).isascii() and chr(b).isalnum() else "_" if b == 0x20 else f"={b:02X}" for b in data)


def cases():
    """(row, value, what Python makes of it), each value one line."""
    out = []
    for name, charset in tables.labels():
        codec = tables.python_codec(name) or tables.python_codec(charset.modules[0])
        text = text_of(charset, codec)
        data = text.encode(codec)
        for label in (name, name.upper()):
            out.append((charset, f"=?{label}?B?{base64.b64encode(data).decode()}?=", text))
            out.append((charset, f"=?{label}?Q?{q_text(data)}?=", text))
    for charset in tables.CHARSETS:
        codec = charset.modules[0]
        text = text_of(charset, codec)
        words = [f"=?{codec}?B?{base64.b64encode(text[i:i + 7].encode(codec)).decode()}?="
                 for i in range(0, len(text), 7)]
        header = "\n ".join(words)
        message = email.message_from_string(f"Subject: {header}\n\n", policy=email.policy.default)
        out.append((charset, header.replace("\n ", " "), str(message["subject"])))
    return out


def unescape(line):
    return re.sub(rb"\\(.)", lambda m: {b"t": b"\t", b"r": b"\r", b"n": b"\n"}.get(m.group(1),
                                                                                 m.group(1)), line)


def main(argv):
    if len(argv) != 1:
        sys.exit("usage: compare_labels.py DRIVER")
    all_cases = cases()
    run = subprocess.run(argv[0], input="".join(v + "\n" for _, v, _ in all_cases).encode(),
                         capture_output=True, shell=True, check=True)
    ours = [unescape(line).decode("utf-8", "surrogateescape")
            for line in run.stdout.split(b"\n")[:-1]]
    if len(ours) != len(all_cases):
        sys.exit(f"compare_labels: the driver wrote {len(ours)} values for {len(all_cases)}")
    differ, untouched, seen = {}, {}, {}
    for (charset, value, python), decoded in zip(all_cases, ours):
        seen[charset.name] = seen.get(charset.name, 0) + 1
        if decoded == replaced(python):
            continue
        if decoded == value:
            untouched[charset.name] = untouched.get(charset.name, 0) + 1
        differ.setdefault(charset.name, []).append((value, decoded, replaced(python)))
    failed = 0
    for name, found in differ.items():
        if (untouched.get(name) == seen[name] and
                next(c for c in tables.CHARSETS if c.name == name).decoding == "BySystem"):
            print(f"compare_labels: {name}: no converter on this system, not checked")
            continue
        failed += len(found)
        for value, decoded, python in found[:3]:
            print(f"{name}\n  value:  {value!r}\n  ours:   {decoded!r}\n  python: {python!r}")
    print(f"compare_labels: {len(all_cases)} values of {len(tables.CHARSETS)} charsets by "
          f"{len(tables.labels())} names, {failed} different from Python")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
