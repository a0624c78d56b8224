#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""Runs the tool over golden files and compares what it does with what each
file expects: standard output, standard error, the firmware trace, files
written and the exit status.

A golden file is a list of cases. Input lines:
  # ...                  comment
  board: NAME            board file from the boards folder (else the default)
  + LINE                 a line appended to the board file (e.g. a [fault] rule)
  repeat: N              the + lines after it stand N times
  program: NAME          run this program of the tool's folder instead of the tool
  env: NAME=VALUE        set for the run, after the runner's own (<work>: the work folder)
  file: NAME HEX ...     create a file in the work folder before the run
  text: NAME TEXT        ... or add a line of text to it
  show: NAME             show the file's bytes after the run
  state: on|off          keep the board's memories in a state file from here on
                         (each "on" starts a new one)
  literal: on|off        show usage texts in full (else they stand as one line)
  $ ARGS                 run the tool with these words (split at blanks)
Output lines, written by --update and compared otherwise:
  | TEXT  standard output    ! TEXT  standard error    @ TEXT  trace
  % NAME: HEX  a shown file  = N  exit status          \\ no newline  (last line unterminated)

With --sweep it instead fails every firmware function that each command of
the files reaches, with every status of golden/status-lines, and checks how
the tool ends."""

import argparse
import copy
import difflib
import os
import re
import subprocess
import sys
import tempfile



def read(path):
    """A file's text byte for byte (latin-1), or None when it cannot be read."""
    try:
        with open(path, encoding="latin-1", newline="") as f:
            return f.read()
    except OSError:
        return None


def write(path, text):
    with open(path, "w", encoding="latin-1", newline="") as f:
        f.write(text)


def lines_of(text):
    pieces = text.split("\n")
    return pieces[:-1] if pieces[-1] == "" else pieces


def is_output(line):
    return line in ("|", "!", "@") or (line[:1] in ("|", "!", "@", "%", "=", "\\") and line[1:2] == " ")


def stream(mark, text):
    """A stream's lines, each behind its mark."""
    out = "".join(f"{mark} {line}\n" if line else f"{mark}\n" for line in lines_of(text))
    return out + ("\\ no newline\n" if text and not text.endswith("\n") else "")


def normalize_trace(trace, far):
    """Far pointers hold addresses that differ between builds; the trace shows
    where one stands instead of its bytes. `far`: function number -> where
    its block's far pointer (6 bytes) sits, as the protocol table says."""
    out = []
    for line in lines_of(trace):
        arrow = line.find(" -> ")
        words = line.split(" ", 2)
        at = far.get(int(words[1], 16)) if len(words) > 2 and words[0] == "call" else None
        if at is not None and arrow >= 0:
            # The block after the arrow first, so that the one before keeps its place.
            for block in (arrow + 11, 10):
                start = block + 2 * at
                if len(line) >= start + 12 and line[block:block + 4] != "null":
                    line = line[:start] + "<far:ptr>" + line[start + 12:]
        out.append(line + "\n")
    return "".join(out)


class Case:
    def __init__(self):
        self.board, self.program, self.board_lines, self.files, self.show, self.env = "", "", [], [], [], []
        self.repeat = (1, 0)  # how often the + lines from which one on stand


def commands(text, on_line=lambda line: None):
    """Each command of a golden file: (case, words, state, literal), state the
    name of its state file or ""; every input line goes to on_line first."""
    case, state, literal, states = Case(), "", False, 0
    for line in lines_of(text):
        if is_output(line):
            continue
        on_line(line)
        if line.startswith("board: "):
            case.board = line[7:]
        elif line.startswith("+ "):
            case.board_lines.append(line[2:])
        elif line.startswith("repeat: "):
            case.repeat = (int(line[8:]), len(case.board_lines))
        elif line.startswith("show: "):
            case.show.append(line[6:])
        elif line.startswith("program: "):
            case.program = line[9:]
        elif line.startswith("env: "):
            case.env.append(line[5:].split("=", 1))
        elif line.startswith("text: "):
            name, _, text = line[6:].partition(" ")
            case.files.append((name, dict(case.files).get(name, "") + text + "\n"))
        elif line.startswith("state: "):
            states += line[7:] == "on"
            state = f"state{states}" if line[7:] == "on" else ""
        elif line.startswith("literal: "):
            literal = line[9:] == "on"
        elif line.startswith("file: "):
            name, *pairs = line[6:].split()
            case.files.append((name, "".join(chr(int(p, 16)) for p in pairs)))
        elif line == "$" or line.startswith("$ "):
            times, start = case.repeat
            case.board_lines[start:] = case.board_lines[start:] * times
            yield case, line[1:].split(), state, literal
            case = Case()


