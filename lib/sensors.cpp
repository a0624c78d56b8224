// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Hardware monitor: temperature and voltage sensors, twin families.
#include "internal.h"

namespace {

BOOL Count(DWORD function, DWORD* count) {
    return orn::BeginCall({count}) && orn::LockedCall(function, count);
}

BOOL Value(DWORD function, DWORD index, SDWORD* value) {
    if (!orn::BeginCall({value})) return FALSE;
    zoka::SensorValueBlock block{};
    {
        orn::Lock lock;
        block.index = index;
        if (!orn::CallFirmware(function, &block)) return FALSE;
    }
    *value = block.value;
    return TRUE;
}

}  // namespace

extern "C" {

ORNAPI BOOL OrnGetThermSensorCount(DWORD* count) { return Count(zoka::GetThermSensorCount, count); }
ORNAPI BOOL OrnQueryThermSensor(DWORD index, TSENSORINFO* info) {
    return orn::QueryIndexedRecord(zoka::QueryThermSensor, index, info);
}
ORNAPI BOOL OrnGetThermSensorValue(DWORD index, SDWORD* value) {
    return Value(zoka::GetThermSensorValue, index, value);
}
ORNAPI BOOL OrnGetVoltSensorCount(DWORD* count) { return Count(zoka::GetVoltSensorCount, count); }
ORNAPI BOOL OrnQueryVoltSensor(DWORD index, VSENSORINFO* info) {
    return orn::QueryIndexedRecord(zoka::QueryVoltSensor, index, info);
}
ORNAPI BOOL OrnGetVoltSensorValue(DWORD index, SDWORD* value) {
    return Value(zoka::GetVoltSensorValue, index, value);
}

}  // extern "C"
