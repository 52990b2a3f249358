#!/usr/bin/python3
"""Waits through AT-SPI until the program's text box NAME holds TEXT, then
kills KILL_PID at once (the display server, in the display-loss test).
Prints "ready" once it watches the box, so the caller can start typing.

    a11y_wait_text.py PID NAME TEXT KILL_PID
"""
import os
import signal
import sys

import pyatspi
from a11y_common import program, until


def box(pid, name):
    app = program(pid)
    if app is None:
        return None
    return pyatspi.findDescendant(app, lambda o: o.name == name and o.getRole() == pyatspi.ROLE_TEXT)


pid, name, text, kill_pid = int(sys.argv[1]), sys.argv[2], sys.argv[3], int(sys.argv[4])
target = until(10, lambda: box(pid, name), step=0.02)
if target is None:
    sys.exit("FAIL: no text box named %r" % name)
print("ready", flush=True)
if not until(10, lambda: target.queryText().getText(0, -1) == text, step=0.02):
    sys.exit("FAIL: the box never held %r" % text)
os.kill(kill_pid, signal.SIGKILL)
