// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// VGA category: backlight on/off, brightness and contrast.
#include <cstdio>

#include "utest.h"

namespace {

enum VgaOption { VGA_GET_BACKLIGHT, VGA_GET_CONTRAST, VGA_BACKLIGHT, VGA_SET_BACKLIGHT, VGA_SET_CONTRAST };
constexpr const char* vargs[] = {"-gb", "-gc", "-b", "-sb", "-sc"};
constexpr int kWords[] = {3, 3, 4, 4, 4};  // argc each option needs
constexpr const char* bargs[] = {"off", "0", "on", "1"};
constexpr int kFirstOnWord = 2;

// A getter's value, or -1 after its failure line.
int Fetch(BOOL (*get)(BYTE*), const char* format, const char* self) {
    BYTE value = 0;
    if (int r = utLibCall(get(&value), format, self)) return r;
    return value;
}

int PrintValue(int value) {
    if (value < 0) return value;
    printf("0x%02x\n", unsigned(value));
    return 0;
}

int SetValue(int (*set)(BYTE), BYTE value, const char* confirmation) {
    int r = set(value);
    if (r == 0) printf(confirmation, unsigned(value));
    return r;
}

int Backlight(const char* word) {
    int state = StringInArray(word, bargs);
    if (state < 0) return -9;
    return state < kFirstOnWord ? utVgaBacklightOff() : utVgaBacklightOn();
}

}  // namespace

int utVgaBacklightCtrl(BOOL state) {
    return utLibCall(OrnBacklightCtrl(state), "%s: OrnBacklightCtrl() failed!\n", "utVgaBacklightCtrl");
}
int utVgaBacklightOn() { return utVgaBacklightCtrl(1); }
int utVgaBacklightOff() { return utVgaBacklightCtrl(0); }

int utVgaBacklightValueGet() {
    return Fetch(OrnGetBacklightValue, "%s: OrnGetBacklightValue() failed!\n", "utVgaBacklightValueGet");
}

int utVgaBacklightValueSet(BYTE blval) {
    return utLibCall(OrnSetBacklightValue(blval), "%s: OrnSetBacklightValue() failed!\n", "utVgaBacklightValueSet");
}

int utVgaContrastValueGet() {
    return Fetch(OrnGetContrastValue, "%s: OrnGetContrastValue() failed!\n", "utVgaContrastValueGet");
}

int utVgaContrastValueSet(BYTE cval) {
    return utLibCall(OrnSetContrastValue(cval), "%s: OrnSetContrastValue() failed!\n", "utVgaContrastValueSet");
}

int utHandleVGA(int argc, char** argv) {
    int option = StringInArray(argv[2], vargs);
    if (option < 0 || argc != kWords[option]) utUsageExit(CAT_VGA);
    if (int r = utOrnOpen()) return r;
    int result = 0;
    switch (option) {
        case VGA_GET_BACKLIGHT: result = PrintValue(utVgaBacklightValueGet()); break;
        case VGA_GET_CONTRAST: result = PrintValue(utVgaContrastValueGet()); break;
        case VGA_BACKLIGHT: result = Backlight(argv[3]); break;
        case VGA_SET_BACKLIGHT:
            result = SetValue(utVgaBacklightValueSet, BYTE(utNumber(argv[3])), "backlight brightness set to: 0x%02x\n");
            break;
        case VGA_SET_CONTRAST:
            result = SetValue(utVgaContrastValueSet, BYTE(utNumber(argv[3])), "display contrast set to: 0x%02x\n");
            break;
    }
    return utCloseWith(result);
}
