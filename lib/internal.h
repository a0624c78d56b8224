// internal.h - what the library's sources share: process-wide state, the
// firmware locator and call gate, far pointers and the standard call sequence.
#pragma once

#include <semaphore.h>

#include <atomic>
#include <initializer_list>

#include "ornsyslx.h"
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

// ---- firmware locator (locator.cpp, portable) ----
constexpr DWORD kWindowBase = 0xD0000;
constexpr DWORD kWindowLength = 0x30000;
constexpr DWORD kPageSize = 4096;
constexpr DWORD kReservationLength = kWindowLength + kPageSize - 1;

extern BYTE* vPtr;           // the firmware window; physical kWindowBase lives here
extern DWORD ulBiosInterface;  // window address of the ZOKA entry; 0: none
extern BYTE tB32[32];         // the BIOS32 header found (bytes 16 to 31 stay zero)

int SearchForBIOS32(BYTE* header);
int CheckBios32Data(BYTE* header);
// Window address of a physical address inside the window.
BYTE* WindowAddress(DWORD physical);

// ---- firmware access: one implementation per build flavour ----
int InitZokaBios();
int ExitZokaBios();
DWORD CallZOKAFunction(DWORD function, void* block);
// The start of the window's reservation; NULL when none is held (the
// BIOS32 flavours; tests look at it).
const BYTE* ReservationBase();

// Far pointer to a caller's buffer of `size` bytes, valid while the object
// lives. On a 32-bit process the offset is the address itself; the host
// flavour hands the firmware a token that its gate resolves back to the
// buffer; a 64-bit process with the real firmware hands it a copy below
// 4 GiB, copied back when the object ends.
class FarBuffer {
public:
    FarBuffer(void* buffer, DWORD size);
    ~FarBuffer();
    FarBuffer(const FarBuffer&) = delete;
    FarBuffer& operator=(const FarBuffer&) = delete;
    zoka::FarPointer get() const { return pointer_; }
    // False when the buffer could not be made reachable (no copy below 4 GiB).
    bool valid() const { return pointer_.offset != 0; }

private:
    zoka::FarPointer pointer_;
#if defined(__x86_64__) && defined(ORNSYS_COMPAT_GATE)
    void* buffer_;
    DWORD size_;
    void* low_;
#endif
};

// The caller's data segment selector (0 where the processor has none).
WORD CurrentDataSelector();

// ---- port primitives (ports.cpp in the flavour) ----
BYTE inb(WORD port);
WORD inw(WORD port);
DWORD inl(WORD port);
void outb(BYTE value, WORD port);
void outw(WORD value, WORD port);
void outl(DWORD value, WORD port);
int RaiseIoPrivilege();  // 0 on success, like iopl(3)

// ---- the standard call sequence ----
namespace orn {

// Steps 1 to 3: clear the last error, require an open library, refuse null
// pointers that the function needs. False means: return FALSE now.
inline bool Enter(std::initializer_list<const void*> needed = {}) {
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

// With ORNSYS_DEBUG=1 in the environment: one line on standard error for
// a step of opening the firmware that failed, with the system's reason
// (an errno value, 0 for none) and the likely remedy. Otherwise silent.
void DebugStep(const char* step, int error, const char* remedy);

inline bool Fail(DWORD code) {
    dwLastErrorCode = code;
    return false;
}

// Holds hSem for its lifetime; a firmware call runs only inside one.
class Lock {
public:
    Lock();
    ~Lock() { sem_post(&hSem); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
};

// Calls the firmware with the lock held by the caller; stores the status.
// The result is this call's own status, not a read-back of the shared last
// error, which another thread may have overwritten meanwhile.
inline bool Gate(DWORD function, void* block) {
    const DWORD status = CallZOKAFunction(function, block);
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
    return Gate(function, block);
}

}  // namespace orn

namespace orn {

// Query of an indexed record (0x15, 0x26, 0x52, 0x55, 0x63, 0x64): the block
// carries the index and the caller's size field and is built under the
// lock; on success the whole record, size field included, is copied back.
template <typename Record>
BOOL QueryIndexedRecord(DWORD function, DWORD index, Record* record) {
    if (!Enter({record})) return FALSE;
    zoka::IndexedRecordBlock<Record> block{};
    {
        Lock lock;
        block.index = index;
        __builtin_memcpy(&block.record, record, sizeof(DWORD));
        if (!Gate(function, &block)) return FALSE;
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
extern DWORD dwNVRamCount;
extern NVRAMINFO rgtNVRamInfo[10];
extern NVDEVICEINFO rgtNVDeviceInfo[10];
