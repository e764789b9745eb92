#!/usr/bin/python3
"""How long fee-compare-cli replay takes on a large history, against iconv converting the same file.

    cmake --preset release && cmake --build build/release -j2 --target fee-compare-cli
    bench/replay/run_replay_bench.py --cli build/release/src/cli/fee-compare-cli [--runs 5]

Writes a 100,000-trade history with make_history.py (12 MB, CP932, every field
quoted), then times, alternating and from start to exit, each of

    iconv -f CP932 -t UTF-8 FILE > /dev/null
    fee-compare-cli replay FILE --data data/compare.dat --format csv > /dev/null
    fee-compare-cli replay FILE --data T21 --format csv > /dev/null

where T21 is a table of 21 brokers, the sample's six again and again under
other names. Prints the medians and the ratios to iconv, then the peak memory
(/usr/bin/time -f %M) of the command against that of fee-compare-cli --version.
Builds nothing; timings are noisy, so this is no test.
"""

import argparse
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE = HERE.parents[1]


def arguments():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--cli", type=Path, default=SOURCE / "build/release/src/cli/fee-compare-cli",
                   help="fee-compare-cli of a release build (default: build/release's)")
    p.add_argument("--data", type=Path, default=SOURCE / "data" / "compare.dat", help="the broker table")
    p.add_argument("--trades", type=int, default=100_000, help="lines after the history's header")
    p.add_argument("--runs", type=int, default=5, help="runs of each command; the median counts")
    a = p.parse_args()
    if not a.cli.is_file():
        p.error(f"{a.cli} does not exist; build it first")
    return a


def twenty_one_brokers(sample, out):
    """The sample's brokers repeated to 21, numbered after the first six."""
    lines = sample.read_bytes().split(b"\r\n")
    n = int(lines[0]) + 1
    heads = [lines[1 + 4 * b:5 + 4 * b] for b in range(n)]
    schedules = [lines[1 + 4 * n + 17 * b:1 + 4 * n + 17 * (b + 1)] for b in range(n)]
    table = [b"20"]
    for r in range(21):
        name, *limits = heads[r % n]
        table += [name + (b" %d" % (r // n + 1) if r >= n else b""), *limits]
    table += [line for r in range(21) for line in schedules[r % n]]
    out.write_bytes(b"\r\n".join(table) + b"\r\n")


def seconds(command):
    start = time.perf_counter()
    done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"{' '.join(map(str, command))} ended with {done.returncode}:\n{done.stderr.decode()}")
    return elapsed


def peak_mib(command):
    done = subprocess.run(["/usr/bin/time", "-f", "%M", *command], stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, text=True, check=True)
    return int(done.stderr.strip().splitlines()[-1]) / 1024


def main():
    a = arguments()
    with tempfile.TemporaryDirectory(prefix="replay-bench-") as root:
        history, table = Path(root) / "history.csv", Path(root) / "compare21.dat"
        subprocess.run([sys.executable, HERE / "make_history.py", history, "--trades", str(a.trades)], check=True)
        twenty_one_brokers(a.data, table)
        commands = {
            "iconv -f CP932 -t UTF-8": ["iconv", "-f", "CP932", "-t", "UTF-8", history],
            "replay, 6 brokers": [a.cli, "replay", history, "--data", a.data, "--format", "csv"],
            "replay, 21 brokers": [a.cli, "replay", history, "--data", table, "--format", "csv"],
        }
        times = {name: [] for name in commands}
        for _ in range(a.runs):
            for name, command in commands.items():
                times[name].append(seconds(command))
        size = history.stat().st_size / 2**20
        print(f"history: {a.trades:,} lines, {size:.1f} MiB; medians of {a.runs} runs")
        base = statistics.median(times["iconv -f CP932 -t UTF-8"])
        for name, runs in times.items():
            median = statistics.median(runs)
            print(f"  {name:26} {median * 1000:8.1f} ms  {median / base:5.2f}x iconv")
        idle = peak_mib([a.cli, "--version"])
        print(f"peak memory: fee-compare-cli --version {idle:.1f} MiB")
        for name in ("replay, 6 brokers", "replay, 21 brokers"):
            peak = peak_mib(commands[name])
            print(f"  {name:26} {peak:8.1f} MiB  (+{peak - idle:.1f} MiB; the file is {size:.1f} MiB)")


if __name__ == "__main__":
    main()
