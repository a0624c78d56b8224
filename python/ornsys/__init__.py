# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""ornsys: the board services of x86 embedded PCs from Python.

    with ornsys.Board() as board:
        print(board.info.platform, board.temperatures[0].value)

Every family of the library is here with Python types; a failed call raises
OrnError (or one of its subclasses) with the status code and the library's
message. The library is found through ORNSYS_LIBRARY, beside the package's
install prefix, or by the loader's search.
"""

import ctypes
import datetime
import threading
from dataclasses import dataclass
from typing import Optional

from . import _errors
from . import _records as records
from ._errors import (AccessDenied, NoAcknowledge, NotOpen, NotPresent, NotSupported, OrnError, OutOfRange,
                      PartialTransfer, RefusedTransfer)
from ._lib import lib

__all__ = ["Board", "OrnError", "AccessDenied", "NotOpen", "NotSupported", "NotPresent", "OutOfRange", "NoAcknowledge", "PartialTransfer",
           "RefusedTransfer",
           "port_read", "port_write", "dll_version", "BATTERY_UNKNOWN"]

BATTERY_UNKNOWN = 0xFFFFFFFF
VOLTAGE_UNKNOWN = -0x80000000

# One call and the reading of its last error belong together: the last
# error is one value for the whole process.
_lock = threading.RLock()


def _call(name, *arguments):
    with _lock:
        ok = getattr(lib, name)(*arguments)
        _errors.raise_for(lib, name, ok)


def _out(ctype, name, *arguments):
    """Calls a function whose last argument is an output; returns its value."""
    value = ctype()
    _call(name, *arguments, ctypes.byref(value))
    return value.value


def _record(cls, name, *arguments):
    record = cls.sized() if cls._fields_[0][0].endswith("Size") else cls()
    _call(name, *arguments, ctypes.byref(record))
    return record


def _text(raw: bytes) -> str:
    return raw.decode("latin-1")


def _bcd(value: int) -> int:
    return (value >> 4) * 10 + (value & 15) if value < 0x100 else int(f"{value:x}")


def _date(t) -> Optional[datetime.datetime]:
    try:
        return datetime.datetime(_bcd(t.Year), _bcd(t.Month), _bcd(t.Day), _bcd(t.Hour), _bcd(t.Minute))
    except ValueError:
        return None  # no date set


def dll_version() -> str:
    """The library's version, "MAJOR.MINOR.PATCH"."""
    with _lock:
        value = ctypes.c_uint32()
        lib.OrnGetDllVersion(ctypes.byref(value))  # needs an open library
    v = value.value
    return f"{(v >> 16) & 0xFF}.{(v >> 8) & 0xFF}.{v & 0xFF}"


# ---- records as Python values ----

@dataclass(frozen=True)
class BoardInfo:
    platform: str
    sys_bios_version: str
    bb_version: str
    hw_revision: str
    serial: str
    boot_counter: int
    operating_time: int
    manufactured: Optional[datetime.datetime]
    maintained: Optional[datetime.datetime]


@dataclass(frozen=True)
class CpuInfo:
    cpu_class: int
    count: int
    speed_mhz: int
    model: int
    stepping: int
    name: str


@dataclass(frozen=True)
class NVRamInfo:
    type: int
    size: int
    flags: int

    @property
    def readable(self) -> bool:
        return bool(self.flags & 1)

    @property
    def writable(self) -> bool:
        return bool(self.flags & 2)


@dataclass(frozen=True)
class SystemState:
    misc: int
    power: int

    @property
    def docked(self) -> bool:
        return bool(self.misc & 1)

    @property
    def lid_open(self) -> bool:
        return bool(self.misc & 2)

    @property
    def ac_connected(self) -> bool:
        return bool(self.power & 1)


@dataclass(frozen=True)
class BatteryInfo:
    unit_mah: bool  # capacities in mAh and rates in mA, else mWh and mW
    design_capacity: int
    full_charge_capacity: int
    design_voltage_mv: int
    device_name: str
    serial: str
    type: str
    manufacturer: str


@dataclass(frozen=True)
class BatteryState:
    status: int
    rate: int
    remaining: int
    voltage_mv: int


# ---- the families ----

