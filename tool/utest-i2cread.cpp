// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// I2C -rb, -rw, -br: read a byte, a word or a block from a device.
#include <strings.h>

#include <cstdio>
#include <cstdlib>

#include "utest.h"

namespace {
enum ReadOption { READ_BYTE, READ_WORD, READ_BLOCK };
constexpr const char* kOptions[] = {"-rb", "-rw", "-br"};
}  // namespace

int utHandleI2C_ReadNew(int argc, char** argv) {
    if (argc < 7) utUsageExit(CAT_I2C);
    BYTE busid = BYTE(utNumber(argv[3]));
    BYTE devad = BYTE(utNumber(argv[4]));
    WORD offset = WORD(utNumber(argv[5]));
    BYTE prot = BYTE(utNumber(argv[6]));
    DWORD length = argc > 7 ? DWORD(utNumber(argv[7])) : 0;
    char* filename = nullptr;
    if (argc > 8) {
        if (strcasecmp(argv[8], "-f") != 0 || argc <= 9) utUsageExit(CAT_I2C);
        filename = argv[9];
    }
    int result = 0;
    switch (StringInArray(argv[2], kOptions)) {
        case READ_BYTE: {
            BYTE byte;
            result = utI2CReadByte(busid, devad, offset, &byte, prot);
            if (result == 0) printf("0x%02x\n", unsigned(byte));
            break;
        }
        case READ_WORD: {
            WORD word;
            result = utI2CReadWord(busid, devad, offset, &word, prot);
            if (result == 0) printf("0x%04x\n", unsigned(word));
            break;
        }
        case READ_BLOCK: {
            if (length == 0) return -9;
            BYTE* buffer = nullptr;
            DWORD count = length;
            result = utI2CReadBlock(busid, devad, offset, &buffer, &count, prot);
            if (result != 0) break;
            // Only the requested bytes exist, whatever count came back.
            DWORD shown = count < length ? count : length;
            if (filename != nullptr) {
                result = dumptofile(buffer, shown, filename);
            } else {
                hexdump(buffer, shown, offset);
                printf("\nnumber of bytes returned: 0x%04x\n\n", unsigned(count));
            }
            break;
        }
    }
    return result;
}

int utI2CReadByte(BYTE busid, BYTE devad, WORD offset, BYTE* byte, BYTE prot) {
    return utLibCall(OrnI2CRead8(busid, devad, offset, byte, prot), "%s: OrnI2CRead8() failed for busid %#04x!\n",
                     "utI2CReadByte", unsigned(busid));
}

int utI2CReadWord(BYTE busid, BYTE devad, WORD offset, WORD* word, BYTE prot) {
    return utLibCall(OrnI2CRead16(busid, devad, offset, word, prot),
                     "%s: OrnI2CRead16() failed for busid %#04x!\n", "utI2CReadWord", unsigned(busid));
}

int utI2CReadBlock(BYTE busid, BYTE devad, WORD offset, BYTE** buffer, DWORD* count, BYTE prot) {
    static constexpr const char* kSelf = "utI2CReadBlock";
    *buffer = utAllocate(*count);
    if (*buffer == nullptr) {
        fprintf(stderr, "%s: Error allocating read buffer!\n", kSelf);
        return -4;
    }
    return utLibCall(OrnI2CReadBlock(busid, devad, offset, *buffer, count, prot),
                     "%s: OrnI2CReadBlock() failed for busid %#04x!\n", kSelf, unsigned(busid));
}
