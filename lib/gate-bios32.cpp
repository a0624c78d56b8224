// Firmware access through the BIOS32 Service Directory: the window of
// physical memory is mapped into the process, the directory is asked for
// the ZOKA service, and the service is entered through a far-call frame.
// 32-bit x86 only.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>

#include "firmware-source.h"
#include "internal.h"

#if !defined(__i386__)
#error "the BIOS32 gate needs a 32-bit x86 build (see cmake/i386.cmake)"
#endif

int mem_fd = -1;
BYTE* vBasePtr = nullptr;

namespace {

constexpr DWORD kZokaIdentifier = 0x414B4F5A;  // "ZOKA", first character lowest

// Returns the reservation and the window inside it.
void ReleaseReservation() {
    munmap(vBasePtr, kReservationLength);
    vBasePtr = nullptr;
}

// A failed start gives back all it took.
int AbandonStart() {
    if (vBasePtr != nullptr) ReleaseReservation();
    CloseFirmwareSource(mem_fd);
    return 0;
}

}  // namespace

FarBuffer::FarBuffer(void* buffer)
    : pointer_{CurrentDataSelector(), static_cast<DWORD>(reinterpret_cast<uintptr_t>(buffer))} {}

FarBuffer::~FarBuffer() = default;

int SearchForBIOS32Entry() {
    DWORD entryPoint;
    __builtin_memcpy(&entryPoint, tB32 + 4, sizeof entryPoint);
    BYTE* directory = WindowAddress(entryPoint);
    DWORD al, base, offset;
    // The directory ends with a far return, which also drops the pushed CS.
    // EBX carries an argument and a result, so it is kept on the stack.
    __asm__ __volatile__(
        "pushl %%ebx\n\t"
        "xorl %%ebx, %%ebx\n\t"
        "pushl %%cs\n\t"
        "call *%[directory]\n\t"
        "movl %%ebx, %%ecx\n\t"
        "popl %%ebx\n\t"
        : "=a"(al), "=c"(base), "=d"(offset)
        : "a"(kZokaIdentifier), [directory] "S"(directory)
        : "edi", "memory", "cc");
    if ((al & 0xFF) != 0) return 0;
    ulBiosInterface = static_cast<DWORD>(reinterpret_cast<uintptr_t>(WindowAddress(base + offset)));
    return 1;
}

int InitZokaBios() {
    ulBiosInterface = 0;
    mem_fd = OpenFirmwareSource();
    if (mem_fd < 0) return 0;
    // A reservation of its own, so that the window never overlays memory
    // the heap may hand out again.
    void* reservation = mmap(nullptr, kReservationLength, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (reservation == MAP_FAILED) return AbandonStart();
    vBasePtr = static_cast<BYTE*>(reservation);
    vPtr = vBasePtr;
    if (uintptr_t low = reinterpret_cast<uintptr_t>(vPtr) & (kPageSize - 1)) vPtr += kPageSize - low;
    if (mmap(vPtr, kWindowLength, PROT_READ | PROT_WRITE | PROT_EXEC, MAP_SHARED | MAP_FIXED, mem_fd, kWindowBase) ==
        MAP_FAILED) {
        perror("mmap error is:");
        return AbandonStart();
    }
    if (RaiseFirmwarePrivilege() == -1 || SearchForBIOS32(tB32) == 0) return AbandonStart();
    return SearchForBIOS32Entry() == 1 ? 1 : AbandonStart();
}

int ExitZokaBios() {
    if (munmap(vPtr, kWindowLength) != 0) return 0;
    if (vBasePtr != nullptr) ReleaseReservation();
    ulBiosInterface = 0;
    if (CloseFirmwareSource(mem_fd) != 0) return 0;
    return 1;
}

DWORD CallZOKAFunction(DWORD function, void* block) {
    if (ulBiosInterface == 0) return ORN_BIOS_NOT_SUPPORTED;
    DWORD status;
    void* entry = reinterpret_cast<void*>(static_cast<uintptr_t>(ulBiosInterface));
    // Frame from the top: return offset, CS, function, block, DS, DS. The
    // service may change EAX, EBX, ECX, EDX, EDI and DS; EBX (the PIC
    // register) is kept here, DS is restored from the frame. Every input is
    // in a register: a stack-relative operand would move with the pushes.
    __asm__ __volatile__(
        "pushl %%ebx\n\t"
        "pushl %%ds\n\t"
        "pushl %%ds\n\t"
        "pushl %[block]\n\t"
        "pushl %[function]\n\t"
        "pushl %%cs\n\t"
        "call *%[entry]\n\t"
        "addl $8, %%esp\n\t"
        "popl %%ds\n\t"
        "popl %%ds\n\t"
        "popl %%ebx\n\t"
        : "=a"(status)
        : [block] "r"(block), [function] "r"(function), [entry] "S"(entry)
        : "ecx", "edx", "edi", "memory", "cc");
    return status & 0xFFFF;
}
