#!/usr/bin/env python3
"""CPU of the whole program while a script waits.

Runs `pellworks runin` on a script whose one line is `pause 30`, under its own Xvfb,
and measures the process's CPU time (user + system) over the pause, from a moment
after the pause began to a moment before it ends. Prints the share of one core.
Goal: at most 1 %.

Usage: bench/cpu_pause.py [--bin PATH] [--seconds N]
Needs: a built pellworks (default ./build/bin/pellworks), Xvfb, openbox (optional).
"""
import argparse, os, sys, tempfile, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from x11_program import DEFAULT_BIN, cpu_share, free_display, launch, start_x, stop, stop_x, watch_trace  # noqa: E402


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", default=DEFAULT_BIN)
    ap.add_argument("--seconds", type=int, default=30)
    args = ap.parse_args()

    # The greeting plays out before the pause line starts (sequential mode), so the
    # measurement sees only the waiting program and its idling character.
    folder = tempfile.mkdtemp(prefix="pw-bench-")
    script = os.path.join(folder, "wait.csp")
    with open(script, "w", newline="") as f:
        f.write(f"interval 0\r\npellwick> pause {args.seconds}\r\n")

    display = free_display()
    xvfb, wm = start_x(display)
    p = launch(args.bin, ["runin", script], display)
    try:
        (started,) = watch_trace(p, r" run start$")
        if not started.wait(60):
            sys.exit("the run did not start")
        # Leave the first seconds (greeting, the pause line starting) out of it.
        time.sleep(4)
        cpu, wall, share = cpu_share(p.pid, args.seconds - 6)
        print(f"pause {args.seconds}: {cpu:.2f} s CPU over {wall:.1f} s = {share:.2f} % of a core "
              f"(goal <= 1 %)")
    finally:
        stop(p)
        stop_x(xvfb, wm)
        os.remove(script)
        os.rmdir(folder)


if __name__ == "__main__":
    main()
