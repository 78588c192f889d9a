#!/usr/bin/env python3
"""The statistics window end to end in a real X server (Xvfb, the xcb platform).

Starts stats_window_demo over generated faces: it presses Start, waits for the end of the
run, opens the log view and saves a screenshot of the window. Checks what it reports: the
run completed over every pair, the log view shows the decoded log (its horizontal line and
the own-image marker), the caption names the log, and the screenshot is a PNG of the window.

usage: stats_xvfb.py BIN_DIR [--screenshot FILE] [--keep DIR]
"""

import argparse
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile

# The shared Xvfb helpers live beside the application's end-to-end script.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests"))
from xvfb_support import check, start_xvfb, summary  # noqa: E402

PERSONS, IMAGES = 4, 3
HORIZONTAL = "\u2500"


def png_size(path):
    """(width, height) of a PNG file, or None when it is no PNG."""
    with open(path, "rb") as f:
        head = f.read(24)
    if len(head) < 24 or head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin_dir")
    parser.add_argument("--screenshot")
    parser.add_argument("--keep", help="work folder to keep (default: a temporary one)")
    args = parser.parse_args()
    args.bin_dir = os.path.abspath(args.bin_dir)
    demo = os.path.join(args.bin_dir, "tests", "stats_window_demo")
    if not os.access(demo, os.X_OK):
        print("no " + demo)
        return 1
    work = args.keep or tempfile.mkdtemp(prefix="ovfc-stats-xvfb-")
    os.makedirs(work, exist_ok=True)
    shot = args.screenshot or os.path.join(work, "statistics.png")
    xvfb, display = start_xvfb()
    try:
        env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb")
        # In a sanitizer build the program's exit is not where leaks are looked for: the X
        # libraries keep their caches until the process ends.
        env["ASAN_OPTIONS"] = "detect_leaks=0:abort_on_error=1"
        run = subprocess.run([demo, "--work", work, "--screenshot", shot], env=env,
                             cwd=args.bin_dir, capture_output=True, text=True, timeout=240)
    finally:
        xvfb.terminate()
        xvfb.wait()
    lines = [l for l in run.stdout.splitlines() if l.startswith("{")]
    check(run.returncode == 0, "the demo ends with status 0 (got %d)" % run.returncode)
    if not check(len(lines) == 1, "the demo reports what it saw"):
        print(run.stdout + run.stderr)
        return 1
    seen = json.loads(lines[0])
    pairs = (PERSONS * IMAGES) ** 2
    check(seen.get("status") == "Statistic batch complete.", "the run completed by itself")
    check(seen.get("total") == str(pairs) and seen.get("matched") == str(pairs),
          "every pair was matched (%s of %s)" % (seen.get("matched"), seen.get("total")))
    check(seen.get("view_log") is True, "View log opened the log")
    log = os.path.join(work, "OVFC.LOG")
    with open(log, "rb") as f:
        raw = f.read()
    check(raw.startswith(b"\xc4" * 47 + b"\n"), "the log begins with its horizontal line")
    check(seen.get("log_lines") == raw.count(b"\n"), "the view lists every line of the log")
    check(seen.get("first_line") == HORIZONTAL * 47, "the line is shown as box-drawing characters")
    check(seen.get("marker") is True, "own images are marked with the triangle")
    check(seen.get("title") == "Generate statistics - " + log, "the caption names the log")
    size = png_size(shot) if os.path.exists(shot) else None
    if check(size is not None, "the screenshot is a PNG"):
        check(size[0] >= 600 and size[1] >= 400, "the screenshot shows the window (%dx%d)" % size)
    if not args.keep:
        shutil.rmtree(work, ignore_errors=True)
    return summary()


if __name__ == "__main__":
    sys.exit(main())
