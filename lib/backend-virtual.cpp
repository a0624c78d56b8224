// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// The virtual backend: the virtual board is the firmware. Opening starts an
// instance from its board file, each call goes straight into it, and a far
// pointer is a token that the instance resolves to the caller's buffer for
// the length of one call.
#include <iterator>

#include "backend.h"
#include "debug.h"
#include "internal.h"
#include "virtual-board.h"

namespace {

const orn::VirtualBoard* gSim = nullptr;
orn::VirtualBoard::Instance* gInstance = nullptr;

// Buffers named by far pointers of the calls in progress (one firmware call
// runs at a time, under the library's lock). Offsets handed to the firmware
// are kFarBase plus the slot number.
constexpr DWORD kFarBase = 0xFA000000;
void* gFarSlots[4] = {};

void* ResolveFar(void*, uint16_t, uint32_t offset) {
    DWORD slot = offset - kFarBase;
    return slot < std::size(gFarSlots) ? gFarSlots[slot] : nullptr;
}

zoka::FarPointer BindFar(void* buffer, DWORD, void**) {
    for (DWORD slot = 0; slot < std::size(gFarSlots); ++slot) {
        if (gFarSlots[slot] == nullptr) {
            gFarSlots[slot] = buffer;
            return {CallerDataSelector(), kFarBase + slot};
        }
    }
    return {0, 0};
}

void ReleaseFar(void*, void* buffer, DWORD) {
    for (void*& slot : gFarSlots)
        if (slot == buffer) slot = nullptr;
}

int Open() {
    orn::VirtualBoard::Instance* instance = orn::StartVirtualBoard(gSim);
    if (instance == nullptr) return 0;
    if (!gSim->hasZoka(instance)) {
        orn::DebugStep("virtual board", 0, "its directory answers that ZOKA is absent ([firmware] zoka = absent)");
        gSim->stop(instance);
        return 0;
    }
    gInstance = instance;
    return 1;
}

int Close() {
    gSim->stop(gInstance);
    gInstance = nullptr;
    return 1;
}

DWORD Call(DWORD function, void* block) { return gSim->call(gInstance, function, block, ResolveFar, nullptr); }

DWORD InPort(int width, WORD port, DWORD* value) {
    const orn::VirtualBoard* sim = orn::LoadVirtualBoard();
    if (sim == nullptr) return ORN_BIOS_DATA_ACCESS;
    *value = sim->portIn(width, port);
    return ORN_SUCCESS;
}

DWORD OutPort(int width, WORD port, DWORD value) {
    const orn::VirtualBoard* sim = orn::LoadVirtualBoard();
    if (sim == nullptr) return ORN_BIOS_DATA_ACCESS;
    sim->portOut(width, port, value);
    return ORN_SUCCESS;
}

DWORD RaiseIopl() {
    const orn::VirtualBoard* sim = orn::LoadVirtualBoard();
    return sim && sim->iopl() ? ORN_SUCCESS : ORN_BIOS_DATA_ACCESS;
}

board_lock::Taken LockCalls(board_lock::Waited* waited) {
    return board_lock::Taken(gSim->lock(gInstance, &waited->holder, &waited->seconds));
}
void UnlockCalls() { gSim->unlock(gInstance); }

}  // namespace

const orn::Backend orn::kVirtualBackend = {
    .name = "virtual",
    .open = Open,
    .close = Close,
    .call = Call,
    .bindFar = BindFar,
    .releaseFar = ReleaseFar,
    .portIn = InPort,
    .portOut = OutPort,
    .raiseIoPrivilege = RaiseIopl,
    .lockCalls = LockCalls,
    .unlockCalls = UnlockCalls,
};
