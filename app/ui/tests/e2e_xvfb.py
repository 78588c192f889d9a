#!/usr/bin/env python3
"""ovfctest end to end in a real X server (Xvfb, the xcb platform).

Scenario "shell": starts the program with the image-folder camera over generated faces,
waits for live frames with a processed face in Main.live, checks that a second start hands
over to the first and exits 0, saves a screenshot of the main window, quits through the
running instance and checks that the settings file holds every value with its type.

Scenario "identify": five persons enrolled from generated faces; the camera shows another
frame of person 3: "Go!" welcomes person 3; with person 2 in the user box the same face is
denied; a camera showing a person not enrolled is denied.

Scenario "enrol": through the instance socket's "ui" requests, as a user would: the wizard
enrols a person from the image-folder camera (three Adds, then the automatic phase to six
faces), the person is checked with "ovfc base" and the tables with dbfread; the browse
page's Modify renames it, deletes a face and runs the profiler; re-registration keeps every
face; Delete removes the person.

Scenario "grabber": on a simulated frame-grabber board, the one-to-one window's Video
capture opens the board's Live Input dialog, and its Capture fills the panel.

usage: e2e_xvfb.py BIN_DIR [--scenario shell|identify|enrol|grabber] [--screenshot FILE]
                   [--browse-screenshot FILE] [--stats-screenshot FILE] [--keep DIR]
"""

import argparse
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

from xvfb_support import check, failures, start_xvfb, summary

APP_KEY = r"HKEY_LOCAL_MACHINE\SoftWare\Orvane Technology\OVFC Test Application"
BYTE_VALUES = ["Show elements", "First matched face", "Round algorithm", "Reverse search order",
               "Show only matched", "Show best candidate", "Person face number", "Search timeout"]
STRING_VALUES = ["Video", "Framegrabber library", "Framegrabber driver"]
PANELS = ["Main.live", "Main.match", "Main.found"]

def ask(sock_path, request, timeout=3.0):
    try:
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
            s.settimeout(timeout)
            s.connect(sock_path)
            s.sendall(request.encode() + b"\n")
            data = b""
            while b"\n" not in data:
                chunk = s.recv(4096)
                if not chunk:
                    break
                data += chunk
            return data.split(b"\n")[0].decode()
    except OSError:
        return None


def status(sock_path):
    answer = ask(sock_path, "status")
    try:
        return json.loads(answer) if answer else None
    except ValueError:
        return None


def wait_for(predicate, seconds, step=0.2):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return None


def registry_values(path):
    """The values under each key of a REGEDIT4 file: {key: {name: (kind, data)}}."""
    keys, current = {}, None
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    # A value's hex data may go on over lines that end in a backslash.
    text = re.sub(r"\\\r?\n[ \t]*", "", text)
    if True:
        for line in text.splitlines():
            m = re.match(r"^\[(.*)\]$", line)
            if m:
                current = keys.setdefault(m.group(1).lower(), {})
                continue
            m = re.match(r'^"((?:[^"\\]|\\.)*)"=(.*)$', line)
            if m and current is not None:
                name, value = m.group(1).replace('\\"', '"').replace("\\\\", "\\"), m.group(2)
                if value.startswith('"'):
                    current[name.lower()] = ("string", value[1:-1])
                elif value.startswith("dword:"):
                    current[name.lower()] = ("dword", bytes.fromhex(value[6:])[::-1])
                elif value.startswith("hex(4):"):
                    current[name.lower()] = ("dword", bytes.fromhex(value[7:].replace(",", "")))
                elif value.startswith("hex:"):
                    current[name.lower()] = ("binary", bytes.fromhex(value[4:].replace(",", "")))
    return keys


def program_env(work, display, registry, sock_path, camera):
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", OVFC_REGISTRY=registry,
               OVFC_INSTANCE=sock_path, OVVFW_VIRTUAL_DIR=camera, HOME=work,
               XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_RUNTIME_DIR=work,
               OVFC_SOUND="off")
    env.pop("QT_QPA_PLATFORMTHEME", None)
    # In a sanitizer build the program's exit is not where leaks are looked for: the X
    # libraries keep their caches until the process ends.
    env["ASAN_OPTIONS"] = "detect_leaks=0:abort_on_error=1"
    return env


