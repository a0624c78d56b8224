// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// INFO category: board and CPU identity, the board configuration block.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "utest.h"

namespace {

enum InfoOption { OPT_BOARD, OPT_CPU, OPT_MAINTENANCE, OPT_GET_CONFIG, OPT_SET_CONFIG };
constexpr const char* kOptions[] = {"-b", "-c", "-m", "-gc", "-sc"};

struct ClassName {
    BYTE code;
    const char* name;
};
constexpr ClassName kClassNames[] = {{0x0F, "x86"}, {0x10, "ARM"}, {0x20, "SHx"}};

const char* CpuClassName(BYTE code) {
    for (const ClassName& c : kClassNames)
        if (c.code == code) return c.name;
    return "unknown";
}

void FormatDate(char (&text)[30], const BIOSTIME& t) {
    snprintf(text, sizeof text, "%02x.%02x.%04x   %02x:%02x", unsigned(t.Day), unsigned(t.Month),
             unsigned(t.Year), unsigned(t.Hour), unsigned(t.Minute));
}

}  // namespace

int utBoardInfo(BOARDINFO* info) {
    return utLibCall(OrnGetBoardInfo(info), "%s: OrnGetBoardInfo() failed!\n", "utBoardInfo");
}

int utBoardInfoPrint() {
    BOARDINFO info{};
    if (int r = utBoardInfo(&info)) return r;
    char manufactured[30], maintained[30];
    FormatDate(manufactured, info.ManufacturingDate);
    FormatDate(maintained, info.MaintenanceTime);
    printf("HW platform:       %.16s\n", info.HWPlatform);
    printf("Sys. BIOS ver.:    %.16s\n", info.SysBIOSVersion);
    printf("BB BIOS ver.:      %.16s\n", info.BBVersion);
    printf("HW revision:       %.16s\n", info.HWRevision);
    printf("Serial no.:        %.16s\n", info.SerialNumber);
    printf("Boot counter:    0x%04x\n", unsigned(info.BootCounter));
    printf("Operating time:    %4d\n", int(info.OperatingTime));
    printf("Manuf. Date:       %s\n", manufactured);
    printf("Maint. Date:       %s\n", maintained);
    return 0;
}

int utCPUInfo(CPUINFO* info) {
    return utLibCall(OrnGetCPUInfo(info), "%s: OrnGetCPUInfo() failed!\n", "utCPUInfo");
}

int utCPUInfoPrint() {
    CPUINFO info{};
    info.CPUInfoSize = sizeof(CPUINFO);
    if (utCPUInfo(&info) != 0) return -1;
    printf("CPU Class:     %#04x => %s\n", unsigned(info.CPUClass), CpuClassName(info.CPUClass));
    printf("CPU Count:     %4d\n", int(info.CPUCount));
    printf("CPU Speed:     %4d MHz\n", int(info.CPUSpeed));
    printf("CPU Model:     %#04x\n", unsigned(info.CPUModel));
    printf("CPU Stepping:  %#04x\n", unsigned(info.CPUStepping));
    printf("CPU String:    %.64s\n", info.CPUString);
    return 0;
}

int utGetBoardCfg(BYTE** buffer, DWORD* size) {
    static constexpr const char* kFailed = "%s: OrnGetBoardCfg() failed!\n";
    if (int r = utLibCall(OrnGetBoardCfgSize(size), kFailed, "utGetBoardCfg")) return r;
    auto* data = utAllocate(*size);
    if (data == nullptr) return -4;
    if (int r = utLibCall(OrnGetBoardCfg(data), kFailed, "utGetBoardCfg")) return r;
    *buffer = data;
    return 0;
}

int utGetBoardCfgPrint() {
    BYTE* data;
    DWORD size = 0;
    if (int r = utGetBoardCfg(&data, &size)) return r;
    hexdump(data, size, 0);
    return 0;
}

int utGetBoardCfgFile(char* filename) {
    BYTE* data;
    DWORD size = 0;
    if (int r = utGetBoardCfg(&data, &size)) return r;
    return dumptofile(data, size, filename);
}

// A file shorter than the block is refused: a partial block never reaches
// the firmware.
int utSetBaordCfgFile(char* filename) {
    static constexpr const char* kSelf = "utSetBaordCfgFile";
    DWORD size = 0;
    if (int r = utLibCall(OrnGetBoardCfgSize(&size), "%s: OrnGetBoardCfgSize() failed!\n", kSelf)) return r;
    auto* data = utAllocate(size);
    if (data == nullptr) return -4;
    long got = utReadFile(filename, data, size);
    if (got < 0) {
        fprintf(stderr, "%s: could not open file %s for read access\n", kSelf, filename);
        return -10;
    }
    printf("read %d bytes from %s\n", int(got), filename);
    if (DWORD(got) < size) {
        fprintf(stderr, "%s: file %s holds %d bytes, the board config needs %u; nothing written!\n", kSelf,
                filename, int(got), unsigned(size));
        return -10;
    }
    return utLibCall(OrnSetBoardCfg(data), "%s: OrnSetBoardCfg() failed!\n", kSelf);
}

int utHandleINFO(int argc, char** argv) {
    int option = StringInArray(argv[2], kOptions);
    if (option < 0) utUsageExit(CAT_INFO);
    if (option <= OPT_MAINTENANCE && argc > 3) utUsageExit(CAT_INFO);
    char* filename = nullptr;
    if (argc > 3) {
        if (strcmp(argv[3], "-f") != 0 || argc != 5) utUsageExit(CAT_INFO);
        filename = argv[4];
    }
    if (option == OPT_SET_CONFIG && filename == nullptr) utUsageExit(CAT_INFO);

    if (int r = utOrnOpen()) return r;
    int result = 0;
    switch (option) {
        case OPT_BOARD: result = utBoardInfoPrint(); break;
        case OPT_CPU: result = utCPUInfoPrint(); break;
        case OPT_MAINTENANCE:
            printf("Setting of maintenance date not implemented yet!\n");
            result = -16;
            break;
        case OPT_GET_CONFIG: result = filename ? utGetBoardCfgFile(filename) : utGetBoardCfgPrint(); break;
        case OPT_SET_CONFIG: result = utSetBaordCfgFile(filename); break;
    }
    return utCloseWith(result);
}
