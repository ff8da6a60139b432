#!/usr/bin/env python3
"""CPU of the whole program while a script listens for a word in a quiet room.

Runs `pellworks runin` (or `runout`) on a script whose one line is `waitfor listen=giraffe quiet`,
under its own Xvfb, with a recording of a quiet room (faint noise, made with sox)
standing in for the microphone (PELLWORKS_MIC_FILE), and measures the process's CPU
time over the wait, once the speech model has loaded. Prints the share of one core,
for the whole program and for its listening thread (the microphone and the
recogniser). Goal: at most about 1 %. Fails when the wait ends during the
measurement, since the figure would then be that of a program no longer listening.

Usage: bench/cpu_listen.py [--bin PATH] [--seconds N] [--mode runin|runout]
(runin: inside the main window, whose clock ticks twenty times a second during a run;
runout: the characters alone on the desktop.)
Needs: a built pellworks (default ./build/bin/pellworks), Xvfb, sox.
"""
import argparse, os, shutil, subprocess, sys, tempfile, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from x11_program import (DEFAULT_BIN, cpu_share, free_display, launch, start_x, stop, stop_x,
                         thread_cpu_seconds, watch_trace)  # noqa: E402


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", default=DEFAULT_BIN)
    ap.add_argument("--seconds", type=int, default=30)
    ap.add_argument("--mode", choices=["runin", "runout"], default="runin")
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
    p = launch(args.bin, [args.mode, script], display, {"PELLWORKS_MIC_FILE": room})
    try:
        # The microphone opens once the model has loaded.
        listening, ended = watch_trace(p, r"is heard instead of a microphone", r"understand|Hurray|run end|run error")
        if not listening.wait(60):
            sys.exit("the listening wait did not start")
        time.sleep(2)
        before = thread_cpu_seconds(p.pid)
        cpu, wall, share = cpu_share(p.pid, args.seconds)
        thread = thread_cpu_seconds(p.pid).get("listening", 0.0) - before.get("listening", 0.0)
        if ended.is_set():
            sys.exit("the wait ended during the measurement: the program was no longer listening")
        print(f"waitfor listen=giraffe in a quiet room ({args.mode}): {cpu:.2f} s CPU over {wall:.1f} s = "
              f"{share:.2f} % of a core, {100.0 * thread / wall:.2f} % on the listening thread (goal <= about 1 %)")
    finally:
        stop(p)
        stop_x(xvfb, wm)
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
