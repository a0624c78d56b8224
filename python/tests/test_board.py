# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""Every family through the package, against a board whose values are known."""

import datetime
import re
import subprocess
import threading

import pytest

import ornsys
from ornsys import _errors, _lib, _records
from conftest import SOURCE, library_path


def test_identity_and_cpu(board):
    info = board.info
    assert (info.platform, info.sys_bios_version, info.bb_version, info.hw_revision, info.serial) == \
        ("PY-BOARD", "BIOS 1.2", "BB 9", "R3", "SN-42")
    assert (info.boot_counter, info.operating_time) == (17, 1234)
    assert info.manufactured == datetime.datetime(2023, 2, 1, 4, 5)
    assert info.maintained is None
    assert (board.cpu.speed_mhz, board.cpu.name) == (1000, "Test CPU")
    assert board.version == 0x8206 and ornsys.dll_version() == "2.0.6"


def test_configuration_block(board):
    assert board.config == bytes(range(1, 9))
    board.config = b"ABCDEFGH"
    assert board.config == b"ABCDEFGH"
    with pytest.raises(ValueError):
        board.config = b"short"


def test_nvram(board):
    cmos, flash = board.nvrams
    assert (cmos.info.type, cmos.info.size, cmos.info.readable, cmos.info.writable) == (0, 64, True, True)
    assert cmos.read(0, 4) == bytes([0x10, 0x11, 0x12, 0x13])
    cmos.write(2, b"\xaa\xbb")
    assert cmos.read(0, 4) == bytes([0x10, 0x11, 0xAA, 0xBB])
    assert flash.device == {"manufacturer": 0x89, "device": 0x1234, "blocks": 4}
    assert flash.blocks == [{"size": 16, "flags": 0}] * 4
    flash.write(0, b"\x0f")  # programming ANDs
    assert flash.read(0, 1) == b"\x0f"
    flash.erase(0)
    assert flash.read(0, 1) == b"\xff"
    flash.lock(1)
    with pytest.raises(ornsys.PartialTransfer) as refused:
        flash.write(15, b"\x00\x00")  # the second byte lies in the locked block
    assert (refused.value.code, refused.value.data) == (0x8032, b"\x00")
    flash.unlock(1)
    flash.write(16, b"\x00")


def test_i2c(board):
    (bus,) = board.i2c
    assert (bus.id, bus.name, bus.max_block) == (10, "EDID", 8)
    assert bus.read8(0x50, 1) == 0xFF and bus.read16(0x50, 8) == 0xBBAA
    assert bus.read_block(0x50, 0, 16) == bytes.fromhex("00ffffffffffff00")  # at most max-block
    assert bus.write_block(0x50, 20, b"\x01\x02\x03") == 3
    bus.write8(0x50, 30, 0x77)
    bus.write16(0x50, 24, 0x1234)
    assert bus.read_block(0x50, 20, 8) == bytes([1, 2, 3, 0, 0x34, 0x12, 0, 0])
    assert bus.read8(0x50, 30) == 0x77
    with pytest.raises(ornsys.NoAcknowledge):
        bus.read8(0x51, 0)


def test_watchdog_display_sensors_system_batteries(board):
    board.watchdog.configure(10, 20, 1)
    board.watchdog.trigger()
    assert board.watchdog.status == 1
    board.display.backlight_on(False)
    assert (board.display.backlight, board.display.contrast) == (0x20, 0x30)
    board.display.backlight, board.display.contrast = 0x90, 0x10
    assert (board.display.backlight, board.display.contrast) == (0x90, 0x10)
    assert [(t.name, t.type, t.value) for t in board.temperatures] == [("CPU", 0, 51), ("Board", 1, -3)]
    assert [(v.name, v.nominal_mv, v.value) for v in board.voltages] == [("3V3", 3300, 3290), ("VBAT", None, 2950)]
    system = board.system
    assert (system.docked, system.lid_open, system.ac_connected) == (True, True, False)
    (battery,) = board.batteries
    assert battery.info == ornsys.BatteryInfo(True, 4000, 3900, 7400, "Pack", "B1", "LION", "Cells")
    assert battery.state == ornsys.BatteryState(4, 250, 3000, ornsys.BATTERY_UNKNOWN)
    assert board.oem_pass_through(0x11223344, 8)[:4] == b"\x44\x33\x22\x11"


