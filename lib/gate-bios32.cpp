// Firmware access through the BIOS32 Service Directory: the window of
// physical memory is mapped into the process, the directory is asked for
// the ZOKA service, and the service is entered through a far-call frame.
// A 32-bit process enters it directly; a 64-bit one through compatibility
// mode (compat.cpp).
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "firmware-source.h"
#include "internal.h"

#if defined(__x86_64__)
#include "compat.h"
#elif !defined(__i386__)
#error "the BIOS32 gate needs an x86 build"
#endif

namespace {

int mem_fd = -1;
BYTE* vBasePtr = nullptr;

constexpr DWORD kZokaIdentifier = 0x414B4F5A;  // "ZOKA", first character lowest

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
    CloseFirmwareSource(mem_fd);
    mem_fd = -1;
    return 0;
}

}  // namespace

#if defined(__x86_64__)
// The firmware reaches the buffer through a copy below 4 GiB.
FarBuffer::FarBuffer(void* buffer, DWORD size)
    : pointer_{compat::DataSelector(), 0}, buffer_(buffer), size_(size), low_(compat::LowCopy(buffer, size)) {
    pointer_.offset = static_cast<DWORD>(reinterpret_cast<uintptr_t>(low_));
}

FarBuffer::~FarBuffer() { compat::LowRelease(low_, buffer_, size_); }
#else
FarBuffer::FarBuffer(void* buffer, DWORD)
    : pointer_{CurrentDataSelector(), static_cast<DWORD>(reinterpret_cast<uintptr_t>(buffer))} {}

FarBuffer::~FarBuffer() = default;
#endif

const BYTE* ReservationBase() { return vBasePtr; }

int SearchForBIOS32Entry() {
    DWORD entryPoint;
    __builtin_memcpy(&entryPoint, tB32 + 4, sizeof entryPoint);
    // Code outside the window is not mapped: calling it would crash.
    if (!InWindow(entryPoint)) {
        orn::DebugStep("BIOS32 directory", 0, "the header names an entry outside 0xD0000-0xFFFFF");
        return 0;
    }
    BYTE* directory = WindowAddress(entryPoint);
    DWORD al, base, offset;
#if defined(__x86_64__)
    compat::Directory(static_cast<DWORD>(reinterpret_cast<uintptr_t>(directory)), kZokaIdentifier, al, base, offset);
#else
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
        : "a"(kZokaIdentifier), [directory] "S"(directory)
        : "edi", "memory", "cc");
#endif
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

int InitZokaBios() {
    ulBiosInterface = 0;
#if defined(__x86_64__)
    // Without 32-bit code in this kernel nothing else is worth trying.
    if (!compat::Start()) return 0;
#endif
    mem_fd = OpenFirmwareSource();
    if (mem_fd < 0) return 0;
    // A reservation of its own, so that the window never overlays memory
    // the heap may hand out again; below 4 GiB, where 32-bit code runs.
#if defined(__x86_64__)
    constexpr int kLow = MAP_32BIT;
#else
    constexpr int kLow = 0;
#endif
    void* reservation = mmap(nullptr, kReservationLength, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | kLow, -1, 0);
    if (reservation == MAP_FAILED) {
        orn::DebugStep("reserving the window", errno, "the process is out of address space");
        return AbandonStart();
    }
    vBasePtr = static_cast<BYTE*>(reservation);
    vPtr = vBasePtr;
    if (uintptr_t low = reinterpret_cast<uintptr_t>(vPtr) & (kPageSize - 1)) vPtr += kPageSize - low;
    if (mmap(vPtr, kWindowLength, PROT_READ | PROT_WRITE | PROT_EXEC, MAP_SHARED | MAP_FIXED, mem_fd, kWindowBase) ==
        MAP_FAILED) {
        const int error = errno;
        perror("mmap error is:");
        orn::DebugStep("mapping 0xD0000-0xFFFFF of the firmware", error,
                       "the kernel refuses it: CONFIG_IO_STRICT_DEVMEM, a lockdown mode, or /dev mounted noexec");
        return AbandonStart();
    }
    if (RaiseFirmwarePrivilege() == -1) {
        orn::DebugStep("iopl(3)", errno, "the process needs root or CAP_SYS_RAWIO, and a kernel not in lockdown");
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
    if (CloseFirmwareSource(mem_fd) != 0) return 0;
    return 1;
}

DWORD CallZOKAFunction(DWORD function, void* block) {
    if (ulBiosInterface == 0) return ORN_BIOS_NOT_SUPPORTED;
    if (!tIoPrivilege) {
        if (RaiseFirmwarePrivilege() == -1) return ORN_BIOS_DATA_ACCESS;
        tIoPrivilege = true;
    }
#if defined(__x86_64__)
    return compat::Service(ulBiosInterface, function, block);
#else
    DWORD status;
    void* entry = reinterpret_cast<void*>(static_cast<uintptr_t>(ulBiosInterface));
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
        "call *%[entry]\n\t"
        "cld\n\t"
        "addl $8, %%esp\n\t"
        "popl %%ds\n\t"
        "popl %%ds\n\t"
        "popl %%ebx\n\t"
        : "=a"(status)
        : [block] "r"(block), [function] "r"(function), [entry] "S"(entry)
        : "ecx", "edx", "edi", "memory", "cc");
    return status & 0xFFFF;
#endif
}
