#!/usr/bin/env python3
"""Whole-program benchmarks of Pellworks under Xvfb: the figures of its lightness goals.

  startup  process start to the greeting's RequestStart (trace)
  window   process start to the main window painted, splash left out     goal <= 300 ms
  idle     CPU with the main window open and Pellwick idling               goal <= 0.15 %
  rest     the same, once the program has been left alone for a minute (start-up,
           greeting, the first idle animations and the blinking cursor are over)
  walk     CPU of `runout`: Pellwick says a sentence and walks to a random
           place every 5 s                                                 goal <= 0.6 %
  pause    CPU of `runin` waiting in `pause`                               goal <= 1 %
  key      CPU of `runin` waiting in `waitfor key=a` (reminders spoken)    goal <= 1 %
  bump     CPU of `runin` waiting in `waitfor collide=anybody quiet`, with
           nobody moving                                                   goal <= 1 %
  listen   CPU of `runin` waiting in `waitfor listen=giraffe quiet`, a
           quiet room's noise heard instead of the microphone (needs sox)  goal <= 1 %
  memory   peak resident memory (VmHWM) with the three characters shown, read
           once they have greeted and again after they have idled for
           --memory-idle seconds (default 90)                             goal <= 60 MB

CPU is the whole process's user + system time over the measured seconds, in % of one
core, summed over its threads from the scheduler's nanoseconds (the process's own
figure counts 10 ms ticks: 0.03 % of a core over 30 s). Each run starts the program afresh with a home folder of its own; every figure
is a median over the runs, with the machine's load average (1 min) at the time printed
beside it, since other work on the machine inflates it. With --baseline, a second build
runs interleaved with the first, so that load from elsewhere falls on both.

Usage: bench/program_bench.py [SCENARIO ...|all] [--runs N] [--seconds N] [--bin PATH] [--baseline PATH]
                              [--memory-idle SECONDS]
Needs: a built ./build/bin/pellworks, Xvfb, openbox (optional), xdotool (key), sox (listen).
"""
import argparse, os, shutil, statistics, subprocess, sys, tempfile, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from x11_program import (DEFAULT_BIN, free_display, launch, program_env, start_x, stop, stop_x,  # noqa: E402
                         task_cpu_seconds, watch_trace)

GREETED = r"event BalloonHide Pellwick"

# name: (command-line mode, script lines or None, trace line once the wait has begun, goal)
WAITS = {
    "idle": (None, None, GREETED, "<= 0.15 %"),
    "rest": (None, None, GREETED, "<= 0.15 %"),
    "walk": ("runout", ["interval 0", "do", "pellwick> speak I like to walk around and see new places.",
                        "pellwick> moveto random", "pellwick> pause 5", "loop 1000"], r" run start$", "<= 0.6 %"),
    "pause": ("runin", ["interval 0", "pellwick> pause 600"], r" run start$", "<= 1 %"),
    "key": ("runin", ["interval 0", "pellwick> waitfor key=a"], r"KeyHook install", "<= 1 %"),
    "bump": ("runin", ["interval 0", "pellwick> waitfor collide=anybody quiet"], r" run start$", "<= 1 %"),
    "listen": ("runin", ["interval 0", "pellwick> waitfor listen=giraffe quiet"],
               r"is heard instead of a microphone", "<= 1 %"),
}


def load():
    return f"load {os.getloadavg()[0]:.2f}"


def summary(values, unit, digits=2):
    return (f"median {statistics.median(values):.{digits}f}{unit} "
            f"(all {', '.join(f'{v:.{digits}f}' for v in values)})")


class Program:
    """One start of the program with a fresh home folder, stopped again on leaving."""

    def __init__(self, binary, display, args=(), env=None):
        self.home = tempfile.mkdtemp(prefix="pw-bench-home-")
        self.p = launch(binary, list(args), display, dict(env or {}, PELLWORKS_HOME=self.home))
        self.t0 = time.monotonic()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        stop(self.p)
        shutil.rmtree(self.home, ignore_errors=True)


