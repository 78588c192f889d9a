"""What the window scripts that run in Xvfb share: the checks with their tally, and a private
X server on a free display."""

import os
import subprocess

failures = []
_passed = [0]


def check(condition, what):
    """Prints and counts one check; the condition."""
    if condition:
        _passed[0] += 1
        print("ok   " + what)
    else:
        failures.append(what)
        print("FAIL " + what)
    return condition


def summary():
    """Prints the tally; the exit status (1 after a failed check)."""
    print("%d passed, %d failed" % (_passed[0], len(failures)))
    return 1 if failures else 0


def start_xvfb():
    """An Xvfb of its own on the display it chose; (process, ":N")."""
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1100x760x24",
                             "-nolisten", "tcp"], pass_fds=[write_fd],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    number = b""
    with os.fdopen(read_fd, "rb") as r:
        while not number.endswith(b"\n"):
            c = r.read(1)
            if not c:
                break
            number += c
    if not number.strip():
        xvfb.kill()
        raise RuntimeError("Xvfb did not start")
    return xvfb, ":" + number.decode().strip()
