#!/usr/bin/python3
"""What a screen reader finds in the running program, through AT-SPI: the
window is a frame named "Pindel", each note and title box names its card,
and the keyboard moves the focus to the named boxes.

    a11y_check.py PID KEYS=ROLE:NAME...   (after the tree check, for each
                                           pair: press KEYS with xdotool, then
                                           wait until the focus is on ROLE NAME)
"""
import subprocess
import sys

import pyatspi
from a11y_common import program, until
from gi.repository import GLib


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def walk(obj):
    yield obj
    for child in obj:
        if child is not None:
            yield from walk(child)


pid = int(sys.argv[1])
app = until(10, lambda: program(pid))
if app is None:
    fail("the program is not on the accessibility bus")
frames = [c for c in app if c is not None and c.getRole() == pyatspi.ROLE_FRAME]
if [f.name for f in frames] != ["Pindel"]:
    fail("windows seen: %s" % [(c.getRoleName(), c.name) for c in app if c is not None])
texts = sorted(o.name for o in walk(frames[0]) if o.getRole() == pyatspi.ROLE_TEXT)
wanted = sorted(["Notiz Karte %d" % i for i in (1, 2, 3)] + ["Überschrift Karte %d" % i for i in (1, 2, 3)])
if texts != wanted:
    fail("text boxes named %s" % texts)


# The focus as a screen reader follows it: by the program's focus events.
last_focus = [None]


def on_focus(event):
    if event.detail1 == 1:
        last_focus[0] = "%s %r" % (event.source.getRoleName(), event.source.name)


pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")


def focused():
    while GLib.MainContext.default().iteration(False):
        pass
    return last_focus[0]


for step in sys.argv[2:]:
    keys, name = step.split("=", 1)
    name = "%s %r" % tuple(name.split(":", 1))
    subprocess.run(["xdotool", "key"] + keys.split(), check=True)
    if not until(5, lambda: focused() == name):
        fail("after %s the focus is on %r, not %r" % (keys, focused(), name))
print("ok")
