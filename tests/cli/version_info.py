#!/usr/bin/env python3
"""quorvel version-info against pefile (Debian's python3-pefile), an
independent reader of PE version resources, for each module given.

usage: version_info.py [EMULATOR] QUORVEL -- MODULE..."""
import subprocess
import sys

import pefile

# Fields of the library's record and their sizes in UTF-16 units.
FIELDS = {"CompanyName": 64, "LegalCopyright": 64, "FileDescription": 32, "FileVersion": 32,
          "InternalName": 32, "OriginalFilename": 32, "ProductName": 32, "ProductVersion": 32}


def cut(text, units):
    data = text.encode("utf-16-le")[:2 * (units - 1)]
    return data.decode("utf-16-le", "ignore")


def expected(module):
    pe = pefile.PE(module)
    fixed = pe.VS_FIXEDFILEINFO[0]
    lines = {"Version": "%d.%d.%d.%d" % (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                                         fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF)}
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            table = info.StringTable[0]
            lines["Translation"] = table.LangID.decode().lower()
            entries = {k.decode().lower(): v.decode() for k, v in table.entries.items()}
            for name, units in FIELDS.items():
                lines[name] = cut(entries.get(name.lower(), ""), units)
    return lines


split = sys.argv.index("--")
command, modules = sys.argv[1:split], sys.argv[split + 1:]
failures = 0
for module in modules:
    run = subprocess.run(command + ["version-info", module], capture_output=True, timeout=120)
    got = dict(line.split("\t", 1) for line in
               run.stdout.decode("utf-8").replace("\r\n", "\n").splitlines() if "\t" in line)
    want = expected(module)
    wrong = {k: (got.get(k), v) for k, v in want.items() if got.get(k) != v}
    if run.returncode != 0 or wrong:
        failures += 1
        print(f"{module}: exit {run.returncode}, (quorvel, pefile) differ: {wrong}")
print(f"{len(modules) - failures} passed, {failures} failed")
sys.exit(1 if failures else 0)
