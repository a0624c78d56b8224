// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// firmware-image.h - the firmware image of the image backend: physical
// memory from address 0, with a BIOS32 directory and a ZOKA service in the
// window. Tests make images of their own from these pieces.
#pragma once

#include <vector>

#include "ornsyst.h"

namespace firmware_image {

constexpr DWORD kImageSize = 0x100000;
constexpr DWORD kHeaderAt = 0xE0000;
constexpr DWORD kDirectoryAt = 0xE0010;
constexpr DWORD kServiceBase = 0xE0100;
constexpr DWORD kEntryOffset = 0x20;

// Appends a 32-bit value, low byte first, as x86 code holds it.
void Emit32(std::vector<BYTE>& code, DWORD value);
// Directory code: answers "ZOKA" with kServiceBase and kEntryOffset, or
// "not present" to everything.
std::vector<BYTE> DirectoryCode(bool zokaPresent);
// A ZOKA entry that passes the function and block to the virtual board.
std::vector<BYTE> BridgeEntryCode();
// A 16-byte directory header with a right checksum.
std::vector<BYTE> Header(DWORD entry, BYTE length);
// A whole image with the given service code at the entry.
std::vector<BYTE> Make(bool zokaPresent, const std::vector<BYTE>& service);
// The image in an anonymous memory file; its descriptor, or -1.
int WriteToMemoryFile(const std::vector<BYTE>& image);

}  // namespace firmware_image
