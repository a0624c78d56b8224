# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""The library's records as ctypes structures: packed, little-endian, and
checked at import against the sizes of the C layout."""

import ctypes
from ctypes import c_char, c_int32, c_uint8, c_uint16, c_uint32


class Record(ctypes.LittleEndianStructure):
    _pack_ = 1

    @classmethod
    def sized(cls):
        """A zeroed record whose leading size field holds its own size."""
        record = cls()
        setattr(record, cls._fields_[0][0], ctypes.sizeof(cls))
        return record


class BIOSTIME(Record):
    _fields_ = [("Day", c_uint8), ("Month", c_uint8), ("Year", c_uint16), ("Hour", c_uint8), ("Minute", c_uint8)]


class BOARDINFO(Record):
    _fields_ = [("HWPlatform", c_char * 16), ("SysBIOSVersion", c_char * 16), ("BBVersion", c_char * 16),
                ("HWRevision", c_char * 16), ("SerialNumber", c_char * 16), ("BootCounter", c_uint32),
                ("OperatingTime", c_uint32), ("ManufacturingDate", BIOSTIME), ("MaintenanceTime", BIOSTIME)]


class CPUINFO(Record):
    _fields_ = [("CPUInfoSize", c_uint32), ("CPUClass", c_uint8), ("CPUCount", c_uint8), ("CPUSpeed", c_uint16),
                ("CPUModel", c_uint8), ("CPUStepping", c_uint8), ("CPUString", c_char * 64),
                ("reserved", c_uint8 * 2)]


class NVRAMINFO(Record):
    _fields_ = [("NVRamType", c_uint32), ("NVRamSize", c_uint32), ("NVRamFlags", c_uint32)]


class NVDEVICEINFO(Record):
    _fields_ = [("NVDeviceInfoSize", c_uint32), ("NVManufacturerID", c_uint16), ("NVDeviceID", c_uint16),
                ("NVBlockCount", c_uint32)]


class NVBLOCKINFO(Record):
    _fields_ = [("NVBlockInfoSize", c_uint32), ("NVBlockSize", c_uint32), ("NVBlockFlags", c_uint32)]


class I2CBUSINFO(Record):
    _fields_ = [("I2CBusInfoSize", c_uint32), ("I2CBusID", c_uint8), ("reserved", c_uint8 * 3),
                ("I2CBusFlags", c_uint32), ("I2CMaxBlockSize", c_uint32), ("I2CBusString", c_char * 8)]


class TSENSORINFO(Record):
    _fields_ = [("TSensorInfoSize", c_uint32), ("SensorType", c_uint32), ("SensorString", c_char * 8)]


class VSENSORINFO(Record):
    _fields_ = [("VSensorInfoSize", c_uint32), ("NominalValue", c_int32), ("SensorString", c_char * 8)]


class SYSTEMSTATE(Record):
    _fields_ = [("SystemStateSize", c_uint32), ("MiscState", c_uint32), ("PowerState", c_uint32)]


class BATTERYINFO(Record):
    _fields_ = [("BatteryInfoSize", c_uint32), ("PowerUnit", c_uint32), ("DesignCapacity", c_uint32),
                ("FullChargeCapacity", c_uint32), ("DesignVoltage", c_uint32), ("DeviceName", c_char * 16),
                ("SerialNumber", c_char * 16), ("BatteryType", c_char * 16), ("Manufacturer", c_char * 16)]


class BATTERYSTATE(Record):
    _fields_ = [("BatteryStateSize", c_uint32), ("Status", c_uint32), ("CurrentRate", c_uint32),
                ("RemainingCapacity", c_uint32), ("Voltage", c_uint32)]


class OEMACCESS(Record):
    _fields_ = [("AccessType", c_uint32), ("Address", c_uint32), ("reserved", c_uint32),
                ("AddressFlags", c_uint16), ("DataFlags", c_uint16), ("DataValue", c_uint32)]


# The sizes of the C records (ornsyst.h checks the same at compile time).
C_SIZES = {BIOSTIME: 6, BOARDINFO: 100, CPUINFO: 76, NVRAMINFO: 12, NVDEVICEINFO: 12, NVBLOCKINFO: 12,
           I2CBUSINFO: 24, TSENSORINFO: 16, VSENSORINFO: 16, SYSTEMSTATE: 12, BATTERYINFO: 84,
           BATTERYSTATE: 20, OEMACCESS: 20}


def check_layouts():
    for record, size in C_SIZES.items():
        if ctypes.sizeof(record) != size:
            raise ImportError(f"ornsys: {record.__name__} is {ctypes.sizeof(record)} bytes here, "
                              f"{size} in the library: the package does not fit this library")


check_layouts()
