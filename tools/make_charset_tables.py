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
import encodings
import encodings.aliases
import pathlib
import sys


@dataclasses.dataclass
class Charset:
    name: str             # as mail writes it most often
    decoding: str         # the enumerator of Decoding
    modules: list         # the Python codecs (modules of encodings) that decode it; a table reads the first
    labels: list = dataclasses.field(default_factory=list)  # names mail gives it besides Python's,
    #                                                         WHATWG's and its own
    system: str = None    # BySystem, Iso2022Jp: the name of its SystemCharset row


@dataclasses.dataclass
class SystemCharset:
    name: str
    iconv_name: str
    code_page: int        # 0: Windows has none
    replacement_is_text: bool = False


# The system's converters, each charset read as the Windows code page of the
# same name reads it, so that both systems give the same characters: the CJK
# charsets as their widest common forms (GB2312 as GBK, Shift_JIS as CP932,
# whose bytes below 0x80 are ASCII where glibc's SHIFT_JIS makes a backslash a
# yen sign, Big5 as CP950, EUC-KR as its Windows extension CP949), as mail
# readers do. No character of these but one of GB18030 is U+FFFD. Windows has
# no code page for Big5-HKSCS, and CP950 reads some of its bytes as other
# characters: there it has no converter, and its words stay as they stand.
SYSTEM_CHARSETS = [
    SystemCharset("GBK", "GBK", 936),
    SystemCharset("GB18030", "GB18030", 54936, replacement_is_text=True),
    SystemCharset("Big5", "CP950", 950),
    SystemCharset("Big5-HKSCS", "BIG5-HKSCS", 0),
    SystemCharset("Shift_JIS", "CP932", 932),
    SystemCharset("EUC-JP", "EUC-JP", 20932),
    SystemCharset("EUC-KR", "CP949", 949),
]

# Besides the names Python's codecs know and the WHATWG Encoding Standard's
# labels, the names mail gives some charsets (IANA's, and those of mail
# programs of the past).
ISO_LABELS = {
    1: [], 2: [], 3: [], 4: [], 5: [], 6: [], 7: [], 8: ["iso-8859-8-e"], 9: [], 10: [], 11: [],
    13: [], 14: [], 15: ["latin-9", "csiso885915"], 16: [],
}

CHARSETS = (
    [Charset("US-ASCII", "Ascii", ["ascii"], ["iso646-us", "iso-ir-6"]),
     Charset("UTF-8", "Utf8", ["utf_8"]),
     # A byte-order mark honoured, big-endian without one; each word is text
     # of its own, as writers make them.
     Charset("UTF-16", "Utf16", ["utf_16"]),
     Charset("UTF-16BE", "Utf16Be", ["utf_16_be"]),
     Charset("UTF-16LE", "Utf16Le", ["utf_16_le"]),
     Charset("UTF-7", "Utf7", ["utf_7"], ["csutf7", "csunicode11utf7"])]
    + [Charset(f"ISO-8859-{n}", "ByTable", [f"iso8859_{n}"] + (["latin_1"] if n == 1 else []),
               [f"iso-8859-{n}", f"iso8859-{n}"] + labels)
       for n, labels in ISO_LABELS.items()]
    + [Charset("TIS-620", "ByTable", ["tis_620"]),
       Charset("Windows-874", "ByTable", ["cp874"], ["x-cp874", "ibm874"])]
    + [Charset(f"Windows-{n}", "ByTable", [f"cp{n}"], [f"x-cp{n}"]) for n in range(1250, 1259)]
    + [Charset("KOI8-R", "ByTable", ["koi8_r"], ["koi8r"]),
       Charset("KOI8-U", "ByTable", ["koi8_u"], ["koi8u", "cskoi8u"]),
       Charset("Macintosh", "ByTable", ["mac_roman"]),
       Charset("x-mac-icelandic", "ByTable", ["mac_iceland"], ["x-mac-iceland"]),
       Charset("x-mac-ce", "ByTable", ["mac_latin2"], ["x-mac-centraleurope"]),
       Charset("x-mac-cyrillic", "ByTable", ["mac_cyrillic"]),
       Charset("x-mac-greek", "ByTable", ["mac_greek"]),
       Charset("x-mac-turkish", "ByTable", ["mac_turkish"]),
       Charset("IBM437", "ByTable", ["cp437"]),
       Charset("IBM850", "ByTable", ["cp850"]),
       Charset("IBM852", "ByTable", ["cp852"]),
       Charset("IBM866", "ByTable", ["cp866"]),
       Charset("GBK", "BySystem", ["gbk", "gb2312"], ["euc-cn", "x-euc-cn", "windows-936"],
               system="GBK"),
       Charset("GB18030", "BySystem", ["gb18030"], system="GB18030"),
       Charset("Big5", "BySystem", ["cp950", "big5"], ["big-5"], system="Big5"),
       Charset("Big5-HKSCS", "BySystem", ["big5hkscs"], system="Big5-HKSCS"),
       Charset("Shift_JIS", "BySystem", ["cp932", "shift_jis"], ["cswindows31j"],
               system="Shift_JIS"),
       Charset("EUC-JP", "BySystem", ["euc_jp"], system="EUC-JP"),
       Charset("EUC-KR", "BySystem", ["cp949", "euc_kr"], ["ks_c_5601-1989"], system="EUC-KR"),
       # Read by our own code as EUC-JP, which every system's converter reads.
       Charset("ISO-2022-JP", "Iso2022Jp", ["iso2022_jp"], system="EUC-JP")]
)

