// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// I2C category: the handler and the bus commands (count, description).
#include <cstdio>
#include <cstring>

#include "utest.h"

namespace {

constexpr const char* kTransferOptions[] = {"-rb", "-rw", "-br", "-wb", "-ww", "-bw"};
constexpr int kFirstWriteOption = 3;
constexpr const char* kBusOptions[] = {"-c", "-q"};

}  // namespace

// The library is opened before any option is looked at; a usage error
// leaves it open.
int utHandleI2C(int argc, char** argv) {
    if (int r = utOrnOpen()) return r;
    int result;
    int transfer = StringInArray(argv[2], kTransferOptions);
    if (transfer >= 0) {
        result = transfer < kFirstWriteOption ? utHandleI2C_ReadNew(argc, argv) : utHandleI2C_WriteNew(argc, argv);
    } else {
        int option = StringInArray(argv[2], kBusOptions);
        if (option == 0 && argc == 3) result = utI2CGetBusCountPrint();
        else if (option == 1 && argc == 4) result = utI2CQueryBusPrint(DWORD(utNumber(argv[3])));
        else utUsageExit(CAT_I2C);
    }
    return utCloseWith(result);
}

int utI2CGetBusCount(DWORD* count) {
    return utLibCall(OrnGetI2CBusCount(count), "%s: OrnGetI2CBusCount() failed!\n", "utI2CGetBusCount");
}

int utI2CGetBusCountPrint() {
    DWORD count = 0;
    int result = utI2CGetBusCount(&count);
    if (result == 0) printf("0x%04x\n", unsigned(count));
    return result;
}

// `busstring` holds kBusStringChars; a name that fills all 8 bytes of the
// record is copied without reading past them.
int utI2CQueryBus(DWORD index, BYTE* busid, DWORD* busflags, DWORD* maxbsize, char* busstring) {
    I2CBUSINFO info{};
    info.I2CBusInfoSize = sizeof(I2CBUSINFO);
    if (int r = utLibCall(OrnQueryI2CBus(index, &info), "%s: OrnQueryI2CBus() failed for bus index %#04x!\n",
                          "utI2CQueryBus", unsigned(index)))
        return r;
    *busid = info.I2CBusID;
    *busflags = info.I2CBusFlags;
    *maxbsize = info.I2CMaxBlockSize;
    memcpy(busstring, info.I2CBusString, sizeof info.I2CBusString);
    busstring[sizeof info.I2CBusString] = '\0';
    return 0;
}

int utI2CQueryBusPrint(DWORD index) {
    BYTE busid;
    DWORD busflags, maxbsize;
    char busstring[kBusStringChars];
    if (int r = utI2CQueryBus(index, &busid, &busflags, &maxbsize, busstring)) return r;
    printf("Businfo for Bus# 0x%04x:\n", unsigned(index));
    printf("  bus ID:             0x%02x\n", unsigned(busid));
    printf("  bus flags:        0x%04x\n", unsigned(busflags));
    printf("  max.block size:   0x%04x\n", unsigned(maxbsize));
    printf("  bus ID:           %s\n", busstring);
    return 0;
}