class Runner:
    def __init__(self, options, work):
        self.o, self.work, self.usage = options, work, []
        # What the state file keeps changes only through these.
        table = function_table(options.tool, options.emulator)
        self.changes_state = {number for number, (effect, _) in table.items() if effect == "stores"}
        self.far = {number: at for number, (_, at) in table.items() if at is not None}

    def learn_usage(self):
        """The usage texts the tool prints on its usage exits (no words, and
        "-help" after each category), each with the line that stands for it in
        the golden files; in full where a golden file asks for them literally."""
        self.run(Case(), [], "", True)
        self.usage = [(self.last["out"], "<usage>")]
        # The categories as the tool's own usage text lists them.
        for category in re.findall(r"^    (-[A-Z0-9]+) ", self.last["out"], re.M):
            self.run(Case(), [category, "-help"], "", True)
            self.usage.append((self.last["out"], f"<usage and {category[1:]} help>"))

    def run(self, case, words, state, literal):
        trace = os.path.join(self.work, "trace")
        env = dict(os.environ, ORNSIM_TRACE=trace)
        for name in ("ORNSIM_BOARD", "ORNSIM_STATE"):
            env.pop(name, None)
        if case.board or case.board_lines:
            board = read(os.path.join(self.o.boards, case.board) if case.board else self.o.default_board)
            env["ORNSIM_BOARD"] = os.path.join(self.work, "case.board")
            write(env["ORNSIM_BOARD"], board + "".join(line + "\n" for line in case.board_lines))
        if self.o.backend:
            env["ORNSYS_BACKEND"] = self.o.backend
        if state:
            env["ORNSIM_STATE"] = os.path.join(self.work, state)
        if os.path.exists(trace):
            os.unlink(trace)
        for name, data in case.files:  # a case may start with a trace of its own
            write(os.path.join(self.work, name), data)
        env.update((name, value.replace("<work>", self.work)) for name, value in case.env)
        program = os.path.join(os.path.dirname(self.o.tool), case.program) if case.program else self.o.tool
        try:
            done = subprocess.run(self.o.emulator + [program] + [w.encode("latin-1") for w in words], cwd=self.work,
                                  env=env, stdin=subprocess.DEVNULL, capture_output=True, timeout=10)
        except subprocess.TimeoutExpired as hung:  # a command that hangs fails at once, killed
            done = subprocess.CompletedProcess(hung.cmd, -9, hung.stdout or b"", hung.stderr or b"")
        # The version's second line names the backend, which differs between
        # the builds that run the same files; the board's clock counts real time.
        out = re.sub(r"(?<=\n)firmware access: [^\n]*", "<firmware access>", done.stdout.decode("latin-1"), count=1)
        out = re.sub(r"^clock: [0-9.]+ s since", "clock: <time> s since", out, flags=re.M)
        self.last = {"out": out, "err": done.stderr.decode("latin-1"), "trace": read(trace) or "",
                     "signal": done.returncode < 0, "exit": abs(done.returncode)}
        if not literal:
            out = next((label + "\n" for text, label in self.usage if text and out == text), out)
        result = stream("|", out.replace(self.work, "<work>")) + stream("!", self.last["err"].replace(self.work, "<work>"))
        result += stream("@", normalize_trace(self.last["trace"], self.far))
        for name in case.show:
            data = read(os.path.join(self.work, name))
            result += f"% {name}: " + ("missing" if data is None else " ".join(f"{ord(c):02x}" for c in data)) + "\n"
        return result + f"= {'signal ' if self.last['signal'] else ''}{self.last['exit']}\n"


def regenerate(options, text, work):
    """The golden file as the tool behaves now."""
    runner = Runner(options, work)
    runner.learn_usage()
    out = []
    for case, words, state, literal in commands(text, lambda line: out.append(line + "\n")):
        out.append(runner.run(case, words, state, literal))
    return "".join(out)


# ---- the fault sweep ----

# Each status a failing firmware call can give (the library's table and one
# it does not know) with the line the tool prints for it: "CODE LINE" a line.
STATUS_LINES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "golden", "status-lines")


def function_table(tool, emulator):
    """The protocol table as ornsim-trace --functions (beside the tool) lists
    it: number -> (effect, where the block's far pointer sits or None)."""
    listing = subprocess.run(emulator + [os.path.join(os.path.dirname(tool), "ornsim-trace"), "--functions"],
                             capture_output=True, text=True, check=True).stdout
    table = {}
    for line in listing.splitlines():
        number, _, effect, *far = line.split()
        table[int(number, 16)] = (effect, int(far[1]) if far[:1] == ["far-pointer-at"] else None)
    return table


def functions_that(tool, emulator, effects):
    """The firmware functions whose effect is one of `effects`."""
    return {number for number, (effect, _) in function_table(tool, emulator).items() if effect in effects}


