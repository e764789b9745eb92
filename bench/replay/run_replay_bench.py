#!/usr/bin/python3
"""How long fee-compare-cli replay takes on a large history, against iconv converting the same file.

    cmake --preset release && cmake --build build/release -j2 --target fee-compare-cli
    bench/replay/run_replay_bench.py --cli build/release/src/cli/fee-compare-cli [--runs 5]

Writes a 100,000-trade history with make_history.py (12 MB, CP932, every field
quoted), then times, alternating and from start to exit, each of

    iconv -f CP932 -t UTF-8 FILE > /dev/null
    fee-compare-cli replay FILE --data data/compare.dat --format csv > /dev/null
    fee-compare-cli replay FILE --data T21 --format csv > /dev/null
    fee-compare-cli replay FILE --data T21 --daily P21 --format csv > /dev/null

where T21 is a table of 21 brokers, the sample's six again and again under
other names, and P21 the 21 daily plans of bench/participants.h. Prints the
medians and the ratios to iconv, what one more broker and one more plan add,
then the peak memory (/usr/bin/time -f %M) of the command against that of
fee-compare-cli --version.
Builds nothing; timings are noisy, so this is no test.
"""

import argparse
import json
import shutil
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


def twenty_one_plans(out):
    """The daily plans of bench/participants.h, as a daily-plans.json."""
    plans = []
    for p in range(21):
        step = 880 + 20 * p
        plan = {"name": f"1日定額 {p}", "yearly_fee": 1_200 if p % 5 == 4 else 0,
                "tiers": [{"up_to": 500_000, "fee": 0 if p % 3 == 0 else 50 * p},
                          {"up_to": 1_000_000, "fee": step}, {"up_to": 2_000_000, "fee": 2 * step}],
                "above": {"per": 1_000_000, "fee": step}}
        if p % 4 != 3:
            plan["maximum"] = 100_000 + 1_000 * p
        plans.append(plan)
    out.write_text(json.dumps({"version": 1, "plans": plans}, ensure_ascii=False), encoding="utf-8")


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
        # Copies in a folder without daily plans, so that only --daily brings some.
        sample, plans = Path(root) / "compare.dat", Path(root) / "plans21.json"
        shutil.copyfile(a.data, sample)
        subprocess.run([sys.executable, HERE / "make_history.py", history, "--trades", str(a.trades)], check=True)
        twenty_one_brokers(a.data, table)
        twenty_one_plans(plans)
        commands = {
            "iconv -f CP932 -t UTF-8": ["iconv", "-f", "CP932", "-t", "UTF-8", history],
            "replay, 6 brokers": [a.cli, "replay", history, "--data", sample, "--format", "csv"],
            "replay, 21 brokers": [a.cli, "replay", history, "--data", table, "--format", "csv"],
            "replay, 21 brokers + 21 plans": [a.cli, "replay", history, "--data", table, "--daily", plans,
                                              "--format", "csv"],
        }
        times = {name: [] for name in commands}
        for _ in range(a.runs):
            for name, command in commands.items():
                times[name].append(seconds(command))
        size = history.stat().st_size / 2**20
        print(f"history: {a.trades:,} lines, {size:.1f} MiB; medians of {a.runs} runs")
        medians = {name: statistics.median(runs) for name, runs in times.items()}
        base = medians["iconv -f CP932 -t UTF-8"]
        for name, median in medians.items():
            print(f"  {name:30} {median * 1000:8.1f} ms  {median / base:5.2f}x iconv")
        # What each participant adds to the whole command, reading and start alike.
        broker = (medians["replay, 21 brokers"] - medians["replay, 6 brokers"]) / 15
        plan = (medians["replay, 21 brokers + 21 plans"] - medians["replay, 21 brokers"]) / 21
        print(f"  one more broker (6 -> 21)      {broker * 1000:8.2f} ms")
        print(f"  one more plan (+21 plans)      {plan * 1000:8.2f} ms")
        idle = peak_mib([a.cli, "--version"])
        print(f"peak memory: fee-compare-cli --version {idle:.1f} MiB")
        for name in ("replay, 6 brokers", "replay, 21 brokers", "replay, 21 brokers + 21 plans"):
            peak = peak_mib(commands[name])
            print(f"  {name:30} {peak:8.1f} MiB  (+{peak - idle:.1f} MiB; the file is {size:.1f} MiB)")


if __name__ == "__main__":
    main()
