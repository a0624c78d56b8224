// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// raw-access.h - what the board service needs of the library beyond its
// public API: one firmware call on a caller's parameter block and buffer,
// and one port access, each under the library's and the board's locks.
// The service checks every length against the function table first.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zoka.h"

namespace orn::raw {

struct CallResult {
    DWORD status;
    // A configuration-block call whose block is not the board's size: not
    // made (the firmware would fill or read the board's size).
    bool wrongConfigSize;
    DWORD boardConfigSize;
};

// Makes `entry`'s call on `block` (its whole parameter block); a function
// with a far pointer gets it pointed at `buffer`, `bufferLength` bytes.
CallResult Call(const zoka::FunctionEntry& entry, uint8_t* block, size_t blockLength, uint8_t* buffer,
                uint32_t bufferLength);

// Whether this thread may use the ports: 0, or the status that says why not.
DWORD PortPrivilege();

// A port access of `width` bytes; the status (0, or why the ports cannot
// be used) and, for a read, the value.
DWORD PortRead(int width, WORD port, DWORD* value);
DWORD PortWrite(int width, WORD port, DWORD value);

}  // namespace orn::raw
