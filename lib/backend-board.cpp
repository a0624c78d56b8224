// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// The board backend: the board's own firmware, its window of physical
// memory mapped from /dev/mem and entered with I/O privilege level 3, and
// the processor's port instructions.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "backend.h"
#include "board-lock-file.h"
#include "bios32.h"
#include "debug.h"
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

// The board's lock: a root-only file under /run, kept open and mapped for
// the process's lifetime (a child after fork shares it).
board_lock::Area* gBoardLock = nullptr;
board_lock::Presence gPresence;

bool AttachBoardLock() {
    if (gBoardLock != nullptr) return true;
    gBoardLock = orn::OpenBoardLockFile(orn::kBoardLockFolder, gPresence.fd);
    gPresence.openedBy = board_lock::ProcessId();
    return gBoardLock != nullptr;
}

int Open() {
    if (InitZokaBios(kDevMem) == 0) return 0;
    if (AttachBoardLock()) return 1;
    ExitZokaBios();
    return 0;
}

board_lock::Taken LockCalls(board_lock::Waited* waited) { return board_lock::Take(*gBoardLock, gPresence, waited); }
void UnlockCalls() { board_lock::Release(*gBoardLock); }

// The instructions cannot fail once the privilege is raised.
DWORD InPort(int width, WORD port, DWORD* value) {
    switch (width) {
        case 1: {
            BYTE b;
            __asm__ __volatile__("inb %w1, %b0" : "=a"(b) : "Nd"(port));
            *value = b;
            break;
        }
        case 2: {
            WORD w;
            __asm__ __volatile__("inw %w1, %w0" : "=a"(w) : "Nd"(port));
            *value = w;
            break;
        }
        default: __asm__ __volatile__("inl %w1, %0" : "=a"(*value) : "Nd"(port));
    }
    return ORN_SUCCESS;
}

DWORD OutPort(int width, WORD port, DWORD value) {
    switch (width) {
        case 1: __asm__ __volatile__("outb %b0, %w1" : : "a"(BYTE(value)), "Nd"(port)); break;
        case 2: __asm__ __volatile__("outw %w0, %w1" : : "a"(WORD(value)), "Nd"(port)); break;
        default: __asm__ __volatile__("outl %0, %w1" : : "a"(value), "Nd"(port));
    }
    return ORN_SUCCESS;
}

}  // namespace

const orn::Backend orn::kBoardBackend = {
    .name = "board",
    .open = Open,
    .close = ExitZokaBios,
    .call = CallBios32Service,
    .bindFar = gate::BindFar,
    .releaseFar = gate::ReleaseFar,
    .portIn = InPort,
    .portOut = OutPort,
    .raiseIoPrivilege = PortPrivilege,
    .lockCalls = LockCalls,
    .unlockCalls = UnlockCalls,
};
