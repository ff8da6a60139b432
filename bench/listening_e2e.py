#!/usr/bin/env python3
"""Spoken words heard through the whole program, beside the recogniser alone on the same clips.

Each trial is one start of `pellworks runout` (offscreen) with a script that waits for a
spoken word, and a clip of one spoken word as its microphone (PELLWORKS_MIC_FILE); the
trace's `event Command "..."` says what the program heard. The script:

    interval 0
    pellwick> waitfor listen=WORD quiet          (the word listened for)
    if listen=OTHER then ... endif               (three more words: the four-word grammar)

A command trial says the word listened for (right when exactly it is heard); an other
trial says a word the script does not listen for (wrong when any command is heard).
Number words are listened for as digits (`listen=70`, said "seventy").

Clips are made outside the program, as a microphone would bring them: espeak-ng and
flite (commands), resampled to 16 kHz mono by sox (with --native kept at the voice's
own rate, and with --narrowband too at a headset's 8 kHz, for the program to convert),
made child-like with sox as the recognition bench does, with LEAD s of silence before
the word and 0.5 s after. They
are kept in a cache folder. Words come from recognition_words.txt (held-out by default:
no setting was tuned on them); which words are drawn depends only on --seed.

bench_recognition_clips then hears the same clips with the recogniser alone (one
recogniser for all clips, and a fresh one for each), so the tables stand side by side.

Voices: "tuning" are those the listening settings were tuned with (espeak-ng en-us,
en-us+f3, en; flite slt, rms, awb, kal16), "held-out" those no setting ever heard
(espeak-ng en-029, en-gb-scotland, en-us+f5; flite kal). A program run takes a few
seconds; --jobs runs several side by side.

Usage: bench/listening_e2e.py [--set held-out|tuning] [--voices held-out|tuning|all|V1,V2,...]
          [--perturb clean,higher,...] [--words N] [--others N] [--sizes 1,4] [--runs 2]
          [--lead 0.3] [--native] [--narrowband] [--jobs 4] [--seed 1] [--bin DIR] [--alone fresh,shared]
          [--no-program] [--tune NAME VALUE]... [--decoder NAME VALUE]... [--decoys FILE] [--dump FILE]
          [--list FILE] [-v]
Needs: a built ./build/bin/pellworks and bench_recognition_clips, espeak-ng, sox; flite
for the flite voices (bench only).
"""
import argparse, collections, hashlib, os, random, re, shutil, subprocess, tempfile
from concurrent.futures import ThreadPoolExecutor

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN_DIR = [os.path.join(ROOT, "build", "bin")]  # where pellworks and bench_recognition_clips are
# Voices the listening settings were tuned with, and voices no setting ever heard.
TUNING_VOICES = ["en-us", "en-us+f3", "en", "slt", "rms", "awb", "kal16"]
HELD_OUT_VOICES = ["en-029", "en-gb-scotland", "en-us+f5", "kal"]
FLITE = ["slt", "rms", "awb", "kal16", "kal"]
# The recognition bench's perturbations (recognition_corpus.cpp): sox effects, pink noise.
PERTURB = {
    "clean": ([], 0),
    "higher": (["pitch", "400"], 0),
    "faster": (["tempo", "-s", "1.25"], 0),
    "slower": (["tempo", "-s", "0.8"], 0),
    "room": (["gain", "-3", "reverb", "40", "50", "50"], 0.03),
    "child": (["pitch", "400", "tempo", "-s", "0.85", "gain", "-3", "reverb", "30", "50", "40"], 0.02),
}
SMALL = "zero one two three four five six seven eight nine ten eleven twelve thirteen fourteen fifteen " \
        "sixteen seventeen eighteen nineteen".split()
TENS = {"twenty": 20, "thirty": 30, "forty": 40, "fifty": 50, "sixty": 60, "seventy": 70, "eighty": 80,
        "ninety": 90, "hundred": 100, "thousand": 1000, "million": 1000000}


def written(word):
    """What a script writes after listen= for a word: digits for a cardinal number."""
    if word in SMALL:
        return str(SMALL.index(word))
    return str(TENS[word]) if word in TENS else word


def read_words(path, held_out, decoys):
    out = []
    for line in open(path):
        m = re.match(r"^(held-out|tuning)\s+(\w+):(.*)$", line.strip())
        if not m or (m.group(1) == "held-out") != held_out or m.group(2) == "phrase":
            continue
        out += [(w, m.group(2)) for w in m.group(3).split() if w not in decoys]
    return out