def write_script(folder, lines):
    path = os.path.join(folder, "bench.csp")
    with open(path, "w", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")
    return path


def wait_cpu(binary, display, name, seconds, folder):
    """% of a core over `seconds` of the scenario, the same by thread name, and each
    thread's wake-ups a second."""
    mode, lines, began, _ = WAITS[name]
    args, env = [], {}
    if lines:
        args = [mode, write_script(folder, lines)]
    if name == "listen":
        room = os.path.join(folder, "room.wav")
        if not os.path.exists(room):
            subprocess.check_call(["sox", "-n", "-r", "16000", "-c", "1", "-b", "16", room, "synth",
                                   str(seconds + 60), "pinknoise", "vol", "0.003"])
        env["PELLWORKS_MIC_FILE"] = room
    with Program(binary, display, args, env) as prog:
        (started,) = watch_trace(prog.p, began)
        if not started.wait(90):
            sys.exit(f"{name}: the program did not get there ({began!r} missing from its trace)")
        # The greeting, a first reminder or the first walk play out first.
        time.sleep(60 if name == "rest" else 4)
        # Threads are read every half second, so that one ending on the way (Qt's pooled
        # threads leave after 30 s of nothing to do) still counts up to its last reading.
        tasks0, w0 = task_cpu_seconds(prog.p.pid), time.monotonic()
        last = dict(tasks0)
        while time.monotonic() - w0 < seconds:
            time.sleep(min(0.5, max(0.0, seconds - (time.monotonic() - w0))))
            last.update(task_cpu_seconds(prog.p.pid))
        wall = time.monotonic() - w0
        if name == "key":
            subprocess.call(["xdotool", "key", "a"], env=program_env(display))
        by_thread, wakes = {}, {}
        for tid, (thread, seconds1, runs1) in last.items():
            _, seconds0, runs0 = tasks0.get(tid, (thread, 0.0, 0))
            by_thread[thread] = by_thread.get(thread, 0.0) + 100.0 * (seconds1 - seconds0) / wall
            wakes[thread] = wakes.get(thread, 0.0) + (runs1 - runs0) / wall
        whole = sum(by_thread.values())
        return whole, by_thread, wakes


def bench_waits(builds, display, names, runs, seconds):
    folder = tempfile.mkdtemp(prefix="pw-bench-")
    try:
        for name in names:
            results = {label: [] for label, _ in builds}
            threads = {label: {} for label, _ in builds}
            woken = {label: {} for label, _ in builds}
            loads = []
            for _ in range(runs):
                for label, binary in builds:
                    share, by_thread, wakes = wait_cpu(binary, display, name, seconds, folder)
                    results[label].append(share)
                    for t, v in by_thread.items():
                        threads[label].setdefault(t, []).append(v)
                        woken[label].setdefault(t, []).append(wakes[t])
                    loads.append(os.getloadavg()[0])
            for label, _ in builds:
                busiest = sorted(threads[label].items(), key=lambda tv: -statistics.median(tv[1]))[:3]
                per_thread = ", ".join(f"{t} {statistics.median(v):.2f} ({statistics.median(woken[label][t]):.1f} wake-ups/s)"
                                       for t, v in busiest)
                print(f"{name} ({label}): CPU over {seconds} s {summary(results[label], ' %')} of a core, "
                      f"goal {WAITS[name][3]}; by thread: {per_thread}; "
                      f"load {statistics.median(loads):.2f}")
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def first_match_ms(prog, pattern, timeout=30):
    (seen,) = watch_trace(prog.p, pattern)
    return (time.monotonic() - prog.t0) * 1000 if seen.wait(timeout) else None


def bench_times(builds, display, name, runs):
    pattern = {"startup": r"event RequestStart \S+ Pellwick Show", "window": r"event MainWindowPainted"}[name]
    what = {"startup": "process start to the greeting's Show RequestStart",
            "window": "process start to the main window painted (goal <= 300 ms)"}[name]
    for label, binary in builds:
        times = []
        for _ in range(runs):
            with Program(binary, display) as prog:
                ms = first_match_ms(prog, pattern)
            if ms is not None:
                times.append(ms)
            time.sleep(0.3)
        print(f"{name} ({label}): {what}: {summary(times, ' ms', 0)}; {load()}")


def vm_hwm_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024.0
    return 0.0


# Characters keep the frames they have shown, so memory grows while they go through
# their idle animations for the first time; by 90 s it no longer grows.
def bench_memory(builds, display, runs, idle_s):
    folder = tempfile.mkdtemp(prefix="pw-bench-")
    script = write_script(folder, ["interval 0", "pellwick> speak Hello!", "tansy> speak Hello!",
                                   "nubbin> speak Hello!", "pellwick> pause 600"])
    try:
        for label, binary in builds:
            greeted, idled = [], []
            for _ in range(runs):
                with Program(binary, display, ["runin", script]) as prog:
                    (waiting,) = watch_trace(prog.p, r"event BalloonHide Nubbin")
                    if not waiting.wait(90):
                        sys.exit("memory: Nubbin never finished speaking")
                    time.sleep(2)
                    greeted.append(vm_hwm_mb(prog.p.pid))
                    time.sleep(idle_s)
                    idled.append(vm_hwm_mb(prog.p.pid))
            print(f"memory ({label}): peak resident memory with three characters shown "
                  f"{summary(greeted, ' MB', 1)}, after {idle_s} s of idling {summary(idled, ' MB', 1)}, "
                  f"goal <= 60 MB; {load()}")
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("scenarios", nargs="*", default=["all"])
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--seconds", type=int, default=30)
    ap.add_argument("--bin", default=DEFAULT_BIN)
    ap.add_argument("--baseline")
    ap.add_argument("--memory-idle", type=int, default=90)
    args = ap.parse_args()
    everything = ["window", "startup", "memory", "idle", "rest", "walk", "pause", "key", "bump", "listen"]
    names = everything if "all" in args.scenarios else args.scenarios
    unknown = set(names) - set(everything)
    if unknown:
        sys.exit(f"unknown scenario {', '.join(sorted(unknown))}; known: {', '.join(everything)}")
    builds = [("this build", args.bin)] + ([("baseline", args.baseline)] if args.baseline else [])

    display = free_display()
    xvfb, wm = start_x(display)
    try:
        for name in names:
            if name in ("startup", "window"):
                bench_times(builds, display, name, max(args.runs, 5))
            elif name == "memory":
                bench_memory(builds, display, args.runs, args.memory_idle)
            else:
                bench_waits(builds, display, [name], args.runs, args.seconds)
    finally:
        stop_x(xvfb, wm)


if __name__ == "__main__":
    main()
