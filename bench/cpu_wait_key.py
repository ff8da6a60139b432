#!/usr/bin/env python3
"""CPU of the whole program while a script waits for a key.

Runs `pellworks runin` on a script whose one line is `waitfor key=a` (the character
reminds every 5 seconds, so the measurement includes its speech), under its own Xvfb,
and measures the process's CPU time (user + system) over the wait. Then presses A and
checks that the wait ended. Prints the share of one core. Goal: at most 1 %.

Usage: bench/cpu_wait_key.py [--bin PATH] [--seconds N] [--quiet]
Needs: a built pellworks (default ./build/bin/pellworks), Xvfb, xdotool, openbox (optional).
"""
import argparse, os, subprocess, sys, tempfile, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from x11_program import DEFAULT_BIN, cpu_share, free_display, launch, program_env, start_x, stop, stop_x, watch_trace  # noqa: E402


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", default=DEFAULT_BIN)
    ap.add_argument("--seconds", type=int, default=30)
    ap.add_argument("--quiet", action="store_true", help="no spoken reminders")
    args = ap.parse_args()

    folder = tempfile.mkdtemp(prefix="pw-bench-")
    script = os.path.join(folder, "wait.csp")
    with open(script, "w", newline="") as f:
        f.write("interval 0\r\npellwick> waitfor key=a" + (" quiet" if args.quiet else "") + "\r\n")

    display = free_display()
    xvfb, wm = start_x(display)
    p = launch(args.bin, ["runin", script], display)
    try:
        hooked, ended = watch_trace(p, r"KeyHook install", r"Hurray! The")
        if not hooked.wait(60):
            sys.exit("the key wait did not start")
        time.sleep(2)  # the first reminder plays out
        cpu, wall, share = cpu_share(p.pid, args.seconds - 2)
        subprocess.call(["xdotool", "key", "a"], env=program_env(display))
        heard = ended.wait(10)
        kind = "quiet" if args.quiet else "with reminders"
        print(f"waitfor key=a ({kind}): {cpu:.2f} s CPU over {wall:.1f} s = {share:.2f} % of a core "
              f"(goal <= 1 %); the key {'ended' if heard else 'did NOT end'} the wait")
    finally:
        stop(p)
        stop_x(xvfb, wm)
        os.remove(script)
        os.rmdir(folder)


if __name__ == "__main__":
    main()
