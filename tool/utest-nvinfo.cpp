// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// NVR category: option table and the information commands (count,
// descriptions, flash devices and blocks, the summary table).
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "utest.h"

namespace {

constexpr const char* kOptions[] = {"-c", "-i", "-d", "-q", "-t", "-r", "-w", "-a", "-bl", "-bu", "-be"};
constexpr int (*kHandlers[])(int, char**) = {
    utHandleNVR_Info, utHandleNVR_Info,  utHandleNVR_Info, utHandleNVR_Info,
    utHandleNVR_Info, utHandleNVR_Read,  utHandleNVR_Write, utHandleNVR_Raw,
    utHandleNVR_Raw,  utHandleNVR_Raw,   utHandleNVR_Raw,
};
static_assert(std::size(kOptions) == std::size(kHandlers));

constexpr DWORD kFlashType = 3;
constexpr const char* kTypeNames[] = {"NVRamUserCMOS", "NVRamUserEEPROM", "NVRamVGAParameter", "NVRamFlash",
                                      "Unknown"};
constexpr const char* kAccessNames[] = {"", "r", "w", "rw"};

struct NVRamInfoTable {
    int invalid;
    DWORD type, size, flags;
    int blockinv;
    DWORD manid, devid, blocks;
};

constexpr const char* kTableRule = "+---------+--------+--------+--------+--------+--------+--------+\n";

// Reads the count for the listing commands; failures name the command.
bool ListCount(DWORD* count, const char* self) {
    return utLibCall(OrnGetNVRamCount(count), "%s: OrnGetNVRamCount() failed!\n", self) == 0;
}

}  // namespace

int utHandleNVR(int argc, char** argv) {
    int option = StringInArray(argv[2], kOptions);
    if (option < 0) utUsageExit(CAT_NVR);
    return kHandlers[option](argc, argv);
}

// An upper-case option selects the same command as its lower-case form.
int utHandleNVR_Info(int argc, char** argv) {
    DWORD index = 0, block = 0;
    if (argc > 3) index = DWORD(utNumber(argv[3]));
    if (argc == 5) block = DWORD(utNumber(argv[4]));
    if (int r = utOrnOpen()) return r;
    int result = 0;
    switch (tolower(static_cast<unsigned char>(argv[2][1]))) {
        case 'c':
            if (argc != 3) utUsageExit(CAT_NVR);
            result = utNVRamCountPrint();
            break;
        case 'i':
            if (argc != 3 && argc != 4) utUsageExit(CAT_NVR);
            result = argc == 3 ? utNVRamInfoPrintAll() : utNVRamInfoPrint(index);
            break;
        case 'd':
            if (argc != 3 && argc != 4) utUsageExit(CAT_NVR);
            result = argc == 3 ? utNVRamDeviceInfoPrintAll() : utNVRamDeviceInfoPrint(index);
            break;
        case 'q':
            if (argc != 5) utUsageExit(CAT_NVR);
            result = utNVRamBlockInfoPrint(index, block);
            break;
        case 't':
            if (argc != 3) utUsageExit(CAT_NVR);
            result = utNVRamInfoPrintTable();
            break;
    }
    return utCloseWith(result);
}

int utNVRamCount(DWORD* NVRamCount) {
    return utLibCall(OrnGetNVRamCount(NVRamCount), "OrnGetNVRamCount() failed!\n");
}

int utNVRamCountPrint() {
    DWORD count = 0;
    int result = utNVRamCount(&count);
    if (result == 0) printf("0x%04x\n", unsigned(count));
    return result;
}

// Without a count no index can be shown valid: the count's failure is the
// answer.
int utNVRamIsValidIndex(DWORD index) {
    DWORD count = 0;
    if (int r = utNVRamCount(&count)) return r;
    return index < count ? 0 : -2;
}

int utNVRamIsValidBlock(DWORD index, DWORD block) {
    if (int r = utNVRamIsValidIndex(index)) return r;
    DWORD manid, devid, blocks;
    if (utNVRamDeviceInfo(index, &manid, &devid, &blocks) != 0) return -1;
    return block < blocks ? 0 : -3;
}

