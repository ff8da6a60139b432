#!/usr/bin/env python3
"""How many small planted faults do the tests catch?

    tools/mutants.py                    # 60 mutants from seed 1: build, test, print the figure
    tools/mutants.py --list             # only print the chosen mutants
    tools/mutants.py --count 20 --seed 7
    tools/mutants.py --scope agent/runtime,stage   # other folders

Each mutant changes one place in the engine, the waits or the character file reader:
a comparison swapped, && and || swapped, a condition negated, a number changed, or a
statement dropped. The change goes into a copy of the sources (build-mutants/src; the
worktree is never touched), then the tests that can see it are built and run one at a
time, fastest first, until one fails. A mutant that does not compile is not viable and
the next candidate takes its place. On two cores a caught mutant takes seconds, one
that survives about a minute; the 60 take some twenty minutes.
"""

import argparse, os, random, re, shutil, signal, subprocess, sys, time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WORK = ROOT / "build-mutants"
SRC = WORK / "src"
# The build folder sits in the copy as build/ sits in the worktree, so that the shared
# ccache (base_dir) finds the worktree's compiles.
BUILD = SRC / "build"
SCOPE = ["engine", "agent/acs"]  # the default; --scope names others

# The tests that can see a change in each folder; those that need an X server are left
# out. Names are ctest names; a test whose program is named differently (the fuzz
# replays, and classes that share one test program) is mapped to it in PROGRAM.
TESTS = {
    "engine": ["test_script_text", "test_wait_pieces", "test_run_state", "test_scripts", "test_main_window_waits", "test_composer",
               "test_window_waits", "test_stage_events", "test_stage_loading",
               "test_monotonic_clock", "test_script_editor",
               "test_script_window", "fuzz_script_corpus"],
    "agent/acs": ["acs_cases", "acs_codec", "acs_reader", "acs_writer",
                  "charbuild_sources_test", "charbuild_builder_test", "charbuild_characters_test",
                  "charbuild_cases", "test_runtime_pieces", "test_runtime_cases", "fuzz_acs_corpus"],
    "agent/runtime": ["test_runtime_pieces", "test_runtime_cases", "ui_character_window_test",
                      "ui_window_cases", "ui_balloon_test", "test_stage_loading", "test_scripts"],
    "agent/ui": ["ui_window_cases", "ui_character_window_test", "ui_balloon_test"],
    "app": ["test_desktop_services", "test_script_window", "test_start_up", "test_load_save",
            "test_sound_windows", "test_info_bar", "test_script_editor", "test_help_book",
            "test_main_window_waits"],
    "stage": ["test_stage_loading", "test_stage_events", "test_composer", "test_window_waits", "test_scripts",
              "test_start_up"],
}
PROGRAM = {"fuzz_script_corpus": "fuzz_script_replay", "fuzz_acs_corpus": "fuzz_acs_replay",
           **{t: "acs_tests" for t in ["acs_cases", "acs_codec", "acs_reader", "acs_writer"]},
           **{t: "charbuild_tests" for t in ["charbuild_sources_test", "charbuild_builder_test",
                                            "charbuild_characters_test", "charbuild_cases"]},
           **{t: "stage_tests" for t in ["test_composer", "test_window_waits", "test_stage_events",
                                        "test_stage_loading"]},
           **{t: "app_tests" for t in ["test_script_editor", "test_script_window", "test_desktop_services",
                                      "test_start_up", "test_load_save", "test_sound_windows",
                                      "test_info_bar", "test_help_book"]},
           **{t: "ui_tests" for t in ["ui_character_window_test", "ui_window_cases",
                                     "ui_balloon_test"]},
           **{t: "engine_tests" for t in ["test_script_text", "test_wait_pieces", "test_run_state"]},
           "test_main_window_waits": "app_tests", "test_monotonic_clock": "media_tests"}

COMPARE = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
KEYWORDS = {"return", "if", "else", "for", "while", "do", "switch", "case", "break", "continue",
            "goto", "throw", "delete", "using", "namespace", "typedef", "static_assert", "co_return"}
STATEMENT = re.compile(r"^\s*(?:\+\+|--)?([A-Za-z_]\w*)(?:::\w+)*(?:\s*(?:\.|->)\s*\w+|\[[^\]]*\])*"
                       r"\s*(?:\(|=[^=]|[-+*/%|&^]=|<<=|>>=|\+\+|--)")
NUMBER = re.compile(r"(?<![\w.])(\d+(?:\.\d+)?)([fFuUlL]*)(?![\w.'])")


