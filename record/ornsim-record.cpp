// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// ornsim-record: reads a board through the library (on whichever backend
// the environment chooses: the board's own firmware by default) and writes
// a board file of the virtual board that answers as it did, its twin.
// Reading never writes: I2C devices are probed only where the user says,
// ports read only where the user names them. What the firmware answers
// with an error is recorded as that error (a fault rule).
#include <stdlib.h>
#include <time.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "board-keys.h"
#include "ornsyslx.h"
#include "zoka.h"

namespace {

constexpr int kUsageExit = -9;  // 247, as the tool's usage errors
constexpr int kFailureExit = -1;

const char kUsage[] =
    "usage: ornsim-record [--i2c BUS:FIRST-LAST | --i2c all]... [--ports PORT[-PORT][,...]]\n"
    "                     [--write-probe] [-o FILE]\n"
    "  reads the board through the library (ORNSYS_BACKEND chooses how) and writes\n"
    "  a board file of the virtual board that answers as it does; reading never\n"
    "  writes. --i2c probes the devices of a bus between two addresses (repeatable;\n"
    "  all: every bus, every address), --ports reads the ports named,\n"
    "  --write-probe writes each I2C device's first byte back as it was read, to\n"
    "  tell the read-only ones (a write: only where that is safe).\n";

struct I2cRange {
    int bus;  // -1: every bus
    int first, last;
};

struct Options {
    std::vector<I2cRange> i2c;
    std::vector<std::pair<int, int>> ports;
    const char* output = nullptr;
    bool writeProbe = false;
    std::string words;  // as given, for the header
};

bool Number(const std::string& text, long most, int& value) {
    char* end = nullptr;
    errno = 0;
    long parsed = strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || errno != 0 || parsed < 0 || parsed > most) return false;
    value = int(parsed);
    return true;
}

// "A-B" or "A" within 0..most.
bool Range(const std::string& text, long most, int& first, int& last) {
    size_t dash = text.find('-');
    if (!Number(text.substr(0, dash), most, first)) return false;
    if (dash == std::string::npos) return (last = first), true;
    return Number(text.substr(dash + 1), most, last) && last >= first;
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--write-probe") {
            o.writeProbe = true;
            o.words += " " + word;
            continue;
        }
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        o.words += " " + word + " " + value;
        if (word == "--i2c") {
            if (value == "all") {
                o.i2c.push_back({-1, 0, 0xFF});
                continue;
            }
            size_t colon = value.find(':');
            I2cRange r{};
            if (colon == std::string::npos || !Number(value.substr(0, colon), 0xFF, r.bus) ||
                !Range(value.substr(colon + 1), 0xFF, r.first, r.last))
                return false;
            o.i2c.push_back(r);
        } else if (word == "--ports") {
            for (size_t at = 0; at <= value.size();) {
                size_t comma = value.find(',', at);
                if (comma == std::string::npos) comma = value.size();
                int first, last;
                if (!Range(value.substr(at, comma - at), 0xFFFF, first, last)) return false;
                o.ports.emplace_back(first, last);
                at = comma + 1;
            }
        } else if (word == "-o") {
            o.output = argv[i];
        } else {
            return false;
        }
    }
    return true;
}

using ornsim_board::KeyId;

const char* Name(KeyId key) {
    for (const auto& entry : ornsim_board::kBoardKeys)
        if (entry.key == key) return entry.name.data();  // the table's names are literals: terminated
    return "?";
}

DWORD LastError() {
    DWORD code = 0;
    OrnGetLastError(&code, nullptr, 0);
    return code;
}

// Writes the board file as it is read.
class Recorder {
public:
    explicit Recorder(FILE* out) : out_(out) {}

    void Blank() { fputc('\n', out_); }

