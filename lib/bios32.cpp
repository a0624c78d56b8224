// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// The firmware locator and call gate over a window of physical memory: the
// window is mapped into the process, the BIOS32 Service Directory found in
// it and asked for the ZOKA service, which is then entered through the
// process's gate (gate.h) for every firmware call.
#include "bios32.h"

#include <sys/mman.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "debug.h"
#include "gate.h"
#include "internal.h"

BYTE* vPtr = nullptr;
DWORD ulBiosInterface = 0;
BYTE tB32[32] = {};

namespace {

constexpr BYTE kSignature[4] = {'_', '3', '2', '_'};
constexpr DWORD kHeaderSize = 16;
constexpr DWORD kLengthOffset = 9;
constexpr DWORD kZokaIdentifier = 0x414B4F5A;  // "ZOKA", first character lowest

int mem_fd = -1;
BYTE* vBasePtr = nullptr;
const FirmwareSource* gSource = nullptr;

// Returns the reservation and the window inside it in one step: no other
// thread's mapping can land in between and be removed with it.
int ReleaseReservation() {
    int result = munmap(vBasePtr, kReservationLength);
    vBasePtr = nullptr;
    return result;
}

bool InWindow(DWORD physical) { return physical >= kWindowBase && physical - kWindowBase < kWindowLength; }

// I/O privilege belongs to a thread: each one that enters the firmware
// raises its own first (threads started before OrnOpen have none).
thread_local bool tIoPrivilege = false;

// A failed start gives back all it took.
int AbandonStart() {
    if (vBasePtr != nullptr) ReleaseReservation();
    gSource->close(mem_fd);
    mem_fd = -1;
    return 0;
}

int SearchForBIOS32Entry() {
    DWORD entryPoint;
    memcpy(&entryPoint, tB32 + 4, sizeof entryPoint);
    // Code outside the window is not mapped: calling it would crash.
    if (!InWindow(entryPoint)) {
        orn::DebugStep("BIOS32 directory", 0, "the header names an entry outside 0xD0000-0xFFFFF");
        return 0;
    }
    DWORD al, base, offset;
    gate::Directory(static_cast<DWORD>(reinterpret_cast<uintptr_t>(WindowAddress(entryPoint))), kZokaIdentifier, al,
                    base, offset);
    if ((al & 0xFF) != 0) {
        orn::DebugStep("BIOS32 directory", 0, "the directory does not know the ZOKA service");
        return 0;
    }
    if (!InWindow(base + offset)) {
        orn::DebugStep("ZOKA service", 0, "the directory names an entry outside 0xD0000-0xFFFFF");
        return 0;
    }
    ulBiosInterface = static_cast<DWORD>(reinterpret_cast<uintptr_t>(WindowAddress(base + offset)));
    return 1;
}

}  // namespace

BYTE* WindowAddress(DWORD physical) { return vPtr + (physical - kWindowBase); }

int CheckBios32Data(BYTE* header) {
    // The copy holds 32 bytes: a header claiming more than two 16-byte
    // units cannot be checked, so it does not pass.
    DWORD length = DWORD{header[kLengthOffset]} * kHeaderSize;
    if (length > sizeof(tB32)) return 0;
    BYTE sum = 0;
    for (DWORD i = 0; i < length; ++i) sum = static_cast<BYTE>(sum + header[i]);
    return sum == 0 ? 1 : 0;
}

int SearchForBIOS32(BYTE* header) {
    if (header == nullptr) return 0;
    for (DWORD at = 0; at < kWindowLength; at += kHeaderSize) {
        const BYTE* p = vPtr + at;
        if (memcmp(p, kSignature, sizeof(kSignature)) != 0) continue;
        memcpy(header, p, kHeaderSize);
        if (CheckBios32Data(header) == 1) return 1;
    }
    return 0;
}

int InitZokaBios(const FirmwareSource& source) {
    ulBiosInterface = 0;
    gSource = &source;
    // Without a way into 32-bit code nothing else is worth trying.
    if (!gate::Start()) return 0;
    mem_fd = source.open();
    if (mem_fd < 0) return 0;
    // A reservation of its own, so that the window never overlays memory
    // the heap may hand out again; where 32-bit code reaches it.
    void* reservation =
        mmap(nullptr, kReservationLength, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | gate::kLowMapping, -1, 0);
    if (reservation == MAP_FAILED) {
        orn::DebugStep("reserving the window", errno,
                       errno == ENOMEM ? "the process has no address space left below 4 GiB"
                                       : "the kernel refuses an address-space reservation");
        return AbandonStart();
    }
    vBasePtr = static_cast<BYTE*>(reservation);
    vPtr = vBasePtr;
    if (uintptr_t low = reinterpret_cast<uintptr_t>(vPtr) & (kPageSize - 1)) vPtr += kPageSize - low;
    // Read, write and execute: the directory and the service are code in the
    // window, and the service keeps its own data there.
    if (mmap(vPtr, kWindowLength, PROT_READ | PROT_WRITE | PROT_EXEC, MAP_SHARED | MAP_FIXED, mem_fd, kWindowBase) ==
        MAP_FAILED) {
        const int error = errno;
        perror("mmap error is:");
        orn::DebugStep("mapping 0xD0000-0xFFFFF of the firmware", error,
                       error == EACCES || error == EPERM
                           ? "the kernel refuses executable memory here: /dev mounted noexec, a memory-deny-write-"
                             "execute policy (MemoryDenyWriteExecute=, PR_SET_MDWE), or a lockdown mode"
                           : "the kernel refuses the range: CONFIG_IO_STRICT_DEVMEM or CONFIG_STRICT_DEVMEM");
        return AbandonStart();
    }
    if (source.raisePrivilege() == -1) {
        orn::DebugStep("iopl(3)", errno, "the process needs CAP_SYS_RAWIO and a kernel not in lockdown");
        return AbandonStart();
    }
    tIoPrivilege = true;
    if (SearchForBIOS32(tB32) == 0) {
        orn::DebugStep("BIOS32 directory", 0, "no \"_32_\" header with a right checksum in 0xD0000-0xFFFFF");
        return AbandonStart();
    }
    return SearchForBIOS32Entry() == 1 ? 1 : AbandonStart();
}

int ExitZokaBios() {
    if (vBasePtr != nullptr && ReleaseReservation() != 0) return 0;
    ulBiosInterface = 0;
    if (gSource->close(mem_fd) != 0) return 0;
    mem_fd = -1;
    return 1;
}

DWORD CallBios32Service(DWORD function, void* block) {
    if (ulBiosInterface == 0) return ORN_BIOS_NOT_SUPPORTED;
    if (!tIoPrivilege) {
        if (gSource->raisePrivilege() == -1) return ORN_BIOS_DATA_ACCESS;
        tIoPrivilege = true;
    }
    return gate::EnterService(ulBiosInterface, function, block) & 0xFFFF;
}