class NVRam:
    """One non-volatile memory."""

    def __init__(self, index: int):
        self.index = index

    @property
    def info(self) -> NVRamInfo:
        r = _record(records.NVRAMINFO, "OrnGetNVRamInfo", self.index)
        return NVRamInfo(r.NVRamType, r.NVRamSize, r.NVRamFlags)

    def _transfer(self, name, offset, buffer, length):
        count = ctypes.c_uint32()
        with _lock:
            ok = getattr(lib, name)(self.index, offset, length, buffer, ctypes.byref(count))
            _errors.raise_for(lib, name, ok)
            if count.value < length:
                code, message = _errors.last_error(lib)
                kind = RefusedTransfer if code == 0x8109 else PartialTransfer
                raise kind(name, code, message, bytes(buffer[:count.value]))

    def read(self, offset: int, length: int) -> bytes:
        buffer = (ctypes.c_uint8 * max(length, 1))()
        self._transfer("OrnReadNVRam", offset, buffer, length)
        return bytes(buffer[:length])

    def write(self, offset: int, data: bytes) -> None:
        buffer = (ctypes.c_uint8 * max(len(data), 1)).from_buffer_copy(bytes(data) or b"\0")
        self._transfer("OrnWriteNVRam", offset, buffer, len(data))

    # flash memories
    @property
    def device(self):
        r = _record(records.NVDEVICEINFO, "OrnGetNVDeviceInfo", self.index)
        return {"manufacturer": r.NVManufacturerID, "device": r.NVDeviceID, "blocks": r.NVBlockCount}

    @property
    def blocks(self):
        """Each block as {"size": bytes, "flags": flags}."""
        result = []
        for block in range(self.device["blocks"]):
            r = _record(records.NVBLOCKINFO, "OrnQueryNVBlock", self.index, block)
            result.append({"size": r.NVBlockSize, "flags": r.NVBlockFlags})
        return result

    def erase(self, block: int) -> None:
        _call("OrnNVDeviceRaw", self.index, block, 0)

    def unlock(self, block: int) -> None:
        _call("OrnNVDeviceRaw", self.index, block, 1)

    def lock(self, block: int) -> None:
        _call("OrnNVDeviceRaw", self.index, block, 2)


class I2CBus:
    """One I2C bus; transfers name a device by its address byte."""

    def __init__(self, index: int):
        r = _record(records.I2CBUSINFO, "OrnQueryI2CBus", index)
        self.index, self.id, self.flags = index, r.I2CBusID, r.I2CBusFlags
        self.max_block, self.name = r.I2CMaxBlockSize, _text(r.I2CBusString)

    def read8(self, device: int, offset: int, protocol: int = 1) -> int:
        return self._read(ctypes.c_uint8, "OrnI2CRead8", device, offset, protocol)

    def _read(self, ctype, name, device, offset, protocol):
        value = ctype()
        _call(name, self.id, device, offset, ctypes.byref(value), protocol)
        return value.value

    def read16(self, device: int, offset: int, protocol: int = 1) -> int:
        return self._read(ctypes.c_uint16, "OrnI2CRead16", device, offset, protocol)

    def write8(self, device: int, offset: int, value: int, protocol: int = 1) -> None:
        _call("OrnI2CWrite8", self.id, device, offset, value, protocol)

    def write16(self, device: int, offset: int, value: int, protocol: int = 1) -> None:
        _call("OrnI2CWrite16", self.id, device, offset, value, protocol)

    def read_block(self, device: int, offset: int, length: int, protocol: int = 1) -> bytes:
        buffer = (ctypes.c_uint8 * max(length, 1))()
        count = ctypes.c_uint32(length)
        _call("OrnI2CReadBlock", self.id, device, offset, buffer, ctypes.byref(count), protocol)
        return bytes(buffer[:min(count.value, length)])

    def write_block(self, device: int, offset: int, data: bytes, protocol: int = 1) -> int:
        """Writes up to the bus's largest block; returns the bytes written."""
        buffer = (ctypes.c_uint8 * max(len(data), 1)).from_buffer_copy(bytes(data) or b"\0")
        count = ctypes.c_uint32(len(data))
        _call("OrnI2CWriteBlock", self.id, device, offset, buffer, ctypes.byref(count), protocol)
        return count.value


class Watchdog:
    def configure(self, delay: int, timeout: int, command: int = 1) -> None:
        _call("OrnWDConfig", delay, timeout, command)

    def trigger(self) -> None:
        _call("OrnWDTrigger")

    @property
    def status(self) -> int:
        """The cause of the last reset: 0 power-on, 1 watchdog timeout."""
        return _out(ctypes.c_uint8, "OrnWDGetStatus")


class Display:
    def backlight_on(self, on: bool = True) -> None:
        _call("OrnBacklightCtrl", 1 if on else 0)

    @property
    def backlight(self) -> int:
        return _out(ctypes.c_uint8, "OrnGetBacklightValue")

    @backlight.setter
    def backlight(self, value: int) -> None:
        _call("OrnSetBacklightValue", value)

    @property
    def contrast(self) -> int:
        return _out(ctypes.c_uint8, "OrnGetContrastValue")

    @contrast.setter
    def contrast(self, value: int) -> None:
        _call("OrnSetContrastValue", value)


class TemperatureSensor:
    def __init__(self, index: int):
        r = _record(records.TSENSORINFO, "OrnQueryThermSensor", index)
        self.index, self.type, self.name = index, r.SensorType, _text(r.SensorString)

    @property
    def value(self) -> int:
        """Degrees Celsius."""
        return _out(ctypes.c_int32, "OrnGetThermSensorValue", self.index)


