#!/usr/bin/env python3
"""Mutation run over src/: one small change at a time, in a copy of the tree.

    mutate/mutate.py [--mutants N] [--seed S] [--list] [--only TEXT] [--out DIR]
                     [--survivors-of RESULTS.json]

Each mutant is one of:
  - a comparison swapped: < and <=, > and >=;
  - a constant one more or one less, where it is a limit: next to a
    comparison, a named constant (kName = value) or a range end of inRange;
  - the condition of an if or while negated;
  - a call into the host (host::...) or the application (an event handler,
    a receiver's routine, the calls that fire events) removed: a statement
    goes, a value becomes what the host answers when it lacks the entry point.

The tree is copied into <out>/tree (only files that changed are copied
again) and built there with its own build folder and Wine prefix; the
checkout is never written. For each mutant the changed source is written,
the DLL and the test programs that link it are rebuilt incrementally, and
the tests run, stopping at the first failure: the programs of the file's
area first, then the others that can see the change (they load the DLL or
link the changed code), quickest first, then the gallery against its golden
pictures. A build failure or a test that outlives its time limit counts as
killed. Ctrl+C, a failed build or a hung test leave no mutated file behind:
the original is written back before the run goes on or ends (and a run left
half-way is mended when the next one starts).

MUTANTS=N picks N mutants at random with the seed (SEED), the same ones for
the same seed and sources; without it every mutant runs. --survivors-of runs
only the mutants of an earlier run over the same sources that no test
killed. Survivors named in
mutate/equivalents.txt are reported as equivalent, with their reason.
"""

import argparse
import glob
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
EQUIVALENTS = os.path.join(HERE, "equivalents.txt")
# The Windows versions under which the gallery and the version tests run:
# Windows XP's themed look and the classic look of every other NT (make test
# also runs win2k, winxp64 and win7, which draw and answer as win10 does).
WINDOWS_VERSIONS = ["winxp", "win10"]
GOLDEN = {"winxp": "gallery.png"}


# ---- finding mutants ------------------------------------------------------------


def mask(text):
    """The text with comments and string and character literals blanked
    (newlines kept), so that offsets stay those of the text."""
    out = list(text)
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            while i < n and text[i] != "\n":
                out[i] = " "
                i += 1
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            for j in range(i, end):
                if text[j] != "\n":
                    out[j] = " "
            i = end
        elif c in "\"'":
            # A raw string never occurs in src/; escapes are skipped.
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            for k in range(i + 1, min(j, n)):
                out[k] = " "
            i = j + 1
        else:
            i += 1
    return "".join(out)


def skipped_lines(masked):
    """Lines that are not behaviour of the DLL: preprocessor lines,
    static_assert and assert, and the white-box inspection blocks."""
    skip = set()
    depth = 0
    open_assertion = False
    for number, line in enumerate(masked.split("\n"), 1):
        stripped = line.strip()
        if depth:
            if stripped.startswith("#if"):
                depth += 1
            elif stripped.startswith("#endif"):
                depth -= 1
            skip.add(number)
            continue
        if stripped.startswith("#if") and "CLASSICCONTROLS_WHITE_BOX" in stripped:
            depth = 1
            skip.add(number)
            continue
        if stripped.startswith("#"):
            skip.add(number)
        elif re.match(r"(static_assert|assert)\s*\(", stripped) or open_assertion:
            # An assertion that goes on over several lines is skipped to its end.
            skip.add(number)
            open_assertion = ";" not in stripped
    return skip