    // "key = value": the key's name from the board file's table.
    void Set(KeyId key, const char* format, ...) __attribute__((format(printf, 3, 4))) {
        va_list args;
        va_start(args, format);
        fprintf(out_, "%s = ", Name(key));
        vfprintf(out_, format, args);
        va_end(args);
        fputc('\n', out_);
    }

    void Line(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        va_list args;
        va_start(args, format);
        vfprintf(out_, format, args);
        va_end(args);
        fputc('\n', out_);
    }

    // A text field of `size` bytes as a quoted board-file text of at most
    // `most` characters; a longer one is cut, and said so.
    void Text(KeyId key, const CHAR* field, size_t size, size_t most) {
        size_t length = strnlen(field, size);
        if (length > most) {
            Line("# %s: %zu characters, of which a board file keeps %zu", Name(key), length, most);
            length = most;
        }
        std::string text = "\"";
        for (size_t i = 0; i < length; ++i) {
            const unsigned char c = static_cast<unsigned char>(field[i]);
            if (c == '"' || c == '\\') text += std::string("\\") + char(c);
            else if (c >= 0x20 && c < 0x7F) text += char(c);
            else {
                char escape[8];
                snprintf(escape, sizeof escape, "\\x%02x", c);
                text += escape;
            }
        }
        Set(key, "%s\"", text.c_str());
    }

    // Contents: the most frequent byte as the fill, the rest as byte lists
    // of 16 (runs of the fill between them skipped by starting a new list
    // only where bytes differ: a list always starts at offset 0, so runs are
    // written out unless they trail).
    void Contents(KeyId listKey, KeyId fillKey, const std::vector<BYTE>& bytes) {
        size_t end = bytes.size();
        const BYTE fill = end ? bytes[end - 1] : 0;
        while (end > 0 && bytes[end - 1] == fill) --end;
        Set(fillKey, "0x%02x", fill);
        for (size_t at = 0; at < end; at += 16) {
            std::string line;
            for (size_t i = at; i < end && i < at + 16; ++i) {
                char pair[4];
                snprintf(pair, sizeof pair, "%s%02x", i == at ? "" : " ", bytes[i]);
                line += pair;
            }
            Set(listKey, "%s", line.c_str());
        }
    }

    // The firmware's failure of a function, as a fault rule of the twin.
    void Fault(DWORD function, long index, DWORD status) {
        faults_.push_back({function, index, status});
    }

    // Block reads on a bus that report `count` whatever was asked.
    void CountFault(BYTE bus, DWORD count) { faults_.push_back({zoka::I2CReadBlock, bus, count, true}); }

    void Faults() {
        for (const auto& f : faults_) {
            Blank();
            Line("[fault]");
            Set(KeyId::FaultFunction, "0x%02x", unsigned(f.function));
            if (f.index >= 0) Set(KeyId::FaultIndex, "%ld", f.index);
            if (f.count) Set(KeyId::FaultCount, "%u", unsigned(f.status));
            else Set(KeyId::FaultStatus, "0x%04x", unsigned(f.status));
        }
    }

private:
    struct FaultRule {
        DWORD function;
        long index;
        DWORD status;  // or the count reported, for a count rule
        bool count = false;
    };
    FILE* out_;
    std::vector<FaultRule> faults_;
};

// How many objects a family has when its count cannot be read: the
// indices its query answers for, up to the first it does not.
template <typename Query>
DWORD Discover(Query query, DWORD most) {
    DWORD n = 0;
    while (n < most && query(n)) ++n;
    return n;
}

void Date(Recorder& r, KeyId key, const BIOSTIME& t) {
    if (t.Day == 0 && t.Month == 0 && t.Year == 0 && t.Hour == 0 && t.Minute == 0) return;
    r.Set(key, "%02x.%02x.%04x %02x:%02x", t.Day, t.Month, unsigned(t.Year), t.Hour, t.Minute);
}

