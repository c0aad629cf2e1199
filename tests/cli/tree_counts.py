#!/usr/bin/env python3
"""quorvel du and quorvel find on a real tree (default /usr/share) against
find(1) and du(1): the same number of entries, and du's apparent bytes less
the folders' own sizes (folders add no bytes, as Windows gives them none).
A link counts as one entry with its own size; a linked folder counts as a
folder and is not entered. On every build, Wine's included: a tree with
link loops and one 100 folders deep are walked to the end and counted.

usage: tree_counts.py [EMULATOR] QUORVEL [-- FOLDER]"""
import os
import re
import subprocess
import sys
import tempfile

args = sys.argv[1:] + ["--", "/usr/share"]
quorvel, folder = args[:args.index("--")], args[args.index("--") + 1]
wine = len(quorvel) > 1


def run(*command):
    return subprocess.run(command, capture_output=True, check=False).stdout


def counts(tree):
    """Entries, files and folders below tree as find(1) counts them."""
    kinds = run("find", tree, "-mindepth", "1", "-printf", "%y%Y\\n").split(b"\n")[:-1]
    folders = sum(1 for k in kinds if k[:1] == b"d" or k[:2] == b"ld")
    return len(kinds), len(kinds) - folders, folders


failures = []
with tempfile.TemporaryDirectory() as tree:
    os.makedirs(os.path.join(tree, "loop/a/b"))
    os.symlink(".", os.path.join(tree, "loop/self"))
    os.symlink("../..", os.path.join(tree, "loop/a/b/up"))
    os.makedirs(os.path.join(tree, "deep", *("d%d" % i for i in range(100))))
    for name in ("loop", "deep"):
        path = os.path.join(tree, name)
        entries, files, folders = counts(path)
        shown = "Z:" + path.replace("/", "\\") if wine else path
        du = subprocess.run(quorvel + ["du", shown], capture_output=True, timeout=120)
        found = subprocess.run(quorvel + ["find", shown, "*"], capture_output=True, timeout=120)
        if du.returncode or f" {files} files, {folders} folders".encode() not in du.stdout:
            failures.append(f"quorvel du {name}: exit {du.returncode}, {du.stdout!r}, "
                            f"find counts {files} files, {folders} folders")
        lines = found.stdout.count(b"\n")
        if found.returncode or lines != entries:
            failures.append(f"quorvel find {name}: exit {found.returncode}, {lines} lines, "
                            f"find counts {entries}")
if wine:  # /usr/share and names Windows cannot hold are the native build's
    for failure in failures:
        print(failure)
    print(f"loops and depth: {4 - len(failures)} passed, {len(failures)} failed")
    sys.exit(1 if failures else 0)

kinds = run("find", folder, "-mindepth", "1", "-printf", "%y%Y %s\\n").split(b"\n")[:-1]
entries = len(kinds)
folders = sum(1 for k in kinds if k[:1] == b"d" or k[:2] == b"ld")
folder_bytes = sum(int(k.split()[1]) for k in kinds if k[:1] == b"d")
folder_bytes += int(run("find", folder, "-maxdepth", "0", "-printf", "%s"))
apparent = int(run("du", "-sb", "--apparent-size", folder).split()[0])
du = run(*quorvel, "du", folder).decode("utf-8", "replace")
m = re.search(r"(\d+) bytes, (\d+) files, (\d+) folders", du)
got = tuple(int(x) for x in m.groups()) if m else None
want = (apparent - folder_bytes, entries - folders, folders)
if got != want:
    failures.append(f"quorvel du {folder}: {got}, find and du give {want}")
listed = run(*quorvel, "find", folder, "*").count(b"\n")
if listed != entries:
    failures.append(f"quorvel find {folder} '*': {listed} entries, find gives {entries}")
# A match three folders down is found; a folder Windows cannot name is
# reported and the walk goes on past it.
with tempfile.TemporaryDirectory() as tree:
    for name in ("a/b/c/z.TXT", "a/y.txt.bak", "x:y/w.txt"):
        os.makedirs(os.path.dirname(os.path.join(tree, name)), exist_ok=True)
        open(os.path.join(tree, name), "w").close()
    found = subprocess.run(quorvel + ["find", tree, "*.txt"], capture_output=True)
    want = f"{tree}/a/b/c/z.TXT\n".encode()
    if found.returncode != 1 or found.stdout != want or b"x:y" not in found.stderr:
        failures.append(f"quorvel find '*.txt': exit {found.returncode}, {found.stdout!r}, "
                        f"said {found.stderr!r}")
    du = subprocess.run(quorvel + ["du", tree], capture_output=True)
    if du.returncode != 1 or b"2 files, 4 folders" not in du.stdout or b"x:y" not in du.stderr:
        failures.append(f"quorvel du: exit {du.returncode}, {du.stdout!r}, said {du.stderr!r}")
# --details: size, write time and the attributes a file's status gives, as
# find(1) reads them.
with tempfile.TemporaryDirectory() as tree:
    os.makedirs(f"{tree}/d")
    with open(f"{tree}/d/f", "wb") as f:
        f.write(b"x" * 1234)
    open(f"{tree}/r", "w").close()
    os.chmod(f"{tree}/r", 0o444)
    os.symlink("d", f"{tree}/ld")
    os.symlink("r", f"{tree}/lr")
    want = set()
    for line in run("find", tree, "-mindepth", "1", "-printf", "%s\t%T@\t%y%Y%m\t%p\n").decode().splitlines():
        size, when, mode, path = line.split("\t")
        kind, target, permissions = mode[0], mode[1], int(mode[2:], 8)
        attributes = (0x10 if target == "d" else 0) | (0x400 if kind == "l" else 0)
        attributes |= 1 if kind != "l" and target != "d" and not permissions & 0o200 else 0
        size = size if kind in "fl" else "0"  # a link has its own size
        want.add(f"{size}\t{int(float(when))}\t{attributes or 0x80:x}\t{path}")
    got = set(run(*quorvel, "find", "--details", tree, "*").decode().splitlines())
    if got != want:
        failures.append(f"quorvel find --details: {sorted(got)}, find gives {sorted(want)}")
for failure in failures:
    print(failure)
print(f"{entries} entries: {9 - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
