#!/usr/bin/env python3
"""quorvel encrypt / decrypt / view end to end: one row per hazard of a real
tree. Each row runs the command line as a user would and checks its exit
status, what it said on standard error and what the file system holds
afterwards (snapshots taken by Python before and after, and the original
bytes written here). Rows marked "posix" do not run under Wine (symbolic
links, signals, another user). Rows the machine cannot run (no mount, no
setpriv) say why and are counted apart.

usage: encrypt_cli.py WORK [EMULATOR] QUORVEL"""
import os
import re
import shutil
import signal
import subprocess
import sys
import time

work, command = os.path.abspath(sys.argv[1]), sys.argv[2:]
windows = len(command) > 1
PW, OTHER = "合言葉-pass", "wrong-pass"
DISK_FULL = "big.bin.cpt: not restored: ディスクがいっぱいです"  # the Japanese system's text
SUMMARY = re.compile(r"\d+ of \d+ files and \d+ folders done, .+ in [\d.]+ s, \d+ failures?\n")


def native(path):
    return "Z:" + path.replace("/", "\\") if windows else path


def quorvel(*args, password=PW, tz="UTC0", user=(), **env):
    environment = dict(os.environ, TZ=tz, QUORVEL_PASSWORD=password, QUORVEL_ACP="932")
    environment.update(env)
    args = [native(a) if a.startswith(work) else a for a in args]
    run = subprocess.run(list(user) + command + args, capture_output=True, timeout=300, env=environment)
    return run.returncode, run.stderr.decode("utf-8", "replace").replace("\r\n", "\n")


def interrupted(d, *args):
    """Ctrl-C once the restore has begun writing (its scratch file has bytes)."""
    run = subprocess.Popen(command + list(args), stderr=subprocess.PIPE,
                           env=dict(os.environ, QUORVEL_PASSWORD=PW, QUORVEL_ACP="932", TZ="UTC0"))
    scratch = d + "/.quorvel-restore/big.bin"
    while run.poll() is None and not (os.path.exists(scratch) and os.path.getsize(scratch)):
        time.sleep(0.005)
    run.send_signal(signal.SIGINT)
    return run.wait(), run.stderr.read().decode("utf-8", "replace")


class Skip(Exception):
    """A row this machine cannot run, with the reason."""


mounts = []


def small_disk(folder, size="1m"):
    """A file system of `size` at folder, to fill: a tmpfs (root only)."""
    os.makedirs(folder)
    run = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=" + size, "tmpfs", folder],
                         capture_output=True)
    if run.returncode:
        raise Skip("cannot mount a small file system: " + run.stderr.decode().strip())
    mounts.append(folder)


def full_disk(d, old=None):
    """A 2 MiB container whose restore goes onto a 1 MiB file system."""
    write(d + "/big.bin", b"\2" * (2 << 20))
    assert quorvel("encrypt", d + "/big.bin")[0] == 0
    os.remove(d + "/big.bin")
    small_disk(d + "/full")
    if old:
        write(d + "/full/big.bin", old)