void RecordBoard(Recorder& r) {
    BOARDINFO info{};
    r.Blank();
    r.Line("[board]");
    if (OrnGetBoardInfo(&info)) {
        r.Text(KeyId::BoardPlatform, info.HWPlatform, 16, 15);
        r.Text(KeyId::BoardSysbios, info.SysBIOSVersion, 16, 15);
        r.Text(KeyId::BoardBbversion, info.BBVersion, 16, 15);
        r.Text(KeyId::BoardHwrevision, info.HWRevision, 16, 15);
        r.Text(KeyId::BoardSerial, info.SerialNumber, 16, 15);
        r.Set(KeyId::BoardBootcounter, "%u", unsigned(info.BootCounter));
        r.Set(KeyId::BoardOptime, "%u", unsigned(info.OperatingTime));
        Date(r, KeyId::BoardManufactured, info.ManufacturingDate);
        Date(r, KeyId::BoardMaintained, info.MaintenanceTime);
    } else {
        r.Fault(zoka::GetBoardInfo, -1, LastError());
    }
    DWORD size = 0;
    if (!OrnGetBoardCfgSize(&size)) {
        r.Fault(zoka::GetBoardCfgSize, -1, LastError());
        return;
    }
    r.Set(KeyId::BoardConfigSize, "%u", unsigned(size));
    std::vector<BYTE> config(size ? size : 1);
    if (OrnGetBoardCfg(config.data())) {
        config.resize(size);
        r.Contents(KeyId::BoardConfig, KeyId::BoardConfigFill, config);
    } else {
        r.Fault(zoka::GetBoardCfg, -1, LastError());
    }
}

void RecordCpu(Recorder& r) {
    CPUINFO cpu{};
    cpu.CPUInfoSize = sizeof cpu;
    if (!OrnGetCPUInfo(&cpu)) return r.Fault(zoka::GetCPUInfo, -1, LastError());
    r.Blank();
    r.Line("[cpu]");
    r.Set(KeyId::CpuClass, "0x%02x", cpu.CPUClass);
    r.Set(KeyId::CpuCount, "%u", cpu.CPUCount);
    r.Set(KeyId::CpuSpeed, "%u", cpu.CPUSpeed);
    r.Set(KeyId::CpuModel, "%u", cpu.CPUModel);
    r.Set(KeyId::CpuStepping, "%u", cpu.CPUStepping);
    r.Text(KeyId::CpuString, cpu.CPUString, 64, 63);
}

// An NVRAM's contents, in pieces so that a large one shows its progress.
bool ReadNVRam(DWORD index, DWORD size, std::vector<BYTE>& bytes, DWORD& status) {
    constexpr DWORD kPiece = 4096;
    bytes.assign(size, 0);
    for (DWORD at = 0; at < size; at += kPiece) {
        DWORD count = 0, length = size - at < kPiece ? size - at : kPiece;
        if (!OrnReadNVRam(index, at, length, bytes.data() + at, &count) || count != length) {
            status = LastError();
            return false;
        }
        if (size > 64 * 1024) fprintf(stderr, "\rornsim-record: NVRAM %u: %u of %u bytes", unsigned(index),
                                      unsigned(at + length), unsigned(size));
    }
    if (size > 64 * 1024) fputc('\n', stderr);
    return true;
}

