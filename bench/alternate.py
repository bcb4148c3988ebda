#!/usr/bin/env python3
"""Commands run in turn, round after round, each against the first: on a machine whose load
drifts, a program and the floor it is measured against then see the same moments. Prints each
command's median wall and CPU time and the median of its per-round ratios to the first.

  alternate.py ROUNDS NAME=COMMAND...

Each COMMAND is split like a shell line (no pipes, no redirections); its output is dropped.
"""
import os
import resource
import shlex
import statistics
import subprocess
import sys
import time


def run(command):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    rounds = int(sys.argv[1])
    named = [argument.split("=", 1) for argument in sys.argv[2:]]
    commands = [(name, shlex.split(command)) for name, command in named]
    for _, command in commands:  # warm the caches
        run(command)
    walls = {name: [] for name, _ in commands}
    cpus = {name: [] for name, _ in commands}
    for _ in range(rounds):
        for name, command in commands:
            wall, cpu = run(command)
            walls[name].append(wall)
            cpus[name].append(cpu)
    floor = commands[0][0]
    for name, _ in commands:
        ratios = [w / f for w, f in zip(walls[name], walls[floor])]
        cpu_ratios = [c / f for c, f in zip(cpus[name], cpus[floor])]
        print("%-40s wall %6.1f ms, %.2fx   CPU %6.1f ms, %.2fx   (medians of %d rounds)"
              % (name, statistics.median(walls[name]) * 1e3, statistics.median(ratios),
                 statistics.median(cpus[name]) * 1e3, statistics.median(cpu_ratios), rounds))


if __name__ == "__main__":
    main()
