// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Display backlight and contrast through one two-byte block whose first
// byte is always 0.
#include "internal.h"

namespace {

BOOL Send(DWORD function, BYTE value) {
    if (!orn::BeginCall()) return FALSE;
    zoka::DisplayBlock block{0, value};
    return orn::LockedCall(function, &block);
}

BOOL Fetch(DWORD function, BYTE* value) {
    if (!orn::BeginCall({value})) return FALSE;
    zoka::DisplayBlock block{0, 0};
    orn::Lock lock;  // the value is copied before the lock is released
    if (!orn::CallFirmware(function, &block)) return FALSE;
    *value = block.value;
    return TRUE;
}

}  // namespace

extern "C" {

ORNAPI BOOL OrnBacklightCtrl(BOOL on) { return Send(zoka::BacklightCtrl, BYTE(on)); }
ORNAPI BOOL OrnGetBacklightValue(BYTE* value) { return Fetch(zoka::GetBacklightValue, value); }
ORNAPI BOOL OrnSetBacklightValue(BYTE value) { return Send(zoka::SetBacklightValue, value); }
ORNAPI BOOL OrnGetContrastValue(BYTE* value) { return Fetch(zoka::GetContrastValue, value); }
ORNAPI BOOL OrnSetContrastValue(BYTE value) { return Send(zoka::SetContrastValue, value); }

}  // extern "C"