def test_ports_need_no_open_library(board_file):
    board_file()
    assert ornsys.port_read(0x80) == 0x5A
    ornsys.port_write(0x300, 0x11223344, 4)
    assert ornsys.port_read(0x301, 2) == 0x2233
    with pytest.raises(ValueError):
        ornsys.port_read(0x80, 3)


@pytest.mark.parametrize("rule, call, error, code", [
    ("function = 0x53\nstatus = 0x8000", lambda b: b.temperatures[0].value, ornsys.NotSupported, 0x8000),
    ("function = 0x56\nindex = 1\nstatus = 0x8041", lambda b: b.voltages[1].value, ornsys.NotPresent, 0x8041),
    ("function = 0x31\nstatus = 0x8051", lambda b: b.watchdog.configure(1, 1, 1), ornsys.OutOfRange, 0x8051),
    ("function = 0x21\nstatus = 0x8022", lambda b: b.i2c[0].read8(0x50, 0), ornsys.NoAcknowledge, 0x8022),
    ("function = 0x01\nstatus = 0x8012", lambda b: b.info, ornsys.OrnError, 0x8012),
    ("function = 0x64\nstatus = 0x1234", lambda b: b.batteries[0].state, ornsys.OrnError, 0x1234),
    ("function = 0x71\nstatus = 0x8012", lambda b: b.oem_pass_through(1, 4), ornsys.OrnError, 0x8012),
])
def test_faults_become_exceptions(board_file, rule, call, error, code):
    board_file("[fault]\n" + rule)
    with ornsys.Board() as b:
        with pytest.raises(error) as raised:
            call(b)
    assert raised.value.code == code
    assert raised.type is error


def test_partial_read_carries_the_bytes_moved(board_file):
    board_file("[fault]\nfunction = 0x13\nindex = 0\ncall = 3\nstatus = 0x8031")
    with ornsys.Board() as b:
        with pytest.raises(ornsys.PartialTransfer) as partial:
            b.nvrams[0].read(0, 4)
    assert (partial.value.code, partial.value.data) == (0x8031, b"\x10\x11")


def test_closed_library_and_unloadable_board(board_file):
    with pytest.raises(ornsys.NotOpen):
        ornsys.Board().info
    board_file("[nosuch]\n")
    with pytest.raises(ornsys.OrnError) as failed:
        ornsys.Board().open()
    assert failed.value.code == 0x8100


def test_threads_share_the_library(board):
    errors = []

    def work(n):
        cmos = board.nvrams[0]
        for i in range(300):
            try:
                assert board.temperatures[0].value == 51
                data = bytes([n, i % 256])
                cmos.write(16 + 2 * n, data)
                assert cmos.read(16 + 2 * n, 2) == data
            except Exception as error:  # noqa: BLE001 - reported below
                errors.append(error)
                return

    threads = [threading.Thread(target=work, args=(n,)) for n in range(6)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert errors == []


def test_every_exported_function_is_bound_and_used():
    symbols = subprocess.run(["nm", "-D", "--defined-only", library_path()], capture_output=True, text=True,
                             check=True).stdout
    exported = set(re.findall(r" T (Orn\w+)$", symbols, re.M))
    assert len(exported) == 46
    assert set(_lib.PROTOTYPES) == exported
    package = "".join(p.read_text() for p in (SOURCE / "python" / "ornsys").glob("*.py") if p.name != "_lib.py")
    unused = {name for name in exported if not re.search(rf"\b{name}\b", package)}
    assert unused == set()


def test_record_sizes_are_those_of_the_header():
    header = (SOURCE / "include" / "ornsyst.h").read_text()
    sizes = {name: int(size) for name, size in re.findall(r"ORNSYST_SIZE_CHECK\((\w+), (\d+)\);", header)}
    assert {cls.__name__: size for cls, size in _records.C_SIZES.items()} == sizes


def test_status_classes_name_codes_of_the_protocol():
    header = (SOURCE / "include" / "ornsyslx.h").read_text()
    codes = {name: int(code, 16) for name, code in re.findall(r"#define (ORN_\w+) (0x[0-9A-Fa-f]{4})\b", header)}
    table = (SOURCE / "protocol" / "zoka.h").read_text()
    known = {codes[name] for name in re.findall(r"X\((ORN_\w+), \"", table)}
    assert len(known) == 22  # the design's 21 and the board service's refusal
    assert set(_errors._CLASSES) <= known
