// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// System state and batteries.
#include "internal.h"

extern "C" {

ORNAPI BOOL OrnGetSystemState(SYSTEMSTATE* state) {
    return orn::BeginCall({state}) && orn::LockedCall(zoka::GetSystemState, state);
}

ORNAPI BOOL OrnGetBatteryCount(DWORD* count) {
    return orn::BeginCall({count}) && orn::LockedCall(zoka::GetBatteryCount, count);
}

ORNAPI BOOL OrnGetBatteryInfo(DWORD index, BATTERYINFO* info) {
    return orn::QueryIndexedRecord(zoka::GetBatteryInfo, index, info);
}

ORNAPI BOOL OrnGetBatteryState(DWORD index, BATTERYSTATE* state) {
    return orn::QueryIndexedRecord(zoka::GetBatteryState, index, state);
}

}  // extern "C"
