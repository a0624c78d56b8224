# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""Each test gets its own board file (and no trace or state) in a scratch
folder; ORNSYS_LIBRARY names the library under test."""

import pathlib

import pytest

SOURCE = pathlib.Path(__file__).resolve().parents[2]

# A board whose every value the tests know.
KNOWN_BOARD = (pathlib.Path(__file__).parent / "known.board").read_text()


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