void RecordNVRams(Recorder& r) {
    DWORD count = 0;
    if (!OrnGetNVRamCount(&count)) {
        r.Fault(zoka::GetNVRamCount, -1, LastError());
        count = Discover([](DWORD i) { NVRAMINFO info; return OrnGetNVRamInfo(i, &info); }, zoka::kMaxNVRams);
    }
    for (DWORD i = 0; i < count; ++i) {
        NVRAMINFO info{};
        r.Blank();
        r.Line("[nvram]");
        if (!OrnGetNVRamInfo(i, &info)) {
            // The library asks the firmware only about indexes a board can
            // carry (the rest it refuses itself); the twin keeps the count,
            // and the firmware's refusal.
            const DWORD status = LastError();
            r.Line("# no description: status 0x%04x", unsigned(status));
            r.Set(KeyId::NvramType, "0");
            r.Set(KeyId::NvramSize, "1");
            if (i < zoka::kMaxNVRams) r.Fault(zoka::GetNVRamInfo, long(i), status);
            continue;
        }
        r.Set(KeyId::NvramType, "%u", unsigned(info.NVRamType));
        r.Set(KeyId::NvramSize, "%u", unsigned(info.NVRamSize));
        r.Set(KeyId::NvramFlags, "%u", unsigned(info.NVRamFlags));
        if (info.NVRamType == NVRamFlash) {
            NVDEVICEINFO device{};
            device.NVDeviceInfoSize = sizeof device;
            if (OrnGetNVDeviceInfo(i, &device)) {
                r.Set(KeyId::NvramManufacturer, "0x%04x", device.NVManufacturerID);
                r.Set(KeyId::NvramDevice, "0x%04x", device.NVDeviceID);
                NVBLOCKINFO block{};
                block.NVBlockInfoSize = sizeof block;
                if (device.NVBlockCount > 0 && OrnQueryNVBlock(i, 0, &block)) {
                    r.Set(KeyId::NvramBlockSize, "%u", unsigned(block.NVBlockSize));
                    r.Set(KeyId::NvramBlockFlags, "%u", unsigned(block.NVBlockFlags));
                } else if (device.NVBlockCount > 0) {
                    r.Set(KeyId::NvramBlockSize, "%u", unsigned(info.NVRamSize / device.NVBlockCount));
                    r.Fault(zoka::QueryNVBlock, long(i), LastError());
                }
                r.Line("# block locks cannot be read: the twin's blocks start unlocked");
            } else {
                r.Fault(zoka::GetNVDeviceInfo, long(i), LastError());
            }
        }
        if (!(info.NVRamFlags & 1)) {
            r.Line("# not readable: the twin's contents are its default fill");
            continue;
        }
        std::vector<BYTE> bytes;
        DWORD status = 0;
        if (ReadNVRam(i, info.NVRamSize, bytes, status)) r.Contents(KeyId::NvramData, KeyId::NvramFill, bytes);
        else r.Fault(zoka::ReadNVRam, long(i), status);
    }
}

// The smallest period of a device's bytes read over the whole 16-bit offset
// range: the size at which the device wraps, as the twin's device does.
size_t Period(const std::vector<BYTE>& bytes) {
    std::vector<size_t> border(bytes.size(), 0);
    for (size_t i = 1, k = 0; i < bytes.size(); ++i) {
        while (k > 0 && bytes[i] != bytes[k]) k = border[k - 1];
        if (bytes[i] == bytes[k]) ++k;
        border[i] = k;
    }
    return bytes.empty() ? 1 : bytes.size() - border.back();
}

// A device's memory: the whole 16-bit range in the bus's largest blocks
// (protocol 2), or 256 bytes of 8-bit offsets where the bus has no 16-bit
// protocol.
// A block read that reports more bytes than were asked for (a misbehaving
// firmware) leaves that count in `misreported`; the bytes read stop where
// the request did.
bool ReadDevice(BYTE bus, BYTE address, DWORD maxBlock, std::vector<BYTE>& bytes, DWORD& status,
                DWORD& misreported) {
    for (BYTE protocol : {BYTE(2), BYTE(1)}) {
        const size_t size = protocol == 2 ? 0x10000 : 0x100;
        bytes.assign(size, 0);
        bool whole = true;
        for (size_t at = 0; at < size && whole;) {
            const DWORD asked = DWORD(size - at) < maxBlock ? DWORD(size - at) : maxBlock;
            DWORD count = asked;
            whole = OrnI2CReadBlock(bus, address, WORD(at), bytes.data() + at, &count, protocol) && count > 0;
            if (count > asked) misreported = count;
            at += count < asked ? count : asked;
        }
        if (whole) return true;
        status = LastError();
        if (status != ORN_BIOS_I2C_PROTOCOL) return false;
    }
    return false;
}

