// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The 64-bit process's side of the BIOS32 gate: the firmware is 32-bit code,
// entered in compatibility mode through the kernel's 32-bit user code
// segment. The switching code (compat-gate.S), its frame, a 32-bit stack
// and every byte the firmware touches lie below 4 GiB: parameter blocks and
// the buffers that far pointers name are copied there for the call and back
// after it, so the firmware sees what it sees from a 32-bit process and the
// caller gets what a 32-bit build would give it.
#include <sys/mman.h>

#include <cerrno>
#include <cstring>

#include "debug.h"
#include "gate.h"
#include "internal.h"

extern "C" const BYTE ornsys_compat_code[], ornsys_compat_enter[], ornsys_compat_code_end[];

namespace {

#pragma pack(push, 1)
struct Frame {
    DWORD entry, mode, eax, ebx, edx, function, block, stackTop;
    uint64_t savedRsp;
    WORD savedDs, savedEs;
    DWORD farOffset;
    WORD farSelector, codeSelector64;
};
#pragma pack(pop)
static_assert(offsetof(Frame, savedRsp) == 32 && offsetof(Frame, farOffset) == 44 &&
              offsetof(Frame, codeSelector64) == 50);

constexpr WORD kUser32Code = 0x23;  // the Linux kernel's 32-bit user code segment
// The switching code lies in a mapping of its own, read and execute only;
// the frame, the block's copy and the 32-bit stack in a writable one.
constexpr size_t kCodeSize = 0x1000;
constexpr size_t kAreaSize = 0x6000;
constexpr size_t kFrameAt = 0, kBlockAt = 0x400, kBlockRoom = 0xC00, kStackTop = kAreaSize;

BYTE* gCode = nullptr;
BYTE* gArea = nullptr;
DWORD gConfigSize = 0;  // of the board's configuration block, once asked

DWORD Low(const void* p) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(p)); }

void* MapLow(size_t length, int protection) {
    void* p = mmap(nullptr, length, protection, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}

Frame& TheFrame() { return *reinterpret_cast<Frame*>(gArea + kFrameAt); }

void SwitchToCompatMode() {
    auto enter = reinterpret_cast<void (*)(Frame*)>(gCode + (ornsys_compat_enter - ornsys_compat_code));
    enter(&TheFrame());
}

DWORD CallWithBlockBelow4G(DWORD entry, DWORD function, void* block) {
    long length = zoka::BlockLength(function);
    if (length == zoka::kConfigBlock) {
        if (gConfigSize == 0 && CallWithBlockBelow4G(entry, zoka::GetBoardCfgSize, &gConfigSize) != 0) gConfigSize = 0;
        length = gConfigSize;
    }
    BYTE* bounce = nullptr;
    bool mapped = false;
    if (block != nullptr) {
        const size_t room = length > 0 ? size_t(length) : 0;
        if (room <= kBlockRoom) {
            bounce = gArea + kBlockAt;
        } else {
            bounce = static_cast<BYTE*>(MapLow(room, PROT_READ | PROT_WRITE));
            if (bounce == nullptr) return ORN_BIOS_DATA_ACCESS;
            mapped = true;
        }
        memcpy(bounce, block, room);
    }
    Frame& f = TheFrame();
    f = Frame{};
    f.entry = entry;
    f.mode = 1;
    f.function = function;
    f.block = bounce ? Low(bounce) : 0;
    f.stackTop = Low(gArea + kStackTop);
    f.farSelector = kUser32Code;
    SwitchToCompatMode();
    const DWORD status = f.eax & 0xFFFF;
    if (block != nullptr && length > 0) memcpy(block, bounce, size_t(length));
    if (mapped) munmap(bounce, size_t(length));
    return status;
}

// The selector of the 32-bit user data segment (far pointers name it).
WORD DataSelector() {
    WORD selector;
    __asm__("mov %%ss, %0" : "=r"(selector));
    return selector;
}

void* LowCopy(const void* buffer, size_t length) {
    void* low = MapLow(length ? length : 1, PROT_READ | PROT_WRITE);
    if (low != nullptr) memcpy(low, buffer, length);
    return low;
}

void LowRelease(void* low, void* buffer, size_t length) {
    if (low == nullptr) return;
    memcpy(buffer, low, length);
    munmap(low, length ? length : 1);
}

}  // namespace

namespace gate {

const int kLowMapping = MAP_32BIT;

bool Is32BitUserCode(WORD selector) {
    DWORD access = 0;
    bool valid = false;
    __asm__("lar %[selector], %[access]\n\tsetz %[valid]"
            : [access] "=r"(access), [valid] "=q"(valid)
            : [selector] "r"(DWORD{selector})
            : "cc");
    const bool present = access & 0x8000, user = ((access >> 13) & 3) == 3, code = access & 0x800;
    const bool bits32 = (access & 0x400000) && !(access & 0x200000);
    return valid && present && user && code && bits32;
}

bool Runs32BitCode() { return Is32BitUserCode(kUser32Code); }

bool Start() {
    if (!Runs32BitCode()) {
        orn::DebugStep("32-bit code segment", 0,
                       "the kernel runs no 32-bit code (CONFIG_IA32_EMULATION off, or ia32_emulation=0)");
        return false;
    }
    if (gCode == nullptr) {
        BYTE* code = static_cast<BYTE*>(MapLow(kCodeSize, PROT_READ | PROT_WRITE));
        BYTE* area = code ? static_cast<BYTE*>(MapLow(kAreaSize, PROT_READ | PROT_WRITE)) : nullptr;
        if (area == nullptr) {
            orn::DebugStep("memory below 4 GiB for the gate", errno,
                           errno == ENOMEM ? "the process has no address space left there"
                                           : "the kernel refuses the mapping");
            if (code) munmap(code, kCodeSize);
            return false;
        }
        memcpy(code, ornsys_compat_code, size_t(ornsys_compat_code_end - ornsys_compat_code));
        // Written once, then never writable again while executable.
        if (mprotect(code, kCodeSize, PROT_READ | PROT_EXEC) != 0) {
            orn::DebugStep("making the gate's code executable", errno,
                           errno == EACCES || errno == EPERM
                               ? "a memory-deny-write-execute policy forbids it (MemoryDenyWriteExecute=, PR_SET_MDWE)"
                               : "the kernel refuses it");
            munmap(code, kCodeSize);
            munmap(area, kAreaSize);
            return false;
        }
        gCode = code;
        gArea = area;
    }
    gConfigSize = 0;
    return true;
}

void Directory(DWORD entry, DWORD identifier, DWORD& al, DWORD& base, DWORD& offset) {
    Frame& f = TheFrame();
    f = Frame{};
    f.entry = entry;
    f.mode = 0;
    f.eax = identifier;
    f.stackTop = Low(gArea + kStackTop);
    f.farSelector = kUser32Code;
    SwitchToCompatMode();
    al = f.eax & 0xFF;
    base = f.ebx;
    offset = f.edx;
}

DWORD EnterService(DWORD entry, DWORD function, void* block) { return CallWithBlockBelow4G(entry, function, block); }

zoka::FarPointer BindFar(void* buffer, DWORD size, void** low) {
    *low = LowCopy(buffer, size);
    return {DataSelector(), Low(*low)};
}

void ReleaseFar(void* low, void* buffer, DWORD size) { LowRelease(low, buffer, size); }

}  // namespace gate
