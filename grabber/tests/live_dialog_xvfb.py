#!/usr/bin/env python3
"""The frame-grabber "Live Input" dialog in a real X server (Xvfb, the xcb platform).

Shows the capture dialog on a simulated ComputerEyes/RT board, changes its brightness,
takes a screenshot of the screen, captures a frame and checks the frame file.

    live_dialog_xvfb.py BIN_DIR [--screenshot FILE]
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

FRAME_BYTES = 256 * 255


def check(condition, what):
    if not condition:
        print("FAILED: " + what, file=sys.stderr)
        sys.exit(1)
    print("ok: " + what)


def free_display():
    for n in range(70, 99):
        if not os.path.exists("/tmp/.X11-unix/X%d" % n) and not os.path.exists("/tmp/.X%d-lock" % n):
            return n
    raise RuntimeError("no free X display")


def read_until(proc, wanted, timeout=30):
    deadline = time.time() + timeout
    while time.time() < deadline:
        line = proc.stdout.readline()
        if not line or line.strip() == wanted:
            return line.strip()
    return None


def screenshot(display, path):
    env = dict(os.environ, DISPLAY=display)
    if shutil.which("import"):
        subprocess.run(["import", "-window", "root", "-colors", "64", path], env=env, check=True,
                       timeout=30)
    else:
        xwd = path + ".xwd"
        subprocess.run(["xwd", "-root", "-silent", "-out", xwd], env=env, check=True, timeout=30)
        subprocess.run(["convert", xwd, path], check=True, timeout=30)
        os.remove(xwd)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("bin_dir")
    ap.add_argument("--screenshot")
    args = ap.parse_args()

    n = free_display()
    display = ":%d" % n
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "640x440x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    work = tempfile.mkdtemp(prefix="ovf-live-")
    try:
        for _ in range(100):
            if os.path.exists("/tmp/.X11-unix/X%d" % n):
                break
            time.sleep(0.05)
        env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                   OVF_SIMULATE="ce@0x230")
        env.pop("WAYLAND_DISPLAY", None)
        # In a sanitizer build the program's exit is not where leaks are looked for: the X
        # libraries keep their caches until the process ends.
        env["ASAN_OPTIONS"] = "detect_leaks=0:abort_on_error=1"
        out = os.path.join(work, "frame.pic")
        cmd = [os.path.join(args.bin_dir, "ovf-live"), "--board", "4", "--capture",
               "--config", os.path.join(work, "ovfint.ini"), "--brightness", "80", "--out", out]
        live = subprocess.Popen(cmd, env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                text=True)
        lines = []
        deadline = time.time() + 30
        while time.time() < deadline:
            line = live.stdout.readline()
            if not line:
                break
            lines.append(line.strip())
            if line.strip() == "ready":
                break
        check("ready" in lines, "the dialog opened on the simulated board")
        check("brightness 80" in lines, "the brightness bar moved to 80")
        time.sleep(1.0)  # some live frames with the new brightness
        if args.screenshot:
            screenshot(display, args.screenshot)
            check(os.path.getsize(args.screenshot) > 0, "screenshot " + args.screenshot)
        live.stdin.write("accept\n")
        live.stdin.flush()
        check(read_until(live, "ready") == "ready", "the capture dialog opened")
        live.stdin.write("accept\n")
        live.stdin.flush()
        rest, _ = live.communicate(timeout=30)
        check(live.returncode == 0, "the dialogs ended accepted (exit %d)" % live.returncode)
        check("Capture: 0" in rest, "the capture dialog returned 0")
        data = open(out, "rb").read()
        check(len(data) >= FRAME_BYTES, "the captured frame was written")
        pixels = data[-FRAME_BYTES:]
        check(len(set(pixels)) > 16, "the frame holds a picture, not one grey")
        ini = open(os.path.join(work, "ovfint.ini")).read()
        check("Brightness=80" in ini.replace(" ", ""), "the brightness was kept in the settings")
    finally:
        xvfb.terminate()
        xvfb.wait(timeout=10)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
