# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""Finds the ornsys shared library and declares every function it exports:
argument and result types, so that no call goes through an implicit int."""

import ctypes
import ctypes.util
import os
import sys
from ctypes import POINTER, c_char_p, c_int32, c_uint8, c_uint16, c_uint32

from . import _records as r

BOOL, BYTE, WORD, DWORD, SDWORD = c_uint8, c_uint8, c_uint16, c_uint32, c_int32
P = POINTER

# name: (argument types); every function returns BOOL.
PROTOTYPES = {
    "OrnOpen": (), "OrnClose": (),
    "OrnGetDllVersion": (P(DWORD),), "OrnGetVersion": (P(WORD),),
    "OrnGetLastError": (P(DWORD), c_char_p, DWORD),
    "OrnGetBoardInfo": (P(r.BOARDINFO),), "OrnGetCPUInfo": (P(r.CPUINFO),),
    "OrnGetBoardCfgSize": (P(DWORD),), "OrnGetBoardCfg": (P(BYTE),), "OrnSetBoardCfg": (P(BYTE),),
    "OrnGetNVRamCount": (P(DWORD),), "OrnGetNVRamInfo": (DWORD, P(r.NVRAMINFO)),
    "OrnReadNVRam": (DWORD, DWORD, DWORD, P(BYTE), P(DWORD)),
    "OrnWriteNVRam": (DWORD, DWORD, DWORD, P(BYTE), P(DWORD)),
    "OrnGetNVDeviceInfo": (DWORD, P(r.NVDEVICEINFO)), "OrnQueryNVBlock": (DWORD, DWORD, P(r.NVBLOCKINFO)),
    "OrnNVDeviceRaw": (DWORD, DWORD, DWORD),
    "OrnI2CRead8": (BYTE, BYTE, WORD, P(BYTE), BYTE), "OrnI2CWrite8": (BYTE, BYTE, WORD, BYTE, BYTE),
    "OrnI2CRead16": (BYTE, BYTE, WORD, P(WORD), BYTE), "OrnI2CWrite16": (BYTE, BYTE, WORD, WORD, BYTE),
    "OrnGetI2CBusCount": (P(DWORD),), "OrnQueryI2CBus": (DWORD, P(r.I2CBUSINFO)),
    "OrnI2CReadBlock": (BYTE, BYTE, WORD, P(BYTE), P(DWORD), BYTE),
    "OrnI2CWriteBlock": (BYTE, BYTE, WORD, P(BYTE), P(DWORD), BYTE),
    "OrnWDConfig": (WORD, WORD, WORD), "OrnWDGetStatus": (P(BYTE),), "OrnWDTrigger": (),
    "OrnBacklightCtrl": (BOOL,), "OrnGetBacklightValue": (P(BYTE),), "OrnSetBacklightValue": (BYTE,),
    "OrnGetContrastValue": (P(BYTE),), "OrnSetContrastValue": (BYTE,),
    "OrnGetThermSensorCount": (P(DWORD),), "OrnQueryThermSensor": (DWORD, P(r.TSENSORINFO)),
    "OrnGetThermSensorValue": (DWORD, P(SDWORD)),
    "OrnGetVoltSensorCount": (P(DWORD),), "OrnQueryVoltSensor": (DWORD, P(r.VSENSORINFO)),
    "OrnGetVoltSensorValue": (DWORD, P(SDWORD)),
    "OrnGetSystemState": (P(r.SYSTEMSTATE),), "OrnGetBatteryCount": (P(DWORD),),
    "OrnGetBatteryInfo": (DWORD, P(r.BATTERYINFO)), "OrnGetBatteryState": (DWORD, P(r.BATTERYSTATE)),
    "OrnOEMRead": (P(r.OEMACCESS),), "OrnOEMWrite": (P(r.OEMACCESS),),
    "OrnOEMPassThru": (DWORD, P(BYTE)),
}


def _candidates():
    """Where the library is looked for, in order."""
    named = os.environ.get("ORNSYS_LIBRARY")
    if named:
        yield named
        return
    here = os.path.dirname(os.path.abspath(__file__))
    for prefix in (sys.prefix, os.path.join(here, "..", "..", "..", "..")):
        for libdir in ("lib", "lib64", "lib/x86_64-linux-gnu", "lib/i386-linux-gnu"):
            yield os.path.join(prefix, libdir, "libornsys.so.2")
    yield ctypes.util.find_library("ornsys") or "libornsys.so.2"


def load():
    errors = []
    for path in _candidates():
        if os.sep in path and not os.path.exists(path):
            continue
        try:
            lib = ctypes.CDLL(path)
            break
        except OSError as error:
            errors.append(str(error))
    else:
        raise ImportError("ornsys: the library libornsys.so.2 was not found (set ORNSYS_LIBRARY to its path): "
                          + "; ".join(errors))
    for name, arguments in PROTOTYPES.items():
        function = getattr(lib, name)
        function.argtypes = list(arguments)
        function.restype = BOOL
    return lib


lib = load()