def mask(text):
    """The text with comments blanked and the insides of strings and characters too."""
    out, i, n = list(text), 0, len(text)

    def blank(a, b):
        for k in range(a, min(b, n)):
            if out[k] != "\n":
                out[k] = " "

    while i < n:
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            blank(i, j)
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            blank(i, j)
        elif text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            delim = text[i + 2:text.find("(", i)]
            j = text.find(")" + delim + '"', i)
            j = n if j < 0 else j + len(delim) + 2
            blank(i + 2, j - 1)
        elif text[i] in "\"'" and not (text[i] == "'" and i > 0 and text[i - 1].isalnum()):
            j = i + 1
            while j < n and text[j] not in (text[i], "\n"):
                j += 2 if text[j] == "\\" else 1
            blank(i + 1, j)
            j += 1
        else:
            j = i + 1
        i = j
    return "".join(out)


def closing_paren(line, start):
    depth = 0
    for k in range(start, len(line)):
        depth += {"(": 1, ")": -1}.get(line[k], 0)
        if depth == 0:
            return k
    return -1


def bumped(number):
    if "." in number:
        places = len(number.split(".")[1])
        value = float(number)
        return "1." + "0" * places if value == 0 else "0." + "0" * places if value == 1 else f"{value + 1:.{places}f}"
    return {"0": "1", "1": "0"}.get(number, str(int(number) + 1))


def sites_in(path):
    """Every (operator, line, start, end, replacement) of one source file."""
    lines, masked = path.read_text().split("\n"), mask(path.read_text()).split("\n")
    found, previous = [], "{"
    for no, (line, m) in enumerate(zip(lines, masked), 1):
        if m.lstrip().startswith("#"):
            continue
        for x in re.finditer(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)", m):
            found.append(("compare", no, x.start(), x.end(), COMPARE[x.group()]))
        for x in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", m):
            found.append(("and-or", no, x.start(), x.end(), "||" if x.group() == "&&" else "&&"))
        for x in re.finditer(r"\b(?:if|while) \(", m):
            close = closing_paren(m, x.end() - 1)
            if close > 0:
                found.append(("negate", no, x.end(), close, "!(" + line[x.end():close] + ")"))
        for x in NUMBER.finditer(m):
            found.append(("constant", no, x.start(1), x.end(1), bumped(x.group(1))))
        s, st = m.strip(), STATEMENT.match(m)
        if (st and st.group(1) not in KEYWORDS and s.endswith(";") and previous[-1] in ";{}:"
                and s.count("(") == s.count(")") and s.count("{") == s.count("}")):
            start = len(line) - len(line.lstrip())
            found.append(("drop", no, start, len(line.rstrip()), ";"))
        if s:
            previous = s
    return found


def candidates(seed):
    """All sites, shuffled per operator by the seed and dealt out in turn."""
    by_op = {}
    for folder in SCOPE:
        for path in sorted((ROOT / folder).glob("*.cpp")):
            rel = path.relative_to(ROOT).as_posix()
            for op, no, a, b, new in sites_in(path):
                by_op.setdefault(op, []).append((rel, no, a, b, new, op))
    rng, piles = random.Random(seed), []
    for op in sorted(by_op):
        rng.shuffle(by_op[op])
        piles.append(by_op[op])
    return [pile[k] for k in range(max(map(len, piles))) for pile in piles if k < len(pile)]


def describe(site):
    rel, no, a, b, new, op = site
    line = (ROOT / rel).read_text().split("\n")[no - 1]
    # A long line is shown around the change, from blank to blank.
    lo, hi = (0, len(line)) if len(line.strip()) <= 80 else (line.rfind(" ", 0, max(0, a - 20)) + 1, b + 20)
    hi = len(line) if line.find(" ", hi) < 0 else line.find(" ", hi)
    before = line[lo:hi].strip()
    after = (line[:a] + new + line[b:])[lo:hi + len(new) - (b - a)].strip() if op != "drop" else "(dropped)"
    return f"{rel}:{no} {op}: {before} -> {after}"


