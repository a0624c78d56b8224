// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// internal.h - what the library's sources share: process-wide state, far
// pointers, the lock and the standard call sequence.
#pragma once

#include <semaphore.h>

#include <atomic>
#include <initializer_list>

#include "zoka.h"

// ---- library state (state.cpp) ----

// A process-wide value that threads read and write without the lock. Every
// access is atomic, so a thread may see another thread's value but never a
// torn or stale-forever one; release/acquire so that a thread that sees the
// library open also sees what opening it set up.
template <typename T>
class SharedValue {
public:
    constexpr SharedValue(T value) : value_(value) {}
    operator T() const { return value_.load(std::memory_order_acquire); }
    SharedValue& operator=(T value) {
        value_.store(value, std::memory_order_release);
        return *this;
    }
    SharedValue(const SharedValue&) = delete;
    SharedValue& operator=(const SharedValue&) = delete;

private:
    std::atomic<T> value_;
};

extern SharedValue<BOOL> bInit;
extern sem_t hSem;
extern SharedValue<DWORD> dwLastErrorCode;

BOOL findOrnErrString(DWORD code, char* buffer, DWORD length);

// ---- firmware access: the backend chosen at OrnOpen (backend.cpp) ----

// Far pointer to a caller's buffer of `size` bytes, valid while the object
// lives. How the firmware reaches the buffer is the backend's: the address
// itself (a 32-bit process), a copy below 4 GiB (a 64-bit process with real
// firmware), or a token (the virtual board).
class FarBuffer {
public:
    FarBuffer(void* buffer, DWORD size);
    ~FarBuffer();
    FarBuffer(const FarBuffer&) = delete;
    FarBuffer& operator=(const FarBuffer&) = delete;
    zoka::FarPointer get() const { return pointer_; }
    // False when the buffer could not be made reachable.
    bool valid() const { return pointer_.offset != 0; }

private:
    zoka::FarPointer pointer_;
    void* buffer_;
    DWORD size_;
    void* low_;  // a copy the firmware works on, where the backend needs one
};

// The caller's data segment selector, which a far pointer names.
WORD CallerDataSelector();

// The service call of the open library's backend; 0x8000 when none.
DWORD CallOpenBackend(DWORD function, void* block);

// Port primitives of the backend that serves port access: the open
// library's, else the one the environment chooses.
DWORD PortIn(int width, WORD port, DWORD* value);
DWORD PortOut(int width, WORD port, DWORD value);
DWORD RaiseIoPrivilege();  // 0, or the status that refuses port access

// ---- the standard call sequence ----
namespace orn {

// Steps 1 to 3: clear the last error, require an open library, refuse null
// pointers that the function needs. False means: return FALSE now.
inline bool BeginCall(std::initializer_list<const void*> needed = {}) {
    dwLastErrorCode = ORN_SUCCESS;
    if (!bInit) return false;
    for (const void* p : needed) {
        if (p == nullptr) {
            dwLastErrorCode = ORN_DLL_NULL_POINTER;
            return false;
        }
    }
    return true;
}

inline bool Fail(DWORD code) {
    dwLastErrorCode = code;
    return false;
}

// Set while this thread holds a Lock without the board's lock, which a live
// process kept past the wait limit: its firmware calls fail with 0x8100.
extern thread_local bool tBoardWithheld;

struct Backend;

// Holds hSem for its lifetime and, while the library is open, the board's
// lock that serialises firmware calls across processes (always in this
// order). A firmware call runs only inside one. False when the library was
// closed before the lock was had: the call returns FALSE with last error 0.
class Lock {
public:
    Lock();
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    explicit operator bool() const { return backend_ != nullptr; }
    // The board's lock was not had: a live process kept it past the wait
    // limit, and firmware calls under this Lock fail with 0x8100.
    bool withheld() const { return tBoardWithheld; }

private:
    const Backend* backend_;
    bool boardLocked_ = false;
};

// A call that found the library closed under the lock: FALSE, last error 0.
inline bool Closed() {
    dwLastErrorCode = ORN_SUCCESS;
    return false;
}

// Calls the firmware with the lock held by the caller; stores the status.
// The result is this call's own status, not a read-back of the shared last
// error, which another thread may have overwritten meanwhile.
inline bool CallFirmware(DWORD function, void* block) {
    if (!bInit) return Closed();  // closed while this call waited for the lock
    if (tBoardWithheld) {
        dwLastErrorCode = ORN_DLL_START_FAILED;
        return false;
    }
    const DWORD status = CallOpenBackend(function, block);
    dwLastErrorCode = status;
    return status == ORN_SUCCESS;
}

// Runs `work` with the lock held and gives back its result.
template <typename Work>
auto Locked(Work work) {
    Lock lock;
    return work();
}

// One locked firmware call with a block that needs no copying back.
inline bool LockedCall(DWORD function, void* block) {
    Lock lock;
    return CallFirmware(function, block);
}

}  // namespace orn

namespace orn {

// Query of an indexed record (an IndexedRecordBlock function): the block
// carries the index and the caller's size field and is built under the
// lock; on success the whole record, size field included, is copied back.
template <typename Record>
BOOL QueryIndexedRecord(DWORD function, DWORD index, Record* record) {
    if (!BeginCall({record})) return FALSE;
    zoka::IndexedRecordBlock<Record> block{};
    {
        Lock lock;
        block.index = index;
        __builtin_memcpy(&block.record, record, sizeof(DWORD));
        if (!CallFirmware(function, &block)) return FALSE;
    }
    *record = block.record;
    return TRUE;
}

}  // namespace orn

// ---- OEM direct I/O (oem.cpp) ----
BOOL OEMDirectIn(DWORD address, WORD addressFlags, WORD dataFlags, DWORD* value);
BOOL OEMDirectOut(DWORD address, WORD addressFlags, WORD dataFlags, DWORD value);

// ---- non-volatile memory family state (nvram.cpp), read and written
// only with hSem held ----
// The library keeps a description of each NVRAM a board can carry; a
// higher index is out of range.
inline constexpr DWORD kNVRamTableSize = zoka::kMaxNVRams;
extern DWORD dwNVRamCount;
extern NVRAMINFO rgtNVRamInfo[kNVRamTableSize];
extern NVDEVICEINFO rgtNVDeviceInfo[kNVRamTableSize];
