// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// bios32.h - the firmware locator and call gate over a window of physical
// memory: the board backend maps it from /dev/mem, the image backend from
// a firmware image file.
#pragma once

#include "zoka.h"

constexpr DWORD kWindowBase = 0xD0000;
constexpr DWORD kWindowLength = 0x30000;
constexpr DWORD kPageSize = 4096;
constexpr DWORD kReservationLength = kWindowLength + kPageSize - 1;

extern BYTE* vPtr;             // the firmware window; physical kWindowBase lives here
extern DWORD ulBiosInterface;  // window address of the ZOKA entry; 0: none
extern BYTE tB32[32];          // the BIOS32 header found (bytes 16 to 31 stay zero)

int SearchForBIOS32(BYTE* header);
int CheckBios32Data(BYTE* header);
// Window address of a physical address inside the window.
BYTE* WindowAddress(DWORD physical);

// Where the window comes from.
struct FirmwareSource {
    // A descriptor whose bytes from offset 0xD0000 are the window; -1 after
    // a DebugStep line.
    int (*open)();
    int (*close)(int fd);  // the result of close(2)
    // Raises the I/O privilege the firmware code needs; -1 on failure.
    int (*raisePrivilege)();
};

int InitZokaBios(const FirmwareSource& source);
int ExitZokaBios();
// Enters the service; 0x8000 when no entry is known.
DWORD CallBios32Service(DWORD function, void* block);
