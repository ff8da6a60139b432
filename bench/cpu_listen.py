#!/usr/bin/env python3
"""CPU of the whole program while a script listens for a word in a quiet room.

Runs `pellworks runin` on a script whose one line is `waitfor listen=giraffe quiet`,
under its own Xvfb, with a recording of a quiet room (faint noise, made with sox)
standing in for the microphone (PELLWORKS_MIC_FILE), and measures the process's CPU
time over the wait. Prints the share of one core. Goal: at most about 1 %.

Usage: bench/cpu_listen.py [--bin PATH] [--seconds N]
Needs: a built pellworks (default ./build/bin/pellworks), Xvfb, sox.
"""
import argparse, os, shutil, subprocess, sys, tempfile, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from x11_program import DEFAULT_BIN, cpu_share, free_display, launch, start_x, stop, stop_x, watch_trace  # noqa: E402


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", default=DEFAULT_BIN)
    ap.add_argument("--seconds", type=int, default=30)
    args = ap.parse_args()

    folder = tempfile.mkdtemp(prefix="pw-bench-")
    script = os.path.join(folder, "listen.csp")
    room = os.path.join(folder, "room.wav")
    with open(script, "w", newline="") as f:
        f.write("interval 0\r\npellwick> waitfor listen=giraffe quiet\r\n")
    subprocess.check_call(["sox", "-n", "-r", "16000", "-c", "1", "-b", "16", room, "synth",
                           str(args.seconds + 30), "pinknoise", "vol", "0.003"])

    display = free_display()
    xvfb, wm = start_x(display)
    p = launch(args.bin, ["runin", script], display, {"PELLWORKS_MIC_FILE": room})
    try:
        (listening,) = watch_trace(p, r"request Pellwick Listen True")
        if not listening.wait(60):
            sys.exit("the listening wait did not start")
        time.sleep(2)
        cpu, wall, share = cpu_share(p.pid, args.seconds)
        print(f"waitfor listen=giraffe in a quiet room: {cpu:.2f} s CPU over {wall:.1f} s = "
              f"{share:.2f} % of a core (goal <= about 1 %)")
    finally:
        stop(p)
        stop_x(xvfb, wm)
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