def read_decoys():
    return {l.strip() for l in open(os.path.join(ROOT, "data", "speech", "decoys.txt"))
            if l.strip() and not l.startswith("#")}


def family(voice):
    return "flite" if voice in FLITE else "espeak"


def make_clip(cache, voice, perturb, word, lead, native=False, narrowband=False):
    key = hashlib.sha1(f"{voice}|{perturb}|{word}|{lead}{'|native' if native else ''}"
                       f"{'|narrowband-last' if narrowband else ''}".encode()).hexdigest()[:16]
    path = os.path.join(cache, key + ".wav")
    if os.path.exists(path):
        return path
    with tempfile.TemporaryDirectory() as tmp:
        said = os.path.join(tmp, "said.wav")
        if family(voice) == "flite":
            subprocess.check_call(["flite", "-voice", voice, "-t", word, "-o", said])
        else:
            subprocess.check_call(["espeak-ng", "-v", voice, "-w", said, word])
        effects, noise = PERTURB[perturb]
        voiced = os.path.join(tmp, "voiced.wav")
        rate = subprocess.check_output(["soxi", "-r", said], text=True).strip() if native else "16000"
        subprocess.check_call(["sox", said, "-r", rate, "-c", "1", "-b", "16", voiced] + effects +
                              ["pad", str(lead), "0.5"])
        done = voiced
        if noise:
            length = subprocess.check_output(["soxi", "-D", voiced], text=True).strip()
            room = os.path.join(tmp, "room.wav")
            subprocess.check_call(["sox", "-n", "-r", rate, "-c", "1", "-b", "16", room, "synth", length,
                                   "pinknoise", "vol", str(noise)])
            done = os.path.join(tmp, "noisy.wav")
            subprocess.check_call(["sox", "-m", voiced, room, done])
        if narrowband:
            # A headset's narrowband microphone: nothing above 4 kHz of all that reaches
            # it, the voice as it was said (higher, faster...) and the room's noise.
            # With --native it stays at 8 kHz, as the headset gives it, for the program to
            # convert.
            banded = os.path.join(tmp, "banded.wav")
            subprocess.check_call(["sox", done, "-r", "8000", banded] if native else
                                  ["sox", done, "-r", rate, banded, "rate", "8000"])
            done = banded
        # Whole or not at all, whichever bench running beside this one made it first.
        part = f"{path}.{os.getpid()}.part"
        shutil.copy(done, part)
        os.replace(part, path)
    return path


def script_text(listened):
    lines = ["interval 0", f"pellwick> waitfor listen={listened[0]} quiet"]
    for other in listened[1:]:
        lines += [f"if listen={other} then", "pellwick> wave", "endif"]
    lines.append("pellwick> speak done")
    return "\r\n".join(lines) + "\r\n"


