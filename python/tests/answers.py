# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""Steps that use every family of the package, in order (writes and their
effects included), and how a step's answer is written: what it returns, or
what it raises. On the known board the answers are known.answers; the board
service's tests run them as each role."""

import ornsys

STEPS = {
    "identity": lambda b: b.info,
    "cpu": lambda b: b.cpu,
    "versions": lambda b: (hex(b.version), ornsys.dll_version()),
    "configuration": lambda b: b.config,
    "configuration written": lambda b: (setattr(b, "config", b"ABCDEFGH"), b.config),
    "configuration too short": lambda b: setattr(b, "config", b"short"),
    "cmos": lambda b: (b.nvrams[0].info, b.nvrams[0].info.readable, b.nvrams[0].info.writable, b.nvrams[0].read(0, 4)),
    "cmos written": lambda b: (b.nvrams[0].write(2, b"\xaa\xbb"), b.nvrams[0].read(0, 4)),
    "flash": lambda b: (b.nvrams[1].device, b.nvrams[1].blocks),
    "flash programmed (AND)": lambda b: (b.nvrams[1].write(0, b"\x0f"), b.nvrams[1].read(0, 1)),
    "flash erased": lambda b: (b.nvrams[1].erase(0), b.nvrams[1].read(0, 1)),
    "flash written into a locked block": lambda b: (b.nvrams[1].lock(1), b.nvrams[1].write(15, b"\0\0")),
    "flash unlocked": lambda b: (b.nvrams[1].unlock(1), b.nvrams[1].write(16, b"\0"), b.nvrams[1].read(15, 2)),
    "i2c": lambda b: [(bus.id, bus.name, bus.max_block) for bus in b.i2c],
    "i2c read": lambda b: (b.i2c[0].read8(0x50, 1), hex(b.i2c[0].read16(0x50, 8)), b.i2c[0].read_block(0x50, 0, 16)),
    "i2c written": lambda b: (b.i2c[0].write_block(0x50, 20, b"\1\2\3"), b.i2c[0].write8(0x50, 30, 0x77),
                              b.i2c[0].write16(0x50, 24, 0x1234), b.i2c[0].read_block(0x50, 20, 8),
                              b.i2c[0].read8(0x50, 30)),
    "i2c no device": lambda b: b.i2c[0].read8(0x51, 0),
    "watchdog status": lambda b: b.watchdog.status,
    "watchdog": lambda b: (b.watchdog.configure(10, 20, 1), b.watchdog.trigger(), b.watchdog.status),
    "display": lambda b: (b.display.backlight_on(False), b.display.backlight, b.display.contrast),
    "display set": lambda b: (setattr(b.display, "backlight", 0x90), setattr(b.display, "contrast", 0x10),
                              b.display.backlight, b.display.contrast),
    "temperatures": lambda b: [(t.name, t.type, t.value) for t in b.temperatures],
    "voltages": lambda b: [(v.name, v.nominal_mv, v.value) for v in b.voltages],
    "system": lambda b: (b.system, b.system.docked, b.system.lid_open, b.system.ac_connected),
    "batteries": lambda b: [(battery.info, battery.state) for battery in b.batteries],
    "pass-through": lambda b: b.oem_pass_through(0x11223344, 8)[:4],
    "ports": lambda b: (hex(ornsys.port_read(0x80)), ornsys.port_write(0x300, 0x11223344, 4),
                        hex(ornsys.port_read(0x301, 2))),
    "port of width 3": lambda b: ornsys.port_read(0x80, 3),
}


def answer(board, name):
    try:
        return repr(STEPS[name](board))
    except ornsys.OrnError as error:
        data = f" {error.data!r}" if isinstance(error, ornsys.PartialTransfer) else ""
        assert isinstance(error, ornsys.AccessDenied) == (error.code == 0x8109), type(error)
        return f"{type(error).__name__} 0x{error.code:04x} {error.message!r}{data}"
    except ValueError as error:
        return f"ValueError {error}"
