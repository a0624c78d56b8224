// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Shared services of the tool: messages and exits, opening and closing the
// library, its error line, hex dumps, files and the number rule.
#include <strings.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdarg>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <vector>

#include "utest.h"

const char* const helpreq[3] = {"-help", "-longhelp", "-version"};

const char* const category[catnum] = {"-INFO", "-NVR", "-I2C", "-WD", "-VGA",
                                      "-TEMP", "-VOLT", "-SYS", "-BATT", "-OEM"};

void (*const utCatHelp[catnum])() = {utHelpINFO, utHelpNVR,  utHelpI2C, utHelpWD,   utHelpVGA,
                                     utHelpTEMP, utHelpVOLT, utHelpSYS, utHelpBATT, utHelpOEM};

int (*const utCatHandle[catnum])(int, char**) = {utHandleINFO, utHandleNVR,  utHandleI2C, utHandleWD,
                                                 utHandleVGA,  utHandleTEMP, utHandleVOLT, utHandleSYS,
                                                 utHandleBATT, utHandleOEM};

void (*utExitHook)(int status) = nullptr;

void utMessageExit(int err, int msg, int cat) {
    switch (msg) {
        case 1: utLonghelp(); break;
        case 2: utInfo(); break;
        case 3:
            utUsage();
            printf("\n");
            utCatHelp[cat]();
            printf("\n");
            break;
        default: utUsage(); break;
    }
    if (utExitHook != nullptr) utExitHook(err);
    exit(err);
}

BOOL utErrorHandling(BOOL ec) {
    if (ec == 1) return 1;
    printf("ORNSYS ERROR: ");
    char message[128] = {};
    DWORD code;
    if (OrnGetLastError(&code, message, 127)) printf("%s !\n\n", message);
    else printf("(Can not retrieve error information.)\n");
    return 0;
}

int utOrnOpen() { return utLibCall(OrnOpen(), "%s: OrnOpen() failed!\n", "utOrnOpen"); }

int utOrnClose() { return utLibCall(OrnClose(), "%s: OrnClose() failed!\n", "utOrnClose"); }

int utCloseWith(int result) {
    int closed = utOrnClose();
    return closed != 0 ? closed : result;
}

void hexdump(BYTE* buf, DWORD len, DWORD add) {
    static constexpr char kDigits[] = "0123456789abcdef";
    // One line at a time: offset field, up to 16 byte fields with a group
    // blank after the 4th, 8th and 12th, two blanks, the characters.
    char line[128];
    for (DWORD i = 0; i < len; i += 16) {
        int n = snprintf(line, sizeof line, " 0x%03lXx:", static_cast<unsigned long>(i + add));
        char* p = line + n;
        DWORD count = len - i < 16 ? len - i : 16;
        for (DWORD j = 0; j < count; ++j) {
            BYTE b = buf[i + j];
            *p++ = ' ';
            *p++ = kDigits[b >> 4];
            *p++ = kDigits[b & 15];
            if (j == 3 || j == 7 || j == 11) *p++ = ' ';
        }
        *p++ = ' ';
        *p++ = ' ';
        for (DWORD j = 0; j < count; ++j) {
            BYTE b = buf[i + j];
            *p++ = (b >= 0x20 && b <= 0x7E) ? char(b) : '.';
        }
        *p++ = '\n';
        fwrite(line, 1, size_t(p - line), stdout);
    }
}

int dumptofile(BYTE* buf, DWORD len, char* filename) {
    FILE* f = fopen(filename, "w");
    if (f == nullptr) {
        fprintf(stderr, "%s: could not open file %s for write access\n", "dumptofile", filename);
        return -10;
    }
    printf("writing %ld bytes to %s\n", static_cast<long>(len), filename);
    for (DWORD i = 0; i < len; ++i) fputc(buf[i], f);
    fclose(f);
    return 0;
}

int StringInArray(const char* str, const char* const* arr, int num) {
    for (int i = 0; i < num; ++i)
        if (strcasecmp(str, arr[i]) == 0) return i;
    return -1;
}

SDWORD utNumber(const char* text) {
    long value = strtol(text, nullptr, 0);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<SDWORD>(value);
}

namespace {
std::vector<void*> gBuffers;  // every buffer handed out, kept until the end
}  // namespace

void* utAllocateItems(size_t count, size_t size) {
    void* buffer = calloc(count ? count : 1, size);
    if (buffer != nullptr) gBuffers.push_back(buffer);
    return buffer;
}

BYTE* utAllocate(DWORD length) { return static_cast<BYTE*>(utAllocateItems(length, 1)); }

void utReleaseBuffers() {
    for (void* buffer : gBuffers) free(buffer);
    gBuffers.clear();
}

FILE* utOpenInput(const char* filename) {
    FILE* f = fopen(filename, "r");
    struct stat st {};
    if (f != nullptr && (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode))) {
        fclose(f);
        return nullptr;
    }
    return f;
}

long utReadFile(const char* filename, BYTE* buffer, DWORD size) {
    FILE* f = utOpenInput(filename);
    if (f == nullptr) return -1;
    size_t n = fread(buffer, 1, size, f);
    fclose(f);
    return static_cast<long>(n);
}

int utLibCall(BOOL result, const char* format, ...) {
    if (utErrorHandling(result)) return 0;
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
    return -1;
}