def write_registry(path, extra=""):
    with open(path, "w") as f:
        f.write("REGEDIT4\n\n[%s]\n\"Framegrabber library\"=\"OvVFW\"\n"
                "\"Framegrabber driver\"=\"Image folder camera\"\n%s" % (APP_KEY, extra))


def shot(display, window, path):
    time.sleep(0.5)
    r = subprocess.run(["import", "-display", display, "-window", window, path], timeout=30)
    check(r.returncode == 0 and os.path.getsize(path) > 10000, "screenshot written to " + path)


def mirrored(source, target):
    """The camera shows its frames mirrored: a mirrored file comes out as the original."""
    subprocess.run(["convert", source, "-flop", "-colorspace", "Gray", "-depth", "8", "-type",
                    "Grayscale", "-compress", "none", "-define", "tiff:endian=lsb",
                    "-define", "tiff:rows-per-strip=255", target], check=True)


def wait_outcome(sock_path, seconds=90):
    """Waits for the run to end; the final status."""
    def ended():
        s = status(sock_path)
        return s if s and not s.get("running") and s.get("banner") in (
            "Welcome!", "Access denied!") else None
    return wait_for(ended, seconds)


def synthetic_config(work):
    """The development configuration, with its thresholds between the own and the stranger
    scores of the generated faces, in the program's current folder, where the library looks
    first; its path."""
    source = os.path.dirname(os.path.abspath(__file__)) + "/../../../config/synthetic"
    with open(os.path.join(source, "ovfc.ini")) as f:
        ini = f.read()
    ini = re.sub(r"(?m)^(OwnScoreTreshold|SearchScoreTreshold)(\s*)=.*$", r"\1\2= 240", ini)
    with open(os.path.join(work, "ovfc.ini"), "w") as f:
        f.write(ini)
    shutil.copy(os.path.join(source, "synthetic.dsc"), work)
    return os.path.join(work, "ovfc.ini")


def identify(bin_dir, work, display, args):
    ovfc = os.path.join(bin_dir, "ovfc")
    gen = os.path.join(work, "gen")
    subprocess.run([ovfc, "facegen", "--persons", "6", "--images", "3", "--seed", "16",
                    "--out", gen], check=True, stdout=subprocess.DEVNULL)
    config = synthetic_config(work)
    base = os.path.join(work, "Base")
    for p in range(1, 6):
        subprocess.run([ovfc, "base", "--base", base, "--config", config, "enroll", "P%02d" % p,
                        "Person %d" % p, os.path.join(gen, "0000%02d01.TIF" % p),
                        os.path.join(gen, "0000%02d02.TIF" % p)], check=True,
                       stdout=subprocess.DEVNULL)
    cameras = {}
    for name, face in (("person3", "00000303.TIF"), ("stranger", "00000601.TIF")):
        cameras[name] = os.path.join(work, name)
        os.makedirs(cameras[name])
        mirrored(os.path.join(gen, face), os.path.join(cameras[name], face))

    registry = os.path.join(work, "registry.reg")
    write_registry(registry, "\"Search timeout\"=hex(4):03\n")
    sock_path = os.path.join(work, "instance")
    log = open(os.path.join(work, "ovfctest.log"), "w")
    program = os.path.join(bin_dir, "ovfctest")
    app = None
    try:
        for camera in ("person3", "stranger"):
            env = program_env(work, display, registry, sock_path, cameras[camera])
            app = subprocess.Popen([program, "--base", base], env=env, cwd=work, stdout=log,
                                   stderr=subprocess.STDOUT)
            ready = wait_for(lambda: (lambda s: s if s and s.get("faces", 0) >= 1 else None)(
                status(sock_path)), 60)
            check(ready is not None and ready.get("users") == 5,
                  "%s: live faces and five stored persons" % camera)
            if ready is None:
                return
            ask(sock_path, "user (All)")
            ask(sock_path, "go")
            end = wait_outcome(sock_path)
            if camera == "person3":
                check(end is not None and end.get("banner") == "Welcome!"
                      and end.get("name") == "Person 3",
                      "person 3 is welcomed (%s, %s)" % ((end or {}).get("banner"),
                                                         (end or {}).get("name")))
                check(end is not None and end.get("status") == "You are welcome, Person 3.",
                      "the status bar welcomes person 3")
                if args.screenshot and end is not None:
                    shot(display, end["window"], args.screenshot)
                ask(sock_path, "user P02")
                ask(sock_path, "go")
                end = wait_outcome(sock_path)
                check(end is not None and end.get("banner") == "Access denied!",
                      "verifying person 2 on person 3's face denies (%s)" % (end or {}).get("banner"))
            else:
                check(end is not None and end.get("banner") == "Access denied!"
                      and end.get("status") == "Unknown person. Access denied.",
                      "a person not enrolled is denied (%s)" % (end or {}).get("banner"))
            quit_program(sock_path, app, "%s: the program" % camera)
            app = None
    finally:
        end_program(app, log)


