// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// The board backend: the board's own firmware, its window of physical
// memory mapped from /dev/mem and entered with I/O privilege level 3, and
// the processor's port instructions.
#include <fcntl.h>
#include <sys/shm.h>
#include <unistd.h>

#include <cerrno>

#include "backend.h"
#include "board-lock.h"
#include "bios32.h"
#include "gate.h"
#include "internal.h"

// <sys/io.h> would bring port functions of its own; only iopl is wanted.
extern "C" int iopl(int level);

namespace {

int OpenDevMem() {
    // Not inherited: a child started while the library is open must not
    // hold physical memory open read-write.
    int fd = open("/dev/mem", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        orn::DebugStep("opening /dev/mem", errno,
                       errno == ENOENT ? "this system has no /dev/mem"
                                       : "the process needs root (/dev/mem is 0640 root:kmem, and writing it needs "
                                         "CAP_SYS_RAWIO as well as write permission on the file)");
    return fd;
}

int RaiseIopl() { return iopl(3); }

const FirmwareSource kDevMem = {OpenDevMem, close, RaiseIopl};

DWORD PortPrivilege() { return RaiseIopl() == 0 ? ORN_SUCCESS : ORN_BIOS_DATA_ACCESS; }

// The board's lock lives in a System V shared memory segment of this key
// ("ORNS"): it needs no mounted file system, so it serves in an initramfs
// too. The first process creates it (zero-filled: a free lock); every
// process keeps it attached for its lifetime.
constexpr key_t kBoardLockKey = 0x4F524E53;
board_lock::Area* gBoardLock = nullptr;

bool AttachBoardLock() {
    if (gBoardLock != nullptr) return true;
    int id = shmget(kBoardLockKey, sizeof(board_lock::Area), IPC_CREAT | 0600);
    if (id < 0) {
        orn::DebugStep("the board's call lock (System V shared memory, key 0x4f524e53)", errno,
                       errno == ENOSYS ? "the kernel has no System V IPC (CONFIG_SYSVIPC)"
                                       : "another user's segment of that key is in the way (ipcs -m)");
        return false;
    }
    void* area = shmat(id, nullptr, 0);
    if (area == reinterpret_cast<void*>(-1)) {
        orn::DebugStep("attaching the board's call lock", errno, "the segment belongs to another user (ipcs -m)");
        return false;
    }
    gBoardLock = static_cast<board_lock::Area*>(area);
    return true;
}

int Open() {
    if (InitZokaBios(kDevMem) == 0) return 0;
    if (AttachBoardLock()) return 1;
    ExitZokaBios();
    return 0;
}

bool LockCalls() { return board_lock::Take(*gBoardLock) == board_lock::Taken::kHolderDied; }
void UnlockCalls() { board_lock::Release(*gBoardLock); }

DWORD InPort(int width, WORD port) {
    DWORD value = 0;
    switch (width) {
        case 1: {
            BYTE b;
            __asm__ __volatile__("inb %w1, %b0" : "=a"(b) : "Nd"(port));
            value = b;
            break;
        }
        case 2: {
            WORD w;
            __asm__ __volatile__("inw %w1, %w0" : "=a"(w) : "Nd"(port));
            value = w;
            break;
        }
        default: __asm__ __volatile__("inl %w1, %0" : "=a"(value) : "Nd"(port));
    }
    return value;
}

void OutPort(int width, WORD port, DWORD value) {
    switch (width) {
        case 1: __asm__ __volatile__("outb %b0, %w1" : : "a"(BYTE(value)), "Nd"(port)); break;
        case 2: __asm__ __volatile__("outw %w0, %w1" : : "a"(WORD(value)), "Nd"(port)); break;
        default: __asm__ __volatile__("outl %0, %w1" : : "a"(value), "Nd"(port));
    }
}

}  // namespace

const orn::Backend orn::kBoardBackend = {
    "board", Open, ExitZokaBios, Bios32Call, gate::BindFar, gate::ReleaseFar, InPort, OutPort, PortPrivilege,
    LockCalls, UnlockCalls,
};
