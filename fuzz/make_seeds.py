#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into fuzz/corpus/<target>/.

Each seed is laid out as the target's input format says (line_case.h,
text_write_fuzzer.cpp, header_fuzzer.cpp and decode_fuzzer.cpp). Run it again after a change to either format.
"""
import pathlib
import shutil

PIPE, FILE, DEVICE = 0, 1, 2
WRONG_COMMAND_LINE, FAILING_WRITES, GONE_READER = 0x10, 0x20, 0x40
LARGE_READ = 131072  # what one read of a pipe or file asks for
REPEATED = 0x04  # text_write: the source 40 times over


def le(n, size):
    return n.to_bytes(size, "little")


def cut_code(cut):
    if cut <= 32:
        return cut - 1
    if cut <= 8193:
        return 0x8000 + (cut - 1 - 0x8000) % 8193  # decodes as 1 + code % 8193
    assert cut % 8 == 0 and cut <= 131072
    return 0xBFFF + cut // 8  # decodes as (code - 0xBFFF) * 8


def request_code(request):
    if request <= 4100:
        return request - 1  # decodes as 1 + code % 4100
    assert request % 12 == 0 and request <= 196608
    return 0xBFFF + request // 12  # decodes as (code - 0xBFFF) * 12


def line_case(body, name=b"Subject:", kind=PIPE, out=PIPE, cuts=(), stretch=0, at=0,
              request=255, line_buffer=257, skip=0, budget=0, flags=0):
    code = 0 if stretch == 0 else 0xEFFF + -(-stretch // 18)
    return (bytes([kind | out << 2 | flags, len(name)]) + name + bytes([len(cuts)])
            + b"".join(le(cut_code(c), 2) for c in cuts) + le(code, 2) + le(at, 2)
            + bytes([0xFF if request == LARGE_READ else request - 1, line_buffer - 2, skip]) + le(budget, 2) + body)


def write_case(body, requests=(4096,), flags=0, budget=0):
    return (bytes([len(requests) - 1]) + b"".join(le(request_code(r), 2) for r in requests)
            + bytes([flags]) + le(budget, 2) + body)


MESSAGE = (b"From: Ann Example <ann@example.org>\r\nTo: team@example.org\r\n"
           b"Subject: Quarterly figures for the\r\n\tnorth-east region\r\n"
           b"Date: Mon, 7 Dec 2026 09:00:00 +0100\r\n\r\nHello all,\r\n.\r\n"
           b"Subject: a body line\r\n  indented\r\n")
WORKED = b"From: x\nHoge: one\n two\nOther: three\n four\nhoge:five\n.\n six\n\n seven\nHoge: eight\n"
MBOX = (b"From ann Mon Dec  7 09:00:00 2026\nSubject: caf\xc3\xa9\n \xe2\x80\x94 more\n"
        b"Received: from a\r\n\tby b\rX-Bare-CR: \r\n\nbody\n..\n. \n \n\t\n"
        b"SUBJECT:shout\n\x80Subject: no\n")


def pair_at_4095(kind):
    # The CR of a CR LF pair is the last byte of the first 4,096-byte read.
    filler = b"Subject: " + b"x" * (4095 - 9) + b"\r\n continued\r\nOther: y\r\n"
    return line_case(filler, kind=kind, cuts=())


LINE_PATH = {
    "message_crlf": line_case(MESSAGE, cuts=(7, 1, 30)),
    "worked_example": line_case(WORKED, name=b"Hoge:", kind=FILE, cuts=(3,)),
    "mbox_empty_name": line_case(MBOX, name=b"", kind=PIPE, out=DEVICE, cuts=(2, 5)),
    "pair_at_4095_pipe": pair_at_4095(PIPE),
    "pair_at_4095_file": pair_at_4095(FILE),
    "pair_at_4095_device": pair_at_4095(DEVICE),
    "mark_pipe": line_case(b"Subject: a\n b\x1a c\nSubject: d\n", cuts=(4,)),
    "mark_after_cr_file": line_case(b"Subject: a\r\x1a\n", kind=FILE, cuts=(11,)),
    "mark_device": line_case(b"Subject: a\x1a lost\n b\nSubject: c\n", kind=DEVICE, cuts=(13, 6)),
    "nul": line_case(b"Subject: a\0hidden\n\0 blank\n b\nA:\0\n", name=b"a:", cuts=(1,)),
    "long_line": line_case(b"Subject: x\n y\n", kind=FILE, stretch=70000, at=9,
                           line_buffer=17, skip=0x55),
    "large_cuts": line_case(MESSAGE, kind=FILE, stretch=70000, at=40, cuts=(65536, 3, 131072),
                            request=LARGE_READ),
    "usage": line_case(b"Subject: x\n", flags=WRONG_COMMAND_LINE),
    "failing_writes": line_case(MESSAGE, flags=FAILING_WRITES, budget=40),
    "gone_reader": line_case(MESSAGE, out=DEVICE, flags=FAILING_WRITES | GONE_READER, budget=3),
}

TEXT_WRITE = {
    "message": write_case(MESSAGE.replace(b"\r\n", b"\n"), requests=(1, 7, 4096)),
    "line_feeds": write_case(b"\n" * 3000, requests=(1000, 1)),
    # 65,520 bytes in one request: one write.
    "half_stage": write_case(b"a" * 1637 + b"\n", requests=(65544,), flags=REPEATED),
    # 120,000 bytes in requests of 65,544: the first is more than half a stage.
    "past_half_stage": write_case(b"ab\n" * 1000, requests=(65544,), flags=REPEATED),
    "no_line_feed": write_case(b"c" * 5000, requests=(4100,), flags=2),
    "failing": write_case(b"d\n" * 1200, requests=(4096,), flags=1, budget=1500),
}


BLOCKS, TSV_ROWS, JSON_ROWS = 0, 1, 2  # header_fuzzer.cpp: what headsift writes


def header_case(text, kind=PIPE, cuts=(), output=BLOCKS):
    return bytes([kind | output << 2, len(cuts)]) + bytes(c % 256 for c in cuts) + text


MAILBOX = (
    b"From a@example.net Mon Dec  7 09:00:00 2026\nSubject: one\n  folded\n\nbody\n"
    b">From quoted\nFrom b@example.net Mon Dec  7 10:00:00 2026\nSubject: two\n\nbody\n"
)

EMLX = 0x10  # header_fuzzer.cpp: a FILE named m.emlx
EMLX_MESSAGE = b"Subject: s\nFrom: f\n\nbody\n"

# The values of the fields whose views headsift -f shows: date-times,
# address lists and msg-ids, in forms plain, obsolete and impossible.
VIEWED = (
    b"From ann Mon Dec  7 09:00:00 2026\n"
    b"Received: from a (a [192.0.2.1]) by b with ESMTP id 1;\n\tMon, 7 Dec 2026 09:00:01 +0000\n"
    b"Date: Mon, 7 Dec 2026 10:00:00 +0100 (CET)\n"
    b"From: \"Example, Ann\" <Ann@Example.ORG>\n"
    b"To: Friends: b@x, Carol (work) <c@y>;, d@[192.0.2.9], MAILER-DAEMON\n"
    b"Message-ID: <20261207.A1@example.org>\n\n"
    b"From bob Mon Dec  7 10:00:00 2026\n"
    b"Date: 7 dec 26 09:30 EST\n"
    b"From: bob@example.net (Bob Example)\n"
    b"To: <@relay.example:ann@example.org>, undisclosed-recipients:;\n"
    b"In-Reply-To: Your message of \"Mon, 7 Dec\" <20261207.A1@example.org>\n"
    b"References: <0@example.org>\n <20261207.A1@example.org>\n\n"
    b"From carol Mon Dec  7 11:00:00 2026\n"
    b"Date: Mon Dec  7 11:00:00 2026\n"
    b"From: Carol <carol@example.net\n"
    b"Message-ID: carol.1@example.net\n"
    b"In-Reply-To: <a b@c> (<n@m>)\n\n"
    b"From dave Mon Dec  7 12:00:00 2026\n"
    b"Date: Tue, 31 Apr 2026 12:00:00 +0000\n"
    b"Received: by x; Mon, 29 Feb 2026 24:00 GMT\n\n"
)

HEADER = {
    "mailbox": header_case(MAILBOX, cuts=(3, 5, 1, 64)),
    "crlf_to_terminal": header_case(MAILBOX.replace(b"\n", b"\r\n"), DEVICE, (2, 1, 7)),
    "cut_off": header_case(b"From a\r\nX: y\r\n\r", FILE),
    "byte_order_mark": header_case(b"\xef\xbb\xbf" + MAILBOX, cuts=(1, 2), output=TSV_ROWS),
    "emlx": header_case(b"%d  \n" % len(EMLX_MESSAGE) + EMLX_MESSAGE + b"<?xml?>\n<plist/>\n",
                        EMLX, (1, 3), TSV_ROWS),
    "views_tsv": header_case(VIEWED, cuts=(9, 1, 40), output=TSV_ROWS),
    "views_json_crlf": header_case(VIEWED.replace(b"\n", b"\r\n"), FILE, (3, 17), JSON_ROWS),
}


ANY_VALUE, BUILT_VALUE = 0, 1
UTF8_WORD, LATIN1_WORD, PLAIN, SPACE, B = 1, 2, 0, 3, 0x20

DECODE = {
    "words": bytes([ANY_VALUE]) + b"Re: =?UTF-8?B?VmnFoWVuYW1qZW5za2k=?= =?utf-8?q?caf=C3=A9?=\r\n"
             b" =?ISO-8859-1*fr?Q?Andr=E9?= H=?ISO-8859-1?B?9g==?=hn =?x-none?q?a?=",
    "charsets": bytes([ANY_VALUE]) + b"=?koi8-r?B?8NLJ18XU?= =?windows-1252?q?=80=81?= "
                b"=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?= =?shift_jis?B?k/qWe4zqgsyMj5a8?= "
                b"=?gb2312?B?sai827Wl?= =?ks_c_5601-1987?B?x9Gxub7uIMGmuPE=?=",
    "controls": bytes([ANY_VALUE]) + b"\x01=?utf-8?q?=00=7F=C2=85=09?=\x7f \xc2\x85 =?utf-8?b?YR=?=",
    "built": bytes([BUILT_VALUE, PLAIN, 3]) + b"Re:" + bytes([UTF8_WORD | B, 2, 0, 0, 0xE9, 0, 0x30, 0x42,
                                                      SPACE, 2, LATIN1_WORD | 4 << 2, 3]) + b"a\x85\xe9",
    "marks": bytes([ANY_VALUE]) + b'"=?utf-8?q?J=C3=B6rg?=" <j@x> (=?iso-8859-1?q?a?= =?utf-8?b??=)'
             b" =?utf-8?q?a?=\r=?utf-8?q?b?=",
    "unicode": bytes([ANY_VALUE]) + b"=?utf-16?B?//5KAPYAcgBnAA==?= =?utf-16be?B?AGHYNN0e?= "
               b"=?UTF-7?Q?a+-b+2D3dHg-.+AGE?= =?latin-1?q?=E9?= =?x-mac-roman?B?2Q==?=",
    "built_marks": bytes([BUILT_VALUE, UTF8_WORD | 0x40, 1, 0, 0, 0xE9, SPACE, 0,
                          LATIN1_WORD | 0xC0, 2]) + b"a\xe9" + bytes([UTF8_WORD, 0]),
}


def main():
    root = pathlib.Path(__file__).resolve().parent / "corpus"
    for target, seeds in (("line_path", LINE_PATH), ("text_write", TEXT_WRITE), ("header", HEADER),
                          ("decode", DECODE)):
        folder = root / target
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        for name, data in seeds.items():
            (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