def matching_paren(masked, open_at):
    depth = 0
    for i in range(open_at, len(masked)):
        if masked[i] == "(":
            depth += 1
        elif masked[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def host_entry_points(tree):
    """The host's entry points as the resolver's header declares them, each
    with whether it answers a value (False for void)."""
    header = open(os.path.join(tree, "src/host_services/resolver.h")).read()
    return {name: kind.strip() != "void"
            for kind, name in re.findall(r"^([A-Za-z_][\w:<>]*\s*\**)\s+(\w+)\(", header, re.M)}


INTEGER = r"(?:0[xX][0-9a-fA-F]+|\d+)[uUlL]*"
COMPARISON = r"(?:<=|>=|==|!=|<|>)"
# Calls that reach the application: its handlers and receivers' routines
# (answers a value), and the plug-in's own calls that fire events.
APPLICATION_VALUE_CALLS = ("handler", "routine")
FIRING_CALLS = ("fireAction", "firePlainEvent", "fireBooleanMouseEvent", "firePlainMouseEvent", "fireMouseEvent",
                "notifyReceivers", "forwardMouseDown", "forwardMouseDrag", "forwardMouseUp")


def statement_start(masked, at):
    """True when the text before at ends a statement or opens a block."""
    j = at - 1
    while j >= 0 and masked[j] in " \t\n":
        j -= 1
    if j < 0 or masked[j] in ";{}":
        return True
    if masked[j] == ")":
        # The end of an if, while or for head: at starts the statement it governs.
        depth = 0
        for k in range(j, -1, -1):
            if masked[k] == ")":
                depth += 1
            elif masked[k] == "(":
                depth -= 1
                if depth == 0:
                    head = masked[max(0, k - 8):k].rstrip()
                    return head.endswith(("if", "while", "for"))
    return masked[max(0, j - 3):j + 1] == "else"


def find_mutants(path, text, host_calls):
    masked = mask(text)
    skip = skipped_lines(masked)
    mutants = []

    def line_of(at):
        return text.count("\n", 0, at) + 1

    def add(start, end, replacement, kind):
        line = line_of(start)
        if line in skip or line_of(end) in skip:
            return
        mutants.append({"file": path, "start": start, "end": end, "line": line,
                        "original": text[start:end], "replacement": replacement, "kind": kind})

    # Comparisons, written with a space on each side (templates are not).
    swap = {"<": "<=", "<=": "<", ">": ">=", ">=": ">"}
    for m in re.finditer(r"(?<=\s)(<=|>=|<|>)(?=\s)", masked):
        add(m.start(), m.end(), swap[m.group(1)], "comparison")

    # Constants at limits: beside a comparison, a named constant, a range end.
    limits = set()
    for m in re.finditer(r"(?<=\s)" + COMPARISON + r"\s+(-?" + INTEGER + r")\b", masked):
        limits.add((m.start(1), m.end(1)))
    for m in re.finditer(r"(?<![\w.])(" + INTEGER + r")\s+" + COMPARISON + r"(?=\s)", masked):
        limits.add((m.start(1), m.end(1)))
    for m in re.finditer(r"\bk[A-Z]\w*\s*=\s*(-?" + INTEGER + r")\s*[,;}]", masked):
        limits.add((m.start(1), m.end(1)))
    for m in re.finditer(r"\binRange\(", masked):
        close = matching_paren(masked, m.end() - 1)
        for n in re.finditer(r"(?<![\w.])(" + INTEGER + r")", masked[m.end():close]):
            limits.add((m.end() + n.start(1), m.end() + n.end(1)))
    for start, end in sorted(limits):
        sign, digits, suffix = re.match(r"(-?)(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)", text[start:end]).groups()
        hexadecimal = digits[:2] in ("0x", "0X")
        value = int(digits, 16 if hexadecimal else 10) * (-1 if sign else 1)
        for changed in (value + 1, value - 1):
            if changed < 0 and suffix:
                continue  # an unsigned constant
            shown = ("0x%0*X" % (len(digits) - 2, changed)) if hexadecimal and changed >= 0 else str(changed)
            add(start, end, shown + suffix, "constant")

    # Conditions negated.
    for m in re.finditer(r"\b(if|while)\s*\(", masked):
        open_at = m.end() - 1
        close = matching_paren(masked, open_at)
        if close < 0:
            continue
        condition = text[open_at + 1:close]
        if re.match(r"\s*[A-Za-z_][\w:<>]*[\s*&]+[A-Za-z_]\w*\s*=(?!=)", condition) or ";" in condition:
            continue  # a declaration in the condition: it cannot be negated
        add(open_at + 1, close, "!(" + condition + ")", "condition")

    # Calls into the host and the application removed.
    if not path.endswith("host_services/resolver.cpp"):
        for m in re.finditer(r"\bhost::(\w+)\(", masked):
            name = m.group(1)
            if name not in host_calls:
                continue
            close = matching_paren(masked, m.end() - 1)
            if statement_start(masked, m.start()):
                add(m.start(), close + 1, "(void)0", "call")
            elif host_calls[name]:
                # The value the host answers without the entry point, in the
                # call's own type (the call itself is not made).
                add(m.start(), close + 1, "decltype(%s){}" % text[m.start():close + 1], "call")
    names = "|".join(APPLICATION_VALUE_CALLS + FIRING_CALLS)
    for m in re.finditer(r"(?<![\w:.>])(?:control_events::)?\b(" + names + r")\(", masked):
        close = matching_paren(masked, m.end() - 1)
        if statement_start(masked, m.start()):
            add(m.start(), close + 1, "(void)0", "call")
        elif m.group(1) in APPLICATION_VALUE_CALLS:
            add(m.start(), close + 1, "0", "call")
    return mutants


def all_mutants(tree):
    host_calls = host_entry_points(tree)
    found = []
    for path in sorted(glob.glob(os.path.join(tree, "src", "**", "*"), recursive=True)):
        if not path.endswith((".cpp", ".h")):
            continue
        relative = os.path.relpath(path, tree)
        found += find_mutants(relative, open(path, encoding="utf-8", newline="").read(), host_calls)
    for number, mutant in enumerate(found):
        mutant["id"] = number
    return found


def describe(mutant):
    original = " ".join(mutant["original"].split())
    replacement = " ".join(mutant["replacement"].split())
    if len(original) > 60:
        original = original[:57] + "..."
    if len(replacement) > 60:
        replacement = replacement[:57] + "..."
    return "%s:%d %s: `%s` -> `%s`" % (mutant["file"], mutant["line"], mutant["kind"], original, replacement)


# ---- the copy of the tree ----------------------------------------------------


def tracked_files():
    listing = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=REPO, check=True,
                             capture_output=True).stdout.decode()
    return [f for f in listing.split("\0") if f and os.path.isfile(os.path.join(REPO, f))]