def run_program(clip, listened, seconds):
    """What the wait heard: the phrase, "" (not understood) or None (nothing)."""
    home = tempfile.mkdtemp(prefix="pw-e2e-")
    try:
        script = os.path.join(home, "listen.csp")
        with open(script, "w", newline="") as f:
            f.write(script_text(listened))
        runtime = os.path.join(home, "run")
        os.mkdir(runtime, 0o700)
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", PELLWORKS_HOME=home, PELLWORKS_NO_SPLASH="1",
                   PELLWORKS_TRACE="1", PELLWORKS_INSTANCE="e2e-" + os.path.basename(home),
                   PELLWORKS_MIC_FILE=clip, XDG_RUNTIME_DIR=runtime, DBUS_SESSION_BUS_ADDRESS="disabled:")
        try:
            done = subprocess.run([os.path.join(BIN_DIR[0], "pellworks"), "runout", script], env=env, timeout=seconds,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
            trace = done.stderr
        except subprocess.TimeoutExpired as e:  # nothing heard: the wait goes on
            trace = e.stderr.decode() if isinstance(e.stderr, bytes) else (e.stderr or "")
        heard = re.findall(r'^pw \d+ event Command "(.*)" Pellwick', trace, re.M)
        return heard[0] if heard else None
    finally:
        shutil.rmtree(home, ignore_errors=True)


TUNE = []  # --tune NAME VALUE pairs for the recogniser alone


ORDER = []  # what the decoder made of each clip, in the order heard, for --dump
WHY = {}  # clip: what the decoder made of it, for -v


def run_alone(trials, fresh):
    """The recogniser alone on each trial's clip: the phrase, "" or None."""
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
        for t in trials:
            f.write(f"{t['clip']}\t{'|'.join(t['listened'])}\n")
        name = f.name
    try:
        done = subprocess.run([os.path.join(BIN_DIR[0], "bench_recognition_clips"), name, "--why"] +
                              (["--fresh"] if fresh else []) + TUNE, capture_output=True, text=True, check=True)
        out = done.stdout.split("\n")
        WHY.update(l.split("\t", 1) for l in done.stderr.split("\n") if "\t" in l)
        ORDER[:] = [l.split("\t", 1)[1] for l in done.stderr.split("\n") if "\t" in l]
    finally:
        os.unlink(name)
    return [None if o == "-" else o.strip('"') for o in out[:len(trials)]]


def right(trial, heard):
    """A command trial is right when exactly its word is heard; an other trial when no
    command is heard."""
    if trial["command"]:
        return heard is not None and heard.lower() == trial["listened"][0].lower()
    return not heard


def share(part, whole):
    return f"{100.0 * part / whole:5.1f} % ({part}/{whole})" if whole else "-"


def table(title, trials, columns):
    """Per voice family and per perturbation: commands heard and others taken, one column
    per way of hearing; the spread between repeat runs where there are several."""
    print(f"\n{title}")
    print(f"{'':26}" + "".join(f"{c:>34}" for c, _ in columns))
    groups = collections.OrderedDict()
    for t in trials:
        for key in (("all", "all"), (f"{t['size']}w {t['family']}", "all"), (f"{t['size']}w {t['family']}", t["perturb"]),
                    (f"{t['size']}w all", t["perturb"])):
            groups.setdefault(key, []).append(t)
    for (who, perturb), ts in sorted(groups.items()):
        for kind, command in (("heard", True), ("taken", False)):
            sel = [t for t in ts if t["command"] == command]
            if not sel:
                continue
            cells = []
            for _, results in columns:
                runs = [[right(t, r[id(t)]) for t in sel if id(t) in r] for r in results]
                runs = [r for r in runs if r]
                if not runs:
                    cells.append("-")
                    continue
                shares = [100.0 * (sum(r) if command else len(r) - sum(r)) / len(r) for r in runs]
                total = sum(len(r) for r in runs)
                good = sum(sum(r) for r in runs)
                part = good if command else total - good
                spread = f" ±{(max(shares) - min(shares)) / 2:.1f}" if len(runs) > 1 else ""
                cells.append(f"{share(part, total)}{spread}")
            print(f"{who + ' ' + perturb + ' ' + kind:26}" + "".join(f"{c:>34}" for c in cells))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--set", default="held-out")
    ap.add_argument("--voices", default="held-out",
                    help="tuning, held-out, all, or a list (espeak-ng voices, flite's " + ",".join(FLITE) + ")")
    ap.add_argument("--alone", default="fresh,shared", help="the recogniser alone: fresh, shared, none")
    ap.add_argument("--perturb", default=",".join(PERTURB))
    ap.add_argument("--words", type=int, default=6, help="command words per voice and perturbation")
    ap.add_argument("--others", type=int, default=3, help="other words per voice and perturbation")
    ap.add_argument("--sizes", default="1,4")
    ap.add_argument("--runs", type=int, default=2)
    ap.add_argument("--lead", type=float, default=0.3)
    ap.add_argument("--native", action="store_true",
                    help="clips at the voice's own rate (espeak-ng 22050 Hz, flite kal 8000 Hz): the program converts")
    ap.add_argument("--narrowband", action="store_true",
                    help="every clip through an 8 kHz channel first, as a headset's microphone hears")
    ap.add_argument("--jobs", type=int, default=4)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--seconds", type=float, default=40)
    ap.add_argument("--bin", default=BIN_DIR[0], help="the folder of pellworks and bench_recognition_clips")
    ap.add_argument("--cache", default=os.path.join(tempfile.gettempdir(), "pellworks-e2e-clips"))
    ap.add_argument("--no-program", action="store_true", help="the recogniser alone only")
    ap.add_argument("--tune", nargs=2, action="append", default=[], metavar=("NAME", "VALUE"),
                    help="a listening setting for the recogniser alone (the program keeps its own)")
    ap.add_argument("--decoder", nargs=2, action="append", default=[], metavar=("NAME", "VALUE"),
                    help="a decoder option for the recogniser alone, without its dash (beam 1e-60)")
    ap.add_argument("--decoys", help="a decoy list for the recogniser alone (the words drawn stay the same)")
    ap.add_argument("--dump", help="write one line per clip heard by the recogniser alone (the last of --alone) to this file (tab-separated: "
                    "voice, perturbation, size, command or not, word, words listened for, phrase heard, decoder's words)")
    ap.add_argument("--list", help="write the clips and the words listened for to this file, as bench_recognition_clips "
                    "and bench_narrowband_fit read them, and hear nothing")
    ap.add_argument("-v", action="store_true")
    a = ap.parse_args()
    BIN_DIR[0] = a.bin
    TUNE.extend(x for pair in a.tune for x in ["--tune"] + pair)
    TUNE.extend(x for name, value in a.decoder for x in ["--decoder", "-" + name, value])
    if a.decoys:
        TUNE.extend(["--decoys", os.path.abspath(a.decoys)])
    os.makedirs(a.cache, exist_ok=True)
    words = read_words(os.path.join(ROOT, "bench", "recognition_words.txt"), a.set != "tuning", read_decoys())
    named = {"tuning": TUNING_VOICES, "held-out": HELD_OUT_VOICES, "all": TUNING_VOICES + HELD_OUT_VOICES}
    voices = [v for v in named.get(a.voices, a.voices.split(",")) if family(v) == "espeak" or shutil.which("flite")]
    rng = random.Random(a.seed)
    trials = []
    for voice in voices:
        for perturb in a.perturb.split(","):
            for size in (int(s) for s in a.sizes.split(",")):
                drawn = rng.sample(words, a.words + a.others + 3 * a.words)
                targets, others, fill = drawn[:a.words], drawn[a.words:a.words + a.others], drawn[a.words + a.others:]
                for i, (w, cat) in enumerate(targets + others):
                    command = i < len(targets)
                    listened = [written(w if command else targets[i % len(targets)][0])]
                    listened += [written(f[0]) for f in fill[3 * (i % a.words):][:size - 1]]
                    trials.append(dict(voice=voice, family=family(voice), perturb=perturb, size=size, word=w,
                                       category=cat, command=command, listened=listened,
                                       clip=make_clip(a.cache, voice, perturb, w, a.lead, a.native, a.narrowband)))
    print(f"{a.set} words; voices {', '.join(voices)}; {a.perturb}; lead-in {a.lead} s; "
          f"{'at the voices own rates; ' if a.native else ''}{'narrowband; ' if a.narrowband else ''}"
          f"{len(trials)} clips ({sum(t['command'] for t in trials)} commands), {a.runs} runs", flush=True)

    if a.list:
        with open(a.list, "w") as f:
            f.writelines(f"{t['clip']}\t{'|'.join(t['listened'])}\n" for t in trials)
        return
    columns = []
    for fresh in [w == "fresh" for w in a.alone.split(",") if w in ("fresh", "shared")]:
        alone = run_alone(trials, fresh)
        if a.v:
            for t, r in zip(trials, alone):
                if not right(t, r):
                    print(f"  recogniser{' (fresh)' if fresh else ''} {t['voice']}/{t['perturb']} {t['word']} "
                          f"[{'|'.join(t['listened'])}] -> {r} ({WHY.get(t['clip'], '')})")
        columns.append((f"recogniser{' (fresh)' if fresh else ''}", [{id(t): h for t, h in zip(trials, alone)}]))
        if a.dump:
            with open(a.dump, "w") as d:
                for t, r, w in zip(trials, alone, ORDER):
                    d.write(f"{t['voice']}\t{t['perturb']}\t{t['size']}\t{int(t['command'])}\t{t['word']}\t{'|'.join(t['listened'])}\t{r}\t{w}\n")
    if not a.no_program:
        runs = []
        for n in range(a.runs):
            with ThreadPoolExecutor(a.jobs) as pool:
                results = list(pool.map(lambda t: run_program(t["clip"], t["listened"], a.seconds), trials))
            runs.append({id(t): r for t, r in zip(trials, results)})
            print(f"run {n + 1} done", flush=True)
            if a.v:
                for t, r in zip(trials, results):
                    if not right(t, r):
                        print(f"  run {n + 1} {t['voice']}/{t['perturb']} {t['word']} "
                              f"[{'|'.join(t['listened'])}] -> {r}")
        columns.append(("program", runs))
    table("right: commands heard (goal >= 90 %, clean >= 95 %); wrong: others taken (goal <= 10 %)",
          trials, columns)


if __name__ == "__main__":
    main()
