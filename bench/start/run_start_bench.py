#!/usr/bin/python3
"""How much fee-compare costs at start beyond a bare Qt window with the same controls and fonts.

    cmake --preset bench
    cmake --build build/bench -j2 --target bare_window first_idle_probe fee-compare
    bench/start/run_start_bench.py --build build/bench [--pairs 15] [--callgrind]
    # or, with the defaults: cmake --build build/bench --target start_bench

Runs both programs in pairs (which one goes first alternates), offscreen, each
from a fresh folder holding the sample compare.dat, with first_idle_probe
preloaded: it ends the program at its first idle and reports the time since
the exec and the peak memory. Prints the medians and the ratios program/bare.
--callgrind also counts the instructions to the first idle, one run each;
unlike the times, that count hardly varies from run to run.
Builds nothing; timings are noisy, so this is no test.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

SOURCE = Path(__file__).resolve().parents[2]


def arguments():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--build", type=Path, help="a build folder of the bench preset, for the three defaults below")
    p.add_argument("--program", type=Path, help="fee-compare (default BUILD/src/gui/fee-compare)")
    p.add_argument("--bare", type=Path, help="bare_window (default BUILD/bench/bare_window)")
    p.add_argument("--probe", type=Path, help="the probe library (default BUILD/bench/libfirst_idle_probe.so)")
    p.add_argument("--data", type=Path, default=SOURCE / "data" / "compare.dat", help="the sample each run starts with")
    p.add_argument("--pairs", type=int, default=15, help="runs of each program, alternating which goes first")
    p.add_argument("--callgrind", action="store_true", help="also count instructions with valgrind")
    p.add_argument("--callgrind-out", type=Path, help="keep callgrind's files here, for callgrind_annotate")
    a = p.parse_args()
    defaults = {"program": "src/gui/fee-compare", "bare": "bench/bare_window", "probe": "bench/libfirst_idle_probe.so"}
    for name, below in defaults.items():
        if getattr(a, name) is None:
            if a.build is None:
                p.error(f"--{name} or --build is needed")
            setattr(a, name, a.build / below)
        setattr(a, name, getattr(a, name).resolve())
        if not getattr(a, name).is_file():
            p.error(f"{getattr(a, name)} does not exist; build it first")
    return a


def run_once(exe, a, wrapper=()):
    """One start to the first idle: (ms, peak MiB, instructions when run under callgrind)."""
    with tempfile.TemporaryDirectory(prefix="start-bench-") as root:
        folder = Path(root) / "run"
        folder.mkdir()
        shutil.copyfile(a.data, folder / "compare.dat")
        out = Path(root) / "probe.out"
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", FEE_PROBE_OUT=str(out))
        env["LD_PRELOAD"] = " ".join(filter(None, [str(a.probe), os.environ.get("LD_PRELOAD")]))
        extra = [f"--callgrind-out-file={root}/callgrind.out"] if wrapper else []
        env["FEE_START_NS"] = str(time.clock_gettime_ns(time.CLOCK_MONOTONIC))
        try:
            done = subprocess.run([*wrapper, *extra, str(exe)], cwd=folder, env=env, capture_output=True,
                                  text=True, timeout=300)
        except subprocess.TimeoutExpired:
            sys.exit(f"{exe.name} did not reach an idle event loop in 300 s (is the probe loaded?)")
        figures = dict(line.split() for line in out.read_text().splitlines()) if out.exists() else {}
        if done.returncode != 0 or "idle_ns" not in figures:
            sys.exit(f"{exe.name} ended with {done.returncode} before its first idle:\n{done.stderr}")
        instructions = callgrind_total(Path(root) / "callgrind.out", exe, a) if wrapper else None
        return int(figures["idle_ns"]) / 1e6, int(figures["hwm_kib"]) / 1024, instructions


def callgrind_total(path, exe, a):
    if a.callgrind_out:
        a.callgrind_out.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(path, a.callgrind_out / f"callgrind.{exe.name}.out")
    for line in path.read_text(errors="replace").splitlines():
        if line.startswith(("summary:", "totals:")):
            return int(line.split()[1])
    sys.exit(f"no instruction total in callgrind's file for {exe.name}")


def timed_pairs(a):
    runs = {"program": [], "bare": []}
    run_once(a.program, a), run_once(a.bare, a)  # warm the file cache; not counted
    for i in range(a.pairs):
        for name in ("program", "bare") if i % 2 == 0 else ("bare", "program"):
            ms, mib, _ = run_once(getattr(a, name), a)
            runs[name].append((ms, mib))
    return runs


def report(runs, pairs):
    print(f"start -> first idle, medians of {pairs} pairs (offscreen, probe preloaded)")
    print(f"{'':16}{'time ms':>10}{'(min-max)':>16}{'peak MiB':>10}")
    medians = {}
    for name, label in (("program", "fee-compare"), ("bare", "bare window")):
        ms = [r[0] for r in runs[name]]
        mib = [r[1] for r in runs[name]]
        medians[name] = (statistics.median(ms), statistics.median(mib))
        spread = f"({min(ms):.1f}-{max(ms):.1f})"
        print(f"{label:16}{medians[name][0]:10.1f}{spread:>16}{medians[name][1]:10.1f}")
    t = medians["program"][0] / medians["bare"][0]
    m = medians["program"][1] / medians["bare"][1]
    print(f"{'program / bare':16}{t:10.2f}{'':16}{m:10.2f}")


def instruction_counts(a):
    valgrind = ["valgrind", "--tool=callgrind", "--quiet"]
    counts = {name: run_once(getattr(a, name), a, valgrind)[2] for name in ("program", "bare")}
    print("instructions to first idle (callgrind, one run each)")
    print(f"{'fee-compare':16}{counts['program'] / 1e6:10.1f} M")
    print(f"{'bare window':16}{counts['bare'] / 1e6:10.1f} M")
    print(f"{'program / bare':16}{counts['program'] / counts['bare']:10.2f}")


def main():
    a = arguments()
    report(timed_pairs(a), a.pairs)
    if a.callgrind:
        instruction_counts(a)


if __name__ == "__main__":
    main()
