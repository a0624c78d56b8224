/* SPDX-License-Identifier: MIT
 * Copyright (c) 2026 The ornsys authors */
/* ornsyst.h - records exchanged between applications, the library and the
 * board firmware. All records are packed and little-endian; their sizes and
 * offsets are an interface format and never change. */
#ifndef ORNSYST_H
#define ORNSYST_H

#include <stddef.h>
#include <stdint.h>

typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef int32_t SDWORD;
typedef char CHAR;
typedef char BOOL;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#pragma pack(push, 1)

/* Date and time, every field in binary-coded decimal (2010 is 0x2010). */
typedef struct {
    BYTE Day;
    BYTE Month;
    WORD Year;
    BYTE Hour;
    BYTE Minute;
} BIOSTIME;

typedef struct {
    CHAR HWPlatform[16];
    CHAR SysBIOSVersion[16];
    CHAR BBVersion[16];
    CHAR HWRevision[16];
    CHAR SerialNumber[16];
    DWORD BootCounter;
    DWORD OperatingTime;
    BIOSTIME ManufacturingDate;
    BIOSTIME MaintenanceTime;
} BOARDINFO;

typedef struct {
    DWORD CPUInfoSize; /* set to sizeof(CPUINFO) by the caller */
    BYTE CPUClass;     /* 0x0F x86, 0x10 ARM, 0x20 SHx */
    BYTE CPUCount;
    WORD CPUSpeed;     /* MHz */
    BYTE CPUModel;
    BYTE CPUStepping;
    CHAR CPUString[64];
    BYTE reserved[2];  /* alignment, never touched */
} CPUINFO;

/* NVRAM types */
#define NVRamUserCMOS 0
#define NVRamUserEEPROM 1
#define NVRamVGAParameter 2
#define NVRamFlash 3

typedef struct {
    DWORD NVRamType;
    DWORD NVRamSize;
    DWORD NVRamFlags; /* bit 0 readable, bit 1 writable */
} NVRAMINFO;

typedef struct {
    DWORD NVDeviceInfoSize; /* set to sizeof(NVDEVICEINFO) by the caller */
    WORD NVManufacturerID;
    WORD NVDeviceID;
    DWORD NVBlockCount;
} NVDEVICEINFO;

typedef struct {
    DWORD NVBlockInfoSize; /* set to sizeof(NVBLOCKINFO) by the caller */
    DWORD NVBlockSize;
    DWORD NVBlockFlags;
} NVBLOCKINFO;

/* Raw block commands of OrnNVDeviceRaw */
#define NVRAW_ERASE 0
#define NVRAW_UNLOCK 1
#define NVRAW_LOCK 2

typedef struct {
    DWORD I2CBusInfoSize; /* set to sizeof(I2CBUSINFO) by the caller */
    BYTE I2CBusID;
    BYTE reserved[3];
    DWORD I2CBusFlags;
    DWORD I2CMaxBlockSize;
    CHAR I2CBusString[8];
} I2CBUSINFO;

typedef struct {
    DWORD TSensorInfoSize; /* set to sizeof(TSENSORINFO) by the caller */
    DWORD SensorType;      /* 0 CPU, 1 board, 2 memory, 3 system, 0x80.. OEM */
    CHAR SensorString[8];
} TSENSORINFO;

#define VSENSOR_NOMINAL_UNKNOWN ((SDWORD)0x80000000u)

typedef struct {
    DWORD VSensorInfoSize; /* set to sizeof(VSENSORINFO) by the caller */
    SDWORD NominalValue;   /* VSENSOR_NOMINAL_UNKNOWN when not known */
    CHAR SensorString[8];
} VSENSORINFO;

typedef struct {
    DWORD SystemStateSize; /* set to sizeof(SYSTEMSTATE) by the caller */
    DWORD MiscState;       /* bit 0 docked, bit 1 lid open */
    DWORD PowerState;      /* bit 0 AC connected */
} SYSTEMSTATE;

#define BATTERY_VALUE_UNKNOWN 0xFFFFFFFFu

typedef struct {
    DWORD BatteryInfoSize; /* set to sizeof(BATTERYINFO) by the caller */
    DWORD PowerUnit;       /* bit 0: 0 mWh/mW, 1 mAh/mA */
    DWORD DesignCapacity;
    DWORD FullChargeCapacity;
    DWORD DesignVoltage;
    CHAR DeviceName[16];
    CHAR SerialNumber[16];
    CHAR BatteryType[16];
    CHAR Manufacturer[16];
} BATTERYINFO;

typedef struct {
    DWORD BatteryStateSize; /* set to sizeof(BATTERYSTATE) by the caller */
    DWORD Status;
    DWORD CurrentRate;
    DWORD RemainingCapacity;
    DWORD Voltage;
} BATTERYSTATE;

