// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// gate.h - the way into 32-bit firmware code from this process: the
// far-call gate of a 32-bit process (gate-far32.cpp) or the
// compatibility-mode gate of a 64-bit one (gate-compat64.cpp). Each build
// compiles exactly one of them.
#pragma once

#include "zoka.h"

namespace gate {

// Flags that place a mapping where the firmware can reach it (below 4 GiB).
extern const int kLowMapping;

// Whether this process can run 32-bit code at all: a 32-bit process can;
// a 64-bit one only where the kernel gives it a 32-bit code segment.
bool Runs32BitCode();
#if defined(__x86_64__)
// Whether `selector` names a present 32-bit code segment of privilege 3,
// as a kernel with IA32 emulation gives every process: the compatibility-
// mode gate's probe. A kernel without it may leave the selector absent or
// not present.
bool Is32BitUserCode(WORD selector);
#endif
// Prepares the gate; false (after a DebugStep line) when this process
// cannot run the firmware's code.
bool Start();
// The directory call: EAX = identifier, EBX = 0 in; AL, EBX, EDX out.
void Directory(DWORD entry, DWORD identifier, DWORD& al, DWORD& base, DWORD& offset);
// The service call with the far-call frame; the status (16 bits).
DWORD EnterService(DWORD entry, DWORD function, void* block);
// A far pointer the firmware can follow to `size` bytes at `buffer`, and
// its release (which copies back what the firmware wrote).
zoka::FarPointer BindFar(void* buffer, DWORD size, void** low);
void ReleaseFar(void* low, void* buffer, DWORD size);

}  // namespace gate
