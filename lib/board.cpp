// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Board information and configuration: the caller's record or buffer is the
// parameter block itself, so nothing is copied.
#include "internal.h"

extern "C" {

ORNAPI BOOL OrnGetBoardInfo(BOARDINFO* info) {
    return orn::BeginCall({info}) && orn::LockedCall(zoka::GetBoardInfo, info);
}

ORNAPI BOOL OrnGetCPUInfo(CPUINFO* info) {
    return orn::BeginCall({info}) && orn::LockedCall(zoka::GetCPUInfo, info);
}

ORNAPI BOOL OrnGetBoardCfgSize(DWORD* size) {
    return orn::BeginCall({size}) && orn::LockedCall(zoka::GetBoardCfgSize, size);
}

ORNAPI BOOL OrnGetBoardCfg(BYTE* buffer) {
    return orn::BeginCall({buffer}) && orn::LockedCall(zoka::GetBoardCfg, buffer);
}

ORNAPI BOOL OrnSetBoardCfg(BYTE* buffer) {
    return orn::BeginCall({buffer}) && orn::LockedCall(zoka::SetBoardCfg, buffer);
}

}  // extern "C"
