#!/usr/bin/env python3
"""kehrwix against the standard tools, in interleaved rounds on copies of the same trees.

Usage: bench/bench.py KEHRWIX_BINARY [--rounds N] [--work DIR] [--trees S1,S2,S3,S4]
                      [--scale F] [--check-generator]

Trees come from bench/gen_tree.py and are made once under WORK (default on tmpfs, /dev/shm,
since on a shared disk the wall time is mostly other people's I/O). Every round runs each tool
once per tree, in an order that rotates from round to round; a tool that empties a tree gets a
fresh copy first. The table shows medians over the rounds: CPU time (user + sys, from wait4),
wall time, both as ratios of the tree's reference tool, and peak RSS.

kehrwix always runs headless with its drives mapped into WORK (KEHRWIX_DRIVES) and its own
folder there (KEHRWIX): never with the default drive map.
  S1-S3: a later run with a one-line path list: it cleans after the timed prompt and closes
         with a pause. Those fixed waits are measured on their own (a line naming an empty
         folder); "wall-waits" takes them off. CPU time never includes them. The peers start
         as long after their copy as kehrwix deletes after its copy.
  S4:    a first run (no path list) with C: on the tree and its path list on D:. It shows the
         help, scans, and the menu ends at closed input. Its hits are checked against the tree's
         list of expected hits.
  S4 @1 CPU: kehrwix and fd -j1 both held to one CPU (taskset -c 0); kehrwix then scans on one
         thread.
A tool that is not installed is skipped, and the table says so.

--check-generator compares bench/gen_tree.py's trees with ../shared/bench/gen_tree.py's (when
present beside the repository) by their counts, at a small scale.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
GEN = os.path.join(HERE, "gen_tree.py")
SHARED_GEN = os.path.join(HERE, "..", "..", "shared", "bench", "gen_tree.py")
CRITERIA = ["temp", "tmp", "cache", "cookies", "recent", "verlauf", "temporary internet files"]
GNU_TIME = "/usr/bin/time"
SETTLE_SECONDS = 4.0
FD_REGEX = "^(" + "|".join(CRITERIA) + ")$"


def measure(argv, cwd=None, env=None):
    """(wall s, cpu s, peak RSS KiB) of one run; its output is thrown away.

    The run goes through GNU time for its peak RSS: a process started straight from Python
    would report Python's own peak, which a child keeps across exec."""
    with tempfile.NamedTemporaryFile("r", suffix=".rss") as rss:
        start = time.perf_counter()
        proc = subprocess.Popen([GNU_TIME, "-f", "%M", "-o", rss.name, *argv], cwd=cwd, env=env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.perf_counter() - start
        proc.returncode = os.waitstatus_to_exitcode(status)
        if proc.returncode != 0:
            raise SystemExit(f"bench: {' '.join(argv)} exited with {proc.returncode}")
        peak = int(rss.read().split()[-1])
    return wall, usage.ru_utime + usage.ru_stime, peak


def make_tree(shape, dest, scale, generator=GEN):
    if not os.path.isdir(dest):
        subprocess.run([sys.executable, generator, shape, dest, "--scale", str(scale)],
                       check=True, stdout=subprocess.DEVNULL)
    return dest


def which(*names):
    for n in names:
        path = shutil.which(n)
        if path:
            return path
    return None


VCS_MARKERS = [".git", ".hg", ".svn", ".bzr", "_darcs"]


def in_working_tree(root, hit):
    """The scan leaves version-controlled working trees alone: a hit that is one, or lies in
    one, is not expected (the generator's dot-folders include .git)."""
    folder = root
    for part in hit.split("/"):
        folder = os.path.join(folder, part)
        if any(os.path.lexists(os.path.join(folder, m)) for m in VCS_MARKERS):
            return True
    return False


class Kehrwix:
    """kehrwix runs with C: = WORK and its own files in WORK/cfg."""

    def __init__(self, binary, work):
        self.binary = binary
        self.cfg = os.path.join(work, "cfg")
        self.work = work
        os.makedirs(self.cfg, exist_ok=True)

    def env(self, drives):
        env = dict(os.environ, KEHRWIX_DRIVES=drives, KEHRWIX="D:\\" if "D:=" in drives
                   else "C:\\cfg")
        env.pop("TERM", None)
        return env

    def clean(self, line, prefix=()):
        with open(os.path.join(self.cfg, "KEHRWIX.INI"), "w", newline="") as f:
            f.write(line + "\r\n")
        return measure([*prefix, self.binary], cwd=self.cfg, env=self.env(f"C:={self.work}"))

    def scan(self, tree, prefix=()):
        for n in os.listdir(self.scan_dir()):
            os.remove(os.path.join(self.scan_dir(), n))
        return measure([*prefix, self.binary], cwd=self.scan_dir(),
                       env=self.env(f"C:={tree};D:={self.scan_dir()}"))

    def scan_dir(self):
        path = os.path.join(self.work, "scan-cfg")
        os.makedirs(path, exist_ok=True)
        return path

    def hits(self):
        with open(os.path.join(self.scan_dir(), "KEHRWIX.INI"), encoding="utf-8") as f:
            lines = [line.rstrip("\r\n") for line in f if line.strip()]
        return sorted(line[4:].rstrip("\\").replace("\\", "/") for line in lines)


class Case:
    """One tree and the tools run on it; the first tool is the reference."""

    def __init__(self, label, source, tools, copy):
        self.label, self.source, self.tools, self.copy = label, source, tools, copy
        self.samples = {name: [] for name, _ in tools}

    def round(self, index, run_dir):
        tools = self.tools[index % len(self.tools):] + self.tools[:index % len(self.tools)]
        for name, command in tools:
            if self.copy:
                shutil.rmtree(run_dir, ignore_errors=True)
                subprocess.run(["cp", "-a", self.source, run_dir], check=True)
                if not name.startswith("kehrwix"):
                    # kehrwix deletes after its timed prompt, about 4 s after the copy; a copy
                    # that old costs the kernel some 7 % more to delete on tmpfs than a fresh
                    # one, so every tool meets a copy of the same age.
                    time.sleep(SETTLE_SECONDS)
            self.samples[name].append(command())
            if self.copy and name.startswith("kehrwix") and os.listdir(run_dir):
                raise SystemExit(f"bench: kehrwix left entries in {run_dir}")


def median(values):
    return statistics.median(values)


def print_table(cases, waits, skipped):
    print("| tree | tool | CPU (ms) | CPU × | wall (ms) | wall × | wall−waits × | peak RSS (MB) |")
    print("|---|---|---|---|---|---|---|---|")
    for case in cases:
        ref = case.tools[0][0]
        ref_wall = median([s[0] for s in case.samples[ref]])
        ref_cpu = median([s[1] for s in case.samples[ref]])
        for name, _ in case.tools:
            samples = case.samples[name]
            wall = median([s[0] for s in samples])
            cpu = median([s[1] for s in samples])
            rss = max(s[2] for s in samples) / 1024
            net = ""
            if name.startswith("kehrwix") and case.label in waits:
                net = f"{(wall - waits[case.label]) / ref_wall:.2f}"
            print(f"| {case.label} | {name} | {cpu * 1000:.0f} | {cpu / ref_cpu:.2f} "
                  f"| {wall * 1000:.0f} | {wall / ref_wall:.2f} | {net} | {rss:.1f} |")
    for name in skipped:
        print(f"(skipped: {name} is not installed)")


def check_generator(work):
    if not os.path.isfile(SHARED_GEN):
        print("generator check: ../shared/bench/gen_tree.py is not there; nothing to compare")
        return True
    ok = True
    for shape in ["S1", "S2", "S3", "S4"]:
        counts = []
        for tag, gen in [("own", GEN), ("shared", SHARED_GEN)]:
            dest = os.path.join(work, f"check-{tag}-{shape}")
            for leftover in [dest, dest + ".hits.txt", dest + ".manifest.json"]:
                if os.path.isdir(leftover):
                    shutil.rmtree(leftover)
                elif os.path.exists(leftover):
                    os.remove(leftover)
            make_tree(shape, dest, 0.05, gen)
            counts.append(tree_counts(dest))
            shutil.rmtree(dest)
            for side_file in [dest + ".hits.txt", dest + ".manifest.json"]:
                if os.path.exists(side_file):
                    os.remove(side_file)
        own, shared = counts
        exact = {k: v for k, v in own.items() if k != "max depth"}
        same = exact == {k: v for k, v in shared.items() if k != "max depth"}
        # Depths come from random trees: the caps agree, the deepest branch may differ a little.
        close = abs(own["max depth"] - shared["max depth"]) <= max(2, shared["max depth"] // 4)
        ok &= same and close
        print(f"generator check {shape}: {'same' if same and close else 'DIFFERENT'}"
              f"  own {own}  shared {shared}")
    return ok


def tree_counts(dest):
    files = folders = links = 0
    deepest = 0
    base = dest.count(os.sep)
    for root, dirs, names in os.walk(dest):
        deepest = max(deepest, root.count(os.sep) - base)
        folders += 1
        for n in dirs + names:
            if os.path.islink(os.path.join(root, n)):
                links += 1
        files += sum(1 for n in names if not os.path.islink(os.path.join(root, n)))
        dirs[:] = [d for d in dirs if not os.path.islink(os.path.join(root, d))]
    hits = 0
    if os.path.exists(dest + ".hits.txt"):
        with open(dest + ".hits.txt") as f:
            hits = sum(1 for _ in f)
    return {"files": files, "folders": folders, "symlinks": links, "hits": hits,
            "max depth": deepest}


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("kehrwix", nargs="?")
    ap.add_argument("--rounds", type=int, default=5)
    default_work = "/dev/shm/kehrwix-bench" if os.access("/dev/shm", os.W_OK) \
        else "/tmp/kehrwix-bench"
    ap.add_argument("--work", default=default_work)
    ap.add_argument("--trees", default="S1,S2,S3,S4")
    ap.add_argument("--scale", type=float, default=1.0)
    ap.add_argument("--check-generator", action="store_true")
    args = ap.parse_args()
    if not os.access(GNU_TIME, os.X_OK):
        sys.exit("bench: needs GNU time (/usr/bin/time): scripts/install-deps.sh --bench")
    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)
    if args.check_generator:
        sys.exit(0 if check_generator(work) else 1)
    if not args.kehrwix:
        ap.error("KEHRWIX_BINARY is needed")

    kw = Kehrwix(os.path.abspath(args.kehrwix), work)
    run_dir = os.path.join(work, "run")
    shapes = args.trees.split(",")
    trees = {s: make_tree(s, os.path.join(work, f"tree-{s}-{args.scale}"), args.scale)
             for s in shapes}
    skipped = []

    def peer(label, binary, make_argv):
        if binary is None:
            if label not in skipped:
                skipped.append(label)
            return []
        return [(label, lambda: measure(make_argv(binary)))]

    tmpfiles_conf = os.path.join(work, "tmpfiles.conf")
    with open(tmpfiles_conf, "w") as f:
        f.write(f"D {run_dir} - - - -\n")
    rm, find = which("rm"), which("find")
    tmpfiles, fd, taskset = which("systemd-tmpfiles"), which("fd", "fdfind"), which("taskset")
    tmpfiles_peer = peer("systemd-tmpfiles --remove", tmpfiles,
                         lambda b: [b, "--remove", tmpfiles_conf])

    cases = []
    labels = {"S1": "S1 `*` line, 100k files in 2k folders",
              "S2": "S2 files-only line, 50k files",
              "S3": "S3 `*` line, 20k empty folders",
              "S4": "S4 scan, 200k folders"}
    for s in shapes:
        if s in ("S1", "S3"):
            tools = [("rm -rf", lambda: measure([rm, "-rf", run_dir])),
                     ("kehrwix", lambda: kw.clean("*C:\\run")),
                     ("find -delete", lambda: measure([find, run_dir, "-delete"]))]
            cases.append(Case(labels[s], trees[s], tools + tmpfiles_peer, copy=True))
        elif s == "S2":
            tools = [("find -maxdepth 1 -type f -delete",
                      lambda: measure([find, run_dir, "-maxdepth", "1", "-type", "f",
                                       "-delete"])),
                     ("kehrwix", lambda: kw.clean(" C:\\run"))]
            cases.append(Case(labels[s], trees[s], tools + tmpfiles_peer, copy=True))
        elif s == "S4":
            tree = trees[s]
            names = []
            for c in CRITERIA:
                names += ["-iname", c, "-o"]
            tools = [("find -type d -iname …",
                      lambda: measure([find, tree, "-type", "d", "(", *names[:-1], ")"])),
                     ("kehrwix", lambda: kw.scan(tree))]
            tools += peer("fd -u -j1", fd, lambda b: [b, "-u", "-j1", "-i", "-t", "d",
                                                      FD_REGEX, tree])
            tools += peer("fd -u", fd, lambda b: [b, "-u", "-i", "-t", "d", FD_REGEX, tree])
            cases.append(Case(labels[s], tree, tools, copy=False))
            if taskset and fd:
                one = ["taskset", "-c", "0"]
                cases.append(Case(labels[s] + " @1 CPU", tree, [
                    ("fd -u -j1", lambda: measure([*one, fd, "-u", "-j1", "-i", "-t", "d",
                                                   FD_REGEX, tree])),
                    ("kehrwix", lambda: kw.scan(tree, prefix=one))], copy=False))
            elif taskset is None:
                skipped.append("taskset (S4 @1 CPU)")

    # The fixed waits: the same runs with nothing to do.
    empty = os.path.join(work, "empty")
    os.makedirs(empty, exist_ok=True)
    empty_tree = os.path.join(work, "empty-drive")
    os.makedirs(empty_tree, exist_ok=True)
    wait_samples = {"clean": [], "scan": []}
    for r in range(args.rounds):
        for case in cases:
            case.round(r, run_dir)
        wait_samples["clean"].append(kw.clean("*C:\\empty")[0])
        wait_samples["scan"].append(kw.scan(empty_tree)[0])
        print(f"round {r + 1}/{args.rounds} done", file=sys.stderr)

    if "S4" in shapes:
        kw.scan(trees["S4"])
        with open(trees["S4"] + ".hits.txt") as f:
            expected = sorted(h for h in (line.rstrip("\n") for line in f)
                              if not in_working_tree(trees["S4"], h))
        found = kw.hits()
        print(f"S4 hits: {len(found)} found, {len(expected)} expected, "
              f"{'identical' if found == expected else 'DIFFERENT'}")

    waits = {}
    for case in cases:
        kind = "scan" if case.label.startswith("S4") else "clean"
        waits[case.label] = median(wait_samples[kind])
    print(f"fixed waits: cleaning {median(wait_samples['clean']) * 1000:.0f} ms, "
          f"scan {median(wait_samples['scan']) * 1000:.0f} ms; {args.rounds} rounds, "
          f"scale {args.scale}, {os.cpu_count()} CPUs")
    print_table(cases, waits, skipped)
    shutil.rmtree(run_dir, ignore_errors=True)


if __name__ == "__main__":
    main()