def sync_tree(tree):
    """Copies the checkout into tree, rewriting only files whose bytes differ
    (so that an incremental build rebuilds only what changed, and any file
    left mutated is put right) and removing files the checkout no longer has."""
    wanted = set(tracked_files())
    for relative in wanted:
        source = os.path.join(REPO, relative)
        target = os.path.join(tree, relative)
        with open(source, "rb") as f:
            data = f.read()
        if os.path.exists(target):
            with open(target, "rb") as f:
                if f.read() == data:
                    continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(data)
        shutil.copymode(source, target)
    for top in ("src", "tests", "host", "include", "gallery", "cmake", "tools", "docs"):
        for path in glob.glob(os.path.join(tree, top, "**", "*"), recursive=True):
            if os.path.isfile(path) and os.path.relpath(path, tree) not in wanted:
                os.remove(path)


class Journal:
    """The mutated file and its original bytes, on disk while a mutant is in
    place, so that an interrupted run is mended by the next one."""

    def __init__(self, out, tree):
        self.path = os.path.join(out, "mutant-in-place.json")
        self.tree = tree

    def write(self, relative, original):
        with open(self.path, "w") as f:
            json.dump({"file": relative, "original": original}, f)

    def restore(self):
        if not os.path.exists(self.path):
            return
        with open(self.path) as f:
            entry = json.load(f)
        with open(os.path.join(self.tree, entry["file"]), "w", encoding="utf-8", newline="") as f:
            f.write(entry["original"])
        os.remove(self.path)


# ---- building and testing --------------------------------------------------------

running = None  # the child process group now running


