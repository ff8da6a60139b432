#!/usr/bin/env python3
"""Whole-program benchmarks of Pellworks under Xvfb.

  startup  time from process start to the greeting's RequestStart (trace), N runs
  window   time from process start to the main window painted, splash left out
  idle     CPU of the running program with Pellwick shown and idling, over 30 s
  memory   peak resident memory (VmHWM) once both characters are loaded and greeted

Prints medians. Usage: bench/program_bench.py [startup|window|idle|memory|all] [--runs N]
Needs: a built ./build/bin/pellworks, Xvfb, openbox (optional).
"""
import os, re, statistics, sys, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from x11_program import DEFAULT_BIN, cpu_seconds, free_display, launch as launch_program, start_x, stop, stop_x  # noqa: E402


def launch(display):
    t0 = time.monotonic()
    return launch_program(DEFAULT_BIN, [], display), t0


def wait_for(p, pattern, timeout=20):
    rx = re.compile(pattern)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        line = p.stderr.readline()
        if not line:
            break
        if rx.search(line):
            return time.monotonic(), line
    return None, None


def vm_hwm_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024.0
    return 0.0


def drain(p):
    # Keep reading the trace in the background so the pipe never blocks the program.
    import threading
    def run():
        for _ in p.stderr:
            pass
    threading.Thread(target=run, daemon=True).start()


def bench_startup(display, runs):
    # The greeting is Pellwick's Show followed by his Speak; the Show starts the
    # greeting, the Speak starts once the Showing animation has played.
    shows, speaks = [], []
    for _ in range(runs):
        p, t0 = launch(display)
        t_show, _ = wait_for(p, r"event RequestStart \S+ Pellwick Show")
        t_speak, _ = wait_for(p, r"event RequestStart \S+ Pellwick Speak")
        stop(p)
        if t_show is not None and t_speak is not None:
            shows.append((t_show - t0) * 1000)
            speaks.append((t_speak - t0) * 1000)
        time.sleep(0.3)
    for label, times in (("Show", shows), ("Speak", speaks)):
        print(f"process start to the greeting's {label} RequestStart: runs={len(times)} "
              f"median={statistics.median(times):.0f} ms min={min(times):.0f} max={max(times):.0f}")


def bench_window(display, runs):
    times = []
    for _ in range(runs):
        t0 = time.monotonic()
        p = launch_program(DEFAULT_BIN, [], display)
        t, _ = wait_for(p, r"event MainWindowPainted")
        stop(p)
        if t is not None:
            times.append((t - t0) * 1000)
        time.sleep(0.3)
    print(f"process start to the main window painted (no splash): runs={len(times)} "
          f"median={statistics.median(times):.0f} ms min={min(times):.0f} max={max(times):.0f}")


def bench_idle(display, runs, seconds=30):
    results = []
    for _ in range(runs):
        p, _ = launch(display)
        wait_for(p, r"event BalloonHide Pellwick")
        drain(p)
        time.sleep(2)
        c0, w0 = cpu_seconds(p.pid), time.monotonic()
        time.sleep(seconds)
        c1, w1 = cpu_seconds(p.pid), time.monotonic()
        stop(p)
        results.append(100.0 * (c1 - c0) / (w1 - w0))
    print(f"idle CPU over {seconds}s: runs={len(results)} median={statistics.median(results):.2f} % of a core "
          f"all={[round(r, 2) for r in results]}")


def bench_memory(display, runs):
    peaks = []
    for _ in range(runs):
        p, _ = launch(display)
        wait_for(p, r"event BalloonHide Pellwick")
        drain(p)
        time.sleep(1)
        peaks.append(vm_hwm_mb(p.pid))
        stop(p)
    print(f"peak memory (VmHWM) after greeting: runs={len(peaks)} median={statistics.median(peaks):.1f} MB")


def main():
    what = sys.argv[1] if len(sys.argv) > 1 else "all"
    runs = int(sys.argv[sys.argv.index("--runs") + 1]) if "--runs" in sys.argv else 5
    display = free_display()
    xvfb, wm = start_x(display)
    try:
        if what in ("startup", "all"):
            bench_startup(display, runs)
        if what in ("window", "all"):
            bench_window(display, runs)
        if what in ("memory", "all"):
            bench_memory(display, max(1, runs // 2))
        if what in ("idle", "all"):
            bench_idle(display, max(1, runs // 2))
    finally:
        stop_x(xvfb, wm)


if __name__ == "__main__":
    main()
