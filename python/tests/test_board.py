# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""Every family through the package, against a board whose values are known
(its answers written whole in known.answers, and with faults in faults.answers)."""

import concurrent.futures
import os
import re
import subprocess

import pytest

import ornsys
from ornsys import _errors, _lib, _records
from answers import STEPS, answer
from conftest import SOURCE


# Faults that every kind of exception comes from, a partial read among them.
FAULTS = "".join(f"[fault]\n{rule}\n" for rule in [
    "function = 0x53\nstatus = 0x8000", "function = 0x56\nindex = 1\nstatus = 0x8041",
    "function = 0x31\nstatus = 0x8051", "function = 0x21\nstatus = 0x8022", "function = 0x01\nstatus = 0x8012",
    "function = 0x64\nstatus = 0x1234", "function = 0x71\nstatus = 0x8012",
    "function = 0x13\nindex = 0\ncall = 3\nstatus = 0x8031"])


@pytest.mark.parametrize("faults, answers", [("", "known.answers"), (FAULTS, "faults.answers")])
def test_every_family_answers_as_known(board_file, faults, answers):
    board_file(faults)
    with ornsys.Board() as board:
        got = "".join(f"{name}: {answer(board, name)}\n" for name in STEPS)
    assert got == (SOURCE / "python" / "tests" / answers).read_text()


def test_closed_library_and_unloadable_board(board_file):
    with pytest.raises(ornsys.NotOpen):
        ornsys.Board().info
    board_file("[nosuch]\n")
    with pytest.raises(ornsys.OrnError) as failed:
        ornsys.Board().open()
    assert failed.value.code == 0x8100


def test_threads_share_the_library(board_file):
    def work(n):
        cmos = board.nvrams[0]
        for i in range(300):
            assert board.temperatures[0].value == 51
            data = bytes([n, i % 256])
            cmos.write(16 + 2 * n, data)
            assert cmos.read(16 + 2 * n, 2) == data

    board_file()
    with ornsys.Board() as board, concurrent.futures.ThreadPoolExecutor(6) as pool:
        for thread in [pool.submit(work, n) for n in range(6)]:
            thread.result()  # what the thread raised, raised here


def test_the_package_agrees_with_the_library_and_its_headers():
    """Every exported function bound and used; the records' sizes those of the
    header; the status classes name codes of the protocol's table."""
    symbols = subprocess.run(["nm", "-D", "--defined-only", os.environ["ORNSYS_LIBRARY"]], capture_output=True,
                             text=True, check=True).stdout
    exported = set(re.findall(r" T (Orn\w+)@@ORNSYS_2$", symbols, re.M))
    assert len(exported) == 46
    assert set(_lib.PROTOTYPES) == exported
    package = "".join(p.read_text() for p in (SOURCE / "python" / "ornsys").glob("*.py") if p.name != "_lib.py")
    unused = {name for name in exported if not re.search(rf"\b{name}\b", package)}
    assert unused == set()
    header = (SOURCE / "include" / "ornsyst.h").read_text()
    sizes = {name: int(size) for name, size in re.findall(r"ORNSYST_SIZE_CHECK\((\w+), (\d+)\);", header)}
    assert {cls.__name__: size for cls, size in _records.C_SIZES.items()} == sizes
    header = (SOURCE / "include" / "ornsyslx.h").read_text()
    codes = {name: int(code, 16) for name, code in re.findall(r"#define (ORN_\w+) (0x[0-9A-Fa-f]{4})\b", header)}
    table = (SOURCE / "protocol" / "zoka.h").read_text()
    known = {codes[name] for name in re.findall(r"X\((ORN_\w+), \"", table)}
    assert len(known) == 22  # the firmware's 21 and the board service's refusal
    assert set(_errors._CLASSES) <= known
