// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// NVR -w: write one byte, a list of bytes, or a file's contents.
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "utest.h"

// "-f" in any letter case names a file; an upper-case "-F" in the fourth
// word is never taken as an offset followed by a byte.
int utHandleNVR_Write(int argc, char** argv) {
    if (argc < 6) utUsageExit(CAT_NVR);
    DWORD index = DWORD(utNumber(argv[3]));
    for (int i = 5; i < argc; ++i)
        if (strcasecmp(argv[i], "-f") == 0) utUsageExit(CAT_NVR);
    if (strcasecmp(argv[4], "-f") == 0) {
        if (argc != 6) utUsageExit(CAT_NVR);
        return utHandleNVR_WriteFile(index, argv[5]);
    }
    DWORD offset = DWORD(utNumber(argv[4]));
    return utHandleNVR_WriteBytes(index, offset, argv + 5, argc - 5);
}

int utHandleNVR_WriteBytes(DWORD index, DWORD offset, char** args, int num) {
    static constexpr const char* kSelf = "utHandleNVR_WriteBytes";
    BYTE single;
    BYTE* buffer = &single;
    DWORD length = 1;
    if (num == 1) {
        single = BYTE(utNumber(args[0]));
    } else {
        length = DWORD(utNumber(args[0]));
        if (length > DWORD(num - 1)) {
            fprintf(stderr, "%s: Not enought bytes on commandline!\n", kSelf);
            return -9;
        }
        buffer = utAllocate(length);
        if (buffer == nullptr) {
            fprintf(stderr, "%s: Error allocating read buffer!\n", kSelf);
            return -4;
        }
        for (DWORD i = 0; i < length; ++i) buffer[i] = BYTE(utNumber(args[i + 1]));
    }
    if (int r = utOrnOpen()) return r;
    printf("Writing bytes to NVRam #0x%04x...\n", unsigned(index));
    DWORD written = utNVRamWrite(index, offset, length, buffer);
    int closed = utOrnClose();
    if (SDWORD(written) >= 0) hexdump(buffer, written, offset);
    int result = SDWORD(written) < 0 ? SDWORD(written) : 0;
    return closed != 0 ? closed : result;
}

int utHandleNVR_WriteFile(DWORD index, char* filename) {
    static constexpr const char* kSelf = "utHandleNVR_WriteFile";
    std::unique_ptr<FILE, int (*)(FILE*)> file(utOpenInput(filename), fclose);
    if (file == nullptr) {
        fprintf(stderr, "%s: Unable to open the input file %s!\n", kSelf, filename);
        return -10;
    }
    if (int r = utOrnOpen()) return r;
    // A failed size look-up ends the command here, before any allocation.
    DWORD size = utNVRamSize(index);
    if (SDWORD(size) < 0) {
        fprintf(stderr, "%s: Unable to get the size of NVRam #0x%04x!\n", kSelf, unsigned(index));
        return utCloseWith(SDWORD(size));
    }
    auto* buffer = utAllocate(size);
    if (buffer == nullptr) {
        fprintf(stderr, "%s: Error allocating read buffer!\n", kSelf);
        return -4;
    }
    size_t read = fread(buffer, 1, size, file.get());
    file.reset();
    if (read == 0) {
        fprintf(stderr, "%s: Error reading data from input file!\n", kSelf);
        return -10;
    }
    DWORD length = read < size ? DWORD(read) : size;
    printf("Writing data from %s to NVRam #0x%04x...\n", filename, unsigned(index));
    DWORD written = utNVRamWrite(index, 0, length, buffer);
    int closed = utOrnClose();
    hexdump(buffer, length, 0);
    int result = SDWORD(written) < 0 ? SDWORD(written) : 0;
    return closed != 0 ? closed : result;
}

DWORD utNVRamWrite(DWORD index, DWORD offset, DWORD length, BYTE* buffer) {
    static constexpr const char* kSelf = "utNVRamWrite";
    if (int r = utNVRamCheckTransfer(kSelf, index, offset, length, true)) return DWORD(r);
    DWORD count = 0;
    if (int r = utLibCall(OrnWriteNVRam(index, offset, length, buffer, &count), "%s:  failed for index %#04x!\n",
                          kSelf, unsigned(index)))
        return DWORD(r);
    return count;
}
