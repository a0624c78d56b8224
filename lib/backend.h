// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// backend.h - how the library reaches the firmware: one table of operations
// per backend, chosen when the library opens. The standard call sequence,
// the lock and the last error stay the library's; a backend only starts
// and ends the firmware, carries one call, makes buffers reachable through
// far pointers and serves the I/O ports.
#pragma once

#include "board-lock.h"
#include "zoka.h"

namespace orn {

struct Backend {
    const char* name;
    // Starts the firmware: 1, or 0 after a DebugStep line naming the cause.
    int (*open)();
    // Ends it: 1, or 0 when it cannot be released.
    int (*close)();
    // One service call while open; the 16-bit status.
    DWORD (*call)(DWORD function, void* block);
    // A far pointer to `size` bytes at `buffer` for the length of one call;
    // a backend that works on a copy puts it in `*low` (nullptr on entry)
    // for release. An offset of 0 means the buffer cannot be reached.
    zoka::FarPointer (*bindFar)(void* buffer, DWORD size, void** low);
    void (*releaseFar)(void* low, void* buffer, DWORD size);
    // Port accesses once the privilege is raised: 0, or the status to report
    // when the access could not be made (a read then leaves `*value`).
    DWORD (*portIn)(int width, WORD port, DWORD* value);
    DWORD (*portOut)(int width, WORD port, DWORD value);
    // 0 when this thread may use the ports, else the status to report.
    DWORD (*raiseIoPrivilege)();
    // The board's lock around each firmware call (or byte loop), shared by
    // every process that calls this board: taken after the library's own
    // semaphore, released before it. kHolderDied: the holder before this
    // caller died holding it; kTimedOut: not taken, `waited` says who kept
    // it.
    board_lock::Taken (*lockCalls)(board_lock::Waited* waited);
    void (*unlockCalls)();
};

extern const Backend kBoardBackend;    // backend-board.cpp
extern const Backend kVirtualBackend;  // backend-virtual.cpp
extern const Backend kServiceBackend;  // backend-service.cpp
#if defined(ORNSYS_IMAGE_BACKEND)
extern const Backend kImageBackend;  // backend-image.cpp
#endif

// The backend the environment asks for (ORNSYS_BACKEND, read only by a
// process without raised privilege); nullptr for a name that is not one,
// after a DebugStep line listing the names. Without the variable: the
// board, or the board service when this process may not open /dev/mem and
// the service's socket is there.
const Backend* ChooseBackend();

// Where the service backend connects (ORNSYS_SERVICE_SOCKET or the default).
const char* ServiceSocketPath();

// The backend of the open library, nullptr while closed.
const Backend* OpenBackend();

// OrnOpen's and OrnClose's part: start the chosen backend (false: none, or
// it failed) and end the open one (false: it could not be released).
bool StartBackend();
bool StopBackend();

}  // namespace orn