void RecordI2C(Recorder& r, const Options& o) {
    DWORD count = 0;
    if (!OrnGetI2CBusCount(&count)) {
        r.Fault(zoka::GetI2CBusCount, -1, LastError());
        count = Discover([](DWORD i) { I2CBUSINFO info{}; info.I2CBusInfoSize = sizeof info;
                                       return OrnQueryI2CBus(i, &info); },
                         256);
    }
    struct Bus {
        I2CBUSINFO info;
    };
    std::vector<Bus> buses;
    for (DWORD i = 0; i < count; ++i) {
        I2CBUSINFO info{};
        info.I2CBusInfoSize = sizeof info;
        r.Blank();
        r.Line("[i2c-bus]");
        if (!OrnQueryI2CBus(i, &info)) {
            r.Line("# no description: status 0x%04x; an id no other bus has", unsigned(LastError()));
            r.Set(KeyId::I2cBusId, "%u", unsigned(0xFF - i));
            r.Fault(zoka::QueryI2CBus, long(i), LastError());
            continue;
        }
        r.Set(KeyId::I2cBusId, "%u", info.I2CBusID);
        r.Text(KeyId::I2cBusName, info.I2CBusString, 8, 8);
        r.Set(KeyId::I2cBusFlags, "0x%x", unsigned(info.I2CBusFlags));
        r.Set(KeyId::I2cBusMaxBlock, "%u", unsigned(info.I2CMaxBlockSize));
        buses.push_back({info});
    }
    for (const Bus& b : buses) {
        const BYTE bus = b.info.I2CBusID;
        for (int address = 0; address <= 0xFF; ++address) {
            bool wanted = false;
            for (const I2cRange& range : o.i2c)
                wanted |= (range.bus < 0 || range.bus == bus) && address >= range.first && address <= range.last;
            BYTE probe = 0;
            if (!wanted || !OrnI2CRead8(bus, BYTE(address), 0, &probe, 1)) continue;
            std::vector<BYTE> bytes;
            DWORD status = 0;
            const DWORD maxBlock = b.info.I2CMaxBlockSize ? b.info.I2CMaxBlockSize : 1;
            r.Blank();
            r.Line("[i2c-device]");
            r.Set(KeyId::I2cDeviceBus, "%u", bus);
            r.Set(KeyId::I2cDeviceAddress, "0x%02x", unsigned(address));
            if (!o.writeProbe) r.Line("# read-only or not cannot be told by reading: the twin takes writes");
            else if (!OrnI2CWrite8(bus, BYTE(address), 0, probe, 1) && LastError() == ORN_BIOS_I2C_NO_ACK)
                r.Set(KeyId::I2cDeviceReadonly, "yes");
            DWORD misreported = 0;
            if (!ReadDevice(bus, BYTE(address), maxBlock, bytes, status, misreported)) {
                r.Line("# its memory could not be read: status 0x%04x", unsigned(status));
                continue;
            }
            bytes.resize(Period(bytes));
            r.Set(KeyId::I2cDeviceSize, "%zu", bytes.size());
            r.Contents(KeyId::I2cDeviceData, KeyId::I2cDeviceFill, bytes);
            if (misreported) r.CountFault(bus, misreported);
        }
    }
}

