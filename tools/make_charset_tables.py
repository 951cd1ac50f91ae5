#!/usr/bin/env python3
"""Writes the decoder's charset data, src/decode/charset_data.cpp: a row for
each charset the decoder knows, saying how it decodes; for each charset it
decodes by table the code point of each byte from 0x80 to 0xFF; for each it
leaves to the system the names the system's converters know it by; and every
name and alias mail gives the charsets, each pointing to its row. The code
points come from Python's own codecs, and every alias Python knows is held to
the codec it names there.

usage: tools/make_charset_tables.py [--check] [FILE]

Writes FILE (src/decode/charset_data.cpp when none is given). With --check it
writes nothing, and fails, showing the difference, when FILE is not what it
would write."""

import codecs
import dataclasses
import difflib
import pathlib
import sys


@dataclasses.dataclass
class Charset:
    name: str             # as mail writes it most often
    decoding: str         # the enumerator of Decoding
    codecs: set           # the Python codecs that may name it: the first, for a table, is read
    aliases: list         # the names mail gives it
    system: str = None    # BySystem, Iso2022Jp: the name of its SystemCharset row


@dataclasses.dataclass
class SystemCharset:
    name: str
    iconv_name: str
    code_page: int
    replacement_is_text: bool = False


# Charsets decoded by our own table: the number of each ISO-8859 part, and
# the names mail gives it besides the codec's own.
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

# The system's converters, each charset read as the Windows code page of the
# same name reads it, so that both systems give the same characters: the CJK
# charsets as their widest common forms (GB2312 as GBK, Shift_JIS as CP932,
# whose bytes below 0x80 are ASCII where glibc's SHIFT_JIS makes a backslash a
# yen sign, Big5 as CP950, EUC-KR as its Windows extension CP949), as mail
# readers do. No character of these but one of GB18030 is U+FFFD.
SYSTEM_CHARSETS = [
    SystemCharset("GBK", "GBK", 936),
    SystemCharset("GB18030", "GB18030", 54936, replacement_is_text=True),
    SystemCharset("Big5", "CP950", 950),
    SystemCharset("Shift_JIS", "CP932", 932),
    SystemCharset("EUC-JP", "EUC-JP", 20932),
    SystemCharset("EUC-KR", "CP949", 949),
]

CHARSETS = (
    [Charset("US-ASCII", "Ascii", {"ascii"},
             ["us-ascii", "ascii", "us", "ansi_x3.4-1968", "ansi_x3.4-1986", "iso646-us",
              "iso_646.irv:1991", "iso-ir-6", "cp367", "ibm367", "csascii"]),
     Charset("UTF-8", "Utf8", {"utf-8"}, ["utf-8", "utf8", "unicode-1-1-utf-8"])]
    + [Charset(f"ISO-8859-{n}", "ByTable", {f"iso8859_{n}"},
               [f"iso-8859-{n}", f"iso8859-{n}", f"iso_8859-{n}", f"iso8859_{n}"] + aliases)
       for n, aliases in ISO_ALIASES.items()]
    + [Charset(f"Windows-{n}", "ByTable", {f"cp{n}"}, [f"windows-{n}", f"cp{n}", f"x-cp{n}"])
       for n in range(1250, 1259)]
    + [Charset("KOI8-R", "ByTable", {"koi8_r"}, ["koi8-r", "koi8r", "cskoi8r", "koi8"]),
       Charset("KOI8-U", "ByTable", {"koi8_u"}, ["koi8-u", "koi8u", "cskoi8u"]),
       Charset("GBK", "BySystem", {"gb2312", "gbk"},
               ["gb2312", "csgb2312", "gb_2312-80", "euc-cn", "euccn", "x-euc-cn", "gbk", "cp936",
                "ms936", "windows-936", "x-gbk", "chinese", "csiso58gb231280", "iso-ir-58"],
               system="GBK"),
       Charset("GB18030", "BySystem", {"gb18030"}, ["gb18030"], system="GB18030"),
       Charset("Big5", "BySystem", {"big5", "cp950"},
               ["big5", "big-5", "csbig5", "cn-big5", "x-x-big5", "cp950", "ms950"],
               system="Big5"),
       Charset("Shift_JIS", "BySystem", {"shift_jis", "cp932"},
               ["shift_jis", "shift-jis", "sjis", "x-sjis", "ms_kanji", "csshiftjis",
                "windows-31j", "cswindows31j", "cp932", "ms932"],
               system="Shift_JIS"),
       Charset("EUC-JP", "BySystem", {"euc_jp"},
               ["euc-jp", "eucjp", "x-euc-jp", "ujis", "cseucpkdfmtjapanese"], system="EUC-JP"),
       Charset("EUC-KR", "BySystem", {"euc_kr", "cp949"},
               ["euc-kr", "euckr", "cseuckr", "ks_c_5601-1987", "ks_c_5601-1989", "ks_c_5601",
                "ksc5601", "ksc_5601", "korean", "csksc56011987", "iso-ir-149", "cp949", "ms949",
                "uhc", "windows-949"],
               system="EUC-KR"),
       # Read by our own code as EUC-JP, which every system's converter reads.
       Charset("ISO-2022-JP", "Iso2022Jp", {"iso2022_jp"}, ["iso-2022-jp", "csiso2022jp"],
               system="EUC-JP")]
)

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