/* OEM direct I/O request */
#define OEM_ACCESS_PORT 2
#define OEM_ACCESS_UNSUPPORTED 3
#define OEM_ADDRESS_8BIT 0x0001
#define OEM_DATA_BYTE 0x0001
#define OEM_DATA_WORD 0x0002
#define OEM_DATA_DWORD 0x0004

typedef struct {
    DWORD AccessType;
    DWORD Address;
    DWORD reserved;
    WORD AddressFlags;
    WORD DataFlags;
    DWORD DataValue;
} OEMACCESS;

#pragma pack(pop)

/* The layouts are checked wherever the compiler can: C++ and C11 on. */
#if defined(__cplusplus)
#define ORNSYST_SIZE_CHECK(type, size) static_assert(sizeof(type) == (size), #type " size")
#define ORNSYST_OFFSET_CHECK(type, field, at) static_assert(offsetof(type, field) == (at), #type "." #field)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define ORNSYST_SIZE_CHECK(type, size) _Static_assert(sizeof(type) == (size), #type " size")
#define ORNSYST_OFFSET_CHECK(type, field, at) _Static_assert(offsetof(type, field) == (at), #type "." #field)
#else
#define ORNSYST_SIZE_CHECK(type, size) typedef int ornsyst_check_##type##_size
#define ORNSYST_OFFSET_CHECK(type, field, at) typedef int ornsyst_check_##type##_##field
#endif
ORNSYST_SIZE_CHECK(BIOSTIME, 6);
ORNSYST_SIZE_CHECK(BOARDINFO, 100);
ORNSYST_SIZE_CHECK(CPUINFO, 76);
ORNSYST_SIZE_CHECK(NVRAMINFO, 12);
ORNSYST_SIZE_CHECK(NVDEVICEINFO, 12);
ORNSYST_SIZE_CHECK(NVBLOCKINFO, 12);
ORNSYST_SIZE_CHECK(I2CBUSINFO, 24);
ORNSYST_SIZE_CHECK(TSENSORINFO, 16);
ORNSYST_SIZE_CHECK(VSENSORINFO, 16);
ORNSYST_SIZE_CHECK(SYSTEMSTATE, 12);
ORNSYST_SIZE_CHECK(BATTERYINFO, 84);
ORNSYST_SIZE_CHECK(BATTERYSTATE, 20);
ORNSYST_SIZE_CHECK(OEMACCESS, 20);

ORNSYST_OFFSET_CHECK(BIOSTIME, Year, 2);
ORNSYST_OFFSET_CHECK(BIOSTIME, Minute, 5);
ORNSYST_OFFSET_CHECK(BOARDINFO, SerialNumber, 64);
ORNSYST_OFFSET_CHECK(BOARDINFO, BootCounter, 80);
ORNSYST_OFFSET_CHECK(BOARDINFO, ManufacturingDate, 88);
ORNSYST_OFFSET_CHECK(BOARDINFO, MaintenanceTime, 94);
ORNSYST_OFFSET_CHECK(CPUINFO, CPUClass, 4);
ORNSYST_OFFSET_CHECK(CPUINFO, CPUSpeed, 6);
ORNSYST_OFFSET_CHECK(CPUINFO, CPUString, 10);
ORNSYST_OFFSET_CHECK(NVRAMINFO, NVRamFlags, 8);
ORNSYST_OFFSET_CHECK(NVDEVICEINFO, NVDeviceID, 6);
ORNSYST_OFFSET_CHECK(NVDEVICEINFO, NVBlockCount, 8);
ORNSYST_OFFSET_CHECK(NVBLOCKINFO, NVBlockFlags, 8);
ORNSYST_OFFSET_CHECK(I2CBUSINFO, I2CBusID, 4);
ORNSYST_OFFSET_CHECK(I2CBUSINFO, I2CBusFlags, 8);
ORNSYST_OFFSET_CHECK(I2CBUSINFO, I2CMaxBlockSize, 12);
ORNSYST_OFFSET_CHECK(I2CBUSINFO, I2CBusString, 16);
ORNSYST_OFFSET_CHECK(TSENSORINFO, SensorString, 8);
ORNSYST_OFFSET_CHECK(VSENSORINFO, NominalValue, 4);
ORNSYST_OFFSET_CHECK(SYSTEMSTATE, PowerState, 8);
ORNSYST_OFFSET_CHECK(BATTERYINFO, DesignVoltage, 16);
ORNSYST_OFFSET_CHECK(BATTERYINFO, DeviceName, 20);
ORNSYST_OFFSET_CHECK(BATTERYINFO, Manufacturer, 68);
ORNSYST_OFFSET_CHECK(BATTERYSTATE, Voltage, 16);
ORNSYST_OFFSET_CHECK(OEMACCESS, AddressFlags, 12);
ORNSYST_OFFSET_CHECK(OEMACCESS, DataValue, 16);
#undef ORNSYST_SIZE_CHECK
#undef ORNSYST_OFFSET_CHECK

#endif