void RecordSensors(Recorder& r) {
    DWORD count = 0;
    if (!OrnGetThermSensorCount(&count)) {
        r.Fault(zoka::GetThermSensorCount, -1, LastError());
        count = Discover([](DWORD i) { SDWORD value; return OrnGetThermSensorValue(i, &value); },
                         256);
    }
    for (DWORD i = 0; i < count; ++i) {
        TSENSORINFO info{};
        info.TSensorInfoSize = sizeof info;
        SDWORD value = 0;
        r.Blank();
        r.Line("[temp-sensor]");
        if (OrnQueryThermSensor(i, &info)) {
            r.Set(KeyId::TempSensorType, "%u", unsigned(info.SensorType));
            r.Text(KeyId::TempSensorName, info.SensorString, 8, 8);
        } else {
            r.Fault(zoka::QueryThermSensor, long(i), LastError());
        }
        if (OrnGetThermSensorValue(i, &value)) r.Set(KeyId::TempSensorValue, "%d", int(value));
        else r.Fault(zoka::GetThermSensorValue, long(i), LastError());
    }
    if (!OrnGetVoltSensorCount(&count)) {
        r.Fault(zoka::GetVoltSensorCount, -1, LastError());
        count = Discover([](DWORD i) { SDWORD value; return OrnGetVoltSensorValue(i, &value); },
                         256);
    }
    for (DWORD i = 0; i < count; ++i) {
        VSENSORINFO info{};
        info.VSensorInfoSize = sizeof info;
        SDWORD value = 0;
        r.Blank();
        r.Line("[volt-sensor]");
        if (OrnQueryVoltSensor(i, &info)) {
            if (info.NominalValue == VSENSOR_NOMINAL_UNKNOWN) r.Set(KeyId::VoltSensorNominal, "unknown");
            else r.Set(KeyId::VoltSensorNominal, "%d", int(info.NominalValue));
            r.Text(KeyId::VoltSensorName, info.SensorString, 8, 8);
        } else {
            r.Fault(zoka::QueryVoltSensor, long(i), LastError());
        }
        if (OrnGetVoltSensorValue(i, &value)) r.Set(KeyId::VoltSensorValue, "%d", int(value));
        else r.Fault(zoka::GetVoltSensorValue, long(i), LastError());
    }
}

void Value(Recorder& r, KeyId key, DWORD value) {
    if (value == BATTERY_VALUE_UNKNOWN) r.Set(key, "unknown");
    else r.Set(key, "%u", unsigned(value));
}

