#!/usr/bin/env python3
"""A password-protected database as the command-line host writes it, read
back independently: decrypted page by page after SQLCipher 4's published
design (PBKDF2-HMAC-SHA512, 256,000 rounds; AES-256-CBC through the openssl
command; an HMAC-SHA512 over each page) and refused by the sqlite3 shell.

usage: database_files.py QUORVEL WORK_FOLDER"""
import hashlib
import hmac
import os
import subprocess
import sys

quorvel, work = sys.argv[1], sys.argv[2]
os.makedirs(work, exist_ok=True)
path = os.path.join(work, "protected.mdb")
if os.path.exists(path):
    os.remove(path)
password, marker = "秘密 pass", "plaintext-marker-4711"
env = dict(os.environ, QUORVEL_PASSWORD=password)


def sql(*arguments, environment=env):
    return subprocess.run([quorvel, "sql", *arguments], env=environment, capture_output=True, timeout=120)


made = sql("--create", "--password", path, "CREATE TABLE T (ID LONG, NAME TEXT(50))",
           f"INSERT INTO T VALUES (1, '{marker}')")
assert made.returncode == 0, made
data = open(path, "rb").read()
assert marker.encode() not in data and len(data) % 4096 == 0

salt = data[:16]
key = hashlib.pbkdf2_hmac("sha512", password.encode(), salt, 256000, 32)
mac_key = hashlib.pbkdf2_hmac("sha512", key, bytes(b ^ 0x3A for b in salt), 2, 32)
plain = b""
for number in range(len(data) // 4096):
    page = data[number * 4096:(number + 1) * 4096]
    body, iv, mac = page[16 if number == 0 else 0:4016], page[4016:4032], page[4032:]
    expected = hmac.new(mac_key, body + iv + (number + 1).to_bytes(4, "little"), "sha512").digest()
    assert mac == expected, f"page {number + 1}: the HMAC differs"
    plain += subprocess.run(["openssl", "enc", "-d", "-aes-256-cbc", "-nopad", "-K", key.hex(), "-iv", iv.hex()],
                            input=body, capture_output=True, check=True).stdout
assert plain[:2] == b"\x10\x00", "page 1 does not give a page size of 4096"
assert marker.encode() in plain

shell = subprocess.run(["sqlite3", path, "SELECT * FROM T"], capture_output=True, timeout=60)
assert shell.returncode != 0 and marker.encode() not in shell.stdout, shell
assert sql(path, "SELECT NAME FROM T").returncode == 1  # no password
assert sql(path, "SELECT NAME FROM T", environment=dict(env, QUORVEL_PASSWORD="wrong")).returncode == 1
# A failing statement stops the run: exit 1, named, and the next one never runs.
failed = sql("--password", path, "INSERT INTO NoSuch VALUES (1)", "INSERT INTO T VALUES (2, 'after')")
assert failed.returncode == 1 and b"INSERT INTO NoSuch" in failed.stderr, failed
read = sql("--password", path, "SELECT NAME FROM T")
assert read.returncode == 0 and read.stdout.decode().split() == [marker], read
print("passed")
