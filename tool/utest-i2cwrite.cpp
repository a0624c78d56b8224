// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// I2C -wb, -ww, -bw: write a byte, a word or a block to a device.
#include <strings.h>

#include <cstdio>
#include <cstdlib>

#include "utest.h"

namespace {

enum WriteOption { WRITE_BYTE, WRITE_WORD, WRITE_BLOCK };
constexpr const char* kOptions[] = {"-wb", "-ww", "-bw"};

BYTE* AllocateData(DWORD length, const char* self) {
    auto* buffer = utAllocate(length);
    if (buffer == nullptr) fprintf(stderr, "%s: Error allocating data buffer!\n", self);
    return buffer;
}

}  // namespace

int utHandleI2C_WriteNew(int argc, char** argv) {
    if (argc < 8) utUsageExit(CAT_I2C);
    int option = StringInArray(argv[2], kOptions);
    BYTE busid = BYTE(utNumber(argv[3]));
    BYTE devad = BYTE(utNumber(argv[4]));
    WORD offset = WORD(utNumber(argv[5]));
    BYTE prot = BYTE(utNumber(argv[6]));
    WORD value = WORD(utNumber(argv[7]));
    char* filename = nullptr;
    if (argc > 8 && strcasecmp(argv[8], "-f") == 0) {
        if (option != WRITE_BLOCK || argc <= 9) utUsageExit(CAT_I2C);
        filename = argv[9];
    }
    int result = 0;
    switch (option) {
        case WRITE_BYTE:
            result = utI2CWriteByte(busid, devad, offset, BYTE(value), prot);
            if (result == 0) printf("byte successfully written\n");
            break;
        case WRITE_WORD:
            result = utI2CWriteWord(busid, devad, offset, value, prot);
            if (result == 0) printf("word successfully written\n");
            break;
        case WRITE_BLOCK:
            result = filename ? utI2CWriteBlockFile(busid, devad, offset, prot, value, filename)
                              : utI2CWriteBlockCmd(busid, devad, offset, prot, argc - 7, argv + 7);
            break;
    }
    return result;
}

int utI2CWriteByte(BYTE busid, BYTE devad, WORD offset, BYTE byte, BYTE prot) {
    return utLibCall(OrnI2CWrite8(busid, devad, offset, byte, prot), "%s: OrnI2CWrite8() failed for busid %#04x!\n",
                     "utI2CWriteByte", unsigned(busid));
}

int utI2CWriteWord(BYTE busid, BYTE devad, WORD offset, WORD word, BYTE prot) {
    return utLibCall(OrnI2CWrite16(busid, devad, offset, word, prot),
                     "%s: OrnI2CWrite16() failed for busid %#04x!\n", "utI2CWriteWord", unsigned(busid));
}

int utI2CWriteBlock(BYTE busid, BYTE devad, WORD offset, BYTE prot, DWORD count, BYTE* buffer) {
    return utLibCall(OrnI2CWriteBlock(busid, devad, offset, buffer, &count, prot),
                     "%s: OrnI2CWriteBlock() failed for busid %#04x!\n", "utI2CWriteBlock", unsigned(busid));
}

int utI2CWriteBlockFile(BYTE busid, BYTE devad, WORD offset, BYTE prot, DWORD count, char* filename) {
    FILE* file = utOpenInput(filename);
    if (file == nullptr) {
        fprintf(stderr, "%s: could not open file %s for read access\n", "utI2CWriteBlockFile", filename);
        return -10;
    }
    BYTE* buffer = AllocateData(count, "utI2CWriteBlockFile");
    if (buffer == nullptr) {
        fclose(file);
        return -4;
    }
    DWORD read = DWORD(fread(buffer, 1, count, file));
    fclose(file);
    return utI2CWriteBlock(busid, devad, offset, prot, read, buffer);
}

int utI2CWriteBlockCmd(BYTE busid, BYTE devad, WORD offset, BYTE prot, int datac, char** data) {
    BYTE* buffer = AllocateData(DWORD(datac), "utI2CWriteBlockCmd");
    if (buffer == nullptr) return -4;
    for (int i = 0; i < datac; ++i) buffer[i] = BYTE(utNumber(data[i]));
    return utI2CWriteBlock(busid, devad, offset, prot, DWORD(datac), buffer);
}
