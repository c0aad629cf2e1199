#!/usr/bin/env python3
"""The sample drop host at work under Wine, driven as a user drives it: files
and a folder are dragged onto its window from an X client (the XDND protocol,
as a Linux file manager drags), the password is typed into its dialog (XTest
key presses), and the results are checked on the file system: containers and
a hidden-name folder appear, and dropping those back restores byte-identical
copies.

Run inside an X display, after scripts/wine-env's wine_start.
usage: drop_host.py HOST.exe [--screenshot PNG]"""
import filecmp
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time

from Xlib import X, display, error, protocol
from Xlib.ext import xtest

PASSWORD = "sample-pass1"
d = display.Display()
root = d.screen().root
atom = lambda name: d.intern_atom(name)


def wait_for(what, test, seconds=60):
    """Polls a condition (X events are handled between polls); fails by name."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        result = test()
        if result:
            return result
        serve(0.05)
    sys.exit(f"drop_host: timed out waiting for {what}")


def title(window):
    try:
        name = window.get_full_property(atom("_NET_WM_NAME"), atom("UTF8_STRING"))
        return name.value.decode() if name else window.get_wm_name() or ""
    except error.XError:  # the window went away meanwhile
        return ""


def find_window(pattern):
    pending = [root]
    while pending:
        window = pending.pop()
        try:
            if re.fullmatch(pattern, title(window)) and \
                    window.get_attributes().map_state == X.IsViewable:
                return window
            pending.extend(window.query_tree().children)
        except error.XError:  # the window went away meanwhile
            pass
    return None


# ---- an XDND source --------------------------------------------------------

source = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
uri_list = b""
answers = {}


def serve(seconds):
    """Handles X events for a while: selection requests for the dragged list,
    and the target's status and finish messages."""
    end = time.monotonic() + seconds
    while True:
        while d.pending_events():
            event = d.next_event()
            if event.type == X.SelectionRequest:
                if event.target == atom("text/uri-list"):
                    event.requestor.change_property(event.property, event.target, 8, uri_list)
                    prop = event.property
                else:
                    prop = X.NONE
                event.requestor.send_event(protocol.event.SelectionNotify(
                    time=event.time, requestor=event.requestor, selection=event.selection,
                    target=event.target, property=prop))
                d.flush()
            elif event.type == X.ClientMessage:
                answers[d.get_atom_name(event.client_type)] = event.data[1][1]
        if time.monotonic() >= end:
            return
        time.sleep(0.01)


def send(target, kind, data):
    event = protocol.event.ClientMessage(window=target, client_type=atom(kind),
                                         data=(32, [source.id] + data + [0] * (4 - len(data))))
    target.send_event(event)
    d.flush()


def drag(paths, target):
    global uri_list
    uri_list = b"".join(pathlib.Path(p).as_uri().encode() + b"\r\n" for p in paths)
    answers.clear()
    source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)
    geometry = target.get_geometry()
    where = root.translate_coords(target, geometry.width // 2, geometry.height // 2)
    send(target, "XdndEnter", [5 << 24, atom("text/uri-list"), 0, 0])
    send(target, "XdndPosition", [0, (where.x << 16) | where.y, X.CurrentTime,
                                  atom("XdndActionCopy")])
    wait_for("the window's XdndStatus", lambda: "XdndStatus" in answers)
    if not answers["XdndStatus"] & 1:
        sys.exit("drop_host: the window refused the drag")
    send(target, "XdndDrop", [0, X.CurrentTime])
    wait_for("XdndFinished", lambda: "XdndFinished" in answers)


def type_password():
    dialog = wait_for("the password dialog", lambda: find_window("パスワード"))
    dialog.set_input_focus(X.RevertToParent, X.CurrentTime)
    serve(0.2)  # focus is asked for, not waited on: Wine activates on FocusIn
    for char in PASSWORD + "\r":
        keysym = 0xFF0D if char == "\r" else ord(char)
        code = d.keysym_to_keycode(keysym)  # lower case and digits: no shift
        xtest.fake_input(d, X.KeyPress, code)
        xtest.fake_input(d, X.KeyRelease, code)
        d.flush()


def main():
    host_exe = sys.argv[1]
    shot = sys.argv[3] if len(sys.argv) == 4 and sys.argv[2] == "--screenshot" else None
    work = pathlib.Path(tempfile.mkdtemp(prefix="drop-host-"))
    original, back = work / "original", work / "back"
    (original / "書類" / "sub").mkdir(parents=True)
    back.mkdir()
    (original / "報告書.txt").write_bytes("四半期の報告\n".encode() * 1000)
    (original / "書類" / "a.bin").write_bytes(os.urandom(70_001))
    (original / "書類" / "sub" / "b.txt").write_bytes(b"b" * 9)
    if shot:
        (original / "大きな.bin").write_bytes(os.urandom(1 << 28))
    reference = work / "reference"
    shutil.copytree(original, reference)

    host = subprocess.Popen([os.environ["WINE"], host_exe], stdin=subprocess.DEVNULL)
    try:
        window = wait_for("the host's window", lambda: find_window("Quorvel ドロップ先"))
        # 1: a file and a folder are encrypted.
        items = [original / "報告書.txt", original / "書類"] + ([original / "大きな.bin"] if shot else [])
        drag(items, window)
        type_password()
        if shot:
            wait_for("the progress window", lambda: find_window("Quorvel"), 120)
            serve(3)
            subprocess.run(["import", "-window", "root", shot], check=True)
        wait_for("the first job", lambda: find_window(r"Quorvel ドロップ先 \(完了 1\)"), 600)
        sealed = [original / "報告書.txt.cpt"] + list(original.glob("*.cpf"))
        if len(sealed) != 2 or not sealed[0].is_file():
            sys.exit(f"drop_host: after encrypting, {sorted(os.listdir(original))}")
        if "四半期".encode() in sealed[0].read_bytes():
            sys.exit("drop_host: the container holds the plain text")
        # 2: the container and the .cpf folder, moved elsewhere, are restored.
        for path in sealed:
            shutil.move(path, back / path.name)
        drag([back / p.name for p in sealed], window)
        type_password()
        wait_for("the second job", lambda: find_window(r"Quorvel ドロップ先 \(完了 2\)"), 600)
    finally:
        host.kill()
    # A dropped file stays beside its container; a dropped folder becomes the
    # .cpf folder of its containers.
    rows = [(original, "報告書.txt")] + [(back, n) for n in ("報告書.txt", "書類/a.bin", "書類/sub/b.txt")]
    for tree, name in rows:
        if not (tree / name).is_file() or not filecmp.cmp(reference / name, tree / name, shallow=False):
            sys.exit(f"drop_host: {tree.name}/{name} is not what was dropped")
    shutil.rmtree(work)
    print("drop_host: dropped, encrypted, restored; the files match")


main()
