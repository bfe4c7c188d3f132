#!/usr/bin/env python3
"""Deterministic benchmark trees for the cleaning run and the drive scan.

Usage: gen_tree.py SHAPE DEST [--seed N] [--scale F]

  S1  a "*" tree: 100,000 files of 0-4096 bytes in 2,000 folders below DEST, nested up to
      depth 6 (DEST is depth 0 and holds files too); a few crowded folders, many small ones.
  S2  one flat folder: 50,000 files of 0-4096 bytes.
  S3  one folder holding 20,000 empty subfolders.
  S4  a scan tree of 200,000 folders below DEST, up to depth 24, with 300 hits (TEMP, TMP,
      CACHE, COOKIES, RECENT, VERLAUF, TEMPORARY INTERNET FILES in mixed case) at varied
      depths, near-miss names, 12 dot-folders holding 10 more hits that must not be reported,
      6 symlink loops and 6 symlinks named like hits (never followed or reported).

DEST must not exist. Every entry gets the timestamp 2021-01-01T00:00:00Z, so age-based cleaners
see old files. DEST.manifest.json (beside DEST) holds the counts; for S4, DEST.hits.txt holds the
expected hits relative to DEST, sorted. The same seed and scale give the same tree.
"""

import argparse
import json
import os
import random
import sys

CRITERIA = ["temp", "tmp", "cache", "cookies", "recent", "verlauf", "temporary internet files"]
NEAR_MISSES = ["temp2", "mytemp", "tmp.old", "tmpfiles", "caches", "cache-old", "cookie",
               "recently", "verlauf-alt", "temporary", "temporary internet", "temp files", "xtmp"]
DOT_NAMES = [".git", ".cache", ".temp", ".config", ".local", ".Trash-0", ".npm", ".mozilla",
             ".thumbnails", ".tmp"]
EXTENSIONS = ["", ".tmp", ".dat", ".log", ".bin", ".cache", ".js", ".png", ".html", ".part"]
LOWER = "abcdefghijklmnopqrstuvwxyz0123456789"
MIXED = LOWER + "ABCDEFGHIJKLMNOPQRSTUVWXYZ_-"
EPOCH = 1609459200


class Names:
    """Random names, unique (ignoring case) among one folder's entries."""

    def __init__(self, rng):
        self.rng = rng
        self.taken = {}

    def claim(self, folder, name):
        seen = self.taken.setdefault(folder, set())
        key = name.lower()
        if key in seen:
            return False
        seen.add(key)
        return True

    def _random(self, folder, chars, low, high, suffixes=("",), spaces=0.0):
        rng = self.rng
        while True:
            name = "".join(rng.choices(chars, k=rng.randint(low, high)))
            if spaces and rng.random() < spaces:
                cut = rng.randint(1, len(name) - 1)
                name = name[:cut] + " " + name[cut:]
            name += rng.choice(suffixes)
            if name.lower() not in CRITERIA and self.claim(folder, name):
                return name

    def folder(self, parent):
        return self._random(parent, MIXED, 3, 14, spaces=0.05)

    def file(self, parent):
        return self._random(parent, LOWER, 6, 18, suffixes=EXTENSIONS)


def random_tree(rng, count, max_depth, attach_to_busy):
    """Parents and depths of folders 1..count (0 is DEST). A new folder joins the parent of a
    random earlier folder with probability attach_to_busy (wide folders get wider), else a
    random earlier folder; parents at max_depth are drawn again."""
    parent, depth = [-1], [0]
    for i in range(1, count + 1):
        while True:
            p = parent[rng.randrange(1, i)] if i > 1 and rng.random() < attach_to_busy \
                else rng.randrange(0, i)
            if depth[p] < max_depth:
                break
        parent.append(p)
        depth.append(depth[p] + 1)
    return parent, depth


def make_folders(dest, parent, names):
    paths = [dest]
    os.mkdir(dest)
    for i in range(1, len(parent)):
        path = os.path.join(paths[parent[i]], names[i])
        os.mkdir(path)
        paths.append(path)
    return paths


def write_file(path, block, size):
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644)
    try:
        os.write(fd, block[:size])
    finally:
        os.close(fd)


def files_tree(dest, rng, folders, files, max_depth):
    names = Names(rng)
    parent, depth = random_tree(rng, folders, max_depth, 0.3)
    paths = make_folders(dest, parent, [""] + [names.folder(parent[i])
                                               for i in range(1, len(parent))])
    # Heavy-tailed weights: a few folders hold most of the files, as in real temp folders.
    weights = [min(rng.paretovariate(1.2), 200.0) for _ in paths]
    block = rng.randbytes(4096)
    for d in rng.choices(range(len(paths)), weights=weights, k=files):
        write_file(os.path.join(paths[d], names.file(d)), block, rng.randint(0, 4096))
    return {"files": files, "folders": len(paths), "max_depth": max(depth)}


def flat_files(dest, rng, files):
    names = Names(rng)
    block = rng.randbytes(4096)
    os.mkdir(dest)
    for _ in range(files):
        write_file(os.path.join(dest, names.file(0)), block, rng.randint(0, 4096))
    return {"files": files, "folders": 1, "max_depth": 0}


def empty_folders(dest, rng, folders):
    names = Names(rng)
    os.mkdir(dest)
    for _ in range(folders):
        os.mkdir(os.path.join(dest, names.folder(0)))
    return {"files": 0, "folders": folders + 1, "max_depth": 1 if folders else 0}


def mixed_case(rng, word):
    return rng.choice([word.lower(), word.upper(), word.title(), word.capitalize(),
                       "".join(c.upper() if rng.random() < 0.5 else c for c in word)])