def run(cmd, log, timeout=None):
    """Runs cmd in a process group of its own; returns its exit code, or None on timeout."""
    with open(log, "ab") as out:
        p = subprocess.Popen(cmd, stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
        try:
            return p.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        finally:
            if p.poll() is None:
                os.killpg(p.pid, signal.SIGKILL)
                p.wait()


def sync_copy():
    """Brings the copy in line with the worktree, writing only files that differ, so
    that ninja rebuilds just what changed (an interrupted run's mutant included)."""
    def ignore(folder, names):
        return [n for n in names if n in (".git", "__pycache__") or (Path(folder) == ROOT and n.startswith("build"))]
    kept = set()
    for folder, dirs, files in os.walk(ROOT):
        dirs[:] = [d for d in dirs if d not in ignore(folder, dirs)]
        for name in files:
            src = Path(folder) / name
            dst = SRC / src.relative_to(ROOT)
            kept.add(dst)
            if not dst.exists() or dst.read_bytes() != src.read_bytes():
                dst.parent.mkdir(parents=True, exist_ok=True)
                shutil.copy(src, dst)
    # A file renamed or deleted in the worktree goes from the copy too: the build globs
    # its folders and would still compile it.
    for folder, dirs, files in os.walk(SRC):
        dirs[:] = [d for d in dirs if not (Path(folder) == SRC and d == "build")]
        for name in files:
            if Path(folder) / name not in kept:
                (Path(folder) / name).unlink()


def build(targets, log):
    return run(["cmake", "--build", str(BUILD), "-j2", "--target", *targets], log) == 0


def test(name, log, timeout):
    return run(["ctest", "--test-dir", str(BUILD), "-R", f"^{name}$", "--output-on-failure"], log, timeout)


def baseline(log):
    """Builds every mapped test and runs it unmutated: all must pass. Returns their times."""
    sync_copy()
    if not (BUILD / "build.ninja").exists():
        flags = "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
        if run(["cmake", "-S", str(SRC), "-B", str(BUILD), "-G", "Ninja",
                "-DCMAKE_BUILD_TYPE=RelWithDebInfo", flags], log) != 0:
            sys.exit(f"configuring failed, see {log}")
    names = [t for folder in SCOPE for t in TESTS[folder]]
    if not build(["pw_data", "pw_characters", *[PROGRAM.get(t, t) for t in names]], log):
        sys.exit(f"the unmutated build failed, see {log}")
    times = {}
    for name in names:
        start = time.monotonic()
        if test(name, log, 600) != 0:
            sys.exit(f"{name} fails without a mutant, see {log}")
        times[name] = time.monotonic() - start
    return times


def try_mutant(site, times, log):
    """Returns ("not viable", None), ("caught", test), ("timeout", test) or ("survived", None)."""
    rel, no, a, b, new, _ = site
    path = SRC / rel
    original = path.read_text()
    lines = original.split("\n")
    lines[no - 1] = lines[no - 1][:a] + new + lines[no - 1][b:]
    path.write_text("\n".join(lines))
    try:
        folder = next(f for f in SCOPE if rel.startswith(f + "/"))
        for k, name in enumerate(sorted(TESTS[folder], key=times.get)):
            if not build([PROGRAM.get(name, name)], log):
                return ("not viable", None) if k == 0 else ("caught", f"{name} (link)")
            rc = test(name, log, 10 + 5 * times[name])
            if rc is None:
                return "timeout", name
            if rc != 0:
                return "caught", name
        return "survived", None
    finally:
        path.write_text(original)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--count", type=int, default=60)
    ap.add_argument("--list", action="store_true", help="print the chosen mutants without running them")
    ap.add_argument("--scope", help="comma-separated folders to plant faults in, of: " + ", ".join(TESTS))
    args = ap.parse_args()
    if args.scope:
        SCOPE[:] = args.scope.split(",")
        unknown = [f for f in SCOPE if f not in TESTS]
        if unknown:
            sys.exit(f"no tests are known for {', '.join(unknown)}")
    pool = candidates(args.seed)
    if args.list:
        for k, site in enumerate(pool[:args.count], 1):
            print(f"{k:3} {describe(site)}")
        print(f"({len(pool)} candidates; one that does not compile is replaced by the next)")
        return
    (WORK / "logs").mkdir(parents=True, exist_ok=True)
    where = "-" + "+".join(f.replace("/", "_") for f in SCOPE) if args.scope else ""
    report = WORK / f"mutants-seed{args.seed}{where}.txt"
    started = time.monotonic()
    times = baseline(WORK / "logs" / "baseline.log")
    print(f"baseline passes ({sum(times.values()):.0f} s of tests)", flush=True)
    results, replaced = [], 0
    with open(report, "w") as out:
        for site in pool:
            if len(results) == args.count:
                break
            log = WORK / "logs" / f"{len(results) + replaced + 1:03}.log"
            log.unlink(missing_ok=True)
            verdict, by = try_mutant(site, times, log)
            if verdict == "not viable":
                replaced += 1
                print(f"    not viable: {describe(site)}", flush=True)
                continue
            results.append(verdict)
            tail = {"caught": f"caught by {by}", "timeout": f"caught by timeout in {by}"}.get(verdict, "SURVIVED")
            line = f"{len(results):3} {describe(site)}  => {tail}"
            print(line, flush=True)
            out.write(line + "\n")
        caught = sum(r != "survived" for r in results)
        n = max(len(results), 1)
        summary = (f"caught {caught} of {len(results)} ({100 * caught / n:.0f} %); "
                   f"{results.count('timeout')} of them by timeout; {replaced} not viable, replaced; "
                   f"seed {args.seed}; {(time.monotonic() - started) / 60:.0f} min")
        print(summary)
        out.write(summary + "\n")
    print(f"written to {report.relative_to(ROOT)}")


if __name__ == "__main__":
    try:
        main()
    except KeyboardInterrupt:
        sys.exit("interrupted; the copy's file was put back")
