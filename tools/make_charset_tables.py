#!/usr/bin/env python3
"""Writes the decoder's charset data, src/decode/charset_data.cpp: every
charset name the decoder knows, with its aliases, and for each charset it
decodes by table the code point of each byte from 0x80 to 0xFF. The code
points come from Python's own codecs, and every alias Python knows is held to
the codec it names there.

usage: tools/make_charset_tables.py [--check] [FILE]

Writes FILE (src/decode/charset_data.cpp when none is given). With --check it
writes nothing, and fails, showing the difference, when FILE is not what it
would write."""

import codecs
import difflib
import pathlib
import sys

# Charsets decoded by our own table: the enumerator of Charset, Python's codec,
# and the names mail gives it besides the codec's own.
ISO_ALIASES = {
    1: ["latin1", "l1", "iso-ir-100", "cp819", "ibm819", "csisolatin1", "iso_8859-1:1987"],
    2: ["latin2", "l2", "iso-ir-101", "csisolatin2", "iso_8859-2:1987"],
    3: ["latin3", "l3", "iso-ir-109", "csisolatin3", "iso_8859-3:1988"],
    4: ["latin4", "l4", "iso-ir-110", "csisolatin4", "iso_8859-4:1988"],
    5: ["cyrillic", "iso-ir-144", "csisolatincyrillic", "iso_8859-5:1988"],
    6: ["arabic", "iso-ir-127", "ecma-114", "asmo-708", "csisolatinarabic", "iso_8859-6:1987",
        "iso-8859-6-i", "iso-8859-6-e"],
    7: ["greek", "greek8", "iso-ir-126", "ecma-118", "elot_928", "csisolatingreek",
        "iso_8859-7:1987"],
    8: ["hebrew", "iso-ir-138", "csisolatinhebrew", "iso_8859-8:1988", "iso-8859-8-i",
        "iso-8859-8-e"],
    9: ["latin5", "l5", "iso-ir-148", "csisolatin5", "iso_8859-9:1989"],
    10: ["latin6", "l6", "iso-ir-157", "csisolatin6", "iso_8859-10:1992"],
    11: [],
    13: ["latin7", "l7"],
    14: ["latin8", "l8", "iso-celtic", "iso-ir-199"],
    15: ["latin9", "l9", "latin-9", "csiso885915"],
    16: ["latin10", "l10", "iso-ir-226"],
}

TABLE_CHARSETS = (
    [(f"Iso8859_{n}", f"iso8859_{n}",
      [f"iso-8859-{n}", f"iso8859-{n}", f"iso_8859-{n}", f"iso8859_{n}"] + aliases)
     for n, aliases in ISO_ALIASES.items()]
    + [(f"Windows{n}", f"cp{n}", [f"windows-{n}", f"cp{n}", f"x-cp{n}"])
       for n in range(1250, 1259)]
    + [("Koi8R", "koi8_r", ["koi8-r", "koi8r", "cskoi8r", "koi8"]),
       ("Koi8U", "koi8_u", ["koi8-u", "koi8u", "cskoi8u"])]
)

# Charsets decoded without a table, and the codecs by which Python may
# know their names. The CJK ones are left to the system's converter, which
# decodes each as its widest common form (GB2312 as GBK, Shift_JIS as
# Windows-31J, EUC-KR as its Windows extension), as mail readers do.
OTHER_CHARSETS = [
    ("UsAscii", {"ascii"},
     ["us-ascii", "ascii", "us", "ansi_x3.4-1968", "ansi_x3.4-1986", "iso646-us",
      "iso_646.irv:1991", "iso-ir-6", "cp367", "ibm367", "csascii"]),
    ("Utf8", {"utf-8"}, ["utf-8", "utf8", "unicode-1-1-utf-8"]),
    ("Gbk", {"gb2312", "gbk"},
     ["gb2312", "csgb2312", "gb_2312-80", "euc-cn", "euccn", "x-euc-cn", "gbk", "cp936", "ms936",
      "windows-936", "x-gbk", "chinese", "csiso58gb231280", "iso-ir-58"]),
    ("Gb18030", {"gb18030"}, ["gb18030"]),
    ("Big5", {"big5", "cp950"}, ["big5", "big-5", "csbig5", "cn-big5", "x-x-big5", "cp950",
                                 "ms950"]),
    ("ShiftJis", {"shift_jis", "cp932"},
     ["shift_jis", "shift-jis", "sjis", "x-sjis", "ms_kanji", "csshiftjis", "windows-31j",
      "cswindows31j", "cp932", "ms932"]),
    ("EucJp", {"euc_jp"}, ["euc-jp", "eucjp", "x-euc-jp", "ujis", "cseucpkdfmtjapanese"]),
    ("Iso2022Jp", {"iso2022_jp"}, ["iso-2022-jp", "csiso2022jp"]),
    ("EucKr", {"euc_kr", "cp949"},
     ["euc-kr", "euckr", "cseuckr", "ks_c_5601-1987", "ks_c_5601-1989", "ks_c_5601", "ksc5601",
      "ksc_5601", "korean", "csksc56011987", "iso-ir-149", "cp949", "ms949", "uhc",
      "windows-949"]),
]

