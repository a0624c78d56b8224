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

#include "ornsyslx.h"

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

    void Line(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        va_list args;
        va_start(args, format);
        vfprintf(out_, format, args);
        va_end(args);
        fputc('\n', out_);
    }

    // A text field of `size` bytes as a quoted board-file text of at most
    // `most` characters; a longer one is cut, and said so.
    void Text(const char* key, const CHAR* field, size_t size, size_t most) {
        size_t length = strnlen(field, size);
        if (length > most) {
            Line("# %s: %zu characters, of which a board file keeps %zu", key, length, most);
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
        Line("%s = %s\"", key, text.c_str());
    }

    // Contents: the most frequent byte as the fill, the rest as byte lists
    // of 16 (runs of the fill between them skipped by starting a new list
    // only where bytes differ: a list always starts at offset 0, so runs are
    // written out unless they trail).
    void Contents(const char* listKey, const char* fillKey, const std::vector<BYTE>& bytes) {
        size_t end = bytes.size();
        const BYTE fill = end ? bytes[end - 1] : 0;
        while (end > 0 && bytes[end - 1] == fill) --end;
        Line("%s = 0x%02x", fillKey, fill);
        for (size_t at = 0; at < end; at += 16) {
            std::string line;
            for (size_t i = at; i < end && i < at + 16; ++i) {
                char pair[4];
                snprintf(pair, sizeof pair, "%s%02x", i == at ? "" : " ", bytes[i]);
                line += pair;
            }
            Line("%s = %s", listKey, line.c_str());
        }
    }

    // The firmware's failure of a function, as a fault rule of the twin.
    void Fault(DWORD function, long index, DWORD status) {
        faults_.push_back({function, index, status});
    }

    // Block reads on a bus that report `count` whatever was asked.
    void CountFault(BYTE bus, DWORD count) { faults_.push_back({0x27, bus, count, true}); }

    void Faults() {
        for (const auto& f : faults_) {
            Blank();
            Line("[fault]");
            Line("function = 0x%02x", unsigned(f.function));
            if (f.index >= 0) Line("index = %ld", f.index);
            if (f.count) Line("count = %u", unsigned(f.status));
            else Line("status = 0x%04x", unsigned(f.status));
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

void Date(Recorder& r, const char* key, const BIOSTIME& t) {
    if (t.Day == 0 && t.Month == 0 && t.Year == 0 && t.Hour == 0 && t.Minute == 0) return;
    r.Line("%s = %02x.%02x.%04x %02x:%02x", key, t.Day, t.Month, unsigned(t.Year), t.Hour, t.Minute);
}

void RecordBoard(Recorder& r) {
    BOARDINFO info{};
    r.Blank();
    r.Line("[board]");
    if (OrnGetBoardInfo(&info)) {
        r.Text("platform", info.HWPlatform, 16, 15);
        r.Text("sysbios", info.SysBIOSVersion, 16, 15);
        r.Text("bbversion", info.BBVersion, 16, 15);
        r.Text("hwrevision", info.HWRevision, 16, 15);
        r.Text("serial", info.SerialNumber, 16, 15);
        r.Line("bootcounter = %u", unsigned(info.BootCounter));
        r.Line("optime = %u", unsigned(info.OperatingTime));
        Date(r, "manufactured", info.ManufacturingDate);
        Date(r, "maintained", info.MaintenanceTime);
    } else {
        r.Fault(0x01, -1, LastError());
    }
    DWORD size = 0;
    if (!OrnGetBoardCfgSize(&size)) {
        r.Fault(0x04, -1, LastError());
        return;
    }
    r.Line("config-size = %u", unsigned(size));
    std::vector<BYTE> config(size ? size : 1);
    if (OrnGetBoardCfg(config.data())) {
        config.resize(size);
        r.Contents("config", "config-fill", config);
    } else {
        r.Fault(0x05, -1, LastError());
    }
}

void RecordCpu(Recorder& r) {
    CPUINFO cpu{};
    cpu.CPUInfoSize = sizeof cpu;
    if (!OrnGetCPUInfo(&cpu)) return r.Fault(0x03, -1, LastError());
    r.Blank();
    r.Line("[cpu]");
    r.Line("class = 0x%02x", cpu.CPUClass);
    r.Line("count = %u", cpu.CPUCount);
    r.Line("speed = %u", cpu.CPUSpeed);
    r.Line("model = %u", cpu.CPUModel);
    r.Line("stepping = %u", cpu.CPUStepping);
    r.Text("string", cpu.CPUString, 64, 63);
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
        r.Fault(0x11, -1, LastError());
        count = Discover([](DWORD i) { NVRAMINFO info; return OrnGetNVRamInfo(i, &info); }, 10);
    }
    for (DWORD i = 0; i < count; ++i) {
        NVRAMINFO info{};
        r.Blank();
        r.Line("[nvram]");
        if (!OrnGetNVRamInfo(i, &info)) {
            // The library asks about the first ten only (the rest it refuses
            // itself); the twin keeps the count, and the firmware's refusal.
            const DWORD status = LastError();
            r.Line("# no description: status 0x%04x", unsigned(status));
            r.Line("type = 0");
            r.Line("size = 1");
            if (i <= 9) r.Fault(0x12, long(i), status);
            continue;
        }
        r.Line("type = %u", unsigned(info.NVRamType));
        r.Line("size = %u", unsigned(info.NVRamSize));
        r.Line("flags = %u", unsigned(info.NVRamFlags));
        if (info.NVRamType == NVRamFlash) {
            NVDEVICEINFO device{};
            device.NVDeviceInfoSize = sizeof device;
            if (OrnGetNVDeviceInfo(i, &device)) {
                r.Line("manufacturer = 0x%04x", device.NVManufacturerID);
                r.Line("device = 0x%04x", device.NVDeviceID);
                NVBLOCKINFO block{};
                block.NVBlockInfoSize = sizeof block;
                if (device.NVBlockCount > 0 && OrnQueryNVBlock(i, 0, &block)) {
                    r.Line("block-size = %u", unsigned(block.NVBlockSize));
                    r.Line("block-flags = %u", unsigned(block.NVBlockFlags));
                } else if (device.NVBlockCount > 0) {
                    r.Line("block-size = %u", unsigned(info.NVRamSize / device.NVBlockCount));
                    r.Fault(0x16, long(i), LastError());
                }
                r.Line("# block locks cannot be read: the twin's blocks start unlocked");
            } else {
                r.Fault(0x15, long(i), LastError());
            }
        }
        if (!(info.NVRamFlags & 1)) {
            r.Line("# not readable: the twin's contents are its default fill");
            continue;
        }
        std::vector<BYTE> bytes;
        DWORD status = 0;
        if (ReadNVRam(i, info.NVRamSize, bytes, status)) r.Contents("data", "fill", bytes);
        else r.Fault(0x13, long(i), status);
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
        r.Fault(0x25, -1, LastError());
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
            r.Line("id = %u", unsigned(0xFF - i));
            r.Fault(0x26, long(i), LastError());
            continue;
        }
        r.Line("id = %u", info.I2CBusID);
        r.Text("name", info.I2CBusString, 8, 8);
        r.Line("flags = 0x%x", unsigned(info.I2CBusFlags));
        r.Line("max-block = %u", unsigned(info.I2CMaxBlockSize));
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
            r.Line("bus = %u", bus);
            r.Line("address = 0x%02x", unsigned(address));
            if (!o.writeProbe) r.Line("# read-only or not cannot be told by reading: the twin takes writes");
            else if (!OrnI2CWrite8(bus, BYTE(address), 0, probe, 1) && LastError() == ORN_BIOS_I2C_NO_ACK)
                r.Line("readonly = yes");
            DWORD misreported = 0;
            if (!ReadDevice(bus, BYTE(address), maxBlock, bytes, status, misreported)) {
                r.Line("# its memory could not be read: status 0x%04x", unsigned(status));
                continue;
            }
            bytes.resize(Period(bytes));
            r.Line("size = %zu", bytes.size());
            r.Contents("data", "fill", bytes);
            if (misreported) r.CountFault(bus, misreported);
        }
    }
}

