/* SPDX-License-Identifier: MIT
 * Copyright (c) 2026 The ornsys authors */
/* board-info.c - a C application on the ornsys library: prints the board's
 * identity, its NVRAMs and its temperatures.
 *
 *   cc board-info.c $(pkg-config --cflags --libs ornsys) -o board-info
 */
#include <stdio.h>

#include <ornsyslx.h>

static int fail(const char* what) {
    DWORD code = 0;
    char message[64];
    OrnGetLastError(&code, message, sizeof message);
    message[sizeof message - 1] = '\0';
    fprintf(stderr, "%s failed: 0x%04x %s\n", what, (unsigned)code, message);
    return 1;
}

int main(void) {
    BOARDINFO board;
    DWORD count, i;

    if (!OrnOpen()) return fail("OrnOpen");
    if (!OrnGetBoardInfo(&board)) return fail("OrnGetBoardInfo");
    printf("%.16s serial %.16s, %u boots\n", board.HWPlatform, board.SerialNumber, (unsigned)board.BootCounter);

    if (!OrnGetNVRamCount(&count)) return fail("OrnGetNVRamCount");
    for (i = 0; i < count; ++i) {
        NVRAMINFO nv;
        if (!OrnGetNVRamInfo(i, &nv)) return fail("OrnGetNVRamInfo");
        printf("nvram %u: type %u, %u bytes\n", (unsigned)i, (unsigned)nv.NVRamType, (unsigned)nv.NVRamSize);
    }

    if (!OrnGetThermSensorCount(&count)) return fail("OrnGetThermSensorCount");
    for (i = 0; i < count; ++i) {
        SDWORD celsius;
        if (OrnGetThermSensorValue(i, &celsius)) printf("sensor %u: %d C\n", (unsigned)i, (int)celsius);
    }
    return OrnClose() ? 0 : fail("OrnClose");
}
