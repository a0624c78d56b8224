# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""A client of the board service for its tests, run as another user.

  client.py families NAME...   one line per family: "NAME ok VALUE" or "NAME 0xCODE"
  client.py load SECONDS ID    calls in a loop, each answer checked; prints "calls N wrong M"
  client.py hold               opens, answers each line read on standard input
"""

import sys

import ornsys


def _families(board):
    # Made in each family's own call: making one may call the firmware.
    def cmos():
        return ornsys.NVRam(0)

    def flash():
        return ornsys.NVRam(3)

    def bus():
        return ornsys.I2CBus(1)

    return {
        "identity": lambda: board.info.platform,
        "cpu": lambda: board.cpu.name,
        "config-read": lambda: board.config.hex(),
        "config-write": lambda: setattr(board, "config", board.config),
        "nvram-info": lambda: cmos().info.size,
        "nvram-read": lambda: cmos().read(0, 4).hex(),
        "nvram-write": lambda: cmos().write(0x60, b"\x5a"),
        "nvram-device": lambda: flash().device["blocks"],
        "nvram-blocks": lambda: len(flash().blocks),
        "flash-erase": lambda: flash().erase(1),
        "flash-lock": lambda: flash().lock(1),
        "i2c-count": lambda: len(board.i2c),
        "i2c-read8": lambda: bus().read8(0x57, 0),
        "i2c-write8": lambda: bus().write8(0x57, 0, 0x12),
        "i2c-read16": lambda: bus().read16(0x57, 0),
        "i2c-write16": lambda: bus().write16(0x57, 0, 0x3456),
        "i2c-block-read": lambda: bus().read_block(0x57, 0, 8).hex(),
        "i2c-block-write": lambda: bus().write_block(0x57, 0, b"\x01\x02\x03"),
        "watchdog-status": lambda: board.watchdog.status,
        "watchdog-configure": lambda: board.watchdog.configure(0, 600),
        "watchdog-trigger": lambda: board.watchdog.trigger(),
        "display-get": lambda: board.display.backlight,
        "display-set": lambda: setattr(board.display, "contrast", 9),
        "temperature": lambda: board.temperatures[0].value,
        "voltage": lambda: board.voltages[0].value,
        "system": lambda: board.system.misc,
        "battery": lambda: board.batteries[0].state,
        "ports": lambda: ornsys.port_read(0x2E),
        "pass-through": lambda: board.oem_pass_through(0, 4).hex(),
    }


def families(names):
    with ornsys.Board() as board:
        table = _families(board)
        for name in names:
            try:
                print(name, "ok", table[name]())
            except ornsys.OrnError as error:
                print(name, f"0x{error.code:04x}", error.message)


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


def hold():
    """Answers each line of words (identity, port; none: identity) in order."""
    with ornsys.Board() as board:
        asks = {"identity": lambda: board.info.platform, "port": lambda: hex(ornsys.port_read(0x2E))}
        for line in sys.stdin:
            print(*(_answer(asks[word]) for word in line.split() or ["identity"]), flush=True)


if __name__ == "__main__":
    command, args = sys.argv[1], sys.argv[2:]
    if command == "families":
        families(args)
    elif command == "load":
        load(float(args[0]), int(args[1]))
    else:
        hold()