void RecordSensors(Recorder& r) {
    DWORD count = 0;
    if (!OrnGetThermSensorCount(&count)) {
        r.Fault(0x51, -1, LastError());
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
            r.Line("type = %u", unsigned(info.SensorType));
            r.Text("name", info.SensorString, 8, 8);
        } else {
            r.Fault(0x52, long(i), LastError());
        }
        if (OrnGetThermSensorValue(i, &value)) r.Line("value = %d", int(value));
        else r.Fault(0x53, long(i), LastError());
    }
    if (!OrnGetVoltSensorCount(&count)) {
        r.Fault(0x54, -1, LastError());
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
            if (info.NominalValue == VSENSOR_NOMINAL_UNKNOWN) r.Line("nominal = unknown");
            else r.Line("nominal = %d", int(info.NominalValue));
            r.Text("name", info.SensorString, 8, 8);
        } else {
            r.Fault(0x55, long(i), LastError());
        }
        if (OrnGetVoltSensorValue(i, &value)) r.Line("value = %d", int(value));
        else r.Fault(0x56, long(i), LastError());
    }
}

void Value(Recorder& r, const char* key, DWORD value) {
    if (value == BATTERY_VALUE_UNKNOWN) r.Line("%s = unknown", key);
    else r.Line("%s = %u", key, unsigned(value));
}

