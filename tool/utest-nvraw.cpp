// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// NVR -a, -bl, -bu, -be: raw commands to a block of a flash NVRAM.
#include <strings.h>

#include <cstdio>

#include "utest.h"

namespace {

struct BlockOption {
    const char* name;
    int (*run)(DWORD index, DWORD block);
};
constexpr BlockOption kBlockOptions[] = {
    {"-bl", utNVRamBlockLock}, {"-bu", utNVRamBlockUnlock}, {"-be", utNVRamBlockErase}};

}  // namespace

// Options compare without regard to case, like the NVR option table.
int utHandleNVR_Raw(int argc, char** argv) {
    if (argc < 5) utUsageExit(CAT_NVR);
    DWORD index = DWORD(utNumber(argv[3]));
    DWORD block = DWORD(utNumber(argv[4]));
    if (int r = utOrnOpen()) return r;
    int result = 0;
    if (strcasecmp(argv[2], "-a") == 0) {
        if (argc != 6) utUsageExit(CAT_NVR);
        result = utNVRamBlockRaw(index, block, DWORD(utNumber(argv[5])));
    } else {
        if (argc != 5) utUsageExit(CAT_NVR);
        for (const BlockOption& o : kBlockOptions)
            if (strcasecmp(argv[2], o.name) == 0) result = o.run(index, block);
    }
    return utCloseWith(result);
}

int utNVRamBlockRaw(DWORD index, DWORD block, DWORD command) {
    static constexpr const char* kSelf = "utNVRamBlockRaw";
    if (int r = utNVRamIsValidBlock(index, block)) {
        fprintf(stderr, "%s: Requestd block is invalid!\n", kSelf);
        return r;
    }
    if (!OrnNVDeviceRaw(index, block, command)) {
        fprintf(stderr, "%s: error sending raw command!\n", kSelf);
        return -1;
    }
    return 0;
}

int utNVRamBlockErase(DWORD index, DWORD block) { return utNVRamBlockRaw(index, block, NVRAW_ERASE); }
int utNVRamBlockUnlock(DWORD index, DWORD block) { return utNVRamBlockRaw(index, block, NVRAW_UNLOCK); }
int utNVRamBlockLock(DWORD index, DWORD block) { return utNVRamBlockRaw(index, block, NVRAW_LOCK); }
