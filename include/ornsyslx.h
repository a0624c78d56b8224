/* SPDX-License-Identifier: MIT
 * Copyright (c) 2026 The ornsys authors */
/* ornsyslx.h - board-services library: basic types and API functions.
 *
 * Every function returns TRUE (1) or FALSE (0); after FALSE the status code
 * is read with OrnGetLastError. Open the library with OrnOpen first. */
#ifndef ORNSYSLX_H
#define ORNSYSLX_H

#include "ornsyst.h"

/* The library's version; OrnGetDllVersion gives 0x80 and these three as
 * the bytes of a DWORD, from the most significant down. */
#define ORNSYS_VERSION_MAJOR 2
#define ORNSYS_VERSION_MINOR 0
#define ORNSYS_VERSION_PATCH 6
#define ORNSYS_DLL_VERSION \
    (0x80000000UL | (ORNSYS_VERSION_MAJOR << 16) | (ORNSYS_VERSION_MINOR << 8) | ORNSYS_VERSION_PATCH)

#if defined(ORNSYS_BUILDING_LIBRARY)
#define ORNAPI __attribute__((visibility("default")))
#else
#define ORNAPI
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Status codes (16 bits, held in a DWORD); 0 is success. */
#define ORN_SUCCESS 0x0000
#define ORN_BIOS_NOT_SUPPORTED 0x8000
#define ORN_BIOS_INVALID_DEVICE 0x8011
#define ORN_BIOS_DATA_ACCESS 0x8012
#define ORN_BIOS_I2C_INVALID_BUS 0x8021
#define ORN_BIOS_I2C_NO_ACK 0x8022
#define ORN_BIOS_I2C_PROTOCOL 0x8023
#define ORN_BIOS_NVR_NOT_READABLE 0x8031
#define ORN_BIOS_NVR_NOT_WRITEABLE 0x8032
#define ORN_BIOS_NVR_INDEX 0x8033
#define ORN_BIOS_NOT_PRESENT 0x8041
#define ORN_BIOS_OUT_OF_RANGE 0x8051
#define ORN_DLL_START_FAILED 0x8100
#define ORN_DLL_CREATE_FILE 0x8101
#define ORN_DLL_CREATE_MUTEX 0x8102
#define ORN_DLL_NULL_POINTER 0x8103
#define ORN_DLL_VERSION 0x8104
#define ORN_DLL_WD_COMMAND 0x8105
#define ORN_DLL_OEM_ADDRESS_TYPE 0x8106
#define ORN_DLL_OEM_ADDRESS_FLAGS 0x8107
#define ORN_DLL_OEM_DATA_FLAGS 0x8108
/* Added for the board service (ornsysd): the caller's role does not allow
   the call. */
#define ORN_DLL_ACCESS_DENIED 0x8109

/* Library state, versions and errors */
ORNAPI BOOL OrnOpen(void);
ORNAPI BOOL OrnClose(void);
ORNAPI BOOL OrnGetDllVersion(DWORD* version);
ORNAPI BOOL OrnGetVersion(WORD* version);
ORNAPI BOOL OrnGetLastError(DWORD* code, char* message, DWORD length);

/* Board information and configuration */
ORNAPI BOOL OrnGetBoardInfo(BOARDINFO* info);
ORNAPI BOOL OrnGetCPUInfo(CPUINFO* info);
ORNAPI BOOL OrnGetBoardCfgSize(DWORD* size);
ORNAPI BOOL OrnGetBoardCfg(BYTE* buffer);
ORNAPI BOOL OrnSetBoardCfg(BYTE* buffer);

/* Non-volatile memory */
ORNAPI BOOL OrnGetNVRamCount(DWORD* count);
ORNAPI BOOL OrnGetNVRamInfo(DWORD index, NVRAMINFO* info);
ORNAPI BOOL OrnReadNVRam(DWORD index, DWORD offset, DWORD length, BYTE* buffer, DWORD* count);
ORNAPI BOOL OrnWriteNVRam(DWORD index, DWORD offset, DWORD length, BYTE* buffer, DWORD* count);
ORNAPI BOOL OrnGetNVDeviceInfo(DWORD index, NVDEVICEINFO* info);
ORNAPI BOOL OrnQueryNVBlock(DWORD index, DWORD block, NVBLOCKINFO* info);
ORNAPI BOOL OrnNVDeviceRaw(DWORD index, DWORD block, DWORD command);

/* I2C buses */
ORNAPI BOOL OrnI2CRead8(BYTE busid, BYTE devaddr, WORD offset, BYTE* data, BYTE protocol);
ORNAPI BOOL OrnI2CWrite8(BYTE busid, BYTE devaddr, WORD offset, BYTE data, BYTE protocol);
ORNAPI BOOL OrnI2CRead16(BYTE busid, BYTE devaddr, WORD offset, WORD* data, BYTE protocol);
ORNAPI BOOL OrnI2CWrite16(BYTE busid, BYTE devaddr, WORD offset, WORD data, BYTE protocol);
ORNAPI BOOL OrnGetI2CBusCount(DWORD* count);
ORNAPI BOOL OrnQueryI2CBus(DWORD index, I2CBUSINFO* info);
ORNAPI BOOL OrnI2CReadBlock(BYTE busid, BYTE devaddr, WORD offset, BYTE* buffer, DWORD* count, BYTE protocol);
ORNAPI BOOL OrnI2CWriteBlock(BYTE busid, BYTE devaddr, WORD offset, BYTE* buffer, DWORD* count, BYTE protocol);

/* Watchdog */
ORNAPI BOOL OrnWDConfig(WORD delay, WORD timeout, WORD cmd);
ORNAPI BOOL OrnWDGetStatus(BYTE* status);
ORNAPI BOOL OrnWDTrigger(void);

/* Display backlight and contrast */
ORNAPI BOOL OrnBacklightCtrl(BOOL on);
ORNAPI BOOL OrnGetBacklightValue(BYTE* value);
ORNAPI BOOL OrnSetBacklightValue(BYTE value);
ORNAPI BOOL OrnGetContrastValue(BYTE* value);
ORNAPI BOOL OrnSetContrastValue(BYTE value);

/* Hardware monitor sensors */
ORNAPI BOOL OrnGetThermSensorCount(DWORD* count);
ORNAPI BOOL OrnQueryThermSensor(DWORD index, TSENSORINFO* info);
ORNAPI BOOL OrnGetThermSensorValue(DWORD index, SDWORD* value);
ORNAPI BOOL OrnGetVoltSensorCount(DWORD* count);
ORNAPI BOOL OrnQueryVoltSensor(DWORD index, VSENSORINFO* info);
ORNAPI BOOL OrnGetVoltSensorValue(DWORD index, SDWORD* value);

/* System state and batteries */
ORNAPI BOOL OrnGetSystemState(SYSTEMSTATE* state);
ORNAPI BOOL OrnGetBatteryCount(DWORD* count);
ORNAPI BOOL OrnGetBatteryInfo(DWORD index, BATTERYINFO* info);
ORNAPI BOOL OrnGetBatteryState(DWORD index, BATTERYSTATE* state);

/* OEM direct I/O (no OrnOpen needed, no lock) and firmware pass-through */
ORNAPI BOOL OrnOEMRead(OEMACCESS* access);
ORNAPI BOOL OrnOEMWrite(OEMACCESS* access);
ORNAPI BOOL OrnOEMPassThru(DWORD value, BYTE* buffer);

#ifdef __cplusplus
}
#endif

#endif