def quit_program(sock_path, app, what="the program"):
    """Asks the running program to quit and checks that it ends with 0."""
    ask(sock_path, "quit")
    try:
        rc = app.wait(timeout=30)
    except subprocess.TimeoutExpired:
        rc = None
    check(rc == 0, "%s ends with 0 (%s)" % (what, rc))


def end_program(app, log):
    """Kills a program that is still running and closes its log."""
    if app is not None and app.poll() is None:
        app.kill()
        app.wait()
    log.close()


def ui(sock_path, request):
    return ask(sock_path, "ui " + request)


def window_named(sock_path, title):
    """The visible window with the title, from "ui windows"; None when not shown."""
    answer = ui(sock_path, "windows")
    try:
        shown = json.loads(answer) if answer else []
    except ValueError:
        return None
    return next((w for w in shown if w.get("title") == title), None)


def press_when_enabled(sock_path, name, seconds=30):
    return wait_for(lambda: ui(sock_path, "press " + name) == "ok", seconds) is not None


def base_show(bin_dir, base, user):
    r = subprocess.run([os.path.join(bin_dir, "ovfc"), "base", "--base", base, "show", user],
                       capture_output=True, text=True)
    return r.stdout if r.returncode == 0 else ""


def enrol(bin_dir, work, display, args):
    ovfc = os.path.join(bin_dir, "ovfc")
    gen = os.path.join(work, "gen")
    subprocess.run([ovfc, "facegen", "--persons", "1", "--images", "6", "--seed", "16",
                    "--out", gen], check=True, stdout=subprocess.DEVNULL)
    synthetic_config(work)
    camera = os.path.join(work, "camera")
    os.makedirs(camera)
    for name in sorted(os.listdir(gen)):
        if name.upper().endswith(".TIF"):
            shutil.copy(os.path.join(gen, name), os.path.join(camera, name))
    base = os.path.join(work, "Base")
    registry = os.path.join(work, "registry.reg")
    write_registry(registry, "\"Person face number\"=hex(4):03\n")
    sock_path = os.path.join(work, "instance")
    env = program_env(work, display, registry, sock_path, camera)
    env["OVFC_AUTOMATION"] = "1"
    log = open(os.path.join(work, "ovfctest.log"), "w")
    app = subprocess.Popen([os.path.join(bin_dir, "ovfctest"), "--base", base], env=env,
                           cwd=work, stdout=log, stderr=subprocess.STDOUT)
    try:
        ready = wait_for(lambda: (lambda s: s if s and s.get("faces", 0) >= 1 else None)(
            status(sock_path)), 60)
        if not check(ready is not None, "live faces in the main window"):
            return
        # The wizard: user information.
        ui(sock_path, "press cmd1101")
        check(wait_for(lambda: window_named(sock_path, "Add record"), 20) is not None,
              "New user opens the Add record wizard")
        check(ui(sock_path, "press Next") != "ok", "Next is disabled without a user ID")
        ui(sock_path, "set Unique_User_ID   eNrol")
        ui(sock_path, "set Full_name   Enrolled Person")
        check(ui(sock_path, "press Next") == "ok", "Next with a user ID")
        # Face capturing: three manual Adds, then the automatic phase.
        for k in range(1, 4):
            check(press_when_enabled(sock_path, "Capture"), "Add %d is offered" % k)
            check(wait_for(lambda: ui(sock_path, "text progress") == str(k), 20) is not None,
                  "the progress bar counts face %d" % k)
            if k == 1 and args.screenshot:
                shot(display, window_named(sock_path, "Add record")["window"], args.screenshot)
        summary_text = wait_for(lambda: (lambda t: t if "Captured faces: 6" in t else None)(
            ui(sock_path, "text summary")), 120)
        check(summary_text is not None,
              "the automatic phase reaches six faces and the summary (%s)" %
              ui(sock_path, "text summary"))
        check(ui(sock_path, "press Finish") == "ok", "Finish")
        stored = wait_for(lambda: base_show(bin_dir, base, "Enrol"), 20)
        check(stored is not None and "User ID: Enrol" in stored and "Faces: 6" in stored
              and "Name: Enrolled Person" in stored,
              "ovfc base show: Enrol with six faces, name without leading blanks")
        # Debian's python3 has dbfread; another one on the path may not.
        python = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
        tables = subprocess.run([python, "-c", DBF_CHECK, base], capture_output=True, text=True)
        check(tables.returncode == 0 and tables.stdout.strip() == "Enrol|6|6",
              "dbfread: one person Enrol with six face records (%s)" % tables.stdout.strip())
        check(wait_for(lambda: status(sock_path).get("users") == 1, 10) is not None,
              "the main window's user box lists the new person")

        # The browse page.
        ui(sock_path, "press cmd1102")
        browse = wait_for(lambda: window_named(sock_path, "User list"), 20)
        check(browse is not None and ui(sock_path, "text Record") == "1 of 1",
              "Browse users lists the person (%s)" % ui(sock_path, "text Record"))
        check(ui(sock_path, "text face_caption") == "Face 1 of 6", "the face view shows face 1")
        if args.browse_screenshot and browse is not None:
            shot(display, browse["window"], args.browse_screenshot)

        # Modify: new name, one face deleted, a profiler run.
        check(ui(sock_path, "press Modify") == "ok", "Modify")
        check(wait_for(lambda: window_named(sock_path, "Modify user"), 20) is not None,
              "the Modify user sheet opens")
        ui(sock_path, "set Full_name Renamed Person")
        ui(sock_path, "tab pages 1")
        ui(sock_path, "row faces 1")
        ui(sock_path, "press Delete")
        box = wait_for(lambda: (lambda w: w if w and w.get("modal") else None)(
            window_named(sock_path, "Delete face")), 10)
        check(box is not None and box.get("text") == "Do you realy want to delete this record?",
              "deleting a face asks first")
        ui(sock_path, "answer Yes")
        check(wait_for(lambda: ui(sock_path, "text faces") == "5", 10) is not None,
              "five faces are left on the sheet")
        ui(sock_path, "tab pages 2")
        check(press_when_enabled(sock_path, "Capture", 20), "the profiler captures a probe")
        check(press_when_enabled(sock_path, "Profile", 20), "Profile")
        check(wait_for(lambda: ui(sock_path, "text profile_progress") == "5", 30) is not None,
              "the profiler matches the probe with all five faces")
        check(press_when_enabled(sock_path, "OK", 20), "OK stores the person")
        shown = wait_for(lambda: (lambda t: t if "Faces: 5" in t else None)(
            base_show(bin_dir, base, "Enrol")), 20)
        check(shown is not None and "Name: Renamed Person" in shown,
              "ovfc base show: renamed, five faces")

        # Re-registration.
        ui(sock_path, "press Reprocessing")
        box = wait_for(lambda: window_named(sock_path, "Re-registration"), 10)
        check(box is not None, "Reprocessing asks first")
        ui(sock_path, "answer Yes")
        wait_for(lambda: window_named(sock_path, "Re-processing user images") is None
                 and window_named(sock_path, "Re-registration") is None, 60)
        again = base_show(bin_dir, base, "Enrol")
        check("Faces: 5" in again, "re-registration keeps the five faces")

        # Delete the person.
        ui(sock_path, "press Delete")
        box = wait_for(lambda: window_named(sock_path, "Are you sure?"), 10)
        check(box is not None and box.get("text") == 'Confirm deletion of person "Enrol".',
              "Delete asks for confirmation")
        ui(sock_path, "answer Yes")
        check(wait_for(lambda: base_show(bin_dir, base, "Enrol") == "", 10) is not None,
              "the person is deleted")
        ui(sock_path, "press cmd1105")
        stats = wait_for(lambda: window_named(sock_path, "Generate statistics"), 10)
        check(stats is not None, "Generate statistics opens its window")
        if args.stats_screenshot and stats is not None:
            shot(display, stats["window"], args.stats_screenshot)
        quit_program(sock_path, app)
    finally:
        end_program(app, log)