class VoltageSensor:
    def __init__(self, index: int):
        r = _record(records.VSENSORINFO, "OrnQueryVoltSensor", index)
        self.index, self.name = index, _text(r.SensorString)
        self.nominal_mv = None if r.NominalValue == VOLTAGE_UNKNOWN else r.NominalValue

    @property
    def value(self) -> int:
        """Millivolts."""
        return _out(ctypes.c_int32, "OrnGetVoltSensorValue", self.index)


class Battery:
    def __init__(self, index: int):
        self.index = index

    @property
    def info(self) -> BatteryInfo:
        r = _record(records.BATTERYINFO, "OrnGetBatteryInfo", self.index)
        return BatteryInfo(bool(r.PowerUnit & 1), r.DesignCapacity, r.FullChargeCapacity, r.DesignVoltage,
                           _text(r.DeviceName), _text(r.SerialNumber), _text(r.BatteryType), _text(r.Manufacturer))

    @property
    def state(self) -> BatteryState:
        r = _record(records.BATTERYSTATE, "OrnGetBatteryState", self.index)
        return BatteryState(r.Status, r.CurrentRate, r.RemainingCapacity, r.Voltage)


def _count(name) -> int:
    return _out(ctypes.c_uint32, name)


class Board:
    """The open library: `with Board() as board:` opens and closes it."""

    def __init__(self):
        self._open = False

    def open(self) -> "Board":
        _call("OrnOpen")
        self._open = True
        return self

    def close(self) -> None:
        if self._open:
            self._open = False
            _call("OrnClose")

    def __enter__(self):
        return self.open()

    def __exit__(self, *exc):
        self.close()
        return False

    @property
    def version(self) -> int:
        return _out(ctypes.c_uint16, "OrnGetVersion")

    @property
    def info(self) -> BoardInfo:
        r = _record(records.BOARDINFO, "OrnGetBoardInfo")
        return BoardInfo(_text(r.HWPlatform), _text(r.SysBIOSVersion), _text(r.BBVersion), _text(r.HWRevision),
                         _text(r.SerialNumber), r.BootCounter, r.OperatingTime, _date(r.ManufacturingDate),
                         _date(r.MaintenanceTime))

    @property
    def cpu(self) -> CpuInfo:
        r = _record(records.CPUINFO, "OrnGetCPUInfo")
        return CpuInfo(r.CPUClass, r.CPUCount, r.CPUSpeed, r.CPUModel, r.CPUStepping, _text(r.CPUString))

    @property
    def config(self) -> bytes:
        size = _out(ctypes.c_uint32, "OrnGetBoardCfgSize")
        buffer = (ctypes.c_uint8 * max(size, 1))()
        _call("OrnGetBoardCfg", buffer)
        return bytes(buffer[:size])

    @config.setter
    def config(self, data: bytes) -> None:
        size = _out(ctypes.c_uint32, "OrnGetBoardCfgSize")
        if len(data) != size:
            raise ValueError(f"the board configuration block has {size} bytes, not {len(data)}")
        _call("OrnSetBoardCfg", (ctypes.c_uint8 * max(size, 1)).from_buffer_copy(bytes(data) or b"\0"))

    @property
    def nvrams(self):
        return [NVRam(i) for i in range(_count("OrnGetNVRamCount"))]

    @property
    def i2c(self):
        return [I2CBus(i) for i in range(_count("OrnGetI2CBusCount"))]

    @property
    def watchdog(self) -> Watchdog:
        return Watchdog()

    @property
    def display(self) -> Display:
        return Display()

    @property
    def temperatures(self):
        return [TemperatureSensor(i) for i in range(_count("OrnGetThermSensorCount"))]

    @property
    def voltages(self):
        return [VoltageSensor(i) for i in range(_count("OrnGetVoltSensorCount"))]

    @property
    def system(self) -> SystemState:
        r = _record(records.SYSTEMSTATE, "OrnGetSystemState")
        return SystemState(r.MiscState, r.PowerState)

    @property
    def batteries(self):
        return [Battery(i) for i in range(_count("OrnGetBatteryCount"))]

    def oem_pass_through(self, value: int, size: int = 64) -> bytes:
        """Hands the firmware's OEM function a value and a buffer; returns the buffer."""
        buffer = (ctypes.c_uint8 * size)()
        _call("OrnOEMPassThru", value, buffer)
        return bytes(buffer)


# ---- direct port I/O: no open library needed ----

_WIDTH_FLAGS = {1: 0x1, 2: 0x2, 4: 0x4}


def _access(port, width, value=0):
    if width not in _WIDTH_FLAGS:
        raise ValueError("a port is read or written 1, 2 or 4 bytes wide")
    return records.OEMACCESS(2, port, 0, 0, _WIDTH_FLAGS[width], value)


def port_read(port: int, width: int = 1) -> int:
    access = _access(port, width)
    _call("OrnOEMRead", ctypes.byref(access))
    return access.DataValue


def port_write(port: int, value: int, width: int = 1) -> None:
    _call("OrnOEMWrite", ctypes.byref(_access(port, width, value)))
