# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""A client of the board service for its tests, run as another user.

  client.py steps NAME...      the answer of each step of answers.py, a line each
  client.py load SECONDS ID    calls in a loop, each answer checked; prints "calls N wrong M"
  client.py hold               opens, answers each line read on standard input
                               (identity, port, forked)
"""

import os
import sys

import ornsys
from answers import answer


def steps(names):
    with ornsys.Board() as board:
        for name in names:
            print(f"{name}: {answer(board, name)}")


def load(seconds, ident):
    """Reads the board's identity and a sensor, and writes then reads back a
    CMOS byte of this client's own, until the time is up."""
    import time
    calls = wrong = 0
    offset = 0x40 + ident
    with ornsys.Board() as board:
        platform, cmos = board.info.platform, board.nvrams[0]
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            value = (calls + ident) & 0xFF
            cmos.write(offset, bytes([value]))
            wrong += cmos.read(offset, 1) != bytes([value])
            wrong += board.info.platform != platform
            wrong += board.temperatures[0].value != 45
            calls += 4
    print("calls", calls, "wrong", wrong)


def _answer(call):
    try:
        return f"ok {call()}"
    except ornsys.OrnError as error:
        return f"0x{error.code:04x}"


def _in_a_child(call):
    """The answer of `call` in a forked child, with how many sockets the
    child then holds."""
    read_end, write_end = os.pipe()
    pid = os.fork()
    if pid == 0:
        os.close(read_end)
        said = _answer(call)
        links = [f"/proc/self/fd/{fd}" for fd in os.listdir("/proc/self/fd")]
        sockets = sum(os.readlink(link).startswith("socket:") for link in links if os.path.exists(link))
        os.write(write_end, f"child {said} sockets {sockets}".encode())
        os._exit(0)
    os.close(write_end)
    with os.fdopen(read_end) as result:
        said = result.read()
    os.waitpid(pid, 0)
    return said


def hold():
    """Answers each line of words (identity, port, forked: identity in a
    child; none: identity) in order."""
    with ornsys.Board() as board:
        asks = {"identity": lambda: board.info.platform, "port": lambda: hex(ornsys.port_read(0x2E)),
                "forked": lambda: _in_a_child(lambda: board.info.platform)}
        for line in sys.stdin:
            print(*(_answer(asks[word]) for word in line.split() or ["identity"]), flush=True)


if __name__ == "__main__":
    command, args = sys.argv[1], sys.argv[2:]
    if command == "steps":
        steps(args)
    elif command == "load":
        load(float(args[0]), int(args[1]))
    else:
        hold()
