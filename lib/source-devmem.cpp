// The firmware window of a real board: physical memory through /dev/mem,
// entered with I/O privilege level 3.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "firmware-source.h"
#include "internal.h"

// <sys/io.h> would bring port functions of its own; only iopl is wanted.
extern "C" int iopl(int level);

int OpenFirmwareSource() {
    // Not inherited: a child started while the library is open must not
    // hold physical memory open read-write.
    int fd = open("/dev/mem", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        orn::DebugStep("opening /dev/mem", errno,
                       errno == ENOENT ? "this system has no /dev/mem"
                                       : "the process needs root or CAP_SYS_RAWIO to open /dev/mem read-write");
    return fd;
}
int CloseFirmwareSource(int fd) { return close(fd); }
int RaiseFirmwarePrivilege() { return iopl(3); }

// Port primitives: one port instruction each.
BYTE inb(WORD port) {
    BYTE value;
    __asm__ __volatile__("inb %w1, %b0" : "=a"(value) : "Nd"(port));
    return value;
}
WORD inw(WORD port) {
    WORD value;
    __asm__ __volatile__("inw %w1, %w0" : "=a"(value) : "Nd"(port));
    return value;
}
DWORD inl(WORD port) {
    DWORD value;
    __asm__ __volatile__("inl %w1, %0" : "=a"(value) : "Nd"(port));
    return value;
}
void outb(BYTE value, WORD port) { __asm__ __volatile__("outb %b0, %w1" : : "a"(value), "Nd"(port)); }
void outw(WORD value, WORD port) { __asm__ __volatile__("outw %w0, %w1" : : "a"(value), "Nd"(port)); }
void outl(DWORD value, WORD port) { __asm__ __volatile__("outl %0, %w1" : : "a"(value), "Nd"(port)); }
int RaiseIoPrivilege() { return iopl(3); }
