// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// board.h - the virtual board's description as read from a board file.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ornsyst.h"

namespace ornsim_board {

// Contents of a memory: a raw file, then a byte list over it, then the fill.
struct Contents {
    std::vector<BYTE> list;
    std::optional<BYTE> fill;
    std::string file;
    int fileLine = 0;
    int listLine = 0;
};

struct Nvram {
    std::optional<DWORD> type, size;
    DWORD flags = 3;
    Contents contents;
    std::optional<WORD> manufacturer, device;
    std::optional<DWORD> blockSize, blockFlags;
    std::optional<bool> locked;
    int line = 0;
    DWORD blockCount() const { return *type == 3 ? *size / *blockSize : 0; }
};

struct I2cBus {
    std::optional<BYTE> id;
    CHAR name[8] = {};
    DWORD flags = 0;
    DWORD maxBlock = 32;
    int line = 0;
};

struct I2cDevice {
    std::optional<BYTE> bus, address;
    DWORD size = 256;
    Contents contents;
    bool readonly = false;
    int line = 0;
};

// How a value changes while the board runs. Fixed: the number the record
// holds. List: one entry per read, the last one kept once reached. Ramp:
// from `from` at power-on to `to` after `overMs` of the board's clock, then
// kept.
struct Live {
    enum class Kind { Fixed, List, Ramp } kind = Kind::Fixed;
    std::vector<int64_t> list;
    int64_t from = 0, to = 0;
    uint64_t overMs = 0;
};

struct TempSensor {
    DWORD type = 0;
    CHAR name[8] = {};
    SDWORD value = 0;
    Live live;
};

struct VoltSensor {
    SDWORD nominal = 0;
    CHAR name[8] = {};
    SDWORD value = 0;
    Live live;
};

// The fields of BATTERYSTATE after its size, in order, and of SYSTEMSTATE.
enum BatteryField { kBatteryStatus, kBatteryRate, kBatteryRemaining, kBatteryVoltage, kBatteryFields };
enum SystemField { kSystemMisc, kSystemPower, kSystemFields };

// Records are packed; kept on 4-byte boundaries here, their fields are at
// their natural alignment and can be set in place.
struct Battery {
    alignas(4) BATTERYINFO info{};
    alignas(4) BATTERYSTATE state{};
    Live live[kBatteryFields];
};


struct Fault {
    std::optional<DWORD> function, index, call, count;
    std::optional<WORD> status;
    int line = 0;
};

struct Board {
    bool zoka = true;
    alignas(4) BOARDINFO info{};
    alignas(4) CPUINFO cpu{};
    DWORD configSize = 256;
    Contents config;
    BYTE watchdogStatus = 0;
    bool watchdogTimer = false;   // the watchdog expires and resets the board
    uint32_t watchdogUnitMs = 1000;
    bool watchdogKill = false;    // a process alive at a reset ends at its next call
    bool countersRun = false;     // operating time follows the clock
    uint32_t optimeUnitSeconds = 3600;
    BYTE backlight = 1, brightness = 0x80, contrast = 0x40;
    DWORD misc = 0, power = 0;
    Live systemLive[kSystemFields];
    bool ioplAllowed = true;
    std::vector<std::pair<WORD, BYTE>> ports;
    std::vector<Nvram> nvrams;
    std::vector<I2cBus> buses;
    std::vector<I2cDevice> devices;
    std::vector<TempSensor> temps;
    std::vector<VoltSensor> volts;
    std::vector<Battery> batteries;
    std::vector<Fault> faults;
    std::string folder;  // where relative `file` names are looked up
    uid_t owner = uid_t(-1);  // the board file's owner: whose `file`s it may name
};

// Parses a board file's text. On failure returns false with one message
// line "ornsim: NAME:LINE: MESSAGE" (no newline) in `error`. `owner`: the
// board file's owner (see Board::owner).
bool Parse(std::string_view text, const std::string& name, const std::string& folder,
           Board& board, std::string& error, uid_t owner = uid_t(-1));

// The longest duration and the farthest the board's clock may run: 100
// years, so that every time in nanoseconds fits a signed 64-bit number.
constexpr uint64_t kMaxDurationMs = 3155760000000ull;

// A duration: a whole number with the unit ms, s, m or h ("90s"), at most
// kMaxDurationMs.
bool ParseDuration(std::string_view text, uint64_t& ms);

// Functions whose block starts with an index that a fault rule may match.
bool FunctionHasIndex(DWORD function);

// The default board, built into the simulator.
extern const char kDefaultBoard[];

}  // namespace ornsim_board
