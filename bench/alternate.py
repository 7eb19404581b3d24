#!/usr/bin/env python3
"""Times two commands run in alternation (A, B, A, B, ...), so that a machine whose speed drifts
slows both alike; prints each one's median wall time and the ratio of the second to the first.

    bench/alternate.py RUNS "COMMAND A" "COMMAND B"
"""
import shlex
import statistics
import subprocess
import sys
import time

runs = int(sys.argv[1])
commands = [shlex.split(c) for c in sys.argv[2:4]]
times = [[], []]
for _ in range(runs):
    for i, command in enumerate(commands):
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        times[i].append(time.perf_counter() - start)
medians = [statistics.median(t) for t in times]
for command, median in zip(sys.argv[2:4], medians):
    print(f"{command[:70]}: median {median * 1000:.1f} ms")
print(f"ratio: {medians[1] / medians[0]:.3f}")
