#!/usr/bin/env python3
"""Attacks the files the ovfc tool writes, as a hostile or careless user and a bad machine
would: damaged files, a writer killed before each of its changes, a full disk, and several
processes at once, over the face library's configuration file, the person base and the
statistics run's log and JSON.

    attack.py --bin DIR --shim LIB --config DIR [--only config|base|stats] [--work DIR]

DIR of --bin holds ovfc; LIB is the fault shim (fault_shim.c) preloaded into the programs
under attack; --config is the project's config folder. Exit status 0 when every check held,
1 with the failed checks listed.
"""

import argparse
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import threading

TIMEOUT = 120
KILLED = -9


class Attack:
    def __init__(self, args, work):
        self.ovfc = os.path.join(args.bin, "ovfc")
        self.shim = args.shim
        self.config = args.config
        self.work = work
        self.failures = []
        self.checks = 0

    # --- running the tool -------------------------------------------------------------

    def run(self, argv, cwd=None, kill_at=None, nospc_at=None, count=False):
        """Runs ovfc; returns (status, stdout, stderr, changes). A signal other than the
        shim's own kill, or a run that does not end, is a failure."""
        env = dict(os.environ)
        env.pop("OVFC_BASE", None)
        env["ASAN_OPTIONS"] = "detect_leaks=0"
        env["LD_PRELOAD"] = self.shim
        count_file = None
        if kill_at is not None:
            env["OVFC_FAULT_KILL_AT"] = str(kill_at)
        if nospc_at is not None:
            env["OVFC_FAULT_NOSPC_AT"] = str(nospc_at)
        if count:
            fd, count_file = tempfile.mkstemp(dir=self.work, prefix="count.")
            os.close(fd)
            env["OVFC_FAULT_COUNT"] = count_file
        try:
            p = subprocess.run([self.ovfc] + argv, cwd=cwd or self.work, env=env,
                               capture_output=True, timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            self.fail("hang: ovfc " + " ".join(argv))
            return (None, b"", b"", 0)
        changes = 0
        if count_file:
            with open(count_file) as f:
                text = f.read().strip()
            os.unlink(count_file)
            changes = int(text) if text else 0
        if p.returncode < 0 and not (kill_at is not None and p.returncode == KILLED):
            self.fail("signal %d: ovfc %s\n%s" % (-p.returncode, " ".join(argv),
                                                  p.stderr.decode(errors="replace")[-2000:]))
        return (p.returncode, p.stdout, p.stderr, changes)

    def check(self, ok, what):
        self.checks += 1
        if not ok:
            self.fail(what)
        return ok

    def fail(self, what):
        self.failures.append(what)
        print("FAIL:", what, flush=True)

    @staticmethod
    def kill_points(total, most=60):
        """Every change up to `most`; beyond that an even spread including the last."""
        if total <= most:
            return list(range(1, total + 1))
        step = total / most
        points = sorted({int(1 + k * step) for k in range(most)} | {total})
        return points

    # --- files ------------------------------------------------------------------------

    @staticmethod
    def read(path):
        with open(path, "rb") as f:
            return f.read()

    @staticmethod
    def write(path, data):
        with open(path, "wb") as f:
            f.write(data)

    @staticmethod
    def snapshot(folder):
        return {n: Attack.read(os.path.join(folder, n)) for n in sorted(os.listdir(folder))
                if os.path.isfile(os.path.join(folder, n))}

    @staticmethod
    def restore(folder, files):
        for n in os.listdir(folder):
            path = os.path.join(folder, n)
            if os.path.isfile(path) and n not in files:
                os.unlink(path)
        for n, data in files.items():
            Attack.write(os.path.join(folder, n), data)

    # --- the configuration file -------------------------------------------------------

    def config_copy(self, folder):
        os.makedirs(folder, exist_ok=True)
        for n in ("ovfc.ini", "ovfcmask.dsc"):
            shutil.copy(os.path.join(self.config, n), folder)
        return os.path.join(folder, "ovfc.ini")

    def param(self, ini, *values, **faults):
        return self.run(["param"] + list(values) + ["--config", ini], **faults)

    def mutants(self, original, seed):
        rng = random.Random(seed)
        out = []
        for _ in range(10):
            out.append(("cut", original[:rng.randrange(1, len(original))]))
        for _ in range(10):
            data = bytearray(original)
            at = rng.randrange(len(data))
            data[at] = rng.choice([0, 10, 13, ord("["), ord("]"), ord("="), ord(";"), 0xFF])
            out.append(("byte %d" % at, bytes(data)))
        lines = original.split(b"\n")
        for name, junk in (("unclosed section", b"[library"),
                           ("binary junk", bytes(range(256))),
                           ("overlong section", b"[" + b"S" * 300 + b"]"),
                           ("overlong key", b"K" * 5000 + b" = 1"),
                           ("many sections", b"\n".join(b"[s%d]" % k for k in range(40)))):
            at = rng.randrange(1, len(lines))
            out.append((name, b"\n".join(lines[:at] + [junk] + lines[at:])))
        out.append(("empty", b""))
        return out

    def attack_config(self):
        folder = os.path.join(self.work, "config")
        ini = self.config_copy(folder)
        original = self.read(ini)

        # Damaged files: a failed set leaves the file as it was; a set that works keeps
        # every line the file had, in order.
        for name, data in self.mutants(original, 19):
            self.write(ini, data)
            rc, _, err, _ = self.param(ini, "param", "attack_key", "7")
            if rc is None or rc < 0:
                continue
            after = self.read(ini)
            if rc != 0:
                self.check(after == data, "config %s: a refused set changed the file" % name)
                continue
            lines = iter(after.split(b"\n"))
            self.check(all(any(line == l for l in lines) for line in data.split(b"\n")),
                       "config %s: a set lost or reordered lines" % name)
            rc, out, _, _ = self.param(ini, "param", "attack_key")
            self.check(rc == 0 and out.strip().endswith(b"7"),
                       "config %s: the value set does not read back" % name)

        # Values the store cannot hold are refused and change nothing.
        self.write(ini, original)
        for value in ("x" * 33, "1\n[library]", "2\rX=1"):
            rc, _, _, _ = self.param(ini, "param", "attack_key", value)
            self.check(rc not in (0, None) and self.read(ini) == original,
                       "config: value %r was not refused" % value)

        # Killed before each change: the file is the old or the new one, never a mix, and
        # the next save removes what the killed writer left.
        spare = os.path.join(self.work, "config-new")
        rc, _, _, total = self.param(self.config_copy(spare), "param", "attack_key", "8",
                                     count=True)
        new = self.read(os.path.join(spare, "ovfc.ini"))
        self.check(rc == 0 and total > 0 and new != original, "config: the clean set failed")
        print("config: %d changes in a save" % total)
        for n in self.kill_points(total):
            self.write(ini, original)
            rc, _, _, _ = self.param(ini, "param", "attack_key", "8", kill_at=n)
            self.check(self.read(ini) in (original, new),
                       "config killed at change %d: the file is torn" % n)
        self.write(ini, original)
        rc, _, _, _ = self.param(ini, "param", "attack_key", "9")
        left = sorted(set(os.listdir(folder)) - {"ovfc.ini", "ovfc.ini.lock", "ovfcmask.dsc"})
        self.check(rc == 0 and not left, "config: files left after killed writers: %s" % left)

        # A full disk from each change on: a save that fails says so and leaves the old file;
        # one that succeeds (the disk filled after its last write) left the new one.
        for n in range(1, total + 1):
            self.write(ini, original)
            rc, _, _, _ = self.param(ini, "param", "attack_key", "8", nospc_at=n)
            left = sorted(set(os.listdir(folder)) - {"ovfc.ini", "ovfc.ini.lock", "ovfcmask.dsc"})
            self.check(rc is not None and self.read(ini) == (new if rc == 0 else original)
                       and not left,
                       "config: a full disk at change %d: status %s, left %s" % (n, rc, left))
            if n == 1:
                self.check(rc not in (0, None), "config: a full disk was reported as success")
        self.real_full_disk(original)

        # Eight writers at once keep each other's values.
        self.write(ini, original)
        results = [None] * 8

        def setter(k):
            results[k] = self.param(ini, "param", "attack_%d" % k, str(100 + k))[0]

        threads = [threading.Thread(target=setter, args=(k,)) for k in range(8)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        self.check(results == [0] * 8, "config: concurrent sets failed: %s" % results)
        for k in range(8):
            rc, out, _, _ = self.param(ini, "param", "attack_%d" % k)
            self.check(rc == 0 and out.strip().endswith(str(100 + k).encode()),
                       "config: concurrent set %d was lost" % k)

    def real_full_disk(self, original):
        """On a small tmpfs when this machine lets us mount one (root, not in a container
        that forbids it); otherwise the shim's full disk above stands for it."""
        mount = os.path.join(self.work, "tmpfs")
        os.makedirs(mount, exist_ok=True)
        if os.geteuid() != 0 or subprocess.run(
                ["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", mount],
                capture_output=True).returncode != 0:
            print("config: no tmpfs could be mounted; the full disk is simulated only")
            return
        try:
            ini = self.config_copy(mount)
            try:
                with open(os.path.join(mount, "filler"), "wb") as f:
                    while True:
                        f.write(b"\0" * 1024)
                        f.flush()
            except OSError:
                pass
            rc, _, _, _ = self.param(ini, "param", "attack_key", "11")
            self.check(rc not in (0, None) and self.read(ini) == original,
                       "config: a really full disk was not reported or tore the file")
        finally:
            subprocess.run(["umount", mount], capture_output=True)

    # --- the person base --------------------------------------------------------------

    def faces(self):
        folder = os.path.join(self.work, "faces")
        if not os.path.isdir(folder):
            rc, _, err, _ = self.run(["facegen", "--persons", "6", "--images", "2", "--seed",
                                      "4", "--out", folder])
            if rc != 0:
                raise SystemExit("facegen failed: " + err.decode(errors="replace"))
        return folder

    def base_cmd(self, base, *argv, **faults):
        ini = os.path.join(self.config, "synthetic", "ovfc.ini")
        return self.run(["base", "--base", base, "--config", ini] + list(argv), **faults)

    def enroll(self, base, person, **faults):
        faces = self.faces()
        images = [os.path.join(faces, "0000%02d%02d.TIF" % (person, i)) for i in (1, 2)]
        return self.base_cmd(base, "enroll", "P%d" % person, "Name %d" % person, *images,
                             **faults)

    def listing(self, base):
        """{user id: faces} of `base list`, or None when it fails; list must not change a
        file."""
        before = self.snapshot(base)
        rc, out, err, _ = self.base_cmd(base, "list")
        self.check(self.snapshot(base) == before, "base: list changed the base's files")
        if rc != 0:
            return None
        persons = {}
        for line in out.decode(errors="replace").splitlines():
            fields = line.split("|")
            if len(fields) == 4:
                persons[fields[1]] = int(fields[3])
        return persons

    def pictures(self, base):
        return sorted(n for n in os.listdir(base) if n.upper().endswith(".TIF"))

    def attack_base(self):
        base = os.path.join(self.work, "base")
        os.makedirs(base, exist_ok=True)
        for person in (1, 2, 3):
            rc = self.enroll(base, person)[0]
            self.check(rc == 0, "base: enrolling P%d failed" % person)
        good = self.snapshot(base)
        three = {"P1": 2, "P2": 2, "P3": 2}
        self.check(self.listing(base) == three, "base: the three persons do not list")

        # An enrolment killed before each change: the others stay whole, the new person is
        # there whole or not at all, and the next writer clears what was left.
        rc, _, _, total = self.enroll(base, 4, count=True)
        self.check(rc == 0 and total > 0, "base: the clean enrolment failed")
        print("base: %d changes in an enrolment" % total)
        for n in self.kill_points(total, 40):
            self.restore(base, good)
            self.enroll(base, 4, kill_at=n)
            listed = self.listing(base)
            whole = listed is not None and {k: v for k, v in listed.items() if k != "P4"} == three
            self.check(whole and listed.get("P4", 2) == 2,
                       "base: enrolment killed at change %d left %s" % (n, listed))
            rc = self.enroll(base, 5)[0]
            listed = self.listing(base) or {}
            self.check(rc == 0 and listed.get("P5") == 2,
                       "base: enrolling after a kill at change %d failed" % n)
            self.check(len(self.pictures(base)) == sum(listed.values()),
                       "base: pictures left after a kill at change %d: %s" %
                       (n, self.pictures(base)))

        # A delete and a pack killed before each change.
        for what, argv in (("delete", ["delete", "P2"]), ("pack", ["pack"])):
            self.restore(base, good)
            if what == "pack":
                self.check(self.base_cmd(base, "delete", "P2")[0] == 0, "base: delete failed")
            before = self.snapshot(base)
            rc, _, _, total = self.base_cmd(base, *argv, count=True)
            self.check(rc == 0, "base: the clean %s failed" % what)
            for n in self.kill_points(total, 40):
                self.restore(base, before)
                self.base_cmd(base, *argv, kill_at=n)
                listed = self.listing(base)
                kept = listed is not None and listed.get("P1") == 2 and listed.get("P3") == 2
                self.check(kept and listed.get("P2", 2) == 2,
                           "base: %s killed at change %d left %s" % (what, n, listed))
                rc = self.enroll(base, 5)[0]
                self.check(rc == 0, "base: enrolling after %s killed at %d failed" % (what, n))

        # A full disk during an enrolment: reported, and the base stays as it was.
        for n in (1, 3, 8, 20):
            self.restore(base, good)
            rc = self.enroll(base, 4, nospc_at=n)[0]
            listed = self.listing(base)
            self.check(listed == three or (rc == 0 and listed == dict(three, P4=2)),
                       "base: a full disk at write %d (status %s) left %s" % (n, rc, listed))
            self.check(rc != 0 or listed == dict(three, P4=2),
                       "base: a full disk at write %d was reported as success" % n)

        # Damaged tables and indexes: list never changes a file (checked in listing) nor
        # crashes, and a writer never crashes.
        rng = random.Random(62)
        for table in ("Users.Dbf", "Faces.Dbf", "Users1.Idx", "Users2.Idx"):
            data = good[table]
            damaged = [("cut", data[:rng.randrange(1, len(data))]) for _ in range(3)]
            damaged += [("byte", self.flip(data, rng)) for _ in range(3)]
            if table.endswith(".Dbf"):
                for count in (0, 1, 200):
                    b = bytearray(data)
                    b[4:8] = count.to_bytes(4, "little")
                    damaged.append(("count %d" % count, bytes(b)))
            for name, bad in damaged:
                self.restore(base, dict(good, **{table: bad}))
                self.listing(base)
                rc = self.enroll(base, 6)[0]
                if name == "count 1" and table == "Users.Dbf":
                    # The records behind a short count are persons: the writer counts them.
                    listed = self.listing(base)
                    self.check(rc == 0 and listed == dict(three, P6=2),
                               "base: a short count lost persons: %s" % listed)

        # Four enrolments and a pack at once: every person is there, whole.
        self.restore(base, good)
        self.check(self.base_cmd(base, "delete", "P3")[0] == 0, "base: delete failed")
        results = {}

        def worker(key, fn):
            results[key] = fn()[0]

        jobs = [("P%d" % p, lambda p=p: self.enroll(base, p)) for p in (4, 5, 6)]
        jobs.append(("pack", lambda: self.base_cmd(base, "pack")))
        threads = [threading.Thread(target=worker, args=j) for j in jobs]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        self.check(all(v == 0 for v in results.values()), "base: concurrent writers: %s" %
                   results)
        self.check(self.listing(base) == {"P1": 2, "P2": 2, "P4": 2, "P5": 2, "P6": 2},
                   "base: concurrent writers lost a person")

    @staticmethod
    def flip(data, rng):
        b = bytearray(data)
        for _ in range(4):
            b[rng.randrange(len(b))] = rng.randrange(256)
        return bytes(b)

    # --- the statistics files ---------------------------------------------------------

    def stats(self, folder, log, js, *extra, **faults):
        ini = os.path.join(self.config, "synthetic", "ovfc.ini")
        return self.run(["stats", "--source", os.path.join(folder, "*.TIF"), "--log", log,
                         "--json", js, "--config", ini, "--ignore-errors", "--overwrite"] +
                        list(extra), **faults)

    @staticmethod
    def complete_log(data, model):
        """The same run's log apart from its times: as many lines, the same last line."""
        a, b = data.splitlines(), model.splitlines()
        return len(a) == len(b) and a[-1:] == b[-1:]

    @staticmethod
    def complete_json(data):
        try:
            figures = json.loads(data.decode())
        except (ValueError, UnicodeDecodeError):
            return False
        return isinstance(figures, dict) and figures.get("complete") is True and "N" in figures

    def attack_stats(self):
        # Four images of two persons: every run matches 16 pairs.
        faces = os.path.join(self.work, "stats-faces")
        os.makedirs(faces, exist_ok=True)
        for name in sorted(os.listdir(self.faces()))[:4]:
            shutil.copy(os.path.join(self.faces(), name), faces)
        folder = os.path.join(self.work, "stats")
        os.makedirs(folder, exist_ok=True)
        log, js = os.path.join(folder, "OVFC.LOG"), os.path.join(folder, "run.json")
        old_log, old_json = b"an old log\r\n", b'{"old": true}\n'

        def reset():
            self.write(log, old_log)
            self.write(js, old_json)
            for n in os.listdir(folder):
                if n not in ("OVFC.LOG", "run.json"):
                    os.unlink(os.path.join(folder, n))

        reset()
        rc, _, _, total = self.stats(faces, log, js, count=True)
        model = self.read(log)
        self.check(rc == 0 and total > 0 and self.complete_json(self.read(js)),
                   "stats: the clean run failed")
        print("stats: %d changes in a run" % total)

        # Killed before each change: each file is the old one or a whole new one.
        for n in self.kill_points(total, 30):
            reset()
            self.stats(faces, log, js, kill_at=n)
            data, jdata = self.read(log), self.read(js)
            self.check(data == old_log or self.complete_log(data, model),
                       "stats killed at change %d: the log is torn" % n)
            self.check(jdata == old_json or self.complete_json(jdata),
                       "stats killed at change %d: the JSON is torn" % n)

        # A full disk at each write: the run says so, and the old files stay.
        for n in range(1, 5):
            reset()
            rc = self.stats(faces, log, js, nospc_at=n)[0]
            data, jdata = self.read(log), self.read(js)
            self.check(rc != 0, "stats: a full disk at write %d was reported as success" % n)
            self.check(data in (old_log,) or self.complete_log(data, model),
                       "stats: a full disk at write %d tore the log" % n)
            self.check(jdata == old_json or self.complete_json(jdata),
                       "stats: a full disk at write %d tore the JSON" % n)
            left = sorted(set(os.listdir(folder)) - {"OVFC.LOG", "run.json"})
            self.check(not left, "stats: a full disk at write %d left %s" % (n, left))

        # Damaged images among the samples: the run goes on past them and writes its files.
        damaged = os.path.join(self.work, "stats-damaged")
        shutil.rmtree(damaged, ignore_errors=True)
        shutil.copytree(faces, damaged)
        rng = random.Random(147)
        for k, name in enumerate(sorted(os.listdir(damaged))[:6]):
            path = os.path.join(damaged, name)
            data = self.read(path)
            self.write(path, data[:rng.randrange(8, 400)] if k % 2 else self.flip(data[:64], rng)
                       + data[64:])
        reset()
        rc = self.stats(damaged, log, js)[0]
        self.check(rc in (0, 1) and self.read(log) != old_log and
                   self.complete_json(self.read(js)), "stats: damaged images stopped the run")

        # Two runs onto the same files at once: each file is one run's, whole.
        reset()
        threads = [threading.Thread(target=self.stats, args=(faces, log, js)) for _ in range(2)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        self.check(self.complete_log(self.read(log), model) and
                   self.complete_json(self.read(js)), "stats: two runs tore a file")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True)
    parser.add_argument("--shim", required=True)
    parser.add_argument("--config", required=True)
    parser.add_argument("--only", choices=("config", "base", "stats"))
    parser.add_argument("--work")
    args = parser.parse_args()
    for name in ("bin", "shim", "config"):
        setattr(args, name, os.path.abspath(getattr(args, name)))
    work = args.work or tempfile.mkdtemp(prefix="ovfc-attack-")
    os.makedirs(work, exist_ok=True)
    attack = Attack(args, work)
    for name in ("config", "base", "stats"):
        if args.only in (None, name):
            getattr(attack, "attack_" + name)()
    print("%d checks, %d failed" % (attack.checks, len(attack.failures)))
    if not args.work:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if attack.failures else 0


if __name__ == "__main__":
    sys.exit(main())
