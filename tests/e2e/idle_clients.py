#!/usr/bin/env python3
"""Stuck clients on a local socket: idle_clients.py SOCKET COUNT REPORT.

Opens up to COUNT connections to SOCKET within about three seconds and sends
nothing on any of them. Writes "opened N" to REPORT, then waits until the
listener has closed every one it opened, and appends "closed N". Ends on
SIGTERM at any time.
"""
import selectors
import socket
import struct
import sys
import time

path, count, report = sys.argv[1], int(sys.argv[2]), sys.argv[3]


def say(line):
    with open(report, "a") as out:
        out.write(line + "\n")


held = []
give_up = time.monotonic() + 3
while len(held) < count and time.monotonic() < give_up:
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    # A listener that takes no more makes connect wait; a short wait each
    # keeps the three seconds for all of them.
    s.setsockopt(socket.SOL_SOCKET, socket.SO_SNDTIMEO, struct.pack("ll", 0, 200000))
    try:
        s.connect(path)
        held.append(s)
    except OSError:
        s.close()
say(f"opened {len(held)}")

# Each connection is closed by the listener, not by this side: reading then
# returns end of file (or a reset).
sel = selectors.DefaultSelector()
for s in held:
    s.setblocking(False)
    sel.register(s, selectors.EVENT_READ)
closed = 0
while closed < len(held):
    for key, _ in sel.select():
        try:
            data = key.fileobj.recv(64)
        except BlockingIOError:
            continue
        except OSError:
            data = b""
        if data:
            say(f"answered {data!r}")
        sel.unregister(key.fileobj)
        key.fileobj.close()
        closed += 1
say(f"closed {closed}")
