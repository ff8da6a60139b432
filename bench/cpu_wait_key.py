#!/usr/bin/env python3
"""CPU of the whole program while a script waits for a key.

Runs `pellworks runin` on a script whose one line is `waitfor key=a` (the character
reminds every 5 seconds, so the measurement includes its speech), under its own Xvfb,
and measures the process's CPU time (user + system) over the wait. Then presses A and
checks that the wait ended. Prints the share of one core. Goal: at most 1 %.

Usage: bench/cpu_wait_key.py [--bin PATH] [--seconds N] [--quiet]
Needs: a built pellworks (default ./build/bin/pellworks), Xvfb, xdotool, openbox (optional).
"""
import argparse, os, re, signal, subprocess, sys, tempfile, threading, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cpu_pause import ROOT, cpu_seconds, free_display, start_x  # noqa: E402


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", default=os.path.join(ROOT, "build", "bin", "pellworks"))
    ap.add_argument("--seconds", type=int, default=30)
    ap.add_argument("--quiet", action="store_true", help="no spoken reminders")
    args = ap.parse_args()

    folder = tempfile.mkdtemp(prefix="pw-bench-")
    script = os.path.join(folder, "wait.csp")
    with open(script, "w", newline="") as f:
        f.write("interval 0\r\npellwick> waitfor key=a" + (" quiet" if args.quiet else "") + "\r\n")

    display = free_display()
    xvfb, wm = start_x(display)
    env = dict(os.environ, DISPLAY=display, PELLWORKS_TRACE="1", QT_QPA_PLATFORM="xcb")
    env.pop("WAYLAND_DISPLAY", None)
    p = subprocess.Popen([args.bin, "runin", script], env=env, stderr=subprocess.PIPE,
                         stdout=subprocess.DEVNULL, text=True, bufsize=1)
    try:
        hooked, ended = threading.Event(), threading.Event()

        def read_trace():
            for line in p.stderr:
                if re.search(r"KeyHook install", line):
                    hooked.set()
                if re.search(r"Hurray! The", line):
                    ended.set()

        threading.Thread(target=read_trace, daemon=True).start()
        if not hooked.wait(60):
            sys.exit("the key wait did not start")
        time.sleep(2)  # the first reminder plays out
        window = args.seconds - 2
        c0, t0 = cpu_seconds(p.pid), time.monotonic()
        time.sleep(window)
        c1, t1 = cpu_seconds(p.pid), time.monotonic()
        share = 100.0 * (c1 - c0) / (t1 - t0)
        subprocess.call(["xdotool", "key", "a"], env=env)
        heard = ended.wait(10)
        kind = "quiet" if args.quiet else "with reminders"
        print(f"waitfor key=a ({kind}): {c1 - c0:.2f} s CPU over {t1 - t0:.1f} s = {share:.2f} % of a core "
              f"(goal <= 1 %); the key {'ended' if heard else 'did NOT end'} the wait")
    finally:
        p.send_signal(signal.SIGTERM)
        try:
            p.wait(5)
        except subprocess.TimeoutExpired:
            p.kill()
        for proc in (wm, xvfb):
            if proc:
                proc.terminate()
        os.remove(script)
        os.rmdir(folder)


if __name__ == "__main__":
    main()