def check_aliases(charset):
    known_codecs = {codecs.lookup(c).name for c in charset.codecs}
    for alias in charset.aliases:
        if alias != alias.lower() or len(alias) > MAX_NAME:
            fail(f"{alias}: a name is lower case and at most {MAX_NAME} bytes")
        known = python_codec(alias)
        if known is not None and known not in known_codecs:
            fail(f"{alias} of {charset.name} is {known} to Python")


def byte_table(codec):
    for byte in range(0x80):
        if bytes([byte]).decode(codec, "replace") != chr(byte):
            fail(f"{codec} is not ASCII below 0x80")
    table = []
    for byte in range(0x80, 0x100):
        text = bytes([byte]).decode(codec, "replace")
        table.append(UNMAPPED if text == "\ufffd" else ord(text))
    return table


def table_rows(charset):
    codec = sorted(charset.codecs)[0]
    table = byte_table(codec)
    rows = [f"    {{{{  // {charset.name}, Python's {codecs.lookup(codec).name}"]
    for start in range(0, 128, 8):
        cells = ", ".join(f"0x{cp:04X}" for cp in table[start:start + 8])
        rows.append(f"        {cells},  // 0x{0x80 + start:02X}")
    rows.append("    }},")
    return rows


def system_rows():
    return [f'    {{"{s.iconv_name}", {s.code_page}, {str(s.replacement_is_text).lower()}}},'
            f"  // {s.name}" for s in SYSTEM_CHARSETS]


def charset_rows():
    tables = [c.name for c in CHARSETS if c.decoding == "ByTable"]
    systems = [s.name for s in SYSTEM_CHARSETS]
    rows = []
    for c in CHARSETS:
        table = f"&kByteTables[{tables.index(c.name)}]" if c.decoding == "ByTable" else "nullptr"
        system = f"&kSystemCharsets[{systems.index(c.system)}]" if c.system else "nullptr"
        rows.append(f'    {{"{c.name}", Decoding::{c.decoding}, {table}, {system}}},')
    return rows


def names_rows():
    seen = {}
    for index, charset in enumerate(CHARSETS):
        check_aliases(charset)
        for alias in charset.aliases:
            if seen.setdefault(alias, index) != index:
                fail(f"{alias} names both {CHARSETS[seen[alias]].name} and {charset.name}")
    return [f'    {{"{name}", &kCharsets[{index}]}},  // {CHARSETS[index].name}'
            for name, index in sorted(seen.items())]


def generate():
    tables = [row for c in CHARSETS if c.decoding == "ByTable" for row in table_rows(c)]
    names = names_rows()
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
        f"constexpr std::array<ByteTable, {tables.count('    }},')}> kByteTables = {{{{",
        *tables,
        "}};",
        "",
        f"constexpr std::array<SystemCharset, {len(SYSTEM_CHARSETS)}> kSystemCharsets = {{{{",
        *system_rows(),
        "}};",
        "",
        "// A row is named by its place in its table, the first as the others.",
        "// NOLINTBEGIN(readability-container-data-pointer)",
        f"constexpr std::array<Charset, {len(CHARSETS)}> kCharsets = {{{{",
        *charset_rows(),
        "}};",
        "",
        "// Sorted, so that a name is found by halving.",
        f"constexpr std::array<CharsetName, {len(names)}> kCharsetNames = {{{{",
        *names,
        "}};",
        "// NOLINTEND(readability-container-data-pointer)",
        "// clang-format on",
        "",
        "}  // namespace",
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
