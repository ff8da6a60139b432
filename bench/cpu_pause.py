#!/usr/bin/env python3
"""CPU of the whole program while a script waits.

Runs `pellworks runin` on a script whose one line is `pause 30`, under its own Xvfb,
and measures the process's CPU time (user + system) over the pause, from a moment
after the pause began to a moment before it ends. Prints the share of one core.
Goal: at most 1 %.

Usage: bench/cpu_pause.py [--bin PATH] [--seconds N]
Needs: a built pellworks (default ./build/bin/pellworks), Xvfb, openbox (optional).
"""
import argparse, os, re, signal, subprocess, sys, tempfile, threading, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CLK = os.sysconf("SC_CLK_TCK")


def free_display():
    for n in range(150, 250):
        if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
            return f":{n}"
    sys.exit("no free X display number")


def start_x(display):
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    sock = "/tmp/.X11-unix/X" + display[1:]
    for _ in range(100):
        if os.path.exists(sock):
            break
        time.sleep(0.05)
    wm = None
    if subprocess.call(["which", "openbox"], stdout=subprocess.DEVNULL) == 0:
        wm = subprocess.Popen(["openbox"], env=dict(os.environ, DISPLAY=display),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.3)
    return xvfb, wm


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLK


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", default=os.path.join(ROOT, "build", "bin", "pellworks"))
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
    env = dict(os.environ, DISPLAY=display, PELLWORKS_TRACE="1", QT_QPA_PLATFORM="xcb")
    env.pop("WAYLAND_DISPLAY", None)
    p = subprocess.Popen([args.bin, "runin", script], env=env, stderr=subprocess.PIPE,
                         stdout=subprocess.DEVNULL, text=True, bufsize=1)
    try:
        started = threading.Event()

        def read_trace():
            for line in p.stderr:
                if re.search(r" run start$", line):
                    started.set()

        threading.Thread(target=read_trace, daemon=True).start()
        if not started.wait(60):
            sys.exit("the run did not start")
        # Leave the first seconds (greeting, the pause line starting) out of it.
        time.sleep(4)
        window = args.seconds - 6
        c0, t0 = cpu_seconds(p.pid), time.monotonic()
        time.sleep(window)
        c1, t1 = cpu_seconds(p.pid), time.monotonic()
        share = 100.0 * (c1 - c0) / (t1 - t0)
        print(f"pause {args.seconds}: {c1 - c0:.2f} s CPU over {t1 - t0:.1f} s = {share:.2f} % of a core "
              f"(goal <= 1 %)")
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