def scan_tree(dest, rng, folders, hits, dots, links):
    parent, depth = random_tree(rng, folders, 24, 0.5)
    children = [[] for _ in parent]
    for i in range(1, len(parent)):
        children[parent[i]].append(i)

    def below(i):  # i and everything under it
        stack = [i]
        while stack:
            j = stack.pop()
            yield j
            stack.extend(children[j])

    def above(i):
        while parent[i] > 0:
            i = parent[i]
            yield i

    order = list(range(1, len(parent)))
    rng.shuffle(order)
    # Dot-folders: mid-sized subtrees, not nested, that a scan must not enter.
    hidden = [False] * len(parent)
    dot_roots = set()
    for i in order:
        if len(dot_roots) == dots:
            break
        if not any(hidden[a] for a in above(i)) and 5 <= sum(1 for _ in below(i)) <= 400:
            dot_roots.add(i)
            for j in below(i):
                hidden[j] = True

    # Hits never nest inside a hit of the same criterion (a scan reports the outer one only);
    # different criteria may nest. A thirtieth as many lie inside dot-folders.
    criterion = [None] * len(parent)
    wanted = {False: hits, True: max(1, hits // 30)}
    placed = {False: [], True: []}
    rng.shuffle(order)
    for i in order:
        bucket = placed[hidden[i]]
        if len(bucket) >= wanted[hidden[i]] or i in dot_roots:
            if all(len(placed[k]) >= wanted[k] for k in placed):
                break
            continue
        c = rng.choice(CRITERIA)
        if any(criterion[j] == c for j in above(i)) or \
                any(criterion[j] == c for j in below(i) if j != i):
            continue
        criterion[i] = c
        bucket.append(i)

    names = Names(rng)
    name = [""]
    for i in range(1, len(parent)):
        p = parent[i]
        if i in dot_roots:
            n = rng.choice(DOT_NAMES)
            while not names.claim(p, n):
                n += rng.choice(LOWER)
        elif criterion[i] is not None:
            n = mixed_case(rng, criterion[i])
            if not names.claim(p, n):  # a sibling has the same criterion: filler instead
                criterion[i] = None
                n = names.folder(p)
        elif rng.random() < 0.002:
            n = mixed_case(rng, rng.choice(NEAR_MISSES))
            while not names.claim(p, n):
                n = mixed_case(rng, rng.choice(NEAR_MISSES))
        else:
            n = names.folder(p)
        name.append(n)
    paths = make_folders(dest, parent, name)

    visible = [i for i in range(1, len(parent)) if not hidden[i] and depth[i] >= 2]
    made = 0
    for k in range(links):  # loops back to an ancestor
        i = rng.choice(visible)
        n = names.folder(i) if k % 2 else numbered(names, i, "loop")
        os.symlink(os.path.join(*[".."] * rng.randint(1, depth[i])),
                   os.path.join(paths[i], n))
        made += 1
    for _ in range(links):  # named like a hit, pointing at a real folder
        i = rng.choice(visible)
        n = mixed_case(rng, rng.choice(CRITERIA))
        if names.claim(i, n):
            target = os.path.relpath(paths[rng.choice(visible)], paths[i])
            os.symlink(target, os.path.join(paths[i], n))
            made += 1

    expected = sorted(os.path.relpath(paths[i], dest) for i in range(1, len(parent))
                      if criterion[i] is not None and not hidden[i])
    with open(dest + ".hits.txt", "w") as f:
        f.writelines(h + "\n" for h in expected)
    return {"files": 0, "folders": len(paths), "max_depth": max(depth),
            "dot_folders": len(dot_roots), "hits": len(expected),
            "hits_inside_dot_folders": sum(1 for i in range(1, len(parent))
                                           if criterion[i] is not None and hidden[i]),
            "symlinks": made}


def numbered(names, folder, base):
    n, k = base, 0
    while not names.claim(folder, n):
        k += 1
        n = f"{base}{k}"
    return n


def set_times(dest):
    """Old timestamps everywhere, deepest first so that parents stay old."""
    for root, dirs, files in os.walk(dest, topdown=False):
        for n in files + dirs:
            os.utime(os.path.join(root, n), (EPOCH, EPOCH), follow_symlinks=False)
    os.utime(dest, (EPOCH, EPOCH))


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("shape", choices=["S1", "S2", "S3", "S4"])
    ap.add_argument("dest")
    ap.add_argument("--seed", type=int, default=7)
    ap.add_argument("--scale", type=float, default=1.0, help="multiplies every count")
    args = ap.parse_args()
    dest = os.path.abspath(args.dest)
    if os.path.lexists(dest):
        sys.exit(f"gen_tree: {dest} exists; remove it first")
    rng = random.Random(f"kehrwix-bench:{args.seed}:{args.shape}")
    s = args.scale
    if args.shape == "S1":
        info = files_tree(dest, rng, int(2000 * s), int(100000 * s), 6)
    elif args.shape == "S2":
        info = flat_files(dest, rng, int(50000 * s))
    elif args.shape == "S3":
        info = empty_folders(dest, rng, int(20000 * s))
    else:
        info = scan_tree(dest, rng, int(200000 * s), max(1, int(300 * s)), 12, 6)
    set_times(dest)
    manifest = {"shape": args.shape, "seed": args.seed, "scale": s, **info}
    with open(dest + ".manifest.json", "w") as f:
        json.dump(manifest, f, indent=1)
        f.write("\n")
    print(json.dumps(manifest))


if __name__ == "__main__":
    main()
