// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// The image backend, for tests of the real locator and gate without a
// board: a firmware image file in place of /dev/mem, no I/O privilege (the
// process may not have it), and the virtual board's I/O ports. Unless
// ORN_FIRMWARE_IMAGE names an image, the image is made here: a BIOS32
// directory and a ZOKA entry in machine code that passes each call on to
// the virtual board. It executes code from a file, so only test builds
// have it (ORNSYS_IMAGE_BACKEND).
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "backend.h"
#include "bios32.h"
#include "debug.h"
#include "firmware-image.h"
#include "gate.h"
#include "internal.h"
#include "virtual-board.h"

namespace {

const orn::VirtualBoard* gSim = nullptr;
orn::VirtualBoard::Instance* gBoard = nullptr;

void* SameAddress(void*, uint16_t, uint32_t offset) { return reinterpret_cast<void*>(uintptr_t{offset}); }

}  // namespace

// Where the ZOKA entry of an image made here hands each call.
extern "C" DWORD ornsys_zoka_bridge(DWORD function, void* block);
extern "C" DWORD ornsys_zoka_bridge(DWORD function, void* block) {
    if (gBoard == nullptr) return ORN_BIOS_NOT_SUPPORTED;
    return gSim->call(gBoard, function, block, SameAddress, nullptr);
}

namespace firmware_image {

std::vector<BYTE> BridgeEntryCode() {
    std::vector<BYTE> code = {
        0x55,              // push ebp
        0x89, 0xE5,        // mov ebp, esp
        0x83, 0xE4, 0xF0,  // and esp, -16: the bridge is compiled code
        0x83, 0xEC, 0x08,  // sub esp, 8
        0xFF, 0x75, 0x10,  // push dword [ebp+16]: the block
        0xFF, 0x75, 0x0C,  // push dword [ebp+12]: the function
        0xB8,              // mov eax, ornsys_zoka_bridge
    };
    Emit32(code, static_cast<DWORD>(reinterpret_cast<uintptr_t>(&ornsys_zoka_bridge)));
    code.insert(code.end(), {0xFF, 0xD0, 0x89, 0xEC, 0x5D, 0xCB});  // call eax; mov esp, ebp; pop ebp; retf
    return code;
}

}  // namespace firmware_image

namespace {

int OpenImage() {
    gBoard = orn::StartVirtualBoard(gSim);
    if (gBoard == nullptr) return -1;
    const char* path = secure_getenv("ORN_FIRMWARE_IMAGE");
    int fd = path != nullptr && *path != '\0'
                 ? open(path, O_RDWR | O_CLOEXEC)
                 : firmware_image::WriteToMemoryFile(
                       firmware_image::Make(gSim->hasZoka(gBoard), firmware_image::BridgeEntryCode()));
    if (fd < 0) {
        orn::DebugStep("opening the firmware image", errno, path ? path : "an image in memory");
        gSim->stop(gBoard);
        gBoard = nullptr;
    }
    return fd;
}

int CloseImage(int fd) {
    gSim->stop(gBoard);
    gBoard = nullptr;
    return close(fd);
}

int NoPrivilegeNeeded() { return 0; }

const FirmwareSource kImage = {OpenImage, CloseImage, NoPrivilegeNeeded};

int Open() { return InitZokaBios(kImage); }

// The virtual board's ports, as the virtual backend serves them.
DWORD InPort(int width, WORD port, DWORD* value) { return orn::kVirtualBackend.portIn(width, port, value); }
DWORD OutPort(int width, WORD port, DWORD value) { return orn::kVirtualBackend.portOut(width, port, value); }
DWORD RaiseIopl() { return orn::kVirtualBackend.raiseIoPrivilege(); }
// The board behind the image is the virtual board: its lock.
board_lock::Taken LockCalls(board_lock::Waited* waited) {
    return board_lock::Taken(gSim->lock(gBoard, &waited->holder, &waited->seconds));
}
void UnlockCalls() { gSim->unlock(gBoard); }

}  // namespace

const orn::Backend orn::kImageBackend = {
    .name = "image",
    .open = Open,
    .close = ExitZokaBios,
    .call = CallBios32Service,
    .bindFar = gate::BindFar,
    .releaseFar = gate::ReleaseFar,
    .portIn = InPort,
    .portOut = OutPort,
    .raiseIoPrivilege = RaiseIopl,
    .lockCalls = LockCalls,
    .unlockCalls = UnlockCalls,
};
