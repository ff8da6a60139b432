#!/usr/bin/env python3
"""Peak memory of `acstool info` on a character file, and on copies of it that were
made larger by repeated directory entries: one block of 1 MB (a silent wave file) is
added, and the sound directory is replaced by N entries that all point at it
("shared"), or by N entries each one byte further into it ("overlapping"), so that
no two are the same block. A reader that decodes every entry on its own needs N MB
for either; one that shares blocks and limits its memory to a multiple of the file's
size stays near the file's size.

Usage: bench/acs_memory.py [--acstool PATH] [--limit-mb N] [--keep DIR] [CHARACTER.acs]
Defaults: build/bin/acstool and build/bin/chars/Pellwick.acs. Prints the peak
resident memory (ru_maxrss of the finished process) for each file. Each run gets
at most --limit-mb of address space (default 4096), so that a reader without limits
fails on its own instead of pushing the machine out of memory.
"""
import argparse, os, resource, struct, subprocess, sys, tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BLOCK = 1 << 20


def silent_wave(size):
    """A PCM wave file of exactly `size` bytes (8 kHz, mono, 8 bits)."""
    data = size - 44
    return (b"RIFF" + struct.pack("<I", size - 8) + b"WAVEfmt " +
            struct.pack("<IHHIIHH", 16, 1, 1, 8000, 8000, 1, 8) +
            b"data" + struct.pack("<I", data) + b"\x80" * data)


def amplify(character, copies, shift):
    """`character` with a new sound directory of `copies` entries into one added block."""
    out = bytearray(character)
    start = len(out)
    out += silent_wave(BLOCK)
    size = BLOCK - (copies - 1) * shift
    directory = bytearray(struct.pack("<I", copies))
    for i in range(copies):
        directory += struct.pack("<III", start + i * shift, size, 0)
    struct.pack_into("<II", out, 28, len(out), len(directory))  # the sound directory's locator
    out += directory
    return bytes(out)


def peak_mb(acstool, path, limit_mb):
    """Exit code, peak resident memory in MB, and the last line of error output."""
    limit = limit_mb << 20
    p = subprocess.Popen([acstool, "info", path], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                         preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_AS, (limit, limit)))
    err = p.stderr.read()
    _, status, usage = os.wait4(p.pid, 0)
    p.returncode = os.waitstatus_to_exitcode(status)
    lines = err.strip().splitlines()
    return p.returncode, usage.ru_maxrss / 1024.0, lines[-1] if lines else ""


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("character", nargs="?", default=os.path.join(ROOT, "build/bin/chars/Pellwick.acs"))
    ap.add_argument("--acstool", default=os.path.join(ROOT, "build/bin/acstool"))
    ap.add_argument("--limit-mb", type=int, default=4096)
    ap.add_argument("--keep", help="write the amplified files into this folder and keep them")
    args = ap.parse_args()

    with open(args.character, "rb") as f:
        character = f.read()
    folder = args.keep or tempfile.mkdtemp(prefix="acs_memory_")
    os.makedirs(folder, exist_ok=True)
    cases = [("as built", None, None), ("shared x1000", 1000, 0), ("shared x20000", 20000, 0),
             ("overlapping x1000", 1000, 1)]
    print(f"{'file':<20}{'size MB':>9}{'peak MB':>9}  result")
    for name, copies, shift in cases:
        if copies is None:
            path = args.character
        else:
            path = os.path.join(folder, name.replace(" ", "_") + ".acs")
            with open(path, "wb") as f:
                f.write(amplify(character, copies, shift))
        code, peak, err = peak_mb(args.acstool, path, args.limit_mb)
        result = "read" if code == 0 else f"refused: {err}" if code == 1 else f"died (exit {code}) {err}"
        print(f"{name:<20}{os.path.getsize(path) / 1e6:>9.2f}{peak:>9.1f}  {result}")
        if copies is not None and not args.keep:
            os.remove(path)
    if not args.keep:
        os.rmdir(folder)
    return 0


if __name__ == "__main__":
    sys.exit(main())
