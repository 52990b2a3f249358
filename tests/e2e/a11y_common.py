"""What the AT-SPI helpers of the end-to-end tests share: finding the program
on the accessibility bus, and waiting on a condition."""
import time

import pyatspi


def program(pid):
    """The program's application object on the bus, or None."""
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def until(seconds, probe, step=0.05):
    """What probe returns once it is true, or None after seconds."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = probe()
        if found:
            return found
        time.sleep(step)
    return None
