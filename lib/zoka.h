// zoka.h - the ZOKA firmware call convention: function numbers and the
// parameter blocks the library builds. Shared by the library and by any
// firmware that serves it (the virtual board), so that both agree on every
// byte of every block.
#pragma once

#include <cstddef>

#include "ornsyst.h"

namespace zoka {

enum Function : DWORD {
    GetBoardInfo = 0x01,
    GetCPUInfo = 0x03,
    GetBoardCfgSize = 0x04,
    GetBoardCfg = 0x05,
    SetBoardCfg = 0x06,
    GetNVRamCount = 0x11,
    GetNVRamInfo = 0x12,
    ReadNVRam = 0x13,
    WriteNVRam = 0x14,
    GetNVDeviceInfo = 0x15,
    QueryNVBlock = 0x16,
    NVDeviceRaw = 0x17,
    I2CRead8 = 0x21,
    I2CWrite8 = 0x22,
    I2CRead16 = 0x23,
    I2CWrite16 = 0x24,
    GetI2CBusCount = 0x25,
    QueryI2CBus = 0x26,
    I2CReadBlock = 0x27,
    I2CWriteBlock = 0x28,
    WDConfig = 0x31,
    WDGetStatus = 0x32,
    WDTrigger = 0x33,
    BacklightCtrl = 0x41,
    GetBacklightValue = 0x42,
    SetBacklightValue = 0x43,
    GetContrastValue = 0x44,
    SetContrastValue = 0x45,
    GetThermSensorCount = 0x51,
    QueryThermSensor = 0x52,
    GetThermSensorValue = 0x53,
    GetVoltSensorCount = 0x54,
    QueryVoltSensor = 0x55,
    GetVoltSensorValue = 0x56,
    GetSystemState = 0x61,
    GetBatteryCount = 0x62,
    GetBatteryInfo = 0x63,
    GetBatteryState = 0x64,
    OEMPassThru = 0x71,
};

#pragma pack(push, 1)

// A buffer named inside a block: selector first, then the 32-bit offset.
struct FarPointer {
    WORD selector;
    DWORD offset;
};

// An index followed by a record whose first DWORD is its size.
template <typename Record>
struct IndexedRecordBlock {
    DWORD index;
    Record record;
};
using NVDeviceInfoBlock = IndexedRecordBlock<NVDEVICEINFO>;  // 0x15
using I2CBusQueryBlock = IndexedRecordBlock<I2CBUSINFO>;     // 0x26
using TSensorQueryBlock = IndexedRecordBlock<TSENSORINFO>;   // 0x52
using VSensorQueryBlock = IndexedRecordBlock<VSENSORINFO>;   // 0x55
using BatteryInfoBlock = IndexedRecordBlock<BATTERYINFO>;    // 0x63
using BatteryStateBlock = IndexedRecordBlock<BATTERYSTATE>;  // 0x64

struct NVRamInfoBlock {  // 0x12
    DWORD index;
    NVRAMINFO info;
};
struct NVRamByteBlock {  // 0x13, 0x14
    DWORD index;
    DWORD offset;
    BYTE data;
};
struct NVBlockInfoBlock {  // 0x16
    DWORD index;
    DWORD block;
    NVBLOCKINFO info;
};
struct NVRawBlock {  // 0x17
    DWORD index;
    DWORD block;
    DWORD command;
};
struct I2CByteBlock {  // 0x21, 0x22
    BYTE busid;
    BYTE devaddr;
    WORD offset;
    BYTE data;
    BYTE protocol;
};
struct I2CWordBlock {  // 0x23, 0x24
    BYTE busid;
    BYTE devaddr;
    WORD offset;
    WORD data;
    BYTE protocol;
};
struct I2CTransferBlock {  // 0x27, 0x28
    BYTE busid;
    BYTE devaddr;
    WORD offset;
    FarPointer buffer;
    DWORD count;
    BYTE protocol;
};
struct WDConfigBlock {  // 0x31
    WORD delay;
    WORD timeout;
    WORD cmd;
};
struct DisplayBlock {  // 0x41 to 0x45
    BYTE zero;
    BYTE value;
};
struct SensorValueBlock {  // 0x53, 0x56
    DWORD index;
    SDWORD value;
};
struct PassThruBlock {  // 0x71
    DWORD value;
    FarPointer buffer;
};

#pragma pack(pop)

static_assert(sizeof(NVRamInfoBlock) == 16 && offsetof(NVRamInfoBlock, info) == 4);
static_assert(offsetof(NVDeviceInfoBlock, record) == 4 && offsetof(I2CBusQueryBlock, record) == 4);
static_assert(sizeof(NVRamByteBlock) == 9 && offsetof(NVRamByteBlock, data) == 8);
static_assert(sizeof(NVDeviceInfoBlock) == 16);
static_assert(sizeof(NVBlockInfoBlock) == 20 && offsetof(NVBlockInfoBlock, info) == 8);
static_assert(sizeof(NVRawBlock) == 12);
static_assert(sizeof(I2CByteBlock) == 6 && offsetof(I2CByteBlock, data) == 4 && offsetof(I2CByteBlock, protocol) == 5);
static_assert(sizeof(I2CWordBlock) == 7 && offsetof(I2CWordBlock, data) == 4 && offsetof(I2CWordBlock, protocol) == 6);
static_assert(sizeof(I2CBusQueryBlock) == 28);
static_assert(sizeof(I2CTransferBlock) == 15);
static_assert(offsetof(I2CTransferBlock, buffer) == 4 && offsetof(I2CTransferBlock, count) == 10 &&
              offsetof(I2CTransferBlock, protocol) == 14);
static_assert(sizeof(FarPointer) == 6 && offsetof(FarPointer, offset) == 2);
static_assert(sizeof(WDConfigBlock) == 6);
static_assert(sizeof(DisplayBlock) == 2);
static_assert(sizeof(IndexedRecordBlock<TSENSORINFO>) == 20);
static_assert(sizeof(SensorValueBlock) == 8);
static_assert(sizeof(IndexedRecordBlock<BATTERYINFO>) == 88);
static_assert(sizeof(IndexedRecordBlock<BATTERYSTATE>) == 24);
static_assert(sizeof(PassThruBlock) == 10 && offsetof(PassThruBlock, buffer) == 4);


// The length of each function's parameter block in bytes (0: no block);
// the configuration functions' block is the board's configuration block,
// of the size function 0x04 reports.
constexpr long kConfigBlock = -2;
struct BlockLengthEntry {
    DWORD function;
    long length;
};
constexpr BlockLengthEntry kBlockLengths[] = {
    {GetBoardInfo, 100},
    {GetCPUInfo, 76},
    {GetBoardCfgSize, 4},
    {GetBoardCfg, kConfigBlock},
    {SetBoardCfg, kConfigBlock},
    {GetNVRamCount, 4},
    {GetNVRamInfo, 16},
    {ReadNVRam, 9},
    {WriteNVRam, 9},
    {GetNVDeviceInfo, 16},
    {QueryNVBlock, 20},
    {NVDeviceRaw, 12},
    {I2CRead8, 6},
    {I2CWrite8, 6},
    {I2CRead16, 7},
    {I2CWrite16, 7},
    {GetI2CBusCount, 4},
    {QueryI2CBus, 28},
    {I2CReadBlock, 15},
    {I2CWriteBlock, 15},
    {WDConfig, 6},
    {WDGetStatus, 1},
    {WDTrigger, 0},
    {BacklightCtrl, 2},
    {GetBacklightValue, 2},
    {SetBacklightValue, 2},
    {GetContrastValue, 2},
    {SetContrastValue, 2},
    {GetThermSensorCount, 4},
    {QueryThermSensor, 20},
    {GetThermSensorValue, 8},
    {GetVoltSensorCount, 4},
    {QueryVoltSensor, 20},
    {GetVoltSensorValue, 8},
    {GetSystemState, 12},
    {GetBatteryCount, 4},
    {GetBatteryInfo, 88},
    {GetBatteryState, 24},
    {OEMPassThru, 10},
};
// -1 for a function the service does not have.
constexpr long BlockLength(DWORD function) {
    for (const BlockLengthEntry& e : kBlockLengths)
        if (e.function == function) return e.length;
    return -1;
}

}  // namespace zoka