void RecordSystem(Recorder& r, const Options& o) {
    BYTE status = 0;
    r.Blank();
    r.Line("[watchdog]");
    if (OrnWDGetStatus(&status)) r.Line("status = %u", status);
    else r.Fault(0x32, -1, LastError());

    BYTE brightness = 0, contrast = 0;
    r.Blank();
    r.Line("[display]");
    r.Line("# on or off cannot be read: the twin's backlight is on");
    if (OrnGetBacklightValue(&brightness)) r.Line("brightness = 0x%02x", brightness);
    else r.Fault(0x42, -1, LastError());
    if (OrnGetContrastValue(&contrast)) r.Line("contrast = 0x%02x", contrast);
    else r.Fault(0x44, -1, LastError());

    SYSTEMSTATE state{};
    state.SystemStateSize = sizeof state;
    r.Blank();
    r.Line("[system]");
    if (OrnGetSystemState(&state)) {
        r.Line("misc = 0x%x", unsigned(state.MiscState));
        r.Line("power = 0x%x", unsigned(state.PowerState));
    } else {
        r.Fault(0x61, -1, LastError());
    }
    std::vector<std::pair<int, BYTE>> ports;
    for (const auto& [first, last] : o.ports) {
        for (int port = first; port <= last; ++port) {
            OEMACCESS access{OEM_ACCESS_PORT, DWORD(port), 0, 0, OEM_DATA_BYTE, 0};
            if (!OrnOEMRead(&access)) {
                if (LastError() == ORN_BIOS_DATA_ACCESS) r.Line("iopl = deny");
                ports.clear();
                break;
            }
            ports.emplace_back(port, BYTE(access.DataValue));
        }
    }

    DWORD count = 0;
    if (!OrnGetBatteryCount(&count)) {
        r.Fault(0x62, -1, LastError());
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
            r.Line("unit = %u", unsigned(info.PowerUnit));
            Value(r, "design-capacity", info.DesignCapacity);
            Value(r, "full-charge-capacity", info.FullChargeCapacity);
            Value(r, "design-voltage", info.DesignVoltage);
            r.Text("device-name", info.DeviceName, 16, 16);
            r.Text("serial", info.SerialNumber, 16, 16);
            r.Text("type", info.BatteryType, 16, 16);
            r.Text("manufacturer", info.Manufacturer, 16, 16);
        } else {
            r.Fault(0x63, long(i), LastError());
        }
        if (OrnGetBatteryState(i, &battery)) {
            Value(r, "status", battery.Status);
            Value(r, "rate", battery.CurrentRate);
            Value(r, "remaining", battery.RemainingCapacity);
            Value(r, "voltage", battery.Voltage);
        } else {
            r.Fault(0x64, long(i), LastError());
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