def run(command, timeout, cwd=None, log=None):
    """Runs command in its own process group; answers (status, output, timed
    out). A command that outlives timeout is killed with its group."""
    global running
    started = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               stdin=subprocess.DEVNULL, start_new_session=True)
    running = started
    try:
        output, _ = started.communicate(timeout=timeout)
        timed_out = False
    except subprocess.TimeoutExpired:
        os.killpg(started.pid, signal.SIGKILL)
        output, _ = started.communicate()
        timed_out = True
    finally:
        running = None
    text = output.decode(errors="replace")
    if log:
        with open(log, "a") as f:
            f.write("$ %s\n%s\n" % (" ".join(command), text))
    return started.returncode, text, timed_out


class Build:
    def __init__(self, out, tree):
        self.tree = tree
        self.dir = os.path.join(out, "build")
        self.bin = os.path.join(self.dir, "bin")
        self.prefix = os.path.join(out, "wine")
        self.wine_run = [os.path.join(tree, "tools", "wine-run"), "--prefix=" + self.prefix]
        self.log = os.path.join(out, "build.log")
        self.tests = sorted(os.path.basename(p)[:-4] for p in glob.glob(os.path.join(tree, "tests", "*_test.cpp")))

    def configure(self, warnings_allowed):
        # The copy builds as the project does, warnings as errors: a mutant
        # the compiler refuses could never be committed. With warnings
        # allowed, one that only draws a warning (an argument left unused by
        # a removed call) is tested like any other.
        launcher = ""
        if warnings_allowed:
            launcher = os.path.join(os.path.dirname(self.dir), "compile-with-warnings")
            with open(launcher, "w") as f:
                f.write('#!/bin/sh\nexec "$@" -Wno-error\n')
            os.chmod(launcher, 0o755)
        status, output, _ = run(["cmake", "-S", self.tree, "-B", self.dir, "-G", "Unix Makefiles",
                                 "-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(self.tree, "cmake", "mingw-x86_64.cmake"),
                                 "-DCMAKE_BUILD_TYPE=Release", "-DWINE_PREFIX=" + self.prefix,
                                 "-DCMAKE_CXX_COMPILER_LAUNCHER=" + launcher,
                                 "-DCLASSICCONTROLS_TESTS=ON", "-DPEER_BUILD_DIR="], 1800, log=self.log)
        if status != 0:
            sys.exit("mutate: configuring the copy failed:\n" + output[-3000:])

    def build(self, targets, timeout):
        status, output, timed_out = run(["cmake", "--build", self.dir, "-j2", "--target"] + list(targets), timeout,
                                        log=self.log)
        return status == 0 and not timed_out, output

    def object_of(self, relative):
        """The DLL's own object of a source file (not its white-box compilation)."""
        name = relative + ".obj"
        found = glob.glob(os.path.join(self.dir, "CMakeFiles", "plugin_*objects.dir", name))
        return [p for p in found if "white_box" not in p]

    def symbols(self, path):
        output = subprocess.run(["x86_64-w64-mingw32-nm", "--defined-only", "-g", path], capture_output=True,
                                text=True).stdout
        return {line.split()[-1] for line in output.splitlines() if len(line.split()) == 3 and
                line.split()[1] in "TDBR"}

    def linked_sources(self, sources):
        """For each source of the core library, the test programs that link
        its object (found by the symbols it defines)."""
        program_symbols = {t: self.symbols(os.path.join(self.bin, t + ".exe")) for t in self.tests}
        linked = {}
        for relative in sources:
            objects = glob.glob(os.path.join(self.dir, "CMakeFiles", "plugin_*objects.dir", relative + ".obj"))
            defined = set()
            for o in objects:
                defined |= self.symbols(o)
            linked[relative] = sorted(t for t, s in program_symbols.items() if defined & s)
        return linked

    def header_users(self, linked):
        """For each header of src/, the test programs (and the gallery) that
        must be built again when it changes: those whose own objects include
        it, and those that link an object of the core library that does."""
        users = {}
        for depfile in glob.glob(os.path.join(self.dir, "CMakeFiles", "*.dir", "**", "*.obj.d"), recursive=True):
            target = os.path.basename(depfile.split(".dir" + os.sep)[0])
            relative_object = depfile.split(".dir" + os.sep, 1)[1][:-len(".obj.d")]
            if target.startswith("plugin_") and target.endswith("objects"):
                programs = linked.get(relative_object, [])
            elif target in self.tests or target == "gallery_cells":
                programs = ["gallery" if target == "gallery_cells" else target]
            else:
                continue
            for token in open(depfile, encoding="utf-8", errors="replace").read().replace("\\\n", " ").split():
                if token.startswith(os.path.join(self.tree, "src") + os.sep) and token.endswith(".h"):
                    users.setdefault(os.path.relpath(token, self.tree), set()).update(programs)
        return users

    def checks(self):
        """Every check the run may make, as (name, command): each test
        program (the version test once per Windows version) and the golden
        gallery of each version."""
        found = []
        for test in self.tests:
            exe = os.path.join(self.bin, test + ".exe")
            if test == "windows_version_test":
                for version in WINDOWS_VERSIONS:
                    found.append((test + "." + version, self.wine_run + ["--windows", version, exe,
                                                                         "--gtest_fail_fast"]))
            else:
                found.append((test, self.wine_run + [exe, "--gtest_fail_fast"]))
        for version in WINDOWS_VERSIONS:
            golden = GOLDEN.get(version, "gallery-classic.png")
            found.append(("gallery." + version,
                          self.wine_run + ["--windows", version, os.path.join(self.bin, "gallery.exe"),
                                           os.path.join(self.dir, "gallery-mutant.png"), "--check",
                                           os.path.join(self.tree, "docs", golden)]))
        return found


