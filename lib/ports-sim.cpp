// Port primitives served by the virtual board's I/O ports: the host
// flavour, and the emulated one, whose process may not touch real ports.
#include "internal.h"
#include "ornsim.h"

BYTE inb(WORD port) { return BYTE(ornsim_port_in(1, port)); }
WORD inw(WORD port) { return WORD(ornsim_port_in(2, port)); }
DWORD inl(WORD port) { return ornsim_port_in(4, port); }
void outb(BYTE value, WORD port) { ornsim_port_out(1, port, value); }
void outw(WORD value, WORD port) { ornsim_port_out(2, port, value); }
void outl(DWORD value, WORD port) { ornsim_port_out(4, port, value); }
int RaiseIoPrivilege() { return ornsim_iopl() ? 0 : -1; }
