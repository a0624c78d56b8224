// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Fuzzes the board-file parser in memory; a board that parses is then
// loaded by the library and answers one call of every API function.
#include <stdlib.h>

#include <cstring>
#include <fstream>
#include <string>

#include "board.h"
#include "ornsyslx.h"
#include "scratch.h"

namespace {

// A record whose first field, its size, is set as a caller must set it.
template <typename Record>
Record Sized() {
    Record record{};
    const DWORD size = sizeof record;
    memcpy(&record, &size, sizeof size);
    return record;
}

// One call of every firmware-backed function with arguments a program
// would pass; the answers themselves are the firmware's business.
void CallEveryFunction() {
    BOARDINFO board;
    auto cpu = Sized<CPUINFO>();
    DWORD count = 0, size = 0;
    OrnGetBoardInfo(&board);
    OrnGetCPUInfo(&cpu);
    if (OrnGetBoardCfgSize(&size) && size <= 0x100000) {
        std::string config(size, '\0');
        auto* bytes = reinterpret_cast<BYTE*>(config.data());
        if (OrnGetBoardCfg(bytes)) OrnSetBoardCfg(bytes);
    }
    BYTE data[64] = {};
    if (OrnGetNVRamCount(&count)) {
        for (DWORD i = 0; i < count && i < 10; ++i) {
            NVRAMINFO info;
            auto device = Sized<NVDEVICEINFO>();
            auto block = Sized<NVBLOCKINFO>();
            DWORD moved;
            OrnGetNVRamInfo(i, &info);
            OrnReadNVRam(i, 0, sizeof data, data, &moved);
            OrnWriteNVRam(i, 1, 8, data, &moved);
            OrnGetNVDeviceInfo(i, &device);
            OrnQueryNVBlock(i, 0, &block);
            OrnNVDeviceRaw(i, 0, 1);
        }
    }
    if (OrnGetI2CBusCount(&count)) {
        for (DWORD i = 0; i < count && i < 8; ++i) {
            auto bus = Sized<I2CBUSINFO>();
            if (!OrnQueryI2CBus(i, &bus)) continue;
            WORD word;
            DWORD moved = sizeof data;
            OrnI2CRead8(bus.I2CBusID, 0x50, 0, data, 1);
            OrnI2CRead16(bus.I2CBusID, 0x50, 2, &word, 2);
            OrnI2CWrite8(bus.I2CBusID, 0x50, 0, 0x5A, 1);
            OrnI2CReadBlock(bus.I2CBusID, 0x50, 0, data, &moved, 0);
            moved = sizeof data;
            OrnI2CWriteBlock(bus.I2CBusID, 0x50, 0, data, &moved, 1);
        }
    }
    OrnWDConfig(1, 2, 3);
    OrnWDTrigger();
    OrnWDGetStatus(data);
    OrnBacklightCtrl(1);
    OrnGetBacklightValue(data);
    OrnSetContrastValue(7);
    SDWORD value;
    for (DWORD i = 0; i < 4; ++i) {
        auto temp = Sized<TSENSORINFO>();
        auto volt = Sized<VSENSORINFO>();
        OrnQueryThermSensor(i, &temp);
        OrnGetThermSensorValue(i, &value);
        OrnQueryVoltSensor(i, &volt);
        OrnGetVoltSensorValue(i, &value);
        auto battery = Sized<BATTERYINFO>();
        auto state = Sized<BATTERYSTATE>();
        OrnGetBatteryInfo(i, &battery);
        OrnGetBatteryState(i, &state);
    }
    auto system = Sized<SYSTEMSTATE>();
    OrnGetSystemState(&system);
    OrnOEMPassThru(0x12345678, data);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    ornsim_board::Board board;
    std::string error;
    fuzz::EmptyScratch();
    if (!ornsim_board::Parse(text, "fuzz.board", fuzz::ScratchFolder(), board, error)) return 0;
    const std::string path = fuzz::ScratchPath("fuzz.board");
    std::ofstream(path, std::ios::binary) << text;
    setenv("ORNSIM_BOARD", path.c_str(), 1);
    if (OrnOpen()) {
        CallEveryFunction();
        OrnClose();
    }
    return 0;
}
