// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The pieces of a firmware image: physical memory from address 0 with a
// BIOS32 directory and a ZOKA service in the window. The image backend
// serves one; the gate tests make their own.
#include "firmware-image.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

namespace firmware_image {

void Emit32(std::vector<BYTE>& code, DWORD value) {
    for (int i = 0; i < 4; ++i) code.push_back(BYTE(value >> (8 * i)));
}

std::vector<BYTE> DirectoryCode(bool zokaPresent) {
    if (!zokaPresent) return {0xB0, 0x80, 0xCB};  // mov al, 0x80; retf
    std::vector<BYTE> code = {0x3D};              // cmp eax, "ZOKA"
    Emit32(code, 0x414B4F5A);
    code.insert(code.end(), {0x75, 0x0D, 0xBB});  // jne not_found; mov ebx, base
    Emit32(code, kServiceBase);
    code.push_back(0xBA);  // mov edx, entry offset
    Emit32(code, kEntryOffset);
    code.insert(code.end(), {0xB0, 0x00, 0xCB, 0xB0, 0x80, 0xCB});  // mov al,0; retf; not_found: mov al,0x80; retf
    return code;
}

std::vector<BYTE> Header(DWORD entry, BYTE length) {
    std::vector<BYTE> h = {'_', '3', '2', '_'};
    Emit32(h, entry);
    h.insert(h.end(), {0, length, 0, 0, 0, 0, 0, 0});
    BYTE sum = 0;
    for (BYTE b : h) sum = BYTE(sum + b);
    h[10] = BYTE(-sum);
    return h;
}

std::vector<BYTE> Make(bool zokaPresent, const std::vector<BYTE>& service) {
    std::vector<BYTE> image(kImageSize, 0);
    auto put = [&](DWORD at, const std::vector<BYTE>& bytes) { memcpy(image.data() + at, bytes.data(), bytes.size()); };
    put(kHeaderAt, Header(kDirectoryAt, 1));
    put(kDirectoryAt, DirectoryCode(zokaPresent));
    put(kServiceBase + kEntryOffset, service);
    return image;
}

int WriteToMemoryFile(const std::vector<BYTE>& image) {
    int fd = memfd_create("ornsys-firmware", MFD_CLOEXEC);
    if (fd < 0) return -1;
    if (pwrite(fd, image.data(), image.size(), 0) != ssize_t(image.size())) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace firmware_image
