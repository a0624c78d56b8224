// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// One call of every firmware-backed API function with the arguments a
// program would pass, its records' size fields set as a caller sets them.
// Each call says what it reaches: an NVRAM, an I2C bus (by its ID), a
// sensor or battery index, or nothing; the caller picks which.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "ornsyslx.h"
#include "zoka.h"

namespace every_call {

// A record whose first field, its size, is set as a caller must set it.
template <typename Record>
Record Sized() {
    Record record{};
    const DWORD size = sizeof record;
    memcpy(&record, &size, sizeof size);
    return record;
}

enum class Reach { kNothing, kNVRam, kBus, kIndex };

struct ApiCall {
    const char* name;
    Reach reach;
    BOOL (*call)(DWORD which);
};

inline BYTE gData[64];

inline constexpr ApiCall kCalls[] = {
    {"OrnGetDllVersion", Reach::kNothing, [](DWORD) { DWORD v; return OrnGetDllVersion(&v); }},
    {"OrnGetVersion", Reach::kNothing, [](DWORD) { WORD v; return OrnGetVersion(&v); }},
    {"OrnGetBoardInfo", Reach::kNothing, [](DWORD) { BOARDINFO r; return OrnGetBoardInfo(&r); }},
    {"OrnGetCPUInfo", Reach::kNothing, [](DWORD) { auto r = Sized<CPUINFO>(); return OrnGetCPUInfo(&r); }},
    {"OrnGetBoardCfg", Reach::kNothing,
     [](DWORD) -> BOOL {
         DWORD size = 0;
         if (!OrnGetBoardCfgSize(&size) || size > 0x100000) return FALSE;
         std::string config(size, '\0');
         auto* bytes = reinterpret_cast<BYTE*>(config.data());
         return OrnGetBoardCfg(bytes) && OrnSetBoardCfg(bytes);
     }},
    {"OrnGetNVRamCount", Reach::kNothing, [](DWORD) { DWORD n; return OrnGetNVRamCount(&n); }},
    {"OrnGetNVRamInfo", Reach::kNVRam, [](DWORD i) { NVRAMINFO r; return OrnGetNVRamInfo(i, &r); }},
    {"OrnReadNVRam", Reach::kNVRam, [](DWORD i) { DWORD n; return OrnReadNVRam(i, 0, sizeof gData, gData, &n); }},
    {"OrnWriteNVRam", Reach::kNVRam, [](DWORD i) { DWORD n; return OrnWriteNVRam(i, 1, 8, gData, &n); }},
    {"OrnGetNVDeviceInfo", Reach::kNVRam,
     [](DWORD i) { auto r = Sized<NVDEVICEINFO>(); return OrnGetNVDeviceInfo(i, &r); }},
    {"OrnQueryNVBlock", Reach::kNVRam, [](DWORD i) { auto r = Sized<NVBLOCKINFO>(); return OrnQueryNVBlock(i, 0, &r); }},
    {"OrnNVDeviceRaw", Reach::kNVRam, [](DWORD i) { return OrnNVDeviceRaw(i, 0, 1); }},
    {"OrnGetI2CBusCount", Reach::kNothing, [](DWORD) { DWORD n; return OrnGetI2CBusCount(&n); }},
    {"OrnQueryI2CBus", Reach::kIndex, [](DWORD i) { auto r = Sized<I2CBUSINFO>(); return OrnQueryI2CBus(i, &r); }},
    {"OrnI2CRead8", Reach::kBus, [](DWORD bus) { return OrnI2CRead8(bus, 0x50, 0, gData, 1); }},
    {"OrnI2CWrite8", Reach::kBus, [](DWORD bus) { return OrnI2CWrite8(bus, 0x50, 0, 0x5A, 1); }},
    {"OrnI2CRead16", Reach::kBus, [](DWORD bus) { WORD w; return OrnI2CRead16(bus, 0x50, 2, &w, 2); }},
    {"OrnI2CWrite16", Reach::kBus, [](DWORD bus) { return OrnI2CWrite16(bus, 0x50, 2, 0x1234, 2); }},
    {"OrnI2CReadBlock", Reach::kBus,
     [](DWORD bus) { DWORD n = sizeof gData; return OrnI2CReadBlock(bus, 0x50, 0, gData, &n, 0); }},
    {"OrnI2CWriteBlock", Reach::kBus,
     [](DWORD bus) { DWORD n = sizeof gData; return OrnI2CWriteBlock(bus, 0x50, 0, gData, &n, 1); }},
    {"OrnWDConfig", Reach::kNothing, [](DWORD) { return OrnWDConfig(1, 2, 3); }},
    {"OrnWDTrigger", Reach::kNothing, [](DWORD) { return OrnWDTrigger(); }},
    {"OrnWDGetStatus", Reach::kNothing, [](DWORD) { return OrnWDGetStatus(gData); }},
    {"OrnBacklightCtrl", Reach::kNothing, [](DWORD) { return OrnBacklightCtrl(1); }},
    {"OrnGetBacklightValue", Reach::kNothing, [](DWORD) { return OrnGetBacklightValue(gData); }},
    {"OrnSetContrastValue", Reach::kNothing, [](DWORD) { return OrnSetContrastValue(7); }},
    {"OrnGetThermSensorCount", Reach::kNothing, [](DWORD) { DWORD n; return OrnGetThermSensorCount(&n); }},
    {"OrnQueryThermSensor", Reach::kIndex,
     [](DWORD i) { auto r = Sized<TSENSORINFO>(); return OrnQueryThermSensor(i, &r); }},
    {"OrnGetThermSensorValue", Reach::kIndex, [](DWORD i) { SDWORD v; return OrnGetThermSensorValue(i, &v); }},
    {"OrnQueryVoltSensor", Reach::kIndex, [](DWORD i) { auto r = Sized<VSENSORINFO>(); return OrnQueryVoltSensor(i, &r); }},
    {"OrnGetVoltSensorValue", Reach::kIndex, [](DWORD i) { SDWORD v; return OrnGetVoltSensorValue(i, &v); }},
    {"OrnGetSystemState", Reach::kNothing, [](DWORD) { auto r = Sized<SYSTEMSTATE>(); return OrnGetSystemState(&r); }},
    {"OrnGetBatteryInfo", Reach::kIndex, [](DWORD i) { auto r = Sized<BATTERYINFO>(); return OrnGetBatteryInfo(i, &r); }},
    {"OrnGetBatteryState", Reach::kIndex,
     [](DWORD i) { auto r = Sized<BATTERYSTATE>(); return OrnGetBatteryState(i, &r); }},
    {"OrnOEMPassThru", Reach::kNothing, [](DWORD) { return OrnOEMPassThru(0x12345678, gData); }},
};

// Every function, on every NVRAM (as many as a board can carry), bus (up to 8) and the first
// four sensors and batteries the board may have; and a port written and read.
inline void OnEveryDevice() {
    DWORD nvrams = 0, buses = 0;
    OrnGetNVRamCount(&nvrams);
    OrnGetI2CBusCount(&buses);
    std::vector<DWORD> busIds;
    for (DWORD i = 0; i < buses && i < 8; ++i) {
        auto bus = Sized<I2CBUSINFO>();
        if (OrnQueryI2CBus(i, &bus)) busIds.push_back(bus.I2CBusID);
    }
    for (const ApiCall& c : kCalls) {
        if (c.reach == Reach::kNothing) c.call(0);
        for (DWORD i = 0; c.reach == Reach::kNVRam && i < nvrams && i < zoka::kMaxNVRams; ++i) c.call(i);
        for (DWORD i = 0; c.reach == Reach::kIndex && i < 4; ++i) c.call(i);
        for (DWORD id : busIds)
            if (c.reach == Reach::kBus) c.call(id);
    }
    OEMACCESS port{OEM_ACCESS_PORT, 0x80, 0, 0, OEM_DATA_BYTE, 0x12};
    OrnOEMWrite(&port);
    port.DataFlags = OEM_DATA_DWORD;
    OrnOEMRead(&port);
}

}  // namespace every_call
