"""Shared pieces of the whole-program benchmarks: a private Xvfb (with openbox when
installed), starting pellworks on it with the trace on, watching its trace, reading
its CPU time, and stopping everything again."""
import os, re, signal, subprocess, sys, threading, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_BIN = os.environ.get("PELLWORKS_BIN", os.path.join(ROOT, "build", "bin", "pellworks"))
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
        wm = subprocess.Popen(["openbox"], env=dict(os.environ, DISPLAY=display, DBUS_SESSION_BUS_ADDRESS="disabled:"),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.3)
    return xvfb, wm


def program_env(display, extra=None):
    # No splash, and a single-instance name of its own, so that a Pellworks the user has
    # open does not turn the benchmark's program away. No session bus either: where
    # dbus-x11 is installed Qt would start one that outlives the benchmark.
    env = dict(os.environ, DISPLAY=display, PELLWORKS_TRACE="1", QT_QPA_PLATFORM="xcb",
               PELLWORKS_NO_SPLASH="1", PELLWORKS_INSTANCE=f"bench-{os.getpid()}",
               DBUS_SESSION_BUS_ADDRESS="disabled:")
    env.update(extra or {})
    env.pop("WAYLAND_DISPLAY", None)
    return env


def launch(binary, args, display, extra_env=None):
    """Starts the program; its trace comes on the returned process's stderr."""
    return subprocess.Popen([binary] + list(args), env=program_env(display, extra_env), stderr=subprocess.PIPE,
                            stdout=subprocess.DEVNULL, text=True, bufsize=1)


def stop(p):
    p.send_signal(signal.SIGTERM)
    try:
        p.wait(5)
    except subprocess.TimeoutExpired:
        p.kill()


def stop_x(xvfb, wm):
    for proc in (wm, xvfb):
        if proc:
            proc.terminate()


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLK


def watch_trace(p, *patterns):
    """One event per regex, set once a line of the program's trace (its stderr) matches."""
    seen = [threading.Event() for _ in patterns]

    def read():
        for line in p.stderr:
            for pattern, event in zip(patterns, seen):
                if re.search(pattern, line):
                    event.set()

    threading.Thread(target=read, daemon=True).start()
    return seen


def task_cpu_seconds(pid):
    """CPU seconds of each thread of the process so far, by thread id: (name, seconds,
    times run), from the scheduler's nanoseconds (the process's own figure counts 10 ms
    ticks, a third of the whole idle goal over 30 s). Times run counts wake-ups (and
    the rare preemption)."""
    out = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/comm") as f:
                name = f.read().strip()
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                ns, _, runs = f.read().split()
        except OSError:  # the thread ended meanwhile
            continue
        out[tid] = (name, int(ns) / 1e9, int(runs))
    return out


def cpu_share(pid, seconds):
    """Over the next `seconds`: the process's CPU seconds, the wall seconds, and the share
    of one core in %."""
    c0, t0 = cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    c1, t1 = cpu_seconds(pid), time.monotonic()
    return c1 - c0, t1 - t0, 100.0 * (c1 - c0) / (t1 - t0)
