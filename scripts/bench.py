#!/usr/bin/python3
"""Benchmark: `lyrivane info` against a TagLib reader over the same real songs, same run.

Usage: bench.py LYRIVANE_CLI TAGLIB_PEER CORPUS_FOLDER [FILES_PER_RUN] [ROUNDS]

Two figures, each a ratio of lyrivane's time to TagLib's measured in the same run:
- one song per process, the median wall time of 30 runs each, alternating: what a script
  that calls a tagger once per file pays, start-up included;
- many songs per process, as below.

For the second, both programs get the corpus's paths repeated up to FILES_PER_RUN paths in one command
line, print `PATH<TAB>title - artist` per path, and are timed as whole processes,
alternating, ROUNDS times each; the best round counts (the machines are shared and noisy,
so the figures that matter are the ratios). Peak memory is the process's maximum resident
set size. A file is read correctly when its line shows the title and artist the corpus
manifest says it was tagged with.
"""
import os
import statistics
import subprocess
import sys
import time


def run_once(cmd):
    # GNU time reports the program's own peak: the forked child's maximum resident set
    # would otherwise include this interpreter's memory from before the exec.
    peak_file = os.path.join(os.environ.get("TMPDIR", "/tmp"), f"bench-peak-{os.getpid()}")
    start = time.perf_counter()
    proc = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", peak_file] + cmd,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    if proc.returncode != 0:
        sys.exit(f"bench: {cmd[0]} failed")
    with open(peak_file) as f:
        peak_kib = int(f.read().split()[-1])
    os.remove(peak_file)
    return elapsed, peak_kib / 1024.0, proc.stdout


def correct_count(output, manifest):
    good = 0
    seen = set()
    for line in output.decode("utf-8", "replace").splitlines():
        path, _, summary = line.partition("\t")
        name = os.path.basename(path)
        if name in seen or name not in manifest:
            continue
        seen.add(name)
        title, artist = manifest[name]
        if summary == f"{title} - {artist}":
            good += 1
    return good


def main():
    cli, peer, corpus = sys.argv[1:4]
    per_run = int(sys.argv[4]) if len(sys.argv) > 4 else 10000
    rounds = int(sys.argv[5]) if len(sys.argv) > 5 else 5
    manifest = {}
    with open(os.path.join(corpus, "manifest.tsv"), encoding="utf-8") as f:
        for line in f:
            name, title, artist = line.rstrip("\n").split("\t")
            manifest[name] = (title, artist)
    files = sorted(os.path.join(corpus, n) for n in manifest)
    paths = (files * (per_run // len(files) + 1))[:per_run]

    contenders = {"lyrivane": [cli, "info"], "taglib": [peer]}
    best = {name: (float("inf"), 0.0) for name in contenders}
    right = {}
    for name, cmd in contenders.items():  # warm the page cache, check correctness
        _, _, out = run_once(cmd + files)
        right[name] = correct_count(out, manifest)
    for _ in range(rounds):
        for name, cmd in contenders.items():
            elapsed, rss, _ = run_once(cmd + paths)
            if elapsed < best[name][0]:
                best[name] = (elapsed, rss)
            else:
                best[name] = (best[name][0], max(best[name][1], rss))

    single = {name: [] for name in contenders}
    for _ in range(30):
        for name, cmd in contenders.items():
            single[name].append(run_once(cmd + files[:1])[0])
    one = {name: statistics.median(times) for name, times in single.items()}

    print(f"one song per process, median of 30 runs: lyrivane {one['lyrivane'] * 1000:.1f} ms, "
          f"taglib {one['taglib'] * 1000:.1f} ms")
    print(f"one-song time ratio lyrivane/taglib: {one['lyrivane'] / one['taglib']:.3f} "
          "(target: at most 1.0)")
    print()
    print(f"{len(files)} distinct songs, {per_run} files per run, best of {rounds} rounds")
    print(f"{'reader':10} {'files/s':>12} {'peak MiB':>9} {'read correctly':>15}")
    for name in contenders:
        elapsed, rss = best[name]
        print(f"{name:10} {per_run / elapsed:12,.0f} {rss:9.1f} "
              f"{right[name]:>8}/{len(files)}")
    ratio = best["lyrivane"][0] / best["taglib"][0]
    print(f"time ratio lyrivane/taglib: {ratio:.3f} (target: at most 0.35)")
    print(f"lyrivane peak memory: {best['lyrivane'][1]:.1f} MiB (target: at most 8)")


if __name__ == "__main__":
    main()