def unexpected_ending(words, function, line, hit):
    """How the tool ends when `function` fails, against its design: None when
    right, else what is wrong. Mostly the error line and a failure status; the
    byte transfers stop short instead, the raw block command has a line of its
    own, and the NVRAM table marks the row."""
    if hit["exit"] == 247:
        return "usage exit"
    if function in (0x13, 0x14):
        return None  # a short transfer, counted
    if function == 0x17:
        if "utNVRamBlockRaw: error sending raw command!\n" not in hit["err"]:
            return "no raw line"
        return None if hit["exit"] == 255 else f"exit status {hit['exit']}"
    if line + "\n" not in hit["out"]:
        return f'no line "{line}"'
    if words[1].lower() == "-t" and function in (0x12, 0x15):
        return None if hit["exit"] == 0 else f"exit status {hit['exit']}"
    return None if hit["exit"] != 0 else "exit status 0"


def sweep_commands(files):
    """Every command of the golden files that reaches the firmware and succeeds
    on a board without fault rules, once per category, option and board."""
    found, seen = [], set()
    for file in files:
        for case, words, _, _ in commands(read(file)):
            key = " ".join([case.board] + words[:2]).lower()
            # Not another program, variables or a trace of its own, a board that fails on purpose, a repeat.
            if len(words) < 2 or case.board == "absent.board" or case.program or case.env or key in seen or \
                    "trace" in dict(case.files) or any("[fault]" in line for line in case.board_lines):
                continue
            seen.add(key)
            found.append((case, words))
    return found


def sweep(runner, case, words, failures):
    """Fails each firmware function that a command reaches with every status,
    on a state file: no signal, no sanitizer report, the status's error line
    and a failure exit, no change of the state file when a write failed, and
    the same command without the fault works afterwards as it did before.
    The number of faulted runs."""
    def fail(what):
        failures.append(f"FAIL sweep: {' '.join(words)} (board {case.board or 'default'}): {what}")

    name = "sweep.state"
    state = os.path.join(runner.work, name)
    if os.path.exists(state):
        os.unlink(state)
    runner.run(case, words, name, True)
    clean = runner.last
    if clean["signal"] or clean["exit"] == 255:
        return 0  # not a command that succeeds here
    called = dict.fromkeys(int(line[5:9], 16) for line in lines_of(clean["trace"]) if line.startswith("call 0x"))
    statuses = [(int(code, 16), line) for code, line in (row.split(" ", 1) for row in lines_of(read(STATUS_LINES)))]
    for function in called:
        for code, line in statuses:
            faulty = copy.copy(case)
            faulty.board_lines = case.board_lines + [f"[fault]\nfunction = {function:#04x}\nstatus = {code:#06x}"]
            before = read(state)
            runner.run(faulty, words, name, True)
            hit, label = runner.last, f"function {function:#04x} status {code:#06x}: "
            if hit["signal"]:
                fail(f"{label}ended by signal {hit['exit']}")
            elif "Sanitizer" in hit["err"] or "runtime error" in hit["err"]:
                fail(f"{label}sanitizer report:\n{hit['err']}")
            elif why := unexpected_ending(words, function, line, hit):
                fail(label + why)
            if function in runner.changes_state and read(state) != before:
                fail(label + "a failed write changed the state")
            runner.run(case, words, name, True)
            if runner.last["signal"] or runner.last["exit"] != clean["exit"]:
                fail(f"{label}the next command ended with {runner.last['exit']} instead of {clean['exit']}")
    return len(called) * len(statuses)


def main():
    parser = argparse.ArgumentParser(description="Runs the tool over golden files.")
    parser.add_argument("--tool", required=True)
    parser.add_argument("--boards", default="")
    parser.add_argument("--default-board", default="")
    parser.add_argument("--backend", default="")
    parser.add_argument("--emulator", default="", type=str.split)
    mode = parser.add_mutually_exclusive_group()
    mode.add_argument("--update", action="store_true")
    mode.add_argument("--sweep", action="store_true")
    parser.add_argument("--shard", default="0/1", help="with --sweep: the commands i with i %% N == K")
    parser.add_argument("files", nargs="+")
    o = parser.parse_args()
    o.tool = os.path.abspath(o.tool)
    if o.sweep:
        shard, shards = map(int, o.shard.split("/"))
        failures, runs, mine = [], 0, sweep_commands(o.files)[shard::shards]
        with tempfile.TemporaryDirectory(prefix="ornsys-sweep-") as work:
            runner = Runner(o, work)
            for case, words in mine:
                runs += sweep(runner, case, words, failures)
        print("\n".join(failures[:40]), file=sys.stderr)
        print(f"fault sweep: {len(mine)} commands, {runs} faulted runs\n{runs - len(failures)} passed, "
              f"{len(failures)} failed")
        return 1 if failures else 0
    failed = 0
    for file in o.files:
        expected = read(file)
        with tempfile.TemporaryDirectory(prefix="ornsys-golden-") as work:
            actual = regenerate(o, expected, work)
        if actual != expected and o.update:
            write(file, actual)
            print(f"updated {file}", file=sys.stderr)
        elif actual != expected:
            failed += 1
            print(f"FAIL {file}", file=sys.stderr)
            diff = difflib.unified_diff(lines_of(expected), lines_of(actual), file, "actual", lineterm="")
            print("\n".join(list(diff)[:60]), file=sys.stderr)
    print(f"{len(o.files) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
