// compat.h - the BIOS32 gate of a 64-bit process: 32-bit firmware code
// entered in compatibility mode, with everything it touches below 4 GiB.
#pragma once

#include <cstddef>

#include "ornsyst.h"

namespace compat {

// Checks the kernel's 32-bit code segment and sets up the switching code;
// false (with the ORNSYS_DEBUG line) when the process cannot run 32-bit code.
bool Start();
// The directory call: EAX = identifier, EBX = 0 in; AL, EBX, EDX out.
void Directory(DWORD entry, DWORD identifier, DWORD& al, DWORD& base, DWORD& offset);
// A service call with the block copied below 4 GiB and back; the status.
DWORD Service(DWORD entry, DWORD function, void* block);
// The selector of the 32-bit user data segment (far pointers name it).
WORD DataSelector();
// A copy of a buffer below 4 GiB, and its copy back and release.
void* LowCopy(const void* buffer, size_t length);
void LowRelease(void* low, void* buffer, size_t length);

}  // namespace compat