def loads_dll(tree, test):
    """True when a test program loads the DLL (through the host component);
    one that does not sees a mutant only through the objects it links."""
    seen, pending = set(), [test + ".cpp"]
    while pending:
        name = pending.pop()
        path = os.path.join(tree, "tests", name)
        if name in seen or not os.path.exists(path):
            continue
        seen.add(name)
        source = open(path, encoding="utf-8").read()
        if re.search(r"pluginPath\(|\bHostTest\b|ClassicControls\.dll", source):
            return True
        pending += re.findall(r'#include "([\w.]+)"', source)
    return False


def area_of(tree, relative, tests):
    """The test programs of a source file's area: those named after it or its
    folder, or whose source includes its header."""
    stem = os.path.splitext(os.path.basename(relative))[0].lower()
    folder = os.path.basename(os.path.dirname(relative))
    header = os.path.splitext(relative[len("src/"):])[0] + ".h"
    area = []
    for test in tests:
        source = open(os.path.join(tree, "tests", test + ".cpp"), encoding="utf-8").read()
        if (test.startswith(stem) or (folder not in ("base", "controls", "host_services", "entry") and
                                      test.startswith(folder)) or '"%s"' % header in source):
            area.append(test)
    return area


# ---- the run ---------------------------------------------------------------------


def load_equivalents():
    entries = []
    if not os.path.exists(EQUIVALENTS):
        return entries
    for line in open(EQUIVALENTS, encoding="utf-8"):
        if not line.strip() or line.startswith("#"):
            continue
        parts = [p.strip() for p in line.split(" | ")]
        if len(parts) >= 4:
            entries.append({"file": parts[0], "text": " | ".join(parts[1:-2]).strip("`"), "change": parts[-2],
                            "reason": parts[-1]})
    return entries


def equivalent_reason(mutant, text_lines, entries):
    line_text = text_lines[mutant["line"] - 1].strip()
    change = "`%s` -> `%s`" % (" ".join(mutant["original"].split()), " ".join(mutant["replacement"].split()))
    for entry in entries:
        if entry["file"] == mutant["file"] and entry["text"] == line_text and entry["change"] == change:
            return entry["reason"]
    return None


