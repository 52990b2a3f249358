#!/usr/bin/python3
"""Waits through AT-SPI until the program's text box NAME holds TEXT, then
kills KILL_PID at once (the display server, in the display-loss test).
Prints "ready" once it watches the box, so the caller can start typing.

    a11y_wait_text.py PID NAME TEXT KILL_PID
"""
import os
import signal
import sys
import time

import pyatspi


def until(seconds, probe):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = probe()
        if found:
            return found
        time.sleep(0.02)
    return None


def box(pid, name):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return pyatspi.findDescendant(app, lambda o: o.name == name and o.getRole() == pyatspi.ROLE_TEXT)
    return None


pid, name, text, kill_pid = int(sys.argv[1]), sys.argv[2], sys.argv[3], int(sys.argv[4])
target = until(10, lambda: box(pid, name))
if target is None:
    sys.exit("FAIL: no text box named %r" % name)
print("ready", flush=True)
if not until(10, lambda: target.queryText().getText(0, -1) == text):
    sys.exit("FAIL: the box never held %r" % text)
os.kill(kill_pid, signal.SIGKILL)
