// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// zoka.h - the ZOKA firmware protocol: function numbers, parameter blocks,
// far pointers, status codes and their messages. The one description of
// them that the library, the virtual board and the trace decoder share, so
// that all agree on every byte of every block.
#pragma once

#include <cstddef>

#include "ornsyslx.h"

namespace zoka {



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


// Who may call a function through the board service. Each role includes
// the ones before it; root is Admin.
enum class Role : BYTE { None = 0, Read = 1, Watchdog = 2, Admin = 3 };

// Which way the bytes of a block's far-pointer buffer go in a call.
enum class BufferFlow : BYTE { NoBuffer, ToFirmware, FromFirmware, BothWays };

// What a call does to the board: reads it; changes what the board keeps
// (memories, the configuration block, I2C devices, the display); or acts
// on it without a kept result (the watchdog, the OEM pass-through).
enum class Effect : BYTE { Reads, Stores, Acts };

// Where a fault rule finds the index a call is about: a DWORD at the
// block's start, the bus id byte at its start, or none.
enum class IndexAt : BYTE { None, Dword, BusId };

// A board carries at most this many NVRAMs, numbered from 0.
constexpr DWORD kMaxNVRams = 10;

constexpr long kNone = -1;
constexpr long kTransferBuffer = long(offsetof(I2CTransferBlock, buffer));
constexpr long kTransferCount = long(offsetof(I2CTransferBlock, count));
constexpr long kPassThruBuffer = long(offsetof(PassThruBlock, buffer));

// Every function of the service, in one table: its number, its name (the
// library function's, without "Orn"), the length of its parameter block in
// bytes (0: none; kConfigBlock: the board's configuration block, of the
// size function 0x04 reports), the role the board service asks of a caller,
// which way its far-pointer buffer goes, what the call does to the board,
// where its index sits, where its far pointer sits in the block (kNone:
// it has none) and where the DWORD counting the buffer's bytes sits (kNone
// with a far pointer: the pass-through's kPassThruBytes).
constexpr long kConfigBlock = -2;
#define ZOKA_FUNCTIONS(X) \
    X(0x01, GetBoardInfo, sizeof(BOARDINFO), Read, NoBuffer, Reads, None, kNone, kNone)                                  \
    X(0x03, GetCPUInfo, sizeof(CPUINFO), Read, NoBuffer, Reads, None, kNone, kNone)                                      \
    X(0x04, GetBoardCfgSize, sizeof(DWORD), Read, NoBuffer, Reads, None, kNone, kNone)                                   \
    X(0x05, GetBoardCfg, kConfigBlock, Read, NoBuffer, Reads, None, kNone, kNone)                                        \
    X(0x06, SetBoardCfg, kConfigBlock, Admin, NoBuffer, Stores, None, kNone, kNone)                                      \
    X(0x11, GetNVRamCount, sizeof(DWORD), Read, NoBuffer, Reads, None, kNone, kNone)                                     \
    X(0x12, GetNVRamInfo, sizeof(NVRamInfoBlock), Read, NoBuffer, Reads, Dword, kNone, kNone)                            \
    X(0x13, ReadNVRam, sizeof(NVRamByteBlock), Read, NoBuffer, Reads, Dword, kNone, kNone)                               \
    X(0x14, WriteNVRam, sizeof(NVRamByteBlock), Admin, NoBuffer, Stores, Dword, kNone, kNone)                            \
    X(0x15, GetNVDeviceInfo, sizeof(NVDeviceInfoBlock), Read, NoBuffer, Reads, Dword, kNone, kNone)                      \
    X(0x16, QueryNVBlock, sizeof(NVBlockInfoBlock), Read, NoBuffer, Reads, Dword, kNone, kNone)                          \
    X(0x17, NVDeviceRaw, sizeof(NVRawBlock), Admin, NoBuffer, Stores, Dword, kNone, kNone)                               \
    X(0x21, I2CRead8, sizeof(I2CByteBlock), Admin, NoBuffer, Reads, BusId, kNone, kNone)                                 \
    X(0x22, I2CWrite8, sizeof(I2CByteBlock), Admin, NoBuffer, Stores, BusId, kNone, kNone)                               \
    X(0x23, I2CRead16, sizeof(I2CWordBlock), Admin, NoBuffer, Reads, BusId, kNone, kNone)                                \
    X(0x24, I2CWrite16, sizeof(I2CWordBlock), Admin, NoBuffer, Stores, BusId, kNone, kNone)                              \
    X(0x25, GetI2CBusCount, sizeof(DWORD), Admin, NoBuffer, Reads, None, kNone, kNone)                                   \
    X(0x26, QueryI2CBus, sizeof(I2CBusQueryBlock), Admin, NoBuffer, Reads, Dword, kNone, kNone)                          \
    X(0x27, I2CReadBlock, sizeof(I2CTransferBlock), Admin, FromFirmware, Reads, BusId, kTransferBuffer, kTransferCount)  \
    X(0x28, I2CWriteBlock, sizeof(I2CTransferBlock), Admin, ToFirmware, Stores, BusId, kTransferBuffer, kTransferCount)  \
    X(0x31, WDConfig, sizeof(WDConfigBlock), Watchdog, NoBuffer, Acts, None, kNone, kNone)                               \
    X(0x32, WDGetStatus, sizeof(BYTE), Read, NoBuffer, Reads, None, kNone, kNone)                                        \
    X(0x33, WDTrigger, 0, Watchdog, NoBuffer, Acts, None, kNone, kNone)                                                  \
    X(0x41, BacklightCtrl, sizeof(DisplayBlock), Admin, NoBuffer, Stores, None, kNone, kNone)                            \
    X(0x42, GetBacklightValue, sizeof(DisplayBlock), Admin, NoBuffer, Reads, None, kNone, kNone)                         \
    X(0x43, SetBacklightValue, sizeof(DisplayBlock), Admin, NoBuffer, Stores, None, kNone, kNone)                        \
    X(0x44, GetContrastValue, sizeof(DisplayBlock), Admin, NoBuffer, Reads, None, kNone, kNone)                          \
    X(0x45, SetContrastValue, sizeof(DisplayBlock), Admin, NoBuffer, Stores, None, kNone, kNone)                         \
    X(0x51, GetThermSensorCount, sizeof(DWORD), Read, NoBuffer, Reads, None, kNone, kNone)                               \
    X(0x52, QueryThermSensor, sizeof(TSensorQueryBlock), Read, NoBuffer, Reads, Dword, kNone, kNone)                     \
    X(0x53, GetThermSensorValue, sizeof(SensorValueBlock), Read, NoBuffer, Reads, Dword, kNone, kNone)                   \
    X(0x54, GetVoltSensorCount, sizeof(DWORD), Read, NoBuffer, Reads, None, kNone, kNone)                                \
    X(0x55, QueryVoltSensor, sizeof(VSensorQueryBlock), Read, NoBuffer, Reads, Dword, kNone, kNone)                      \
    X(0x56, GetVoltSensorValue, sizeof(SensorValueBlock), Read, NoBuffer, Reads, Dword, kNone, kNone)                    \
    X(0x61, GetSystemState, sizeof(SYSTEMSTATE), Read, NoBuffer, Reads, None, kNone, kNone)                              \
    X(0x62, GetBatteryCount, sizeof(DWORD), Read, NoBuffer, Reads, None, kNone, kNone)                                   \
    X(0x63, GetBatteryInfo, sizeof(BatteryInfoBlock), Read, NoBuffer, Reads, Dword, kNone, kNone)                        \
    X(0x64, GetBatteryState, sizeof(BatteryStateBlock), Read, NoBuffer, Reads, Dword, kNone, kNone)                      \
    X(0x71, OEMPassThru, sizeof(PassThruBlock), Admin, BothWays, Acts, None, kPassThruBuffer, kNone)                    

enum Function : DWORD {
#define ZOKA_ENUM(number, name, length, role, flow, effect, index, pointer, count) name = number,
    ZOKA_FUNCTIONS(ZOKA_ENUM)
#undef ZOKA_ENUM
};

struct FunctionEntry {
    DWORD number;
    const char* name;
    long length;
    Role role;
    BufferFlow flow;
    Effect effect;
    IndexAt index;
    long pointer;
    long count;
};
constexpr FunctionEntry kFunctions[] = {
#define ZOKA_ENTRY(number, name, length, role, flow, effect, index, pointer, count) \
    {number, #name, long(length), Role::role, BufferFlow::flow, Effect::effect, IndexAt::index, pointer, count},
    ZOKA_FUNCTIONS(ZOKA_ENTRY)
#undef ZOKA_ENTRY
};

// The entry of a function number; nullptr for one the service does not have.
constexpr const FunctionEntry* FindFunction(DWORD function) {
    for (const FunctionEntry& e : kFunctions)
        if (e.number == function) return &e;
    return nullptr;
}

// -1 for a function the service does not have.
constexpr long BlockLength(DWORD function) {
    const FunctionEntry* e = FindFunction(function);
    return e ? e->length : -1;
}

// The block's far pointer, where it has one (else kNone).
constexpr long FarPointerAt(DWORD function) {
    const FunctionEntry* e = FindFunction(function);
    return e ? e->pointer : kNone;
}

// The bytes the firmware reaches through a block's far pointer: the count
// the block holds, or the pass-through's buffer as the firmware's OEM
// function uses it, the 32-bit value it writes.
constexpr DWORD kPassThruBytes = 4;
inline DWORD FarBufferLength(DWORD function, const void* block) {
    const FunctionEntry* e = FindFunction(function);
    if (e == nullptr || e->pointer == kNone) return 0;
    if (e->count == kNone) return kPassThruBytes;
    DWORD count;
    __builtin_memcpy(&count, static_cast<const char*>(block) + e->count, sizeof count);
    return count;
}

constexpr bool FarPointersAgreeWithFlows() {
    for (const FunctionEntry& e : kFunctions)
        if ((FarPointerAt(e.number) >= 0) != (e.flow != BufferFlow::NoBuffer)) return false;
    return true;
}
static_assert(FarPointersAgreeWithFlows());

// Every status the library knows, with its message, in the order of the
// library's table: the firmware's ("BIOS:") and the library's ("DLL:").
#define ZOKA_STATUSES(X)                                                         \
    X(ORN_SUCCESS, "BIOS: SUCCESS")                                              \
    X(ORN_BIOS_NOT_SUPPORTED, "BIOS: function not supported")                    \
    X(ORN_BIOS_INVALID_DEVICE, "BIOS: invalid device")                           \
    X(ORN_BIOS_DATA_ACCESS, "BIOS: data access error")                           \
    X(ORN_BIOS_I2C_INVALID_BUS, "BIOS: I2C invalid bus index")                   \
    X(ORN_BIOS_I2C_NO_ACK, "BIOS: I2C no acknowledge")                           \
    X(ORN_BIOS_I2C_PROTOCOL, "BIOS: I2C protocol not supported")                 \
    X(ORN_BIOS_NVR_NOT_READABLE, "BIOS: NVRam not readable")                     \
    X(ORN_BIOS_NVR_NOT_WRITEABLE, "BIOS: NVRam not writeable")                   \
    X(ORN_BIOS_NVR_INDEX, "BIOS: NVRam index out of range")                      \
    X(ORN_BIOS_NOT_PRESENT, "BIOS: hardware not present")                        \
    X(ORN_BIOS_OUT_OF_RANGE, "BIOS: parameter out of range")                     \
    X(ORN_DLL_START_FAILED, "DLL: starting Win32 driver failed (register device)") \
    X(ORN_DLL_CREATE_FILE, "DLL: starting Win32 driver failed (create file)")    \
    X(ORN_DLL_CREATE_MUTEX, "DLL: starting Win32 driver failed (create mutex)")  \
    X(ORN_DLL_NULL_POINTER, "DLL: invalid parameter (NULL pointer)")             \
    X(ORN_DLL_VERSION, "DLL: invalid DLL version")                               \
    X(ORN_DLL_WD_COMMAND, "DLL: watchdog: invalid command")                      \
    X(ORN_DLL_OEM_ADDRESS_TYPE, "DLL: OEMRead/Write, invalid AddressType")       \
    X(ORN_DLL_OEM_ADDRESS_FLAGS, "DLL: OEMRead/Write, invalid AddressFlags")     \
    X(ORN_DLL_OEM_DATA_FLAGS, "DLL: OEMRead/Write, invalid DataFlags")

// Beside them, the statuses this library adds for its board service.
#define ZOKA_SERVICE_STATUSES(X) X(ORN_DLL_ACCESS_DENIED, "DLL: access denied by the board service")

struct StatusEntry {
    DWORD code;
    const char* message;
};
constexpr StatusEntry kStatuses[] = {
#define ZOKA_STATUS(code, message) {code, message},
    ZOKA_STATUSES(ZOKA_STATUS) ZOKA_SERVICE_STATUSES(ZOKA_STATUS)
#undef ZOKA_STATUS
};

// The message of a status; nullptr for one that is not in the table.
constexpr const char* StatusMessage(DWORD code) {
    for (const StatusEntry& e : kStatuses)
        if (e.code == code) return e.message;
    return nullptr;
}

}  // namespace zoka
