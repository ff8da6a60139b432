#!/usr/bin/env python3
"""CPU of the idle program with the Script window's keeping of unsaved scripts.

Three idle programs under Xvfb, each measured over the same window once Pellwick has
greeted: (a) nobody typed, (b) a line was typed and kept (the keeping has nothing
more to do), (c) optionally another build of the program, untouched, as the baseline.
Prints the medians in % of one core; the keeping should cost nothing measurable.

Usage: bench/cpu_idle_editor.py [--bin PATH] [--baseline PATH] [--seconds N] [--runs N]
Needs: a built pellworks, Xvfb, openbox (optional), xdotool.
"""
import argparse, os, re, shutil, statistics, subprocess, sys, tempfile, threading, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from x11_program import DEFAULT_BIN, cpu_seconds, free_display, program_env, start_x, stop, stop_x  # noqa: E402


def idle_cpu(binary, display, seconds, typed):
    home = tempfile.mkdtemp(prefix="pw-idle-")
    env = dict(program_env(display), PELLWORKS_HOME=home)
    p = subprocess.Popen([binary], env=env, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True, bufsize=1)
    greeted, kept = threading.Event(), threading.Event()

    def read():
        for line in p.stderr:
            if re.search(r"event BalloonHide Pellwick", line):
                greeted.set()
            if " script kept " in line:
                kept.set()

    threading.Thread(target=read, daemon=True).start()
    try:
        if not greeted.wait(60):
            sys.exit("no greeting")
        if typed:
            dx = dict(os.environ, DISPLAY=display)
            subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Pellworks$",
                            "windowactivate", "--sync"], env=dx, check=False)
            subprocess.run(["xdotool", "type", "--delay", "20", "pellwick> speak hello"], env=dx, check=False)
            if not kept.wait(30):
                sys.exit("the typed line was not kept")
        time.sleep(2)
        c0, t0 = cpu_seconds(p.pid), time.monotonic()
        time.sleep(seconds)
        c1, t1 = cpu_seconds(p.pid), time.monotonic()
        return 100.0 * (c1 - c0) / (t1 - t0)
    finally:
        stop(p)
        shutil.rmtree(home, ignore_errors=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", default=DEFAULT_BIN)
    ap.add_argument("--baseline")
    ap.add_argument("--seconds", type=int, default=20)
    ap.add_argument("--runs", type=int, default=3)
    args = ap.parse_args()
    display = free_display()
    xvfb, wm = start_x(display)
    try:
        cases = [("untouched", args.bin, False), ("typed and kept", args.bin, True)]
        if args.baseline:
            cases.append(("baseline, untouched", args.baseline, False))
        results = {name: [] for name, _, _ in cases}
        # Interleaved, so that load from elsewhere on the machine falls on every case.
        for _ in range(args.runs):
            for name, binary, typed in cases:
                results[name].append(idle_cpu(binary, display, args.seconds, typed))
        for name, values in results.items():
            print(f"idle CPU, {name}: median={statistics.median(values):.2f} % of a core "
                  f"all={[round(v, 2) for v in values]}")
    finally:
        stop_x(xvfb, wm)


if __name__ == "__main__":
    main()
