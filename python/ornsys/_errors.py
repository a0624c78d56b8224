# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""Exceptions for failed calls: the status code and the library's message."""

import ctypes


class OrnError(Exception):
    """A library call failed; `code` is its status, `message` the library's text."""

    def __init__(self, function, code, message):
        super().__init__(f"{function}: 0x{code:04x} {message}")
        self.function, self.code, self.message = function, code, message


class NotSupported(OrnError):
    """0x8000: the firmware does not have the function."""


class NotPresent(OrnError):
    """0x8041: the hardware (sensor, battery, control) is not there."""


class OutOfRange(OrnError):
    """0x8051 (parameter) or 0x8033 (NVRAM index) out of range."""


class NoAcknowledge(OrnError):
    """0x8022: no I2C device answered."""


class AccessDenied(OrnError):
    """0x8109: the board service refused the call: this user's groups do not
    give the role it needs (ornsysd(8))."""


class NotOpen(OrnError):
    """The library is not open: use `with ornsys.Board() as board:`."""


class PartialTransfer(OrnError):
    """An NVRAM transfer stopped part-way; `data` holds what was moved
    (the bytes read, or those of the request written)."""

    def __init__(self, function, code, message, data):
        super().__init__(function, code, message)
        self.data = data


class RefusedTransfer(PartialTransfer, AccessDenied):
    """0x8109 on an NVRAM transfer: the board service refused it; both an
    `AccessDenied` and a `PartialTransfer` (`data`: the bytes moved, none
    when refused at once)."""


_CLASSES = {0x8000: NotSupported, 0x8041: NotPresent, 0x8051: OutOfRange, 0x8033: OutOfRange,
            0x8022: NoAcknowledge, 0x8109: AccessDenied}


def last_error(lib):
    code = ctypes.c_uint32()
    text = ctypes.create_string_buffer(64)
    lib.OrnGetLastError(ctypes.byref(code), text, 63)
    return code.value, text.value.decode("latin-1").rstrip("\n")


def raise_for(lib, function, ok):
    """Raises the error of a failed call; returns nothing for a good one."""
    if ok:
        return
    code, message = last_error(lib)
    if code == 0:  # a closed library fails every call without a status
        raise NotOpen(function, 0, "the library is not open")
    raise _CLASSES.get(code, OrnError)(function, code, message)