def grabber(bin_dir, work, display, args):
    """The one-to-one window's Video capture on a simulated frame-grabber board opens the
    Live Input dialog; its Capture puts the frame into the panel."""
    registry = os.path.join(work, "registry.reg")
    with open(registry, "w") as f:
        f.write("REGEDIT4\n\n[%s]\n\"Framegrabber library\"=\"OvF\"\n"
                "\"Framegrabber driver\"=\"Digital Vision ComputerEyes/RT\"\n" % APP_KEY)
    sock_path = os.path.join(work, "instance")
    env = program_env(work, display, registry, sock_path, os.path.join(work, "none"))
    env["OVFC_AUTOMATION"] = "1"
    env["OVF_SIMULATE"] = "ce@0x230"
    log = open(os.path.join(work, "ovfctest.log"), "w")
    app = subprocess.Popen([os.path.join(bin_dir, "ovfctest"), "--base",
                            os.path.join(work, "Base")], env=env, cwd=work, stdout=log,
                           stderr=subprocess.STDOUT)
    try:
        ready = wait_for(lambda: (lambda s: s if s and s.get("kind") == 1 else None)(
            status(sock_path)), 60)
        if not check(ready is not None, "the stored frame-grabber board is selected (%s)" %
                     (ready or {}).get("device")):
            return
        ui(sock_path, "press cmd1104")
        check(wait_for(lambda: window_named(sock_path, "One-to-one matching"), 20) is not None,
              "the one-to-one window opens")
        check(ui(sock_path, "set Video 1") == "ok", "the image source is Video")
        check(ui(sock_path, "press Demo.left.capture") == "ok", "Capture on the left panel")
        live = wait_for(lambda: next((w for w in json.loads(ui(sock_path, "windows") or "[]")
                                      if w.get("name") == "TfLiveGrab"), None), 20)
        check(live is not None, "the frame grabber's Live Input dialog opens")
        check(press_when_enabled(sock_path, "btOk", 20), "its Capture button")
        check(wait_for(lambda: ui(sock_path, "text Demo.left.label") == "Captured image", 20)
              is not None, "the captured frame is in the left panel (%s)" %
              ui(sock_path, "text Demo.left.label"))
        quit_program(sock_path, app)
    finally:
        end_program(app, log)


