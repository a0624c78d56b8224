# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""Each test gets its own board file (and no trace or state) in a scratch
folder; ORNSYS_LIBRARY names the library under test."""

import os
import pathlib

import pytest

SOURCE = pathlib.Path(__file__).resolve().parents[2]

# A board whose every value the tests know.
KNOWN_BOARD = """
[board]
platform = "PY-BOARD"
sysbios = "BIOS 1.2"
bbversion = "BB 9"
hwrevision = "R3"
serial = "SN-42"
bootcounter = 17
optime = 1234
manufactured = 01.02.2023 04:05
config-size = 8
config = 01 02 03 04 05 06 07 08
[cpu]
speed = 1000
string = "Test CPU"
[nvram]
type = 0
size = 64
data = 10 11 12 13
[nvram]
type = 3
size = 64
block-size = 16
manufacturer = 0x89
device = 0x1234
[i2c-bus]
id = 10
name = "EDID"
max-block = 8
[i2c-device]
bus = 10
address = 0x50
size = 32
data = 00 ff ff ff ff ff ff 00 aa bb
[temp-sensor]
type = 0
name = "CPU"
value = 51
[temp-sensor]
type = 1
name = "Board"
value = -3
[volt-sensor]
nominal = 3300
name = "3V3"
value = 3290
[volt-sensor]
nominal = unknown
name = "VBAT"
value = 2950
[watchdog]
status = 1
[display]
brightness = 0x20
contrast = 0x30
[system]
misc = 3
power = 0
[battery]
unit = 1
design-capacity = 4000
full-charge-capacity = 3900
design-voltage = 7400
status = 4
rate = 250
remaining = 3000
voltage = unknown
device-name = "Pack"
serial = "B1"
type = "LION"
manufacturer = "Cells"
[ports]
0x80 = 0x5a
"""


@pytest.fixture(autouse=True)
def board_environment(tmp_path, monkeypatch):
    for name in ("ORNSIM_BOARD", "ORNSIM_TRACE", "ORNSIM_STATE"):
        monkeypatch.delenv(name, raising=False)
    monkeypatch.chdir(tmp_path)
    yield tmp_path


@pytest.fixture
def board_file(tmp_path, monkeypatch):
    """Writes a board file (the known board plus `extra`) and names it."""
    def write(extra="", base=KNOWN_BOARD):
        path = tmp_path / "test.board"
        path.write_text(base + "\n" + extra)
        monkeypatch.setenv("ORNSIM_BOARD", str(path))
        return path
    return write


@pytest.fixture
def board(board_file):
    import ornsys
    board_file()
    with ornsys.Board() as b:
        yield b


def library_path():
    return os.environ["ORNSYS_LIBRARY"]
