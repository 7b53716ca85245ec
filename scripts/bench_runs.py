#!/usr/bin/python3
"""Runs a command several times and reports its best and median wall-clock
time and its peak resident memory, for scripts/bench.sh.

    bench_runs.py REPEAT LABEL COMMAND [ARGS...]

Prints one line: LABEL, best seconds, median seconds, peak resident MB.
Standard output and error of the command are discarded; a failing run
stops with its exit status and its error output.
"""
import os
import statistics
import subprocess
import sys
import time


def main():
    repeat, label, command = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
    times, peak_kb = [], 0
    for _ in range(repeat):
        start = time.perf_counter()
        child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(child.pid, 0)
        times.append(time.perf_counter() - start)
        errors = child.stderr.read().decode(errors="replace")
        child.stderr.close()
        if status != 0:
            sys.exit(f"{label}: {' '.join(command)} failed ({status}):\n{errors}")
        peak_kb = max(peak_kb, usage.ru_maxrss)
    print(f"{label:<44} {min(times):8.3f} {statistics.median(times):8.3f} {peak_kb / 1024:8.1f}")


if __name__ == "__main__":
    main()