int utNVRamInfo(DWORD index, DWORD* type, DWORD* size, DWORD* flags) {
    if (int r = utNVRamIsValidIndex(index)) {
        fprintf(stderr, "invalid index requested!\n");
        return r;
    }
    NVRAMINFO info{};
    if (int r = utLibCall(OrnGetNVRamInfo(index, &info), "OrnGetNVRamInfo() failed for index %#04x!\n",
                          unsigned(index)))
        return r;
    *type = info.NVRamType;
    *size = info.NVRamSize;
    *flags = info.NVRamFlags;
    return 0;
}

DWORD utNVRamSize(DWORD index) {
    DWORD type, size, flags;
    if (int r = utNVRamInfo(index, &type, &size, &flags)) return DWORD(r);
    return size;
}

int utNVRamInfoPrint(DWORD index) {
    DWORD type, size, flags;
    if (int r = utNVRamInfo(index, &type, &size, &flags)) return r;
    if (type > kFlashType) type = 4;
    printf("NVRamInfo for NVRam 0x%04x:\n", unsigned(index));
    printf(" NVRamType:       0x%04x (%s)\n", unsigned(type), kTypeNames[type]);
    printf(" NVRamSize:       0x%04x bytes\n", unsigned(size));
    printf(" NVRamFlags:      0x%04x (%s)\n", unsigned(flags), kAccessNames[flags & 3]);
    printf("\n\n");
    return 0;
}

int utNVRamInfoPrintAll() {
    DWORD count = 0;
    if (!ListCount(&count, "utNVRamInfoPrintAll")) return -1;
    for (DWORD i = 0; i < count; ++i)
        if (int r = utNVRamInfoPrint(i)) return r;
    return 0;
}

int utNVRamDeviceInfo(DWORD index, DWORD* manid, DWORD* devid, DWORD* blocks) {
    DWORD type, size, flags;
    if (int r = utNVRamInfo(index, &type, &size, &flags)) return r;
    if (type != kFlashType) {
        fprintf(stderr, "NVRam index %#04x is not block oriented!\n", unsigned(index));
        return -2;
    }
    NVDEVICEINFO info{};
    info.NVDeviceInfoSize = sizeof(NVDEVICEINFO);
    if (int r = utLibCall(OrnGetNVDeviceInfo(index, &info), "OrnGetNVDeviceInfo() failed for index %#04x!\n",
                          unsigned(index)))
        return r;
    *manid = info.NVManufacturerID;
    *devid = info.NVDeviceID;
    *blocks = info.NVBlockCount;
    return 0;
}

int utNVRamDeviceInfoPrint(DWORD index) {
    DWORD type, size, flags;
    if (int r = utNVRamInfo(index, &type, &size, &flags)) return r;
    if (type != kFlashType) {
        printf(" NVRam 0x%04x is not block oriented!\n", unsigned(index));
        return 0;
    }
    DWORD manid, devid, blocks;
    if (int r = utNVRamDeviceInfo(index, &manid, &devid, &blocks)) return r;
    printf("NVRamInfo for NVRam 0x%04x:\n", unsigned(index));
    printf(" manufacturer ID: 0x%04x\n", unsigned(manid));
    printf(" device ID:       0x%04x\n", unsigned(devid));
    printf(" block count:     0x%04x blocks\n", unsigned(blocks));
    printf("\n\n");
    return 0;
}

int utNVRamDeviceInfoPrintAll() {
    DWORD count = 0;
    if (!ListCount(&count, "utNVRamDeviceInfoPrintAll")) return -1;
    for (DWORD i = 0; i < count; ++i) {
        DWORD type, size, flags;
        if (int r = utNVRamInfo(i, &type, &size, &flags)) return r;
        if (type != kFlashType) {
            printf(" NVRam 0x%04x is not block oriented!\n", unsigned(i));
            continue;
        }
        if (int r = utNVRamDeviceInfoPrint(i)) return r;
    }
    return 0;
}

