// firmware-source.h - where the BIOS32 gate's window comes from: /dev/mem
// on a board, a firmware image under emulation. The only differences
// between the two builds of the gate.
#pragma once

// Opens the file whose bytes from offset 0xD0000 are the window; -1 on failure.
int OpenFirmwareSource();
// Closes it; the result of close(2).
int CloseFirmwareSource(int fd);
// Raises the I/O privilege the firmware code needs; -1 on failure.
int RaiseFirmwarePrivilege();
