// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// NVR -r: read a whole NVRAM, one byte or a range, shown as a hex dump.
#include <cstdio>
#include <cstdlib>

#include "utest.h"

int utHandleNVR_Read(int argc, char** argv) {
    if (argc < 4 || argc > 6) utUsageExit(CAT_NVR);
    if (int r = utOrnOpen()) return r;
    DWORD index = DWORD(utNumber(argv[3]));
    int result;
    if (argc == 4) {
        result = utNVRamReadAllPrint(index);
    } else {
        DWORD offset = DWORD(utNumber(argv[4]));
        DWORD length = argc == 6 ? DWORD(utNumber(argv[5])) : 1;
        BYTE* buffer = nullptr;
        DWORD read = utNVRamRead(index, offset, length, &buffer);
        result = SDWORD(read);
        if (result >= 0) hexdump(buffer, read, offset);
    }
    return utCloseWith(result);
}

DWORD utNVRamRead(DWORD index, DWORD offset, DWORD length, BYTE** buffer) {
    static constexpr const char* kSelf = "utNVRamRead";
    if (int r = utNVRamCheckTransfer(kSelf, index, offset, length, false)) return DWORD(r);
    *buffer = utAllocate(length);
    if (*buffer == nullptr) {
        fprintf(stderr, "%s: Error allocating read buffer!\n", kSelf);
        return DWORD(-4);
    }
    DWORD count = 0;
    if (int r = utLibCall(OrnReadNVRam(index, offset, length, *buffer, &count),
                          "%s: OrnReadNVRam() failed for index %#04x!\n", kSelf, unsigned(index)))
        return DWORD(r);
    return count;
}

DWORD utNVRamReadAll(DWORD index, BYTE** buffer) {
    static constexpr const char* kSelf = "utNVRamReadAll";
    NVRAMINFO info{};
    if (int r = utNVRamDescribe(kSelf, index, &info)) return DWORD(r);
    DWORD read = utNVRamRead(index, 0, info.NVRamSize, buffer);
    if (SDWORD(read) < 0) fprintf(stderr, "%s:  Error in utNVRamRead!\n", kSelf);
    return read;
}

int utNVRamReadAllPrint(DWORD index) {
    BYTE* buffer = nullptr;
    DWORD read = utNVRamReadAll(index, &buffer);
    if (SDWORD(read) < 0) {
        fprintf(stderr, "%s:  Error in utNVRamRead!\n", "utNVRamReadAllPrint");
        return SDWORD(read);
    }
    hexdump(buffer, read, 0);
    return 0;
}
