// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// I2C buses: byte and word transfers, bus queries and block transfers.
#include "internal.h"

namespace {

constexpr BYTE kReadPreset8 = 0xCC;
constexpr WORD kReadPreset16 = 0xCCCC;

// Block transfers: the block, with a far pointer to the caller's buffer, is
// built under the lock; the count comes back for reads and writes alike.
BOOL BlockTransfer(DWORD function, BYTE busid, BYTE devaddr, WORD offset, BYTE* buffer, DWORD* count,
                   BYTE protocol) {
    if (!orn::BeginCall({buffer, count})) return FALSE;
    orn::Lock lock;
    if (!lock) return orn::Closed();
    FarBuffer far(buffer, *count);
    if (!far.valid()) return orn::Fail(ORN_BIOS_DATA_ACCESS);
    zoka::I2CTransferBlock block{busid, devaddr, offset, far.get(), *count, protocol};
    if (!orn::CallFirmware(function, &block)) return FALSE;
    *count = block.count;
    return TRUE;
}

// Byte and word transfers build their block before taking the lock; a
// read presets its data so that a firmware that writes nothing shows.
template <typename Block, typename Value>
BOOL ReadValue(DWORD function, BYTE busid, BYTE devaddr, WORD offset, Value* data, Value preset, BYTE protocol) {
    if (!orn::BeginCall({data})) return FALSE;
    Block block{busid, devaddr, offset, preset, protocol};
    if (!orn::LockedCall(function, &block)) return FALSE;
    *data = block.data;
    return TRUE;
}

template <typename Block, typename Value>
BOOL WriteValue(DWORD function, BYTE busid, BYTE devaddr, WORD offset, Value data, BYTE protocol) {
    if (!orn::BeginCall()) return FALSE;
    Block block{busid, devaddr, offset, data, protocol};
    return orn::LockedCall(function, &block);
}

}  // namespace

extern "C" {

ORNAPI BOOL OrnI2CRead8(BYTE busid, BYTE devaddr, WORD offset, BYTE* data, BYTE protocol) {
    return ReadValue<zoka::I2CByteBlock>(zoka::I2CRead8, busid, devaddr, offset, data, kReadPreset8, protocol);
}

ORNAPI BOOL OrnI2CWrite8(BYTE busid, BYTE devaddr, WORD offset, BYTE data, BYTE protocol) {
    return WriteValue<zoka::I2CByteBlock>(zoka::I2CWrite8, busid, devaddr, offset, data, protocol);
}

ORNAPI BOOL OrnI2CRead16(BYTE busid, BYTE devaddr, WORD offset, WORD* data, BYTE protocol) {
    return ReadValue<zoka::I2CWordBlock>(zoka::I2CRead16, busid, devaddr, offset, data, kReadPreset16, protocol);
}

ORNAPI BOOL OrnI2CWrite16(BYTE busid, BYTE devaddr, WORD offset, WORD data, BYTE protocol) {
    return WriteValue<zoka::I2CWordBlock>(zoka::I2CWrite16, busid, devaddr, offset, data, protocol);
}

ORNAPI BOOL OrnGetI2CBusCount(DWORD* count) {
    return orn::BeginCall({count}) && orn::LockedCall(zoka::GetI2CBusCount, count);
}

ORNAPI BOOL OrnQueryI2CBus(DWORD index, I2CBUSINFO* info) {
    return orn::QueryIndexedRecord(zoka::QueryI2CBus, index, info);
}

ORNAPI BOOL OrnI2CReadBlock(BYTE busid, BYTE devaddr, WORD offset, BYTE* buffer, DWORD* count, BYTE protocol) {
    return BlockTransfer(zoka::I2CReadBlock, busid, devaddr, offset, buffer, count, protocol);
}

ORNAPI BOOL OrnI2CWriteBlock(BYTE busid, BYTE devaddr, WORD offset, BYTE* buffer, DWORD* count, BYTE protocol) {
    return BlockTransfer(zoka::I2CWriteBlock, busid, devaddr, offset, buffer, count, protocol);
}

}  // extern "C"