# Prints "USERID|FACES field|records in Faces.Dbf" of the one person in the base.
DBF_CHECK = """
import sys, dbfread
base = sys.argv[1]
users = dbfread.DBF(base + '/Users.Dbf', load=True, encoding='latin1').records
faces = dbfread.DBF(base + '/Faces.Dbf', load=True, encoding='latin1').records
u = users[0]
print('%s|%d|%d' % (u['USERID'].strip(), int(u['FACES']), len(faces)))
"""


def finish(xvfb, work, args):
    """Ends the X server; shows the program's output after a failure; removes the work."""
    xvfb.terminate()
    xvfb.wait()
    if failures:
        with open(os.path.join(work, "ovfctest.log")) as f:
            sys.stdout.write("--- program output ---\n" + f.read())
    if not args.keep:
        shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin")
    parser.add_argument("--scenario", default="shell", choices=["shell", "identify", "enrol",
                                                                   "grabber"])
    parser.add_argument("--screenshot")
    parser.add_argument("--browse-screenshot")
    parser.add_argument("--stats-screenshot")
    parser.add_argument("--keep")
    args = parser.parse_args()
    bin_dir = os.path.abspath(args.bin)
    work = args.keep or tempfile.mkdtemp(prefix="ovfctest-e2e-")
    os.makedirs(work, exist_ok=True)
    scenarios = {"identify": identify, "enrol": enrol, "grabber": grabber}
    if args.scenario in scenarios:
        xvfb, display = start_xvfb()
        try:
            scenarios[args.scenario](bin_dir, work, display, args)
        finally:
            finish(xvfb, work, args)
        return summary()
    faces = os.path.join(work, "faces")
    subprocess.run([os.path.join(bin_dir, "ovfc"), "facegen", "--persons", "3", "--images", "3",
                    "--seed", "7", "--out", faces], check=True, stdout=subprocess.DEVNULL)
    # One stored person, for the user box.
    base = os.path.join(work, "Base")
    first_face = os.path.join(faces, sorted(os.listdir(faces))[0])
    subprocess.run([os.path.join(bin_dir, "ovfc"), "base", "--base", base, "enroll", "P01",
                    "Person one", first_face], check=True, stdout=subprocess.DEVNULL)
    # The camera plays one face: each live frame shows the face the overlay was found on.
    for f in sorted(os.listdir(faces))[1:]:
        os.remove(os.path.join(faces, f))

    registry = os.path.join(work, "registry.reg")
    write_registry(registry)
    sock_path = os.path.join(work, "instance")
    xvfb, display = start_xvfb()
    env = program_env(work, display, registry, sock_path, faces)
    app = None
    log = open(os.path.join(work, "ovfctest.log"), "w")
    try:
        program = os.path.join(bin_dir, "ovfctest")
        app = subprocess.Popen([program, "--base", base], env=env,
                               cwd=work, stdout=log, stderr=subprocess.STDOUT)
        first = wait_for(lambda: status(sock_path), 30)
        check(first is not None, "the program answers on its instance socket")
        if first is None:
            return 1
        check(first.get("users") == 1, "the user box lists the stored person")
        check(first.get("kind") == 2 and first.get("device") == "Image folder camera",
              "the stored folder camera is selected (%s)" % first.get("device"))
        live = wait_for(lambda: (lambda s: s if s and s.get("faces", 0) >= 2 else None)(
            status(sock_path)), 60)
        check(live is not None and live.get("live"), "Main.live runs live video")
        check(live is not None and live.get("faces", 0) >= 2,
              "frames with a processed face in Main.live (%s)" % (live or {}).get("faces"))
        check(wait_for(lambda: status(sock_path).get("faceProcessed"), 20) is not None,
              "the face of the current frame is processed")

        second = subprocess.run([program, "--base", base], env=env,
                                cwd=work, timeout=30, stdout=log, stderr=subprocess.STDOUT)
        check(second.returncode == 0, "a second start exits 0 (%d)" % second.returncode)
        after = status(sock_path)
        check(after is not None and after.get("activations") == 1,
              "the second start brought the first to the front")
        check(app.poll() is None, "the first instance still runs")

        if args.screenshot and after is not None:
            shot(display, after["window"], args.screenshot)

        check(ask(sock_path, "quit") == "ok", "the quit request is taken")
        try:
            rc = app.wait(timeout=30)
        except subprocess.TimeoutExpired:
            rc = None
        check(rc == 0, "the program ends with 0 (%s)" % rc)
        app = None

        keys = registry_values(registry)
        values = keys.get(APP_KEY.lower(), {})
        for name in BYTE_VALUES:
            kind, data = values.get(name.lower(), (None, b""))
            check(kind == "dword" and len(data) == 1, "%s: a 1-byte DWORD" % name)
        for name in STRING_VALUES:
            check(values.get(name.lower(), (None,))[0] == "string", "%s: a string" % name)
        check(values.get("video", ("", ""))[1] == "Live", "Video is Live")
        check(values.get("framegrabber library", ("", ""))[1] == "OvVFW"
              and values.get("framegrabber driver", ("", ""))[1] == "Image folder camera",
              "the chosen device is stored")
        kind, data = values.get("placement", (None, b""))
        check(kind == "dword" and len(data) == 44 and data[0] == 44,
              "Placement: the 44-byte record")
        options = keys.get((APP_KEY + r"\Images options").lower(), {})
        for panel in PANELS:
            kind, data = options.get(panel.lower(), (None, b""))
            check(kind == "dword" and len(data) == 1, "Images options of %s" % panel)
    finally:
        end_program(app, log)
        finish(xvfb, work, args)
    return summary()


if __name__ == "__main__":
    sys.exit(main())