def main():
    parser = argparse.ArgumentParser(description="Mutation run over src/ in a copy of the tree.")
    parser.add_argument("--mutants", type=int, default=int(os.environ.get("MUTANTS", "0") or 0),
                        help="sample this many mutants (0: all)")
    parser.add_argument("--seed", type=int, default=int(os.environ.get("SEED", "1") or 1))
    parser.add_argument("--only", default=os.environ.get("MUTATE_ONLY", ""),
                        help="only mutants whose description contains this text")
    parser.add_argument("--list", action="store_true", help="list the mutants and stop")
    parser.add_argument("--out", default=os.path.join(REPO, "build", "mutate"))
    parser.add_argument("--build-timeout", type=int, default=900)
    parser.add_argument("--warnings-allowed", action="store_true", default=os.environ.get("MUTATE_WARNINGS") == "1",
                        help="build the mutants with warnings not as errors")
    parser.add_argument("--survivors-of", default=os.environ.get("MUTATE_SURVIVORS_OF", ""),
                        help="only the mutants of an earlier run (its results-*.json, the same sources) that no "
                             "test killed: its survivors and those its build refused")
    args = parser.parse_args()

    out = os.path.abspath(args.out)
    tree = os.path.join(out, "tree")
    os.makedirs(tree, exist_ok=True)
    journal = Journal(out, tree)
    journal.restore()
    sync_tree(tree)

    mutants = all_mutants(tree)
    if args.only:
        mutants = [m for m in mutants if args.only in describe(m)]
    total_found = len(mutants)
    if args.mutants and args.mutants < len(mutants) and not args.survivors_of:
        mutants = random.Random(args.seed).sample(mutants, args.mutants)
    if args.survivors_of:
        # Mutants a test killed stay killed: no test is taken away between runs.
        earlier = json.load(open(args.survivors_of))
        again = {(m["file"], m["start"], m["end"], m["replacement"]) for m in earlier
                 if m["outcome"] == "survived" or (m["outcome"] == "killed" and m["detail"] == "build")}
        mutants = [m for m in mutants if (m["file"], m["start"], m["end"], m["replacement"]) in again]
    # Mutants of one file one after the other: one recompile each.
    mutants.sort(key=lambda m: (m["file"], m["start"], m["replacement"]))
    if args.list:
        for m in mutants:
            print(describe(m))
        print("%d of %d mutants" % (len(mutants), total_found))
        return 0

    def stop(signum, frame):
        if running is not None:
            try:
                os.killpg(running.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        journal.restore()
        subprocess.run([os.path.join(tree, "tools", "wine-run"), "--prefix=" + os.path.join(out, "wine"), "--stop"],
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        print("\nmutate: interrupted; the copy is as the checkout has it", flush=True)
        os._exit(130)

    signal.signal(signal.SIGINT, stop)
    signal.signal(signal.SIGTERM, stop)

    started = time.time()
    build = Build(out, tree)
    print("mutate: %d mutants (of %d in src/, seed %d); building the copy in %s" %
          (len(mutants), total_found, args.seed, build.dir), flush=True)
    build.configure(args.warnings_allowed)
    everything = ["ClassicControls", "gallery"] + build.tests
    ok, output = build.build(everything, 3600)
    if not ok:
        sys.exit("mutate: the copy does not build:\n" + output[-3000:])

    # The tests must pass on the unchanged tree; their times set the limits.
    checks = build.checks()
    limits, durations = {}, {}
    for name, command in checks:
        began = time.time()
        status, output, _ = run(command, 600, cwd=build.bin)
        if status != 0:
            sys.exit("mutate: %s fails on the unchanged tree:\n%s" % (name, output[-3000:]))
        durations[name] = time.time() - began
        limits[name] = max(60.0, 4 * durations[name])
    print("mutate: the unchanged tree passes %d checks (%.0f s so far)" % (len(checks), time.time() - started),
          flush=True)

    sources = sorted(os.path.relpath(p, tree) for p in glob.glob(os.path.join(tree, "src", "**", "*.cpp"),
                                                                 recursive=True))
    linked = build.linked_sources(sources)
    header_users = build.header_users(linked)
    baseline_objects = {}
    for relative in sources:
        for path in build.object_of(relative):
            baseline_objects[path] = open(path, "rb").read()

    dll_users = {t for t in build.tests if loads_dll(tree, t)}
    equivalents = load_equivalents()
    results = []
    # Test programs relinked while some mutant was in place; each is built
    # again before it next runs.
    stale = set()
    for number, mutant in enumerate(mutants, 1):
        relative = mutant["file"]
        path = os.path.join(tree, relative)
        original = open(path, encoding="utf-8", newline="").read()
        mutated = original[:mutant["start"]] + mutant["replacement"] + original[mutant["end"]:]
        journal.write(relative, original)
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(mutated)
        began = time.time()
        outcome, detail = None, ""
        try:
            if relative.endswith(".h"):
                needed = header_users.get(relative, set())
            else:
                needed = set(linked.get(relative, []))
            area = area_of(tree, relative, build.tests)
            targets = ["ClassicControls"] + sorted(needed | (stale & set(area)))
            ok, output = build.build(targets, args.build_timeout)
            if not ok:
                outcome, detail = "killed", "build"
            else:
                stale -= set(targets)
                stale |= needed
                objects = build.object_of(relative)
                if objects and all(baseline_objects.get(p) == open(p, "rb").read() for p in objects):
                    outcome, detail = "same-code", "the compiled object is unchanged"
            if outcome is None:
                # Only programs that can see the mutant: those that load the
                # DLL, those that link the changed code, and the gallery; the
                # area's first, then the quickest.
                relevant = [c for c in checks if c[0].split(".")[0] in dll_users | needed | {"gallery"}]
                ordered = [c for c in relevant if c[0].split(".")[0] in area] + \
                    sorted((c for c in relevant if c[0].split(".")[0] not in area), key=lambda c: durations[c[0]])
                outcome = "survived"
                for name, command in ordered:
                    program = name.split(".")[0]
                    if program in stale:
                        ok, output = build.build([program], args.build_timeout)
                        stale.discard(program)
                        stale |= needed
                    status, output, timed_out = run(command, limits[name], cwd=build.bin)
                    if timed_out:
                        outcome, detail = "killed", name + " (timed out)"
                        break
                    if status != 0:
                        outcome, detail = "killed", name
                        break
        finally:
            with open(path, "w", encoding="utf-8", newline="") as f:
                f.write(original)
            journal.restore()
        mutant["outcome"], mutant["detail"], mutant["seconds"] = outcome, detail, round(time.time() - began, 1)
        if outcome == "survived":
            reason = equivalent_reason(mutant, original.split("\n"), equivalents)
            if reason:
                mutant["outcome"], mutant["detail"] = "equivalent", reason
        results.append(mutant)
        print("[%d/%d] %-10s %s%s (%.0f s)" % (number, len(mutants), mutant["outcome"], describe(mutant),
                                                ", " + mutant["detail"] if mutant["detail"] else "",
                                                mutant["seconds"]), flush=True)

    # Put the copy's build back to the checkout's sources and stop its Wine.
    build.build(everything, 3600)
    run(build.wine_run + ["--stop"], 60)

    elapsed = time.time() - started
    killed = [m for m in results if m["outcome"] == "killed"]
    survived = [m for m in results if m["outcome"] == "survived"]
    equivalent = [m for m in results if m["outcome"] in ("equivalent", "same-code")]
    lines = ["Mutation run: seed %d, %d of %d mutants in src/, %.0f min" %
             (args.seed, len(results), total_found, elapsed / 60),
             "killed %d of %d (%.1f %%, %d of them by a failed build); equivalent %d (%d by their unchanged code); "
             "survived %d" %
             (len(killed), len(results), 100.0 * len(killed) / max(1, len(results)),
              sum(1 for m in killed if m["detail"] == "build"), len(equivalent),
              sum(1 for m in equivalent if m["outcome"] == "same-code"), len(survived)), ""]
    if survived:
        lines.append("Survivors:")
        lines += ["  " + describe(m) for m in survived]
        lines.append("")
    if equivalent:
        lines.append("Equivalent:")
        lines += ["  %s: %s" % (describe(m), m["detail"]) for m in equivalent]
    report = "\n".join(lines) + "\n"
    with open(os.path.join(out, "report-seed%d.txt" % args.seed), "w") as f:
        f.write(report)
    with open(os.path.join(out, "results-seed%d.json" % args.seed), "w") as f:
        json.dump(results, f, indent=1)
    print("\n" + report, flush=True)
    return 1 if survived else 0


if __name__ == "__main__":
    sys.exit(main())
