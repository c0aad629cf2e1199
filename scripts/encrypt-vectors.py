#!/usr/bin/env python3
"""Writes the encryption tests' reference containers from the container
layout alone, with python3's hashlib and the cryptography package's
Blowfish (OpenSSL's), independently of the library:

  tests/data/encrypt/<name>.cpt   one container per row of CASES
  and prints the key texts the tests compare with.

Blowfish here is OpenSSL's with big-endian block halves; the containers use
little-endian halves, so each 4-byte word is reversed around the cipher.
Key times are converted at UTC+9 (the tests run in Asia/Tokyo).

With --fuzz-seeds FOLDER it writes the fuzz targets' seeds instead: each
container behind a mode byte, 1 as it is, 0 with plain names.

usage: scripts/encrypt-vectors.py [OUTPUT_FOLDER | --fuzz-seeds FOLDER]"""
import datetime
import hashlib
import pathlib
import struct
import sys

from cryptography.hazmat.decrepit.ciphers.algorithms import Blowfish
from cryptography.hazmat.primitives.ciphers import Cipher, modes

SALT = "QUILLMARKVOSE"
JST = datetime.timezone(datetime.timedelta(hours=9))
PASSWORD = "password"
KEY_TIME = 1700000000
# 2020-01-02 03:04:05 and 2021-02-03 04:05:06 UTC as FILETIMEs.
CREATED = (1577934245 + 11644473600) * 10_000_000
WRITTEN = (1612325106 + 11644473600) * 10_000_000


def swap_words(data):
    return b"".join(data[i:i + 4][::-1] for i in range(0, len(data), 4))


def bf(key, data):
    data += b"\0" * (-len(data) % 8)
    enc = Cipher(Blowfish(key), modes.ECB()).encryptor()
    return swap_words(enc.update(swap_words(data)) + enc.finalize())


def md5_hex(text):
    return hashlib.md5(text.encode("cp932")).hexdigest()


def body_key_text(password, key_time):
    local = datetime.datetime.fromtimestamp(key_time, JST).strftime("%Y%m%d%H%M%S")
    return md5_hex(password + SALT) + local


def key_block(password, key_time):
    text = body_key_text(password, key_time).encode("utf-16-le") + b"\0" * 4
    return bf(md5_hex(password).encode("ascii"), text)


def container(entries, version=4, cipher=0, password=PASSWORD, key_time=KEY_TIME, plain=False):
    """entries: dicts with level, kind, name and for files body; optional
    attributes, size (overrides len(body)), name_length (overrides).
    plain: names left unenciphered (zero-padded), as the fuzz targets'
    seeds hold them."""
    key = body_key_text(password, key_time).encode("ascii")
    out = bytes([version]) + (bytes([cipher]) if version >= 4 else b"")
    out += key_block(password, key_time) + struct.pack("<i", key_time)
    for e in entries:
        name = e["name"].encode("utf-16-le")
        stored = (name + b"\0" * (-len(name) % 8) if plain else bf(key, name)) if name else b""
        length = e.get("name_length", len(stored) if version >= 3 else len(stored) // 2)
        out += bytes([e["level"], e["kind"]])
        if version >= 2:
            out += struct.pack("<I", e.get("attributes", 0x20))
        body = e.get("body", b"")
        out += struct.pack("<H", length) + stored
        out += struct.pack("<qQQ", e.get("size", len(body)), CREATED, WRITTEN)
        if e["kind"] == 0:
            out += bf(key, body)
    return out


def file(name, body=b"Hello, world!", level=0, **more):
    return dict(level=level, kind=0, name=name, body=body, **more)


def folder(name, level):
    return dict(level=level, kind=1, name=name)


def pattern(size):
    """The tests' pattern bytes (test::pattern in tests/support/bytes.cpp)."""
    return bytes((i * 7 + (i >> 8) * 3 + (i >> 16) * 11) & 0xFF for i in range(size))


TREE = [folder("a", 1), file("x", level=1), folder("b", 2), file("y", level=2),
        file("z", level=1)]
# Bodies that end inside, across and past the reader's first read (4 KiB).
LONG_BODIES = [folder("a", 1), file("x", pattern(1000), level=1),
               file("y", pattern(5000), level=1), file("z", pattern(3000), level=1),
               file("w", pattern(9001))]
# name -> (entries, container options)
CASES = {
    "a_txt": ([file("a.txt")], {}),
    "version3": ([file("a.txt")], dict(version=3)),
    "version2": ([file("a.txt")], dict(version=2)),
    "version1": ([file("a.txt")], dict(version=1)),
    "japanese": ([folder("資料", 1), file("報告書.txt", "日本語".encode("utf-8"), level=1)],
                 dict(password="パスワード")),
    "tree": (TREE, {}),
    "long_bodies": (LONG_BODIES, {}),
    "kind2": ([dict(level=1, kind=2, name="k")], {}),
    "empty_file": ([file("e.bin", b"")], {}),
    "read_only": ([file("r.txt", attributes=0x21)], {}),
    "back_slash": ([file("..\\evil.txt")], {}),
    "slash": ([file("../evil.txt")], {}),
    "colon": ([file("C:evil.txt")], {}),
    "unc": ([file("\\\\server\\share\\evil.txt")], {}),
    "dot": ([folder(".", 1), file("evil.txt", level=1)], {}),
    "dot_dot": ([folder("..", 1), file("evil.txt", level=1)], {}),
    "dot_dot_zero": ([file("..\0safe.txt")], {}),
    "empty_name": ([file("")], {}),
    "device_name": ([file("Con.txt")], {}),
    "trailing_dot": ([folder("a.", 1), file("x", level=1)], {}),
    "file_level_jump": ([file("evil.txt", level=1)], {}),
    "folder_level_jump": ([folder("a", 1), folder("b", 3), file("evil.txt", level=3)], {}),
    "folder_level_0": ([folder("a", 0), file("evil.txt")], {}),
    "climb_past_top": ([folder("a", 1), dict(level=0, kind=2, name="b"), file("x")], {}),
    "name_past_end": ([file("a.txt", name_length=4000)], {}),
    "size_past_end": ([file("a.txt", size=1 << 40)], {}),
    "negative_size": ([file("a.txt", size=-8)], {}),
    "cipher1": ([file("a.txt")], dict(cipher=1)),
}


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    if sys.argv[1:2] == ["--fuzz-seeds"]:
        out = pathlib.Path(sys.argv[2])
        out.mkdir(parents=True, exist_ok=True)
        for name, (entries, options) in CASES.items():
            (out / f"{name}-raw").write_bytes(b"\1" + container(entries, **options))
            if options.get("password", PASSWORD) == PASSWORD:
                (out / f"{name}-plain").write_bytes(b"\0" + container(entries, plain=True, **options))
        return
    out = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else root / "tests/data/encrypt"
    out.mkdir(parents=True, exist_ok=True)
    for name, (entries, options) in CASES.items():
        (out / f"{name}.cpt").write_bytes(container(entries, **options))
    print("body key text:", body_key_text(PASSWORD, KEY_TIME))
    print("key block:", key_block(PASSWORD, KEY_TIME).hex())
    print("body key text, パスワード:", body_key_text("パスワード", KEY_TIME))
    print("time text of 0:", body_key_text(PASSWORD, 0)[32:])


if __name__ == "__main__":
    main()