void RecordSystem(Recorder& r, const Options& o) {
    BYTE status = 0;
    r.Blank();
    r.Line("[watchdog]");
    if (OrnWDGetStatus(&status)) r.Set(KeyId::WatchdogStatus, "%u", status);
    else r.Fault(zoka::WDGetStatus, -1, LastError());

    BYTE brightness = 0, contrast = 0;
    r.Blank();
    r.Line("[display]");
    r.Line("# on or off cannot be read: the twin's backlight is on");
    if (OrnGetBacklightValue(&brightness)) r.Set(KeyId::DisplayBrightness, "0x%02x", brightness);
    else r.Fault(zoka::GetBacklightValue, -1, LastError());
    if (OrnGetContrastValue(&contrast)) r.Set(KeyId::DisplayContrast, "0x%02x", contrast);
    else r.Fault(zoka::GetContrastValue, -1, LastError());

    SYSTEMSTATE state{};
    state.SystemStateSize = sizeof state;
    r.Blank();
    r.Line("[system]");
    if (OrnGetSystemState(&state)) {
        r.Set(KeyId::SystemMisc, "0x%x", unsigned(state.MiscState));
        r.Set(KeyId::SystemPower, "0x%x", unsigned(state.PowerState));
    } else {
        r.Fault(zoka::GetSystemState, -1, LastError());
    }
    std::vector<std::pair<int, BYTE>> ports;
    for (const auto& [first, last] : o.ports) {
        for (int port = first; port <= last; ++port) {
            OEMACCESS access{OEM_ACCESS_PORT, DWORD(port), 0, 0, OEM_DATA_BYTE, 0};
            if (!OrnOEMRead(&access)) {
                if (LastError() == ORN_BIOS_DATA_ACCESS) r.Set(KeyId::SystemIopl, "deny");
                ports.clear();
                break;
            }
            ports.emplace_back(port, BYTE(access.DataValue));
        }
    }

    DWORD count = 0;
    if (!OrnGetBatteryCount(&count)) {
        r.Fault(zoka::GetBatteryCount, -1, LastError());
        count = Discover([](DWORD i) { BATTERYSTATE state{}; state.BatteryStateSize = sizeof state;
                                       return OrnGetBatteryState(i, &state); },
                         256);
    }
    for (DWORD i = 0; i < count; ++i) {
        BATTERYINFO info{};
        info.BatteryInfoSize = sizeof info;
        BATTERYSTATE battery{};
        battery.BatteryStateSize = sizeof battery;
        r.Blank();
        r.Line("[battery]");
        if (OrnGetBatteryInfo(i, &info)) {
            r.Set(KeyId::BatteryUnit, "%u", unsigned(info.PowerUnit));
            Value(r, KeyId::BatteryDesignCapacity, info.DesignCapacity);
            Value(r, KeyId::BatteryFullChargeCapacity, info.FullChargeCapacity);
            Value(r, KeyId::BatteryDesignVoltage, info.DesignVoltage);
            r.Text(KeyId::BatteryDeviceName, info.DeviceName, 16, 16);
            r.Text(KeyId::BatterySerial, info.SerialNumber, 16, 16);
            r.Text(KeyId::BatteryType, info.BatteryType, 16, 16);
            r.Text(KeyId::BatteryManufacturer, info.Manufacturer, 16, 16);
        } else {
            r.Fault(zoka::GetBatteryInfo, long(i), LastError());
        }
        if (OrnGetBatteryState(i, &battery)) {
            Value(r, KeyId::BatteryStatus, battery.Status);
            Value(r, KeyId::BatteryRate, battery.CurrentRate);
            Value(r, KeyId::BatteryRemaining, battery.RemainingCapacity);
            Value(r, KeyId::BatteryVoltage, battery.Voltage);
        } else {
            r.Fault(zoka::GetBatteryState, long(i), LastError());
        }
    }
    if (!ports.empty()) {
        r.Blank();
        r.Line("[ports]");
        for (const auto& [port, value] : ports) r.Line("0x%04x = 0x%02x", unsigned(port), value);
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        fputs(kUsage, stdout);
        return kUsageExit & 0xFF;
    }
    FILE* out = o.output ? fopen(o.output, "w") : stdout;
    if (out == nullptr) {
        fprintf(stderr, "ornsim-record: could not open file %s for write access\n", o.output);
        return -10 & 0xFF;
    }
    if (!OrnOpen()) {
        char message[64] = {};
        DWORD code = 0;
        OrnGetLastError(&code, message, sizeof message - 1);
        printf("ORNSYS ERROR: %s !\n\n", message);
        fprintf(stderr, "ornsim-record: OrnOpen() failed!\n");
        return kFailureExit & 0xFF;
    }
    Recorder r(out);
    const char* backend = secure_getenv("ORNSYS_BACKEND");
    char when[32];
    const time_t now = time(nullptr);
    strftime(when, sizeof when, "%Y-%m-%d %H:%M UTC", gmtime(&now));
    r.Line("# the twin of a board, recorded by ornsim-record on %s", when);
    r.Line("# from the %s backend, with the options:%s", backend && *backend ? backend : "board",
           o.words.empty() ? " (none)" : o.words.c_str());
    r.Line("# values are those read once; lists, ramps and running counters are not recorded");
    RecordBoard(r);
    RecordCpu(r);
    RecordNVRams(r);
    RecordI2C(r, o);
    RecordSensors(r);
    RecordSystem(r, o);
    r.Faults();
    OrnClose();
    if (o.output && fclose(out) != 0) {
        fprintf(stderr, "ornsim-record: %s: %s\n", o.output, strerror(errno));
        return kFailureExit & 0xFF;
    }
    return 0;
}
