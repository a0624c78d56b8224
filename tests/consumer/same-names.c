/* SPDX-License-Identifier: MIT
 * Copyright (c) 2026 The ornsys authors */
/* An application whose own globals have the names the library uses inside:
 * it links with the static library and runs. */
#include <stdio.h>

#include <ornsyslx.h>

int mem_fd = 7;
void* vBasePtr;
unsigned char* vPtr;
unsigned long ulBiosInterface;
int bInit = 42;
int hSem;
unsigned long dwLastErrorCode;
int inb(void) { return 1; }
int Start(void) { return 2; }

int main(void) {
    BOARDINFO info;
    if (!OrnOpen() || !OrnGetBoardInfo(&info) || !OrnClose()) return 1;
    printf("%.16s with mem_fd %d, bInit %d, inb %d\n", info.HWPlatform, mem_fd, bInit, inb() + Start());
    return 0;
}
