#!/usr/bin/env python3
"""Runs the built command-line host and checks exit codes and output.
Expected digests are the published vectors of RFC 1321 and RFC 2104; the
holidays those of the Cabinet Office's list.

usage: quorvel_cli.py [EMULATOR] QUORVEL"""
import hashlib
import os
import subprocess
import sys

command = sys.argv[1:]
data = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "")
# arguments, exit code, lines the output must hold
cases = [
    ([], 2, []),
    (["help"], 0, []),
    (["--version"], 0, []),
    (["help", "md5"], 0, ["usage: quorvel md5 TEXT"]),
    (["holidays", "--help"], 0, ["usage: quorvel holidays [--classic] YEAR"]),
    (["no-such-command"], 2, []),
    (["md5"], 2, []),
    (["md5", "abc"], 0, ["900150983cd24fb0d6963f7d28e17f72"]),
    # Outside every ANSI code page: the command line arrives whole.
    (["md5", "é€😀"], 0, [hashlib.md5("é€😀".encode()).hexdigest()]),
    # No password in an argument: the old form is a usage error.
    (["bf-encrypt", "secret", "in", "out"], 2, []),
    (["hmac", "Jefe", "what do ya want for nothing?"], 0, ["750c783e6ab0b503eaa86e310a5db738"]),
    (["holidays"], 2, []),
    (["holidays", "20x6"], 2, []),
    (["holidays", "0"], 2, []),
    (["holidays", "--classic"], 2, []),
    (["holidays", "--modern", "2026"], 2, []),
    (["link-info"], 2, []),
    (["link-info", "no-such.lnk"], 1, []),
    (["link-info", data + "links/posix.lnk"], 0, ['Arguments\t-x "a b"', "WorkingFolder\tC:\\作業",
                                                   "ShowCommand\t1"]),
    (["link-info", data + "links/posix.url"], 0, ["URL\thttps://例え.jp/パス"]),
    (["sql"], 2, []),
    (["sql", "--create"], 2, []),
    (["help", "sql"], 0, ["usage: quorvel sql [--create] [--password | --password-file FILE] [--new-password-file FILE] DATABASE STATEMENT..."]),
    (["version-info"], 2, []),
    (["version-info", data + "links/posix.url"], 1, []),
    (["holidays", "2026"], 0, ["2026-02-23 (月) 天皇誕生日\t5 public holiday",
                               "2026-05-06 (水) 憲法記念日 振替休日\t4 substitute holiday",
                               "2026-09-22 (火) 休日\t3 citizens' holiday",
                               "2026-10-12 (月) スポーツの日\t5 public holiday"]),
    (["holidays", "--classic", "2009"], 0, ["2009-05-06 (水) 振替休日\t4 substitute holiday",
                                            "2009-09-22 (火) 国民の休日\t3 citizens' holiday",
                                            "2009-10-12 (月) 体育の日\t5 public holiday"]),
]
failures = 0
for arguments, code, lines in cases:
    run = subprocess.run(command + arguments, capture_output=True, timeout=120)
    output = run.stdout.decode("utf-8", "replace").replace("\r\n", "\n").split("\n")
    missing = [line for line in lines if line not in output]
    if run.returncode != code or missing:
        failures += 1
        print(f"quorvel {' '.join(arguments)}: exit {run.returncode} (want {code}), missing {missing}")

# A failure names the system's reason in the user's language, on one line.
run = subprocess.run(command + ["version-info", "no-such.dll"], capture_output=True, timeout=120,
                     env=dict(os.environ, LC_ALL="ja_JP.UTF-8"))
error = run.stderr.decode("utf-8", "replace").replace("\r\n", "\n")
if run.returncode != 1 or not error.endswith(": ファイルが見つかりません。\n") or "\r" in error:
    failures += 1
    print(f"quorvel version-info no-such.dll: exit {run.returncode}, said {error!r}")
print(f"{len(cases) + 1 - failures} passed, {failures} failed")
sys.exit(1 if failures else 0)
