#!/usr/bin/env python3
"""Builds the VS_VERSIONINFO block of a version resource script (the subset
the library's version.rc uses: FILEVERSION, PRODUCTVERSION, the flags, one
string table and the translation) as a C++ array in the ELF section
".vs_version_info", where the POSIX version calls find a module's version.

usage: rc-version-block.py VERSION.rc OUT.cpp"""
import re
import struct
import sys

FLAGS = {"VS_FFI_FILEFLAGSMASK": 0x3F, "VOS_NT_WINDOWS32": 0x40004, "VFT_DLL": 2, "VFT_APP": 1,
         "VFT2_UNKNOWN": 0}


def number(text):
    text = text.strip()
    return FLAGS[text] if text in FLAGS else int(text, 0)


def node(key, value=b"", text=False, children=()):
    out = bytearray(6) + (key + "\0").encode("utf-16-le")
    out += bytes(-len(out) % 4)
    out += value
    for child in children:
        out += bytes(-len(out) % 4) + child
    # Type 1 (text) for texts and for blocks without a value, as rc and
    # windres write them; 0 for binary values.
    struct.pack_into("<HHH", out, 0, len(out), len(value) // 2 if text else len(value),
                     int(text or not value))
    return bytes(out)


def main(source, target):
    rc = open(source, encoding="utf-8").read()
    fields = {name: re.search(rf"^{name}\s+(.+)$", rc, re.M).group(1)
              for name in ("FILEVERSION", "PRODUCTVERSION", "FILEFLAGSMASK", "FILEFLAGS", "FILEOS",
                           "FILETYPE", "FILESUBTYPE")}
    file_version = [number(n) for n in fields["FILEVERSION"].split(",")]
    product_version = [number(n) for n in fields["PRODUCTVERSION"].split(",")]
    fixed = struct.pack("<13I", 0xFEEF04BD, 0x00010000,
                        file_version[0] << 16 | file_version[1], file_version[2] << 16 | file_version[3],
                        product_version[0] << 16 | product_version[1],
                        product_version[2] << 16 | product_version[3],
                        number(fields["FILEFLAGSMASK"]), number(fields["FILEFLAGS"]),
                        number(fields["FILEOS"]), number(fields["FILETYPE"]),
                        number(fields["FILESUBTYPE"]), 0, 0)
    table = re.search(r'BLOCK "([0-9A-Fa-f]{8})"', rc).group(1)
    strings = [node(k, (v + "\0").encode("utf-16-le"), text=True)
               for k, v in re.findall(r'VALUE "(\w+)", "([^"]*)"', rc)]
    language, code_page = (number(n) for n in re.search(r'VALUE "Translation",(.+)$', rc, re.M)
                           .group(1).split(","))
    block = node("VS_VERSION_INFO", fixed, children=[
        node("StringFileInfo", children=[node(table, children=strings)]),
        node("VarFileInfo", children=[node("Translation", struct.pack("<HH", language, code_page))]),
    ])
    rows = ",\n".join("    " + ", ".join(f"0x{b:02x}" for b in block[i:i + 16])
                      for i in range(0, len(block), 16))
    with open(target, "w") as out:
        out.write(f"// Made by scripts/rc-version-block.py from {source}.\n"
                  "__attribute__((section(\".vs_version_info\"), used, aligned(4)))\n"
                  f"extern const unsigned char quorvel_version_block[{len(block)}] = {{\n{rows}}};\n")


if __name__ == "__main__":
    main(*sys.argv[1:])
