// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The board service's raw calls, on the library's own call path.
#include "raw-access.h"

#include <cstring>

#include "internal.h"

namespace orn::raw {

namespace {

DWORD CallWithBuffer(const zoka::FunctionEntry& entry, uint8_t* block, uint8_t* buffer, uint32_t bufferLength) {
    if (entry.flow == zoka::BufferFlow::NoBuffer) return CallOpenBackend(entry.number, block);
    FarBuffer far(buffer, bufferLength);
    if (!far.valid()) return ORN_BIOS_DATA_ACCESS;
    const zoka::FarPointer pointer = far.get();
    memcpy(block + zoka::FarPointerAt(entry.number), &pointer, sizeof(pointer));
    return CallOpenBackend(entry.number, block);
}

}  // namespace

CallResult Call(const zoka::FunctionEntry& entry, uint8_t* block, size_t blockLength, uint8_t* buffer,
                uint32_t bufferLength) {
    Lock lock;
    if (!lock || lock.withheld()) return {ORN_DLL_START_FAILED, false, 0};
    if (entry.length == zoka::kConfigBlock) {
        DWORD size = 0;
        if (DWORD status = CallOpenBackend(zoka::GetBoardCfgSize, &size)) return {status, false, 0};
        if (size != blockLength) return {ORN_SUCCESS, true, size};
    }
    return {CallWithBuffer(entry, block, buffer, bufferLength), false, 0};
}

DWORD PortPrivilege() { return RaiseIoPrivilege(); }

DWORD PortRead(int width, WORD port, DWORD* value) {
    const DWORD status = RaiseIoPrivilege();
    return status == ORN_SUCCESS ? PortIn(width, port, value) : status;
}

DWORD PortWrite(int width, WORD port, DWORD value) {
    const DWORD status = RaiseIoPrivilege();
    return status == ORN_SUCCESS ? PortOut(width, port, value) : status;
}

}  // namespace orn::raw