UNMAPPED = 0xFFFF
# The decoder folds a name into a buffer of this size; a longer name is unknown.
MAX_NAME = 32


def fail(message):
    sys.exit(f"make_charset_tables: {message}")


def python_codec(name):
    try:
        return codecs.lookup(name).name
    except LookupError:
        return None


def check_aliases(enumerator, codec_names, aliases):
    for alias in aliases:
        if alias != alias.lower() or len(alias) > MAX_NAME:
            fail(f"{alias}: a name is lower case and at most {MAX_NAME} bytes")
        known = python_codec(alias)
        if known is not None and known not in codec_names:
            fail(f"{alias} of {enumerator} is {known} to Python")


def byte_table(codec):
    for byte in range(0x80):
        if bytes([byte]).decode(codec, "replace") != chr(byte):
            fail(f"{codec} is not ASCII below 0x80")
    table = []
    for byte in range(0x80, 0x100):
        text = bytes([byte]).decode(codec, "replace")
        table.append(UNMAPPED if text == "\ufffd" else ord(text))
    return table


def table_rows(enumerator, codec, table):
    rows = [f"    {{Charset::{enumerator}, {{{{  // Python's {codecs.lookup(codec).name}"]
    for start in range(0, 128, 8):
        cells = ", ".join(f"0x{cp:04X}" for cp in table[start:start + 8])
        rows.append(f"        {cells},  // 0x{0x80 + start:02X}")
    rows.append("    }}},")
    return rows


def names_rows(named):
    seen = {}
    for name, enumerator in named:
        if seen.setdefault(name, enumerator) != enumerator:
            fail(f"{name} names both {seen[name]} and {enumerator}")
    return [f'    {{"{name}", Charset::{enumerator}}},' for name, enumerator in sorted(seen.items())]


def generate():
    named = []
    tables = []
    for enumerator, codec, aliases in TABLE_CHARSETS:
        check_aliases(enumerator, {codecs.lookup(codec).name}, aliases)
        named += [(alias, enumerator) for alias in aliases]
        tables += table_rows(enumerator, codec, byte_table(codec))
    for enumerator, codec_names, aliases in OTHER_CHARSETS:
        check_aliases(enumerator, codec_names, aliases)
        named += [(alias, enumerator) for alias in aliases]
    names = names_rows(named)
    lines = [
        "// SPDX-License-Identifier: BSD-2-Clause",
        "// Written by tools/make_charset_tables.py from Python's codecs: edit the",
        "// script, never this file. The test decode.charset_tables holds the two",
        "// to each other.",
        '#include "decode/charset_data.h"',
        "",
        "#include <array>",
        "#include <span>",
        "",
        "namespace fieldsift {",
        "namespace {",
        "",
        "// clang-format off",
        f"constexpr std::array<ByteTable, {len(TABLE_CHARSETS)}> kByteTables = {{{{",
        *tables,
        "}};",
        "",
        "static_assert([] {",
        "  for (std::size_t i = 0; i < kByteTables.size(); ++i) {",
        "    const std::size_t expected = static_cast<std::size_t>(kFirstTableCharset) + i;",
        "    if (static_cast<std::size_t>(kByteTables[i].charset) != expected) return false;",
        "  }",
        "  return true;",
        "}(), \"the tables stand in the order of Charset\");",
        "",
        "// Sorted, so that a name is found by halving.",
        f"constexpr std::array<CharsetName, {len(names)}> kCharsetNames = {{{{",
        *names,
        "}};",
        "// clang-format on",
        "",
        "}  // namespace",
        "",
        "const ByteTable& byte_table(Charset charset) {",
        "  return kByteTables[static_cast<std::size_t>(charset) -",
        "                     static_cast<std::size_t>(kFirstTableCharset)];",
        "}",
        "",
        "std::span<const CharsetName> charset_names() { return kCharsetNames; }",
        "",
        "}  // namespace fieldsift",
    ]
    return "\n".join(lines) + "\n"


def main(argv):
    check = "--check" in argv
    rest = [a for a in argv if a != "--check"]
    if len(rest) > 1:
        fail("usage: make_charset_tables.py [--check] [FILE]")
    root = pathlib.Path(__file__).resolve().parent.parent
    path = pathlib.Path(rest[0]) if rest else root / "src/decode/charset_data.cpp"
    text = generate()
    if not check:
        path.write_text(text)
        return 0
    old = path.read_text() if path.exists() else ""
    if old == text:
        print(f"make_charset_tables: {path} is as Python's codecs give it")
        return 0
    sys.stdout.writelines(difflib.unified_diff(
        old.splitlines(True), text.splitlines(True), str(path), "from Python's codecs"))
    print(f"make_charset_tables: {path} differs from Python's codecs; run the script to remake it")
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
