// I2C buses: byte and word transfers, bus queries and block transfers.
#include "internal.h"

namespace {

constexpr BYTE kReadPreset8 = 0xCC;
constexpr WORD kReadPreset16 = 0xCCCC;

// Block transfers: the block, with a far pointer to the caller's buffer, is
// built under the lock; the count comes back for reads and writes alike.
BOOL BlockTransfer(DWORD function, BYTE busid, BYTE devaddr, WORD offset, BYTE* buffer, DWORD* count,
                   BYTE protocol) {
    if (!orn::Enter({buffer, count})) return FALSE;
    orn::Lock lock;
    FarBuffer far(buffer);
    zoka::I2CTransferBlock block{busid, devaddr, offset, far.get(), *count, protocol};
    if (!orn::Gate(function, &block)) return FALSE;
    *count = block.count;
    return TRUE;
}

}  // namespace

extern "C" {

ORNAPI BOOL OrnI2CRead8(BYTE busid, BYTE devaddr, WORD offset, BYTE* data, BYTE protocol) {
    if (!orn::Enter({data})) return FALSE;
    zoka::I2CByteBlock block{busid, devaddr, offset, kReadPreset8, protocol};
    if (!orn::LockedCall(zoka::I2CRead8, &block)) return FALSE;
    *data = block.data;
    return TRUE;
}

ORNAPI BOOL OrnI2CWrite8(BYTE busid, BYTE devaddr, WORD offset, BYTE data, BYTE protocol) {
    if (!orn::Enter()) return FALSE;
    zoka::I2CByteBlock block{busid, devaddr, offset, data, protocol};
    return orn::LockedCall(zoka::I2CWrite8, &block);
}

ORNAPI BOOL OrnI2CRead16(BYTE busid, BYTE devaddr, WORD offset, WORD* data, BYTE protocol) {
    if (!orn::Enter({data})) return FALSE;
    zoka::I2CWordBlock block{busid, devaddr, offset, kReadPreset16, protocol};
    if (!orn::LockedCall(zoka::I2CRead16, &block)) return FALSE;
    *data = block.data;
    return TRUE;
}

ORNAPI BOOL OrnI2CWrite16(BYTE busid, BYTE devaddr, WORD offset, WORD data, BYTE protocol) {
    if (!orn::Enter()) return FALSE;
    zoka::I2CWordBlock block{busid, devaddr, offset, data, protocol};
    return orn::LockedCall(zoka::I2CWrite16, &block);
}

ORNAPI BOOL OrnGetI2CBusCount(DWORD* count) {
    return orn::Enter({count}) && orn::LockedCall(zoka::GetI2CBusCount, count);
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
