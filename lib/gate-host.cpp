// Firmware access of the host flavour: the virtual board is the firmware.
// InitZokaBios starts a board instance, the gate calls into it, and far
// pointers are tokens that the gate resolves for the length of one call.
#include <iterator>

#include "internal.h"
#include "ornsim.h"

namespace {

ornsim* gBoard = nullptr;

// Buffers named by far pointers of the calls in progress. Offsets handed to
// the firmware are kFarBase plus the slot number.
constexpr DWORD kFarBase = 0xFA000000;
void* gFarSlots[4] = {};

void* ResolveFar(void*, uint16_t, uint32_t offset) {
    DWORD slot = offset - kFarBase;
    return slot < std::size(gFarSlots) ? gFarSlots[slot] : nullptr;
}

}  // namespace

FarBuffer::FarBuffer(void* buffer, DWORD) : pointer_{CurrentDataSelector(), 0} {
    for (DWORD slot = 0; slot < std::size(gFarSlots); ++slot) {
        if (gFarSlots[slot] == nullptr) {
            gFarSlots[slot] = buffer;
            pointer_.offset = kFarBase + slot;
            return;
        }
    }
}

FarBuffer::~FarBuffer() {
    DWORD slot = pointer_.offset - kFarBase;
    if (slot < std::size(gFarSlots)) gFarSlots[slot] = nullptr;
}

int InitZokaBios() {
    ulBiosInterface = 0;
    gBoard = ornsim_start();
    if (gBoard == nullptr) {
        orn::DebugStep("starting the virtual board", 0, "the board cannot be used (see the ornsim: line above)");
        return 0;
    }
    if (!ornsim_has_zoka(gBoard)) {
        orn::DebugStep("virtual board", 0, "its directory answers that ZOKA is absent ([firmware] zoka = absent)");
        ornsim_stop(gBoard);
        gBoard = nullptr;
        return 0;
    }
    ulBiosInterface = 1;
    return 1;
}

const BYTE* ReservationBase() { return nullptr; }

int ExitZokaBios() {
    ornsim_stop(gBoard);
    gBoard = nullptr;
    ulBiosInterface = 0;
    return 1;
}

DWORD CallZOKAFunction(DWORD function, void* block) {
    if (ulBiosInterface == 0) return ORN_BIOS_NOT_SUPPORTED;
    return ornsim_call(gBoard, function, block, ResolveFar, nullptr) & 0xFFFF;
}