int utNVRamBlockInfo(DWORD index, DWORD block, DWORD* bsize, DWORD* bflags) {
    if (int r = utNVRamIsValidBlock(index, block)) {
        fprintf(stderr, "invalid block requested!\n");
        return r;
    }
    NVBLOCKINFO info{};
    info.NVBlockInfoSize = sizeof(NVBLOCKINFO);
    if (int r = utLibCall(OrnQueryNVBlock(index, block, &info),
                          "OrnQueryNVBlock() failed for index 0x%02x, block 0x%02x!\n", unsigned(index),
                          unsigned(block)))
        return r;
    *bsize = info.NVBlockSize;
    *bflags = info.NVBlockFlags;
    return 0;
}

int utNVRamBlockInfoPrint(DWORD index, DWORD block) {
    DWORD bsize, bflags;
    if (int r = utNVRamBlockInfo(index, block, &bsize, &bflags)) return r;
    printf("NVRam block info index 0x%04x, block 0x%04x:\n", unsigned(index), unsigned(block));
    printf(" Block size:           0x%04x bytes\n", unsigned(bsize));
    printf(" Block flags:          0x%04x\n", unsigned(bflags));
    return 0;
}

int utNVRamInfoPrintTable() {
    static constexpr const char* kSelf = "utNVRamInfoPrintTable";
    DWORD count = 0;
    if (!ListCount(&count, kSelf)) return -1;
    auto* table = static_cast<NVRamInfoTable*>(utAllocateItems(count, sizeof(NVRamInfoTable)));
    if (table == nullptr) {
        fprintf(stderr, "%s: Error allocating table buffer!\n", kSelf);
        return -4;
    }
    for (DWORD i = 0; i < count; ++i) {
        NVRamInfoTable& row = table[i];
        row.invalid = utNVRamInfo(i, &row.type, &row.size, &row.flags);
        row.blockinv = 0;
        if (row.invalid == 0 && row.type == kFlashType)
            row.blockinv = utNVRamDeviceInfo(i, &row.manid, &row.devid, &row.blocks);
    }
    printf("%s", kTableRule);
    printf("|NVRam-   |NVRam-  |NVRam-  |NVRam-  |NVRam-  |NVRAM-  |NVRam-  |\n");
    printf("|   Index |   type |   size |  flags |  ManID |  DevID |BlockCnt|\n");
    printf("%s", kTableRule);
    for (DWORD i = 0; i < count; ++i) {
        const NVRamInfoTable& row = table[i];
        char left[64], right[64];
        snprintf(left, sizeof left, " 0x%04x | 0x%04x | 0x%04x ", unsigned(row.type), unsigned(row.size),
                 unsigned(row.flags));
        snprintf(right, sizeof right, "  ----  |  ----  |  ----  ");
        if (row.invalid != 0) {
            snprintf(left, sizeof left, " error getting nvram info ");
        } else if (row.blockinv != 0) {
            snprintf(right, sizeof right, "  error getting device information ");
        } else if (row.type == kFlashType) {
            snprintf(right, sizeof right, " 0x%04x | 0x%04x | 0x%04x ", unsigned(row.manid), unsigned(row.devid),
                     unsigned(row.blocks));
        }
        printf("|  0x%04x |%s|%s|\n", unsigned(i), left, right);
    }
    printf("%s", kTableRule);
    printf("  ----: Info only available for NVRam-type 0x0003\n");
    return 0;
}

int utNVRamDescribe(const char* self, DWORD index, NVRAMINFO* info) {
    return utLibCall(OrnGetNVRamInfo(index, info), "%s: OrnGetNVRamInfo() failed for index %#04x!\n", self,
                     unsigned(index));
}

int utNVRamCheckTransfer(const char* self, DWORD index, DWORD offset, DWORD length, bool write) {
    NVRAMINFO info{};
    if (int r = utNVRamDescribe(self, index, &info)) return r;
    // The exact sum: a negative offset or length is a huge one, not a wrap.
    if (uint64_t(offset) + length > info.NVRamSize) {
        fprintf(stderr, "%s: requested address out of range!\n", self);
        return -5;
    }
    if (!(info.NVRamFlags & (write ? 2 : 1))) {
        fprintf(stderr, write ? "%s: NVRam index %#04x is not writeable!\n" : "%s: NVRam index %#04x is not readable!\n",
                self, unsigned(index));
        return write ? -7 : -6;
    }
    return 0;
}
