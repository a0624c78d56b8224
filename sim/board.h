// board.h - the virtual board's description as read from a board file.
#pragma once

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

struct TempSensor {
    DWORD type = 0;
    CHAR name[8] = {};
    SDWORD value = 0;
};

struct VoltSensor {
    SDWORD nominal = 0;
    CHAR name[8] = {};
    SDWORD value = 0;
};

// Records are packed; kept on 4-byte boundaries here, their fields are at
// their natural alignment and can be set in place.
struct Battery {
    alignas(4) BATTERYINFO info{};
    alignas(4) BATTERYSTATE state{};
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
    BYTE backlight = 1, brightness = 0x80, contrast = 0x40;
    DWORD misc = 0, power = 0;
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
};

// Parses a board file's text. On failure returns false with one message
// line "ornsim: NAME:LINE: MESSAGE" (no newline) in `error`.
bool Parse(std::string_view text, const std::string& name, const std::string& folder,
           Board& board, std::string& error);

// Functions whose block starts with an index that a fault rule may match.
bool FunctionHasIndex(DWORD function);

// The default board, built into the simulator.
extern const char kDefaultBoard[];

}  // namespace ornsim_board
