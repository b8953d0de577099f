#!/usr/bin/env python3
"""Runs commands in turn, RUNS times each, output to /dev/null, and prints
for each the median, the fastest and the slowest of its cpu times (user +
system, from the kernel's accounting of the child process).

Usage: bench/cputime.py RUNS NAME=COMMAND [NAME=COMMAND...]
(each COMMAND is split on blanks)."""
import os
import statistics
import subprocess
import sys


def cpu(args):
    with open(os.devnull, "wb") as null:
        p = subprocess.Popen(args, stdout=null)
        _, status, usage = os.wait4(p.pid, 0)
        p.returncode = os.waitstatus_to_exitcode(status)
    if p.returncode != 0:
        sys.exit(f"{' '.join(args)}: code de sortie {p.returncode}")
    return usage.ru_utime + usage.ru_stime


def main():
    runs = int(sys.argv[1])
    commands = [c.split("=", 1) for c in sys.argv[2:]]
    times = {name: [] for name, _ in commands}
    for _ in range(runs):
        for name, command in commands:
            times[name].append(cpu(command.split()))
    for name, t in times.items():
        print(f"{name}: médiane {statistics.median(t) * 1000:.1f} ms de temps processeur "
              f"(de {min(t) * 1000:.1f} à {max(t) * 1000:.1f} ms, {runs} fois)")


main()
