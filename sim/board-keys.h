// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// board-keys.h - the sections of a board file and the keys of each: the
// one list the parser knows them by and `ornsim-trace --board-keys` prints
// (for the manual's check and the fuzzer's dictionary). The [ports]
// section's keys are port numbers, so it has none here.
#pragma once

#include <cstddef>
#include <string_view>

namespace ornsim_board {

enum class Section {
    None, Firmware, Board, Cpu, Nvram, I2cBus, I2cDevice, TempSensor, VoltSensor,
    Watchdog, Display, System, Battery, Ports, Fault,
};

// How many times a section may appear: once, or up to `most` times for a
// repeatable one. Every object of a board lives in every process that uses
// it, so none is unbounded.
struct SectionName {
    std::string_view name;
    Section section;
    size_t most;
    bool repeatable() const { return most > 1; }
};

constexpr SectionName kSections[] = {
    {"firmware", Section::Firmware, 1},         {"board", Section::Board, 1},
    {"cpu", Section::Cpu, 1},                   {"nvram", Section::Nvram, 16},
    {"i2c-bus", Section::I2cBus, 256},          {"i2c-device", Section::I2cDevice, 1024},
    {"temp-sensor", Section::TempSensor, 256},  {"volt-sensor", Section::VoltSensor, 256},
    {"watchdog", Section::Watchdog, 1},         {"display", Section::Display, 1},
    {"system", Section::System, 1},             {"battery", Section::Battery, 256},
    {"ports", Section::Ports, 1},               {"fault", Section::Fault, 1024},
};

// X(section, name in code, name in the file)
#define ORNSIM_BOARD_KEYS(X) \
    X(Firmware, Zoka, "zoka") \
    X(Board, Platform, "platform") \
    X(Board, Sysbios, "sysbios") \
    X(Board, Bbversion, "bbversion") \
    X(Board, Hwrevision, "hwrevision") \
    X(Board, Serial, "serial") \
    X(Board, Bootcounter, "bootcounter") \
    X(Board, Optime, "optime") \
    X(Board, Counters, "counters") \
    X(Board, OptimeUnit, "optime-unit") \
    X(Board, Manufactured, "manufactured") \
    X(Board, Maintained, "maintained") \
    X(Board, ConfigSize, "config-size") \
    X(Board, Config, "config") \
    X(Board, ConfigFill, "config-fill") \
    X(Board, ConfigFile, "config-file") \
    X(Cpu, Class, "class") \
    X(Cpu, Count, "count") \
    X(Cpu, Speed, "speed") \
    X(Cpu, Model, "model") \
    X(Cpu, Stepping, "stepping") \
    X(Cpu, String, "string") \
    X(Nvram, Type, "type") \
    X(Nvram, Size, "size") \
    X(Nvram, Flags, "flags") \
    X(Nvram, Manufacturer, "manufacturer") \
    X(Nvram, Device, "device") \
    X(Nvram, BlockSize, "block-size") \
    X(Nvram, BlockFlags, "block-flags") \
    X(Nvram, Locked, "locked") \
    X(Nvram, Data, "data") \
    X(Nvram, Fill, "fill") \
    X(Nvram, File, "file") \
    X(I2cBus, Id, "id") \
    X(I2cBus, Name, "name") \
    X(I2cBus, Flags, "flags") \
    X(I2cBus, MaxBlock, "max-block") \
    X(I2cDevice, Bus, "bus") \
    X(I2cDevice, Address, "address") \
    X(I2cDevice, Size, "size") \
    X(I2cDevice, Readonly, "readonly") \
    X(I2cDevice, Data, "data") \
    X(I2cDevice, Fill, "fill") \
    X(I2cDevice, File, "file") \
    X(TempSensor, Type, "type") \
    X(TempSensor, Name, "name") \
    X(TempSensor, Value, "value") \
    X(TempSensor, Values, "values") \
    X(TempSensor, Ramp, "ramp") \
    X(VoltSensor, Nominal, "nominal") \
    X(VoltSensor, Name, "name") \
    X(VoltSensor, Value, "value") \
    X(VoltSensor, Values, "values") \
    X(VoltSensor, Ramp, "ramp") \
    X(Watchdog, Status, "status") \
    X(Watchdog, Timer, "timer") \
    X(Watchdog, Kill, "kill") \
    X(Watchdog, Unit, "unit") \
    X(Display, Backlight, "backlight") \
    X(Display, Brightness, "brightness") \
    X(Display, Contrast, "contrast") \
    X(System, Misc, "misc") \
    X(System, Power, "power") \
    X(System, Iopl, "iopl") \
    X(Battery, DeviceName, "device-name") \
    X(Battery, Serial, "serial") \
    X(Battery, Type, "type") \
    X(Battery, Manufacturer, "manufacturer") \
    X(Battery, Unit, "unit") \
    X(Battery, DesignCapacity, "design-capacity") \
    X(Battery, FullChargeCapacity, "full-charge-capacity") \
    X(Battery, DesignVoltage, "design-voltage") \
    X(Battery, Status, "status") \
    X(Battery, Rate, "rate") \
    X(Battery, Remaining, "remaining") \
    X(Battery, Voltage, "voltage") \
    X(Fault, Function, "function") \
    X(Fault, Index, "index") \
    X(Fault, Call, "call") \
    X(Fault, Status, "status") \
    X(Fault, Count, "count")

enum class KeyId {
#define ORNSIM_KEY_ID(section, id, name) section##id,
    ORNSIM_BOARD_KEYS(ORNSIM_KEY_ID)
#undef ORNSIM_KEY_ID
};

struct KeyName {
    Section section;
    KeyId key;
    std::string_view name;
};

constexpr KeyName kBoardKeys[] = {
#define ORNSIM_KEY_NAME(section, id, name) {Section::section, KeyId::section##id, name},
    ORNSIM_BOARD_KEYS(ORNSIM_KEY_NAME)
#undef ORNSIM_KEY_NAME
};

}  // namespace ornsim_board
