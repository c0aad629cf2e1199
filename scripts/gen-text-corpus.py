#!/usr/bin/env python3
"""Writes the text-conversion corpus and its expected encodings into
tests/data/text/, from tools independent of Quorvel: glibc iconv (CP932,
EUC-JP-MS, ISO-2022-JP), Python's codecs (cp932, iso2022_jp_ext) and its
Unicode database (width and kana forms).

corpus.txt    name TAB text (UTF-8), one case per line
expected.bin  name TAB encoding TAB source TAB bytes LF, where source is
              "iconv" or "python" (a codec); rows no codec here covers
              (code page 51932's NEC and IBM rows, JIS of NEC row 13) are
              left out
convstr.txt   name TAB mode TAB mapped text (UTF-8)

usage: scripts/gen-text-corpus.py [output-dir]"""
import pathlib
import subprocess
import sys
import unicodedata

out = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else
                   pathlib.Path(__file__).resolve().parent.parent / "tests/data/text")
out.mkdir(parents=True, exist_ok=True)


def cp932_row(lead):
    chars = []
    for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFD)):
        try:
            chars.append(bytes([lead, trail]).decode("cp932"))
        except UnicodeDecodeError:
            pass
    return "".join(chars)


corpus = []
for lead in list(range(0x81, 0x85)) + list(range(0x88, 0xA0)) + list(range(0xE0, 0xEB)):
    corpus.append((f"jis0208-{lead:02x}", cp932_row(lead)))
corpus.append(("kana", bytes(range(0xA1, 0xE0)).decode("cp932")))
corpus.append(("nec13", cp932_row(0x87)))
for lead in (0xED, 0xEE):
    corpus.append((f"necibm-{lead:02x}", cp932_row(lead)))
for lead in (0xFA, 0xFB, 0xFC):
    corpus.append((f"ibm-{lead:02x}", cp932_row(lead)))
corpus += [
    ("ascii", "The quick brown fox jumps over the lazy dog 0123456789 !\"#$%&'()*+,-./:;<=>?@[]^_`{|}"),
    ("mixed-1", "abc日本語123テスト xyz"),
    ("mixed-2", "Hello, 世界! 〒100-0001 東京都千代田区千代田1-1"),
    ("mixed-3", "<p>漢字かなカナ</p>ＡＢＣ１２３"),
    ("kana-mixed", "ﾃｽﾄ abc ｶﾞｷﾞｸﾞﾊﾟﾋﾟ ｳﾞ"),
    ("empty", ""),
    # Characters code page 932 cannot hold, none with a best-fit form.
    ("unmappable", "a\u20acb\u2014c\u203ed\U0001F600e"),
]

# ---- expected encodings ----------------------------------------------


def iconv(text, encoding):
    run = subprocess.run(["iconv", "-f", "UTF-8", "-t", encoding], input=text.encode(),
                         capture_output=True)
    return run.stdout if run.returncode == 0 else None


rows = []
for name, text in corpus:
    if name == "unmappable":
        continue
    sjis = iconv(text, "CP932")
    rows.append((name, "cp932", "iconv", sjis) if sjis is not None
                else (name, "cp932", "python", text.encode("cp932")))
    euc = iconv(text, "EUC-JP-MS")
    if euc is not None:
        rows.append((name, "eucjp", "iconv", euc))
    jis = iconv(text, "ISO-2022-JP")
    if jis is not None:
        rows.append((name, "jis", "iconv", jis))
    elif name == "kana":
        rows.append((name, "jis", "python", text.encode("iso2022_jp_ext")))

with open(out / "corpus.txt", "w", encoding="utf-8", newline="\n") as f:
    for name, text in corpus:
        f.write(f"{name}\t{text}\n")
with open(out / "expected.bin", "wb") as f:
    for name, encoding, source, data in rows:
        assert b"\n" not in data and b"\t" not in data
        f.write(f"{name}\t{encoding}\t{source}\t".encode() + data + b"\n")

# ---- width and kana forms from the Unicode database -------------------

# Windows widens the voiced marks to the combining marks, and narrows the
# full-width signs U+FFE0..U+FFE6 to their Latin-1 (and won) forms.
VOICED = {"\uff9e": "\u3099", "\uff9f": "\u309a"}
MARKS = {"\uff9e": "\u309b", "\uff9f": "\u309c"}
WIDE_MARKS = {"\u309b": "\u3099", "\u309c": "\u309a"}
NARROW_QUOTES = {"\u2018": "'", "\u2019": "'", "\u201c": '"', "\u201d": '"'}
HALF_FORMS = {unicodedata.normalize("NFKC", chr(c)): chr(c) for c in range(0xFFE8, 0xFFEF)}
NARROW_SIGNS = HALF_FORMS | NARROW_QUOTES | dict(zip("\uffe0\uffe1\uffe2\uffe3\uffe4\uffe5\uffe6", "\u00a2\u00a3\u00ac\u00af\u00a6\u00a5\u20a9"))


def full_width(text):
    result, i = "", 0
    while i < len(text):
        c = text[i]
        if c == " ":
            result += "\u3000"
        elif "!" <= c <= "~":
            result += chr(ord(c) + 0xFEE0)
        elif "\uff61" <= c <= "\uff9f":
            full = VOICED.get(c) or unicodedata.normalize("NFKC", c)
            nxt = text[i + 1] if i + 1 < len(text) else ""
            if nxt in VOICED:
                composed = unicodedata.normalize("NFC", full + VOICED[nxt])
                if len(composed) == 1:
                    full, i = composed, i + 1
            result += full
        else:
            result += WIDE_MARKS.get(c, c)
        i += 1
    return result


HALF_OF = {}
for code in range(0xFF61, 0xFFA0):
    HALF_OF[MARKS.get(chr(code)) or unicodedata.normalize("NFKC", chr(code))] = chr(code)


def half_width(text):
    result = ""
    for c in text:
        if c == "\u3000":
            result += " "
        elif "\uff01" <= c <= "\uff5e" and c != "\uff3c":  # Windows keeps the wide backslash
            result += chr(ord(c) - 0xFEE0)
        elif c in NARROW_SIGNS:
            result += NARROW_SIGNS[c]
        elif c in HALF_OF:
            result += HALF_OF[c]
        else:
            base = unicodedata.normalize("NFD", c)
            if c == "\u30fe":  # the voiced iteration mark splits as well
                result += "\u30fd\uff9e"
            elif len(base) == 2 and base[0] in HALF_OF and base[1] in ("\u3099", "\u309a"):
                result += HALF_OF[base[0]] + ("\uff9e" if base[1] == "\u3099" else "\uff9f")
            else:
                result += c
    return result


def hiragana(text):
    return "".join(chr(ord(c) - 0x60) if "\u30a1" <= c <= "\u30f6" or c in "\u30fd\u30fe" else c
                   for c in text)


def katakana(text):
    return "".join(chr(ord(c) + 0x60) if "\u3041" <= c <= "\u3096" or c in "\u309d\u309e" else c
                   for c in text)


mappings = {0x08: full_width, 0x04: half_width, 0x01: hiragana, 0x02: katakana,
            0x09: lambda t: hiragana(full_width(t)), 0x06: lambda t: half_width(katakana(t))}
with open(out / "convstr.txt", "w", encoding="utf-8", newline="\n") as f:
    for name, text in corpus:
        if name in ("jis0208-81", "jis0208-82", "jis0208-83", "kana", "ascii", "mixed-1",
                    "mixed-3", "kana-mixed"):
            for mode, mapping in mappings.items():
                f.write(f"{name}\t{mode}\t{mapping(text)}\n")
