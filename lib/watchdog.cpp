// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Watchdog: configure, read the cause of the last reset, trigger.
#include "internal.h"

extern "C" {

ORNAPI BOOL OrnWDConfig(WORD delay, WORD timeout, WORD cmd) {
    if (!orn::BeginCall()) return FALSE;
    zoka::WDConfigBlock block{delay, timeout, cmd};
    return orn::LockedCall(zoka::WDConfig, &block);
}

ORNAPI BOOL OrnWDGetStatus(BYTE* status) {
    if (!orn::BeginCall({status})) return FALSE;
    BYTE block = 0;
    orn::Lock lock;  // the status is copied before the lock is released
    if (!orn::CallFirmware(zoka::WDGetStatus, &block)) return FALSE;
    *status = block;
    return TRUE;
}

ORNAPI BOOL OrnWDTrigger(void) {
    return orn::BeginCall() && orn::LockedCall(zoka::WDTrigger, nullptr);
}

}  // extern "C"