# The WHATWG Encoding Standard's labels of the charsets we decode, by its
# name of each. A label Python's codecs know names the charset they decode;
# any other the one the standard says.
WHATWG_LABELS = {
    "UTF-8": ["unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "utf-8", "utf8",
              "x-unicode20utf8"],
    "IBM866": ["866", "cp866", "csibm866", "ibm866"],
    "ISO-8859-2": ["csisolatin2", "iso-8859-2", "iso-ir-101", "iso8859-2", "iso88592",
                   "iso_8859-2", "iso_8859-2:1987", "l2", "latin2"],
    "ISO-8859-3": ["csisolatin3", "iso-8859-3", "iso-ir-109", "iso8859-3", "iso88593",
                   "iso_8859-3", "iso_8859-3:1988", "l3", "latin3"],
    "ISO-8859-4": ["csisolatin4", "iso-8859-4", "iso-ir-110", "iso8859-4", "iso88594",
                   "iso_8859-4", "iso_8859-4:1988", "l4", "latin4"],
    "ISO-8859-5": ["csisolatincyrillic", "cyrillic", "iso-8859-5", "iso-ir-144", "iso8859-5",
                   "iso88595", "iso_8859-5", "iso_8859-5:1988"],
    "ISO-8859-6": ["arabic", "asmo-708", "csiso88596e", "csiso88596i", "csisolatinarabic",
                   "ecma-114", "iso-8859-6", "iso-8859-6-e", "iso-8859-6-i", "iso-ir-127",
                   "iso8859-6", "iso88596", "iso_8859-6", "iso_8859-6:1987"],
    "ISO-8859-7": ["csisolatingreek", "ecma-118", "elot_928", "greek", "greek8", "iso-8859-7",
                   "iso-ir-126", "iso8859-7", "iso88597", "iso_8859-7", "iso_8859-7:1987",
                   "sun_eu_greek"],
    "ISO-8859-8": ["csiso88598e", "csisolatinhebrew", "hebrew", "iso-8859-8", "iso-8859-8-e",
                   "iso-ir-138", "iso8859-8", "iso88598", "iso_8859-8", "iso_8859-8:1988",
                   "visual"],
    "ISO-8859-8-I": ["csiso88598i", "iso-8859-8-i", "logical"],
    "ISO-8859-10": ["csisolatin6", "iso-8859-10", "iso-ir-157", "iso8859-10", "iso885910", "l6",
                    "latin6"],
    "ISO-8859-13": ["iso-8859-13", "iso8859-13", "iso885913"],
    "ISO-8859-14": ["iso-8859-14", "iso8859-14", "iso885914"],
    "ISO-8859-15": ["csisolatin9", "iso-8859-15", "iso8859-15", "iso885915", "iso_8859-15", "l9"],
    "ISO-8859-16": ["iso-8859-16"],
    "KOI8-R": ["cskoi8r", "koi", "koi8", "koi8-r", "koi8_r"],
    "KOI8-U": ["koi8-ru", "koi8-u"],
    "macintosh": ["csmacintosh", "mac", "macintosh", "x-mac-roman"],
    "windows-874": ["dos-874", "iso-8859-11", "iso8859-11", "iso885911", "tis-620",
                    "windows-874"],
    "windows-1250": ["cp1250", "windows-1250", "x-cp1250"],
    "windows-1251": ["cp1251", "windows-1251", "x-cp1251"],
    "windows-1252": ["ansi_x3.4-1968", "ascii", "cp1252", "cp819", "csisolatin1", "ibm819",
                     "iso-8859-1", "iso-ir-100", "iso8859-1", "iso88591", "iso_8859-1",
                     "iso_8859-1:1987", "l1", "latin1", "us-ascii", "windows-1252", "x-cp1252"],
    "windows-1253": ["cp1253", "windows-1253", "x-cp1253"],
    "windows-1254": ["cp1254", "csisolatin5", "iso-8859-9", "iso-ir-148", "iso8859-9",
                     "iso88599", "iso_8859-9", "iso_8859-9:1989", "l5", "latin5",
                     "windows-1254", "x-cp1254"],
    "windows-1255": ["cp1255", "windows-1255", "x-cp1255"],
    "windows-1256": ["cp1256", "windows-1256", "x-cp1256"],
    "windows-1257": ["cp1257", "windows-1257", "x-cp1257"],
    "windows-1258": ["cp1258", "windows-1258", "x-cp1258"],
    "x-mac-cyrillic": ["x-mac-cyrillic", "x-mac-ukrainian"],
    "GBK": ["chinese", "csgb2312", "csiso58gb231280", "gb2312", "gb_2312", "gb_2312-80", "gbk",
            "iso-ir-58", "x-gbk"],
    "gb18030": ["gb18030"],
    "Big5": ["big5", "big5-hkscs", "cn-big5", "csbig5", "x-x-big5"],
    "EUC-JP": ["cseucpkdfmtjapanese", "euc-jp", "x-euc-jp"],
    "ISO-2022-JP": ["csiso2022jp", "iso-2022-jp"],
    "Shift_JIS": ["csshiftjis", "ms932", "ms_kanji", "shift-jis", "shift_jis", "sjis",
                  "windows-31j", "x-sjis"],
    "EUC-KR": ["cseuckr", "csksc56011987", "euc-kr", "iso-ir-149", "korean", "ks_c_5601-1987",
               "ks_c_5601-1989", "ksc5601", "ksc_5601", "windows-949"],
    "UTF-16BE": ["unicodefffe", "utf-16be"],
    "UTF-16LE": ["csunicode", "iso-10646-ucs-2", "ucs-2", "unicode", "unicodefeff", "utf-16",
                 "utf-16le"],
}

