// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// The gate of a 32-bit process: the directory and the service are entered
// directly, with the frames the firmware expects, in the process's own
// flat segments; a far pointer is the buffer's own address.
#include "gate.h"

#include "internal.h"

namespace gate {

const int kLowMapping = 0;  // every address is below 4 GiB

bool Runs32BitCode() { return true; }

bool Start() { return true; }

void Directory(DWORD entry, DWORD identifier, DWORD& al, DWORD& base, DWORD& offset) {
    void* directory = reinterpret_cast<void*>(uintptr_t{entry});
    // The directory ends with a far return, which also drops the pushed CS
    // (pushed through a register, so that its slot's upper half is zero).
    // EBX carries an argument and a result, so it is kept on the stack. The
    // direction flag is cleared after the return: firmware may leave it set.
    __asm__ __volatile__(
        "pushl %%ebx\n\t"
        "xorl %%ebx, %%ebx\n\t"
        "movl %%cs, %%ecx\n\t"
        "movzwl %%cx, %%ecx\n\t"
        "pushl %%ecx\n\t"
        "call *%[directory]\n\t"
        "cld\n\t"
        "movl %%ebx, %%ecx\n\t"
        "popl %%ebx\n\t"
        : "=a"(al), "=c"(base), "=d"(offset)
        : "a"(identifier), [directory] "S"(directory)
        : "edi", "memory", "cc");
}

DWORD EnterService(DWORD entry, DWORD function, void* block) {
    DWORD status;
    void* service = reinterpret_cast<void*>(uintptr_t{entry});
    // Frame from the top: return offset, CS, function, block, DS, DS. The
    // segment registers go through a register, so that every slot's upper
    // half is zero. The service may change EAX, EBX, ECX, EDX, EDI, DS and
    // the direction flag; EBX (the PIC register) is kept here, DS is
    // restored from the frame, the direction flag cleared. Every input is
    // in a register: a stack-relative operand would move with the pushes.
    __asm__ __volatile__(
        "pushl %%ebx\n\t"
        "movl %%ds, %%ecx\n\t"
        "movzwl %%cx, %%ecx\n\t"
        "pushl %%ecx\n\t"
        "pushl %%ecx\n\t"
        "pushl %[block]\n\t"
        "pushl %[function]\n\t"
        "movl %%cs, %%ecx\n\t"
        "movzwl %%cx, %%ecx\n\t"
        "pushl %%ecx\n\t"
        "call *%[service]\n\t"
        "cld\n\t"
        "addl $8, %%esp\n\t"
        "popl %%ds\n\t"
        "popl %%ds\n\t"
        "popl %%ebx\n\t"
        : "=a"(status)
        : [block] "r"(block), [function] "r"(function), [service] "S"(service)
        : "ecx", "edx", "edi", "memory", "cc");
    return status & 0xFFFF;
}

zoka::FarPointer BindFar(void* buffer, DWORD, void**) {
    return {CallerDataSelector(), static_cast<DWORD>(reinterpret_cast<uintptr_t>(buffer))};
}

void ReleaseFar(void*, void*, DWORD) {}

}  // namespace gate