def unreadable(d):
    """A tree whose one file cannot be read by the user running the row."""
    tree(d + "/t")
    write(d + "/t/x/locked.txt", b"secret")
    os.chmod(d + "/t/x/locked.txt", 0)
    if os.geteuid() == 0:  # root reads any file: run as nobody
        if not shutil.which("setpriv"):
            raise Skip("running as root and no setpriv to drop to an unprivileged user")
        for folder, _, files in os.walk(d):
            for name in [folder] + [os.path.join(folder, f) for f in files]:
                os.chown(name, 65534, 65534)
        if subprocess.run(["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                           "test", "-r", d + "/t/x/same.txt", "-a", "!", "-r", d + "/t/x/locked.txt"]).returncode:
            raise Skip(f"{d} is not readable to nobody, or its locked file is")


NOBODY = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def snapshot(root):
    seen = {}
    for folder, dirs, files in os.walk(root):
        for name in dirs + files:
            path = os.path.join(folder, name)
            rel = os.path.relpath(path, root)
            if os.path.islink(path) or os.path.isdir(path):
                seen[rel] = None
            else:
                with open(path, "rb") as f:
                    seen[rel] = f.read()
    return seen


def tree(root):
    write(f"{root}/x/same.txt", b"x" * 5000)
    write(f"{root}/y/same.txt", "日本語のテキスト\n".encode() * 100)
    write(f"{root}/top.bin", bytes(range(256)) * 33)
    return root


# Each row: (name, setup(d) -> state, run(d) -> (exit, stderr), exit, message, check(d, state)).
# check returns None when the file system is right, else what is wrong.
def same(d, before):
    return None if snapshot(d) == before else "the tree changed"


def restored_like(original):
    def check(d, before):
        got = snapshot(d)
        missing = [k for k, v in snapshot(original).items() if got.get(k) != v]
        return f"not restored as it was: {missing}" if missing else None
    return check


def encrypted_vault(d, hide=True):
    tree(f"{d}/src/vault")
    shutil.copytree(f"{d}/src/vault", f"{d}/copy")
    flags = ["--subfolders"] + (["--hide-folder-names"] if hide else [])
    assert quorvel("encrypt", *flags, d + "/src/vault")[0] == 0
    for folder, _, files in os.walk(f"{d}/src"):
        for name in files:
            if not name.endswith(".cpt"):
                os.remove(os.path.join(folder, name))
    return snapshot(d)


def no_scratch(d, _):
    left = [k for k in snapshot(d) if k.endswith(".part") or ".quorvel-restore" in k]
    return f"temporary files left: {left}" if left else None


def both(*checks):
    return lambda d, s: next((r for r in (c(d, s) for c in checks) if r), None)


def only_file(path, data):
    return lambda d, s: None if os.path.isfile(d + path) and open(d + path, "rb").read() == data \
        else f"{path} is not as it was"


# Ten folders down: calls that grow with the depth of the path show.
DEEP = "/d" * 10


def small_files(d):
    if not shutil.which("strace"):
        raise Skip("no strace")
    for f in range(5):
        for x in range(20):
            write(f"{d}{DEEP}/t/f{f}/x{x}.txt", b"x" * (100 * x))
    os.makedirs(f"{d}{DEEP}/e/f0")  # the same run without files: its start-up


def calls_per_file(d, most_encrypting, most_decrypting):
    """Both runs of 100 files under strace -c, less the same runs without
    files (start-up, a sanitizer's included) and memory calls: over budget
    is exit 1."""
    d += DEEP
    said = ""
    for verb, source, out, most in (("encrypt", "", "/out", most_encrypting),
                                    ("decrypt", "/out", "/back", most_decrypting)):
        calls = {}
        for tree in ("t", "e"):
            code, err = quorvel(verb, "--quiet", "--subfolders", "--out-folder", d + out,
                                f"{d}{source}/{tree}",
                                user=("strace", "-f", "-c", "-e", "trace=!%memory", "-o", d + "/calls"),
                                ASAN_OPTIONS="detect_leaks=0")  # no leak check under ptrace
            if code:
                return 1, said + f"{verb} {tree}: exit {code} {err}"
            total = open(d + "/calls").read().splitlines()[-1].split()  # % s us/call calls [errors] total
            calls[tree] = int(total[3])
        per_file = (calls["t"] - calls["e"]) / 100
        said += f"{verb}: {per_file:.1f} calls per file (at most {most}); "
        if per_file > most:
            return 1, said
    return 0, said


rows = [
    # 7: another time zone is told apart from a wrong password; nothing written.
    # The reader's zone is not UTC, so that the shift (maker's zone less
    # ours) and the TZ to set (the maker's) differ, by whole hours or not.
    ("time zone", lambda d: (write(d + "/a.txt", b"made at UTC+9"),
                             quorvel("encrypt", d + "/a.txt", tz="UTC-9"),
                             os.remove(d + "/a.txt"), snapshot(d))[-1],
     lambda d: quorvel("decrypt", d + "/a.txt.cpt", tz="UTC+5"), 1,
     "made in a time zone 14 hours ahead of this one; set TZ=UTC-9 and try again", same),
    ("time zone, view", lambda d: (write(d + "/a.txt", b"x"), quorvel("encrypt", d + "/a.txt", tz="UTC+3:30"),
                                   snapshot(d))[-1],
     lambda d: quorvel("view", d + "/a.txt.cpt", tz="UTC-9"), 1,
     "made in a time zone 12:30 hours behind this one; set TZ=UTC+3:30 and try again", same),
    # A zone name: the C library reads it; the Windows runtime would take it
    # for UTC, so the Windows command line uses the system's zone (Wine's is
    # the one TZ names) and says so once.
    ("time zone by name", lambda d: write(d + "/a.txt", b"Tokyo"),
     lambda d: (lambda made, got: (got[0], made[1] + got[1]))(
         quorvel("encrypt", d + "/a.txt", "--key-time", "1751328000", tz="Asia/Tokyo"),
         (os.remove(d + "/a.txt"), quorvel("decrypt", d + "/a.txt.cpt", tz="UTC-9"))[1]), 0,
     re.compile(r"^quorvel encrypt: TZ=Asia/Tokyo is not a zone the Windows runtime reads; "
                r"the system's time zone is used\n(?!.*not a zone)" if windows else SUMMARY.pattern, re.S),
     only_file("/a.txt", b"Tokyo")),
    # 8: passwords whose ANSI form does not convert back.
    ("ANSI password refused", lambda d: (write(d + "/a.txt", b"x"), snapshot(d))[-1],
     lambda d: quorvel("encrypt", d + "/a.txt", password="café"), 1,
     "QUORVEL_ACP", same),
    ("ANSI password warned", lambda d: (write(d + "/a.txt", b"cafe"), quorvel("encrypt", d + "/a.txt", password="cafe"),
                                        os.remove(d + "/a.txt"), snapshot(d))[-1],
     lambda d: quorvel("decrypt", d + "/a.txt.cpt", password="café"), 0,
     "warning: the password does not survive", only_file("/a.txt", b"cafe")),
    # 9: a wrong password renames nothing and writes nothing.
    ("wrong password, hidden names", encrypted_vault,
     lambda d: quorvel("decrypt", "--subfolders", "--hide-folder-names", d + "/src/" +
                       next(n for n in os.listdir(d + "/src") if n.endswith(".cpf")), password=OTHER),
     1, "wrong password", same),
    # 10: what is not done is named, and a summary ends every run.
    ("summary", lambda d: tree(d + "/t") and None,
     lambda d: quorvel("encrypt", "--subfolders", d + "/t"), 0, SUMMARY, no_scratch),
    ("link loop", lambda d: (tree(d + "/t"), os.symlink("..", d + "/t/x/loop")) and None,
     lambda d: quorvel("encrypt", "--subfolders", d + "/t"), 1, "loop: a link, not followed",
     no_scratch, "posix"),
    ("restore that fails", lambda d: (write(d + "/a.txt", b"new"), quorvel("encrypt", d + "/a.txt"),
                                      os.remove(d + "/a.txt"), write(d + "/a.txt/keep", b"k"), None)[-1],
     lambda d: quorvel("decrypt", "--force", d + "/a.txt.cpt"), 1, "a.txt.cpt: cannot become",
     both(no_scratch, only_file("/a.txt/keep", b"k"))),
    # Read as a user who may not: the file is named, no empty container is left.
    # Not under Wine, whose prefix belongs to root.
    ("unreadable file", unreadable, lambda d: quorvel("encrypt", "--subfolders", d + "/t", user=NOBODY), 1,
     re.compile(r"locked\.txt: cannot be read: .+\n"),
     lambda d, s: next((p + " is left" for p in ("/t/x/locked.txt.cpt", "/t/x/.locked.txt.cpt.part")
                        if os.path.lexists(d + p)), None) or
     (None if os.path.isfile(d + "/t/x/same.txt.cpt") else "the readable files were not encrypted"),
     "posix"),
    # A restore onto a full disk: no partial file, the existing one as it was.
    ("restore onto a full disk", full_disk,
     lambda d: quorvel("decrypt", "--out-folder", d + "/full", d + "/big.bin.cpt"), 1, DISK_FULL,
     both(no_scratch, lambda d, s: os.path.lexists(d + "/full/big.bin") and "a partial big.bin is left")),
    ("restore onto a full disk, --force", lambda d: full_disk(d, b"old"),
     lambda d: quorvel("decrypt", "--force", "--out-folder", d + "/full", d + "/big.bin.cpt"), 1,
     DISK_FULL, both(no_scratch, only_file("/full/big.bin", b"old"))),
    # 11: an existing file is replaced only with --force, and then whole.
    ("exists", lambda d: (write(d + "/a.txt", b"new"), quorvel("encrypt", d + "/a.txt"),
                          write(d + "/a.txt", b"old, keep me"), snapshot(d))[-1],
     lambda d: quorvel("decrypt", d + "/a.txt.cpt"), 1, "exists (--force replaces it)", same),
    ("exists, --force", lambda d: (write(d + "/a.txt", b"new"), quorvel("encrypt", d + "/a.txt"),
                                   write(d + "/a.txt", b"old, longer than the new one"), None)[-1],
     lambda d: quorvel("decrypt", "--force", d + "/a.txt.cpt"), 0, SUMMARY,
     both(no_scratch, only_file("/a.txt", b"new"))),
    ("cancelled over an existing file", lambda d: (write(d + "/big.bin", b"\1" * (32 << 20)),
                                                   quorvel("encrypt", d + "/big.bin"),
                                                   write(d + "/big.bin", b"old"), None)[-1],
     lambda d: interrupted(d, "decrypt", "--force", d + "/big.bin.cpt"), 130, "cancelled",
     both(no_scratch, only_file("/big.bin", b"old")), "posix"),
    # 12: collisions are refused before anything is written; an output
    # folder leaves the source tree alone.
    ("collision", lambda d: (tree(d + "/t"), os.mkdir(d + "/out"), snapshot(d))[-1],
     lambda d: quorvel("encrypt", "--out-folder", d + "/out", d + "/t/x/same.txt", d + "/t/y/same.txt"),
     1, "would both become", same),
    ("file into a new out-folder", lambda d: write(d + "/a.txt", b"x"),
     lambda d: quorvel("encrypt", "--out-folder", d + "/new/out", d + "/a.txt"), 0, SUMMARY,
     lambda d, s: None if os.path.isfile(d + "/new/out/a.txt.cpt") else "no container"),
    ("out-folder decrypt", encrypted_vault,
     lambda d: quorvel("decrypt", "--subfolders", "--hide-folder-names", "--out-folder", d + "/out",
                       d + "/src/" + next(n for n in os.listdir(d + "/src") if n.endswith(".cpf"))),
     0, SUMMARY,
     lambda d, before: ({k: v for k, v in snapshot(d).items() if not k.startswith("out")} != before
                        and "the source tree changed") or restored_like(d + "/copy")(d + "/out/vault", None)),
    # 13: the smaller ones.
    ("independent paths", lambda d: (write(d + "/a.txt", b"a"), write(d + "/b.txt", b"b"),
                                     quorvel("encrypt", d + "/a.txt"),
                                     quorvel("encrypt", d + "/b.txt", password=OTHER),
                                     os.remove(d + "/a.txt"), os.remove(d + "/b.txt"))[-1],
     lambda d: quorvel("decrypt", d + "/b.txt.cpt", d + "/a.txt.cpt"), 1, "b.txt.cpt: wrong password",
     only_file("/a.txt", b"a")),
    ("not a container", lambda d: (write(d + "/plain.cpt", b"just some text, long enough " * 8), snapshot(d))[-1],
     lambda d: quorvel("decrypt", d + "/plain.cpt"), 1, "plain.cpt: not a container", same),
    ("damaged", lambda d: (write(d + "/a.txt", b"z" * 4096), quorvel("encrypt", d + "/a.txt"),
                           os.remove(d + "/a.txt"), os.truncate(d + "/a.txt.cpt", 3000), snapshot(d))[-1],
     lambda d: quorvel("decrypt", d + "/a.txt.cpt"), 1,
     "damaged: cut short: the body of entry 1 needs 4096 bytes", same),
    ("longest name of an older layout", lambda d: (write(d + "/old.cpt", b"\2" + bytes(100) + b"\0\0" + bytes(4) +
                                                          b"\xf8\xff" + bytes(0x1FFF0 + 24)), snapshot(d))[-1],
     lambda d: quorvel("view", d + "/old.cpt"), 1, "old.cpt: wrong password", same),
    ("password file with BOM", lambda d: (write(d + "/pw", b"\xef\xbb\xbf" + PW.encode() + b"\n"),
                                          write(d + "/a.txt", b"bom"), None)[-1],
     lambda d: (quorvel("encrypt", "--password-file", d + "/pw", d + "/a.txt", password=""),
                os.remove(d + "/a.txt"), quorvel("decrypt", d + "/a.txt.cpt"))[-1], 0, SUMMARY,
     only_file("/a.txt", b"bom")),
    ("password file too long", lambda d: (write(d + "/pw", b"p" * 5000), write(d + "/a.txt", b"x"), snapshot(d))[-1],
     lambda d: quorvel("encrypt", "--password-file", d + "/pw", d + "/a.txt"), 1,
     "does not hold a password of at most", same),
    ("decrypt --log", lambda d: (write(d + "/a.txt", b"log"), quorvel("encrypt", d + "/a.txt"),
                                 os.remove(d + "/a.txt"), None)[-1],
     lambda d: quorvel("decrypt", "--log", d + "/a.txt.cpt"), 0, SUMMARY,
     lambda d, s: None if open(d + "/a.txt_Dec.log", "rb").read().decode("utf-16-le").endswith(
         "] Z:" + (d + "/a.txt").replace("/", "\\") + "\n") else "the log names another place"),
    # The work per file as strace counts it (about 38 and 50 before the
    # opens, times and size checks took fewer calls, then about 15.3 and 24;
    # 14.4-14.8 and 21.1-21.6 with a container's fields written and read
    # with its body).
    ("system calls per file", small_files, lambda d: calls_per_file(d, 14.5, 21.5), 0, "calls per file",
     lambda d, s: None if snapshot(d + DEEP + "/back/t") == snapshot(d + DEEP + "/t") else "not restored as it was",
     "posix"),
    ("decrypt --help", lambda d: None, lambda d: subprocess.run(
        command + ["decrypt", "--help"], capture_output=True).stdout.decode().count("--verify") and (1, "lists --verify") or (0, "ok"),
     0, "ok", lambda d, s: None),
]

failures = skipped = 0
shutil.rmtree(work, ignore_errors=True)
try:
    for i, (name, setup, action, code, message, check, *marks) in enumerate(rows):
        if "posix" in marks and windows:
            skipped += 1
            continue
        d = f"{work}/{i:02d}"
        os.makedirs(d)
        try:
            state = setup(d)
        except Skip as why:
            print(f"row '{name}' not run: {why}")
            skipped += 1
            continue
        got_code, said = action(d)
        said_right = message.search(said) if hasattr(message, "search") else message in said
        wrong = check(d, state)
        if got_code != code or not said_right or wrong:
            failures += 1
            print(f"row '{name}': exit {got_code} (want {code}), fs: {wrong or 'right'}, said:\n{said}")
finally:
    for folder in mounts:
        subprocess.run(["umount", folder])
print(f"{len(rows) - failures - skipped} rows passed, {failures} failed, {skipped} not run here")
sys.exit(1 if failures else 0)