# Our row of each of the standard's charsets, by its name in any case; where
# the name is not one of ours, by this.
WHATWG_ROWS = {"ISO-8859-8-I": "ISO-8859-8"}

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


def normalized(name):
    """A name as the decoder looks it up, and as Python's codecs do: letters
    in lower case, letters, digits and dots kept, and every run of other bytes
    between two of them taken as one underscore."""
    kept = []
    run = False
    for c in name.lower():
        if c.isascii() and (c.isalnum() or c == "."):
            if run and kept:
                kept.append("_")
            kept.append(c)
            run = False
        else:
            run = True
    key = "".join(kept)
    if key != encodings.normalize_encoding(name.lower()):
        fail(f"{name}: Python's codecs look it up as {encodings.normalize_encoding(name)}")
    if not key or len(key) > MAX_NAME or not all(" " < c <= "~" for c in name):
        fail(f"{name}: a name is printable ASCII, at most {MAX_NAME} bytes as it is looked up")
    return key


def row_of_python_codec(name):
    """Our row of a charset by the name of its Python codec; none if we have none."""
    for charset in CHARSETS:
        if name in {codecs.lookup(m).name for m in charset.modules}:
            return charset
    return None


def labels():
    """Every name we know as it is given, and the row it names: those
    Python's codecs know for the codecs of each row, the standard's labels
    and the row's own."""
    rows = {c.name.lower(): c for c in CHARSETS}
    named = []  # (name as given, row)
    for charset in CHARSETS:
        for module in charset.modules:
            if python_codec(module) is None:
                fail(f"{module}: not a codec of this Python")
            named += [(module, charset)] + [(alias, charset) for alias, target
                                            in sorted(encodings.aliases.aliases.items())
                                            if target == module]
        for label in [charset.name] + charset.labels:
            known = python_codec(label)
            if known is not None and row_of_python_codec(known) is not charset:
                fail(f"{label} of {charset.name} is {known} to Python")
            named.append((label, charset))
    for standard_name, labels in WHATWG_LABELS.items():
        for label in labels:
            known = python_codec(label)
            row = (row_of_python_codec(known) if known is not None
                   else rows[WHATWG_ROWS.get(standard_name, standard_name).lower()])
            if row is None:
                fail(f"{label} is {known} to Python, which we do not decode")
            named.append((label, row))
    return named


def charset_names():
    """Every name we know as it is looked up, and the row it names."""
    seen = {}
    for name, charset in labels():
        key = normalized(name)
        if seen.setdefault(key, charset) is not charset:
            fail(f"{name} names both {seen[key].name} and {charset.name}")
    return sorted(seen.items())


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
    codec = charset.modules[0]
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
    indices = {c.name: i for i, c in enumerate(CHARSETS)}
    return [f'    {{"{name}", &kCharsets[{indices[c.name]}]}},  // {c.name}'
            for name, c in charset_names()]


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
