// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Non-volatile memory: count, descriptions, byte transfers and flash blocks.
#include "internal.h"

// The library's record of the firmware's last answers.
DWORD dwNVRamCount = 0;
NVRAMINFO rgtNVRamInfo[kNVRamTableSize] = {};
NVDEVICEINFO rgtNVDeviceInfo[kNVRamTableSize] = {};

namespace {

constexpr DWORD kHighestIndex = kNVRamTableSize - 1;

// Read and write: refresh the count and every description (each call takes
// the lock itself), then hold the lock across the byte loop. A refusal
// part-way ends the transfer with TRUE and the bytes moved so far.
BOOL Transfer(DWORD function, DWORD index, DWORD offset, DWORD length, BYTE* buffer, DWORD* count) {
    if (!orn::BeginCall()) return FALSE;
    // The firmware sees the library's last count in the count block, as
    // when the table itself is the block; the tables change under the lock.
    DWORD nvramCount = orn::Locked([] { return dwNVRamCount; });
    if (!OrnGetNVRamCount(&nvramCount)) return FALSE;
    for (DWORD i = 0; i < nvramCount; ++i) {
        NVRAMINFO info;
        if (!OrnGetNVRamInfo(i, &info)) return FALSE;
    }
    if (buffer == nullptr || count == nullptr) return orn::Fail(ORN_DLL_NULL_POINTER);

    const bool write = function == zoka::WriteNVRam;
    orn::Lock lock;
    zoka::NVRamByteBlock block{index, offset, 0};
    *count = 0;
    for (DWORD i = 0; i < length; ++i) {
        if (write) block.data = buffer[i];
        if (!orn::CallFirmware(function, &block)) return TRUE;
        if (!write) buffer[i] = block.data;
        ++block.offset;
        ++*count;
    }
    return TRUE;
}

}  // namespace

extern "C" {

ORNAPI BOOL OrnGetNVRamCount(DWORD* count) {
    if (!orn::BeginCall({count})) return FALSE;
    orn::Lock lock;
    if (!orn::CallFirmware(zoka::GetNVRamCount, count)) return FALSE;
    dwNVRamCount = *count;
    return TRUE;
}

ORNAPI BOOL OrnGetNVRamInfo(DWORD index, NVRAMINFO* info) {
    if (!orn::BeginCall({info})) return FALSE;
    if (index > kHighestIndex) return orn::Fail(ORN_BIOS_OUT_OF_RANGE);
    zoka::NVRamInfoBlock block{};
    {
        orn::Lock lock;
        block.index = index;
        if (!orn::CallFirmware(zoka::GetNVRamInfo, &block)) return FALSE;
        rgtNVRamInfo[index] = block.info;
    }
    *info = block.info;
    return TRUE;
}

ORNAPI BOOL OrnReadNVRam(DWORD index, DWORD offset, DWORD length, BYTE* buffer, DWORD* count) {
    return Transfer(zoka::ReadNVRam, index, offset, length, buffer, count);
}

ORNAPI BOOL OrnWriteNVRam(DWORD index, DWORD offset, DWORD length, BYTE* buffer, DWORD* count) {
    return Transfer(zoka::WriteNVRam, index, offset, length, buffer, count);
}

ORNAPI BOOL OrnGetNVDeviceInfo(DWORD index, NVDEVICEINFO* info) {
    if (!orn::BeginCall({info})) return FALSE;
    if (index > kHighestIndex) return orn::Fail(ORN_BIOS_OUT_OF_RANGE);
    if (!orn::QueryIndexedRecord(zoka::GetNVDeviceInfo, index, info)) return FALSE;
    orn::Locked([&] { rgtNVDeviceInfo[index] = *info; });
    return TRUE;
}

ORNAPI BOOL OrnQueryNVBlock(DWORD index, DWORD blockNumber, NVBLOCKINFO* info) {
    if (!orn::BeginCall({info})) return FALSE;
    if (index > kHighestIndex) return orn::Fail(ORN_BIOS_OUT_OF_RANGE);
    zoka::NVBlockInfoBlock block{};
    {
        orn::Lock lock;
        block.index = index;
        block.block = blockNumber;
        block.info.NVBlockInfoSize = info->NVBlockInfoSize;
        if (!orn::CallFirmware(zoka::QueryNVBlock, &block)) return FALSE;
    }
    *info = block.info;
    return TRUE;
}

ORNAPI BOOL OrnNVDeviceRaw(DWORD index, DWORD blockNumber, DWORD command) {
    if (!orn::BeginCall()) return FALSE;
    if (index > kHighestIndex) return orn::Fail(ORN_BIOS_OUT_OF_RANGE);
    zoka::NVRawBlock block{index, blockNumber, command};
    return orn::LockedCall(zoka::NVDeviceRaw, &block);
}

}  // extern "C"
