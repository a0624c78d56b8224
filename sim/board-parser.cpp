// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Board file parser: sections, keys and values, with one error line naming
// the file and line of the first fault.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>

#include "board-keys.h"
#include "board.h"
#include "regular-file.h"
#include "zoka.h"

namespace ornsim_board {

namespace {

constexpr DWORD kMaxNvramSize = 16u << 20;
constexpr DWORD kMaxConfigSize = 1u << 20;

// All the board's memories together (configuration block, NVRAMs, I2C
// devices): what one process may be asked to hold, and a state file to keep.
constexpr uint64_t kMaxMemoryBytes = 64u << 20;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A C-style unsigned number: decimal, 0x hexadecimal or leading-0 octal.
bool ParseUnsigned(std::string_view s, uint64_t& out) {
    if (s.empty()) return false;
    unsigned base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    } else if (s.size() > 1 && s[0] == '0') {
        base = 8;
        s.remove_prefix(1);
    }
    uint64_t value = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0 || unsigned(d) >= base) return false;
        value = value * base + unsigned(d);
        if (value > 0xFFFFFFFFull) return false;
    }
    out = value;
    return true;
}

class Parser {
public:
    Parser(std::string_view text, const std::string& name, const std::string& folder,
           Board& board)
        : text_(text), name_(name), board_(board) {
        board_.folder = folder;
    }

    bool Run(std::string& error) {
        size_t pos = 0;
        while (ok_ && pos < text_.size()) {
            size_t end = text_.find('\n', pos);
            if (end == std::string_view::npos) end = text_.size();
            ++line_;
            Line(Trim(text_.substr(pos, end - pos)));
            pos = end + 1;
        }
        if (ok_) CloseSection();
        if (ok_) CheckMemorySize();
        if (ok_) LoadFiles();
        if (!ok_) error = error_;
        return ok_;
    }

private:
    void CheckMemorySize() {
        uint64_t total = board_.configSize;
        for (const auto& nv : board_.nvrams) total += *nv.size;
        for (const auto& dev : board_.devices) total += dev.size;
        if (total > kMaxMemoryBytes)
            Error("the board's memories come to " + std::to_string(total) + " bytes, more than " +
                  std::to_string(kMaxMemoryBytes) + " (64 MiB)");
    }

    bool Error(const std::string& message, int line = 0) {
        if (ok_) {
            error_ = "ornsim: " + name_ + ":" + std::to_string(line ? line : line_) + ": " + message;
            ok_ = false;
        }
        return false;
    }

    void Line(std::string_view s) {
        if (s.empty() || s.front() == '#') return;
        if (s.front() == '[') {
            if (s.back() != ']') {
                Error("unterminated section name");
                return;
            }
            OpenSection(Trim(s.substr(1, s.size() - 2)));
            return;
        }
        size_t eq = s.find('=');
        if (eq == std::string_view::npos) {
            Error("expected key = value");
            return;
        }
        std::string_view key = Trim(s.substr(0, eq));
        std::string_view raw = Trim(s.substr(eq + 1));
        std::string value;
        if (!Unquote(raw, value)) return;
        if (section_ == Section::None) {
            Error("key outside a section");
            return;
        }
        if (!Key(key, value) && ok_) Error("unknown key '" + std::string(key) + "'");
    }

    bool Unquote(std::string_view raw, std::string& out) {
        if (raw.empty() || raw.front() != '"') {
            out.assign(raw);
            return true;
        }
        for (size_t i = 1; i < raw.size(); ++i) {
            char c = raw[i];
            if (c == '"') {
                if (i + 1 != raw.size()) return Error("text after closing quote");
                return true;
            }
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (++i >= raw.size()) break;
            if (raw[i] == '"' || raw[i] == '\\') {
                out.push_back(raw[i]);
            } else if (raw[i] == 'x' && i + 2 < raw.size() && HexDigit(raw[i + 1]) >= 0 &&
                       HexDigit(raw[i + 2]) >= 0) {
                out.push_back(char(HexDigit(raw[i + 1]) * 16 + HexDigit(raw[i + 2])));
                i += 2;
            } else {
                return Error("bad escape in quoted text");
            }
        }
        return Error("unterminated quoted text");
    }

    void OpenSection(std::string_view name) {
        CloseSection();
        if (!ok_) return;
        for (const SectionName& s : kSections) {
            if (s.name != name) continue;
            unsigned bit = 1u << unsigned(s.section);
            if (!s.repeatable() && (seen_ & bit)) {
                Error("section [" + std::string(name) + "] given twice");
                return;
            }
            if (s.repeatable() && ++counts_[size_t(s.section)] > s.most) {
                Error("more than " + std::to_string(s.most) + " [" + std::string(name) + "] sections");
                return;
            }
            seen_ |= bit;
            section_ = s.section;
            StartObject();
            return;
        }
        Error("unknown section [" + std::string(name) + "]");
    }

    void StartObject() {
        switch (section_) {
            case Section::Nvram: board_.nvrams.emplace_back().line = line_; break;
            case Section::I2cBus: board_.buses.emplace_back().line = line_; break;
            case Section::I2cDevice: board_.devices.emplace_back().line = line_; break;
            case Section::TempSensor: board_.temps.emplace_back(); break;
            case Section::VoltSensor: board_.volts.emplace_back(); break;
            case Section::Battery: board_.batteries.emplace_back(); break;
            case Section::Fault: board_.faults.emplace_back().line = line_; break;
            default: break;
        }
    }

    // Checks what a section needs as a whole, once all its keys are known.
    void CloseSection() {
        switch (section_) {
            case Section::Nvram: CloseNvram(board_.nvrams.back()); break;
            case Section::I2cBus: {
                I2cBus& bus = board_.buses.back();
                if (!bus.id) return void(Error("[i2c-bus] needs an id", bus.line));
                for (size_t i = 0; i + 1 < board_.buses.size(); ++i)
                    if (board_.buses[i].id == bus.id)
                        return void(Error("i2c bus id " + std::to_string(*bus.id) + " declared twice", bus.line));
                break;
            }
            case Section::I2cDevice: {
                I2cDevice& dev = board_.devices.back();
                if (!dev.bus || !dev.address)
                    return void(Error("[i2c-device] needs bus and address", dev.line));
                if (dev.contents.list.size() > dev.size)
                    return void(Error("data longer than the device", dev.contents.listLine));
                break;
            }
            case Section::Fault: CloseFault(board_.faults.back()); break;
            case Section::Board:
                if (board_.config.list.size() > board_.configSize)
                    return void(Error("config longer than config-size", board_.config.listLine));
                break;
            default: break;
        }
        section_ = Section::None;
    }

    void CloseNvram(Nvram& nv) {
        if (!nv.type || !nv.size) return void(Error("[nvram] needs type and size", nv.line));
        if (*nv.type != 3 && (nv.manufacturer || nv.device || nv.blockSize || nv.blockFlags || nv.locked))
            return void(Error("flash keys given for an nvram that is not type 3", nv.line));
        if (*nv.type == 3) {
            if (!nv.blockSize) nv.blockSize = *nv.size / 8;
            if (*nv.blockSize == 0 || *nv.size % *nv.blockSize != 0)
                return void(Error("size is not a multiple of block-size", nv.line));
        }
        if (!nv.contents.fill) nv.contents.fill = BYTE(*nv.type == 3 ? 0xFF : 0x00);
        if (nv.contents.list.size() > *nv.size)
            return void(Error("data longer than the nvram", nv.contents.listLine));
    }

    void CloseFault(Fault& f) {
        if (!f.function) return void(Error("[fault] needs a function", f.line));
        if (f.status.has_value() == f.count.has_value())
            return void(Error("[fault] needs either status or count", f.line));
        // A count rule stands for the count a block transfer reports: only
        // blocks that carry one (the I2C block transfers) can have it.
        const zoka::FunctionEntry* entry = zoka::FindFunction(*f.function);
        if (f.count && (entry == nullptr || entry->count == zoka::kNone))
            return void(Error("count applies to functions 0x27 and 0x28 only", f.line));
        if (f.index && !FunctionHasIndex(*f.function))
            return void(Error("function takes no index", f.line));
    }

    // Reads `file` contents after parsing, so errors name the key's line.
    void LoadFiles() {
        auto load = [&](Contents& c, DWORD size) {
            if (!ok_ || c.file.empty()) return;
            std::string path = c.file.front() == '/' ? c.file : board_.folder + "/" + c.file;
            std::string text, reason;
            ornsim_files::Owner owner{board_.owner};
            switch (ornsim_files::ReadFileUpTo(path, text, reason, size, &owner)) {
            case ornsim_files::ReadResult::kRead: break;
            case ornsim_files::ReadResult::kTooLong:
                return void(Error("file '" + c.file + "' is longer than its memory", c.fileLine));
            case ornsim_files::ReadResult::kFailed:
                return void(Error("cannot read file '" + c.file + "': " + reason, c.fileLine));
            }
            std::vector<BYTE> bytes(text.begin(), text.end());
            // The list overrides the file's first bytes.
            for (size_t i = 0; i < c.list.size(); ++i) {
                if (i < bytes.size()) bytes[i] = c.list[i];
                else bytes.push_back(c.list[i]);
            }
            c.list = std::move(bytes);
        };
        load(board_.config, board_.configSize);
        for (Nvram& nv : board_.nvrams) load(nv.contents, *nv.size);
        for (I2cDevice& dev : board_.devices) load(dev.contents, dev.size);
    }

    // ---- values ----

    template <typename T>
    bool Number(const std::string& v, T& out, bool allowUnknown = false, T unknown = T{}) {
        if (allowUnknown && v == "unknown") {
            out = unknown;
            return true;
        }
        std::string_view s = v;
        bool negative = !s.empty() && s.front() == '-';
        if (negative) s.remove_prefix(1);
        uint64_t magnitude;
        if (!ParseUnsigned(s, magnitude)) return Error("bad number '" + v + "'");
        if constexpr (std::numeric_limits<T>::is_signed) {
            int64_t value = negative ? -int64_t(magnitude) : int64_t(magnitude);
            if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max())
                return Error("value " + v + " out of range");
            out = T(value);
        } else {
            if (negative) return Error("value " + v + " out of range");
            if (magnitude > std::numeric_limits<T>::max()) return Error("value " + v + " out of range");
            out = T(magnitude);
        }
        return true;
    }

    template <typename T>
    bool Number(const std::string& v, std::optional<T>& out) {
        T value{};
        if (!Number(v, value)) return false;
        out = value;
        return true;
    }

    // A text of at most `most` characters in a field of `size` bytes.
    bool Text(const std::string& v, CHAR* field, size_t size, size_t most) {
        if (v.size() > most) return Error("text longer than " + std::to_string(most) + " characters");
        memset(field, 0, size);
        memcpy(field, v.data(), v.size());
        return true;
    }

    template <size_t N>
    bool Text(const std::string& v, CHAR (&field)[N], size_t most) {
        return Text(v, field, N, most);
    }

    bool Choice(const std::string& v, std::string_view yes, std::string_view no, bool& out) {
        if (v == yes) out = true;
        else if (v == no) out = false;
        else return Error("expected " + std::string(yes) + " or " + std::string(no));
        return true;
    }

    bool Date(const std::string& v, BIOSTIME& t) {
        // DD.MM.YYYY HH:MM, every digit kept as a BCD digit.
        static constexpr char kShape[] = "99.99.9999 99:99";
        if (v.size() != sizeof(kShape) - 1) return Error("date must be DD.MM.YYYY HH:MM");
        for (size_t i = 0; i < v.size(); ++i) {
            if (kShape[i] == '9') {
                if (v[i] < '0' || v[i] > '9') return Error("date must be DD.MM.YYYY HH:MM");
            } else if (v[i] != kShape[i]) {
                return Error("date must be DD.MM.YYYY HH:MM");
            }
        }
        auto bcd = [&v](size_t at, size_t n) {
            DWORD digits = 0;
            for (size_t i = 0; i < n; ++i) digits = digits << 4 | DWORD(v[at + i] - '0');
            return digits;
        };
        t.Day = BYTE(bcd(0, 2));
        t.Month = BYTE(bcd(3, 2));
        t.Year = WORD(bcd(6, 4));
        t.Hour = BYTE(bcd(11, 2));
        t.Minute = BYTE(bcd(14, 2));
        return true;
    }

    bool ByteList(const std::string& v, Contents& c) {
        std::string_view s = v;
        while (true) {
            s = Trim(s);
            if (s.empty()) break;
            size_t end = s.find_first_of(" \t");
            std::string_view pair = s.substr(0, end);
            if (pair.size() != 2 || HexDigit(pair[0]) < 0 || HexDigit(pair[1]) < 0)
                return Error("bad byte '" + std::string(pair) + "' (two hexadecimal digits)");
            if (c.list.size() >= kMaxNvramSize) return Error("byte list too long");
            c.list.push_back(BYTE(HexDigit(pair[0]) * 16 + HexDigit(pair[1])));
            if (end == std::string_view::npos) break;
            s.remove_prefix(end);
        }
        c.listLine = line_;
        return true;
    }

    bool ContentsKey(KeyId key, const std::string& v, Contents& c, KeyId dataKey, KeyId fillKey, KeyId fileKey,
                     bool& handled) {
        handled = true;
        if (key == dataKey) return ByteList(v, c);
        if (key == fillKey) {
            BYTE fill;
            if (!Number(v, fill)) return false;
            c.fill = fill;
            return true;
        }
        if (key == fileKey) {
            if (v.empty()) return Error("empty file name");
            c.file = v;
            c.fileLine = line_;
            return true;
        }
        handled = false;
        return false;
    }

    // ---- keys of each section; false with ok_ set means an unknown key ----

    bool Key(std::string_view name, const std::string& v) {
        if (section_ == Section::Ports) {
            WORD port;
            BYTE value;
            if (!Number(std::string(name), port) || !Number(v, value)) return false;
            board_.ports.emplace_back(port, value);
            return true;
        }
        const KeyName* known = nullptr;
        for (const KeyName& entry : kBoardKeys)
            if (entry.section == section_ && entry.name == name) known = &entry;
        if (known == nullptr) return false;
        const KeyId key = known->key;
        switch (section_) {
            case Section::Firmware: return FirmwareKey(key, v);
            case Section::Board: return BoardKey(key, v);
            case Section::Cpu: return CpuKey(key, v);
            case Section::Nvram: return NvramKey(key, v, board_.nvrams.back());
            case Section::I2cBus: return BusKey(key, v, board_.buses.back());
            case Section::I2cDevice: return DeviceKey(key, v, board_.devices.back());
            case Section::TempSensor: return TempKey(key, v, board_.temps.back());
            case Section::VoltSensor: return VoltKey(key, v, board_.volts.back());
            case Section::Watchdog: return WatchdogKey(key, v);
            case Section::Display: return DisplayKey(key, v);
            case Section::System: return SystemKey(key, v);
            case Section::Battery: return BatteryKey(key, v, board_.batteries.back());
            case Section::Ports: break;
            case Section::Fault: return FaultKey(key, v, board_.faults.back());
            case Section::None: break;
        }
        return false;
    }

    bool FirmwareKey(KeyId key, const std::string& v) {
        if (key == KeyId::FirmwareZoka) return Choice(v, "present", "absent", board_.zoka);
        return false;
    }

    bool BoardKey(KeyId key, const std::string& v) {
        BOARDINFO& b = board_.info;
        if (key == KeyId::BoardPlatform) return Text(v, b.HWPlatform, 15);
        if (key == KeyId::BoardSysbios) return Text(v, b.SysBIOSVersion, 15);
        if (key == KeyId::BoardBbversion) return Text(v, b.BBVersion, 15);
        if (key == KeyId::BoardHwrevision) return Text(v, b.HWRevision, 15);
        if (key == KeyId::BoardSerial) return Text(v, b.SerialNumber, 15);
        if (key == KeyId::BoardBootcounter) return Number(v, b.BootCounter);
        if (key == KeyId::BoardOptime) return Number(v, b.OperatingTime);
        if (key == KeyId::BoardCounters) return Choice(v, "run", "still", board_.countersRun);
        if (key == KeyId::BoardOptimeUnit) {
            static constexpr std::pair<std::string_view, uint32_t> kUnits[] = {
                {"hours", 3600}, {"minutes", 60}, {"seconds", 1}};
            for (const auto& [name, seconds] : kUnits)
                if (v == name) return board_.optimeUnitSeconds = seconds, true;
            return Error("expected hours, minutes or seconds");
        }
        if (key == KeyId::BoardManufactured) return Date(v, b.ManufacturingDate);
        if (key == KeyId::BoardMaintained) return Date(v, b.MaintenanceTime);
        if (key == KeyId::BoardConfigSize) {
            if (!Number(v, board_.configSize)) return false;
            if (board_.configSize > kMaxConfigSize) return Error("config-size above 1 MiB");
            return true;
        }
        bool handled;
        bool ok = ContentsKey(key, v, board_.config, KeyId::BoardConfig, KeyId::BoardConfigFill, KeyId::BoardConfigFile, handled);
        return handled ? ok : false;
    }

    bool CpuKey(KeyId key, const std::string& v) {
        CPUINFO& c = board_.cpu;
        if (key == KeyId::CpuClass) return Number(v, c.CPUClass);
        if (key == KeyId::CpuCount) return Number(v, c.CPUCount);
        if (key == KeyId::CpuSpeed) return Number(v, c.CPUSpeed);
        if (key == KeyId::CpuModel) return Number(v, c.CPUModel);
        if (key == KeyId::CpuStepping) return Number(v, c.CPUStepping);
        if (key == KeyId::CpuString) return Text(v, c.CPUString, 63);
        return false;
    }

    bool NvramKey(KeyId key, const std::string& v, Nvram& nv) {
        if (key == KeyId::NvramType) return Number(v, nv.type);
        if (key == KeyId::NvramSize) {
            if (!Number(v, nv.size)) return false;
            if (*nv.size > kMaxNvramSize) return Error("nvram size above 16 MiB");
            return true;
        }
        if (key == KeyId::NvramFlags) return Number(v, nv.flags);
        if (key == KeyId::NvramManufacturer) return Number(v, nv.manufacturer);
        if (key == KeyId::NvramDevice) return Number(v, nv.device);
        if (key == KeyId::NvramBlockSize) return Number(v, nv.blockSize);
        if (key == KeyId::NvramBlockFlags) return Number(v, nv.blockFlags);
        if (key == KeyId::NvramLocked) {
            bool locked;
            if (!Choice(v, "yes", "no", locked)) return false;
            nv.locked = locked;
            return true;
        }
        bool handled;
        bool ok = ContentsKey(key, v, nv.contents, KeyId::NvramData, KeyId::NvramFill, KeyId::NvramFile, handled);
        return handled ? ok : false;
    }

    bool BusKey(KeyId key, const std::string& v, I2cBus& bus) {
        if (key == KeyId::I2cBusId) return Number(v, bus.id);
        if (key == KeyId::I2cBusName) return Text(v, bus.name, 8);
        if (key == KeyId::I2cBusFlags) return Number(v, bus.flags);
        if (key == KeyId::I2cBusMaxBlock) return Number(v, bus.maxBlock);
        return false;
    }

    bool DeviceKey(KeyId key, const std::string& v, I2cDevice& dev) {
        if (key == KeyId::I2cDeviceBus) {
            if (!Number(v, dev.bus)) return false;
            for (size_t i = 0; i < board_.buses.size(); ++i)
                if (board_.buses[i].id == dev.bus) return true;
            return Error("bus " + v + " is not declared above");
        }
        if (key == KeyId::I2cDeviceAddress) return Number(v, dev.address);
        if (key == KeyId::I2cDeviceSize) {
            if (!Number(v, dev.size)) return false;
            if (dev.size < 1 || dev.size > 65536) return Error("device size must be 1 to 65536");
            return true;
        }
        if (key == KeyId::I2cDeviceReadonly) return Choice(v, "yes", "no", dev.readonly);
        bool handled;
        bool ok = ContentsKey(key, v, dev.contents, KeyId::I2cDeviceData, KeyId::I2cDeviceFill, KeyId::I2cDeviceFile, handled);
        return handled ? ok : false;
    }

    // A value that may change while the board runs: "N" (fixed), "A, B, C"
    // (a list, one entry per read) or "A .. B over DURATION" (a ramp). Only
    // a fixed value is kept in the record; a changing one is read from `live`.
    template <typename T>
    bool LiveNumber(const std::string& v, T& field, Live& live, bool allowUnknown = false, T unknown = T{}) {
        auto one = [&](std::string_view text, int64_t& out) {
            T value{};
            if (!Number(std::string(Trim(text)), value, allowUnknown, unknown)) return false;
            out = int64_t(value);
            return true;
        };
        live = Live{};
        if (size_t dots = v.find(".."); dots != std::string::npos) {
            size_t over = v.find(" over ", dots);
            if (over == std::string::npos) return Error("ramp must be A .. B over DURATION");
            if (!one(std::string_view(v).substr(0, dots), live.from) ||
                !one(std::string_view(v).substr(dots + 2, over - dots - 2), live.to))
                return false;
            if (!ParseDuration(Trim(std::string_view(v).substr(over + 6)), live.overMs) || live.overMs == 0)
                return Error("bad duration in '" + v + "' (e.g. 60s, 1500ms, 2m, 1h; at most 876600h)");
            live.kind = Live::Kind::Ramp;
            return true;
        }
        if (v.find(',') != std::string::npos) {
            std::string_view rest = v;
            while (true) {
                size_t comma = rest.find(',');
                int64_t value;
                if (!one(rest.substr(0, comma), value)) return false;
                live.list.push_back(value);
                if (comma == std::string_view::npos) break;
                rest.remove_prefix(comma + 1);
            }
            live.kind = Live::Kind::List;
            return true;
        }
        return Number(v, field, allowUnknown, unknown);
    }

    bool TempKey(KeyId key, const std::string& v, TempSensor& t) {
        if (key == KeyId::TempSensorType) return Number(v, t.type);
        if (key == KeyId::TempSensorName) return Text(v, t.name, 8);
        if (key == KeyId::TempSensorValue || key == KeyId::TempSensorValues || key == KeyId::TempSensorRamp) return LiveNumber(v, t.value, t.live);
        return false;
    }

    bool VoltKey(KeyId key, const std::string& v, VoltSensor& s) {
        if (key == KeyId::VoltSensorNominal) return Number(v, s.nominal, true, VSENSOR_NOMINAL_UNKNOWN);
        if (key == KeyId::VoltSensorName) return Text(v, s.name, 8);
        if (key == KeyId::VoltSensorValue || key == KeyId::VoltSensorValues || key == KeyId::VoltSensorRamp) return LiveNumber(v, s.value, s.live);
        return false;
    }

    bool WatchdogKey(KeyId key, const std::string& v) {
        if (key == KeyId::WatchdogStatus) return Number(v, board_.watchdogStatus);
        if (key == KeyId::WatchdogTimer) return Choice(v, "yes", "no", board_.watchdogTimer);
        if (key == KeyId::WatchdogKill) return Choice(v, "yes", "no", board_.watchdogKill);
        if (key == KeyId::WatchdogUnit) {
            bool seconds;
            if (!Choice(v, "s", "ms", seconds)) return false;
            board_.watchdogUnitMs = seconds ? 1000 : 1;
            return true;
        }
        return false;
    }

    bool DisplayKey(KeyId key, const std::string& v) {
        if (key == KeyId::DisplayBacklight) {
            bool on;
            if (!Choice(v, "on", "off", on)) return false;
            board_.backlight = on ? 1 : 0;
            return true;
        }
        if (key == KeyId::DisplayBrightness) return Number(v, board_.brightness);
        if (key == KeyId::DisplayContrast) return Number(v, board_.contrast);
        return false;
    }

    bool SystemKey(KeyId key, const std::string& v) {
        if (key == KeyId::SystemMisc) return LiveNumber(v, board_.misc, board_.systemLive[kSystemMisc]);
        if (key == KeyId::SystemPower) return LiveNumber(v, board_.power, board_.systemLive[kSystemPower]);
        if (key == KeyId::SystemIopl) return Choice(v, "allow", "deny", board_.ioplAllowed);
        return false;
    }

    bool BatteryKey(KeyId key, const std::string& v, Battery& b) {
        struct NumberKey {
            KeyId name;
            DWORD* field;
            Live* live;  // the state's fields change while the board runs
        };
        const NumberKey numbers[] = {
            {KeyId::BatteryUnit, &b.info.PowerUnit, nullptr},
            {KeyId::BatteryDesignCapacity, &b.info.DesignCapacity, nullptr},
            {KeyId::BatteryFullChargeCapacity, &b.info.FullChargeCapacity, nullptr},
            {KeyId::BatteryDesignVoltage, &b.info.DesignVoltage, nullptr},
            {KeyId::BatteryStatus, &b.state.Status, &b.live[kBatteryStatus]},
            {KeyId::BatteryRate, &b.state.CurrentRate, &b.live[kBatteryRate]},
            {KeyId::BatteryRemaining, &b.state.RemainingCapacity, &b.live[kBatteryRemaining]},
            {KeyId::BatteryVoltage, &b.state.Voltage, &b.live[kBatteryVoltage]},
        };
        constexpr DWORD kUnknown = BATTERY_VALUE_UNKNOWN;
        for (const NumberKey& n : numbers) {
            if (key != n.name) continue;
            if (n.live != nullptr) return LiveNumber(v, *n.field, *n.live, true, kUnknown);
            return Number(v, *n.field, key != KeyId::BatteryUnit, kUnknown);
        }
        if (key == KeyId::BatteryDeviceName) return Text(v, b.info.DeviceName, 16);
        if (key == KeyId::BatterySerial) return Text(v, b.info.SerialNumber, 16);
        if (key == KeyId::BatteryType) return Text(v, b.info.BatteryType, 16);
        if (key == KeyId::BatteryManufacturer) return Text(v, b.info.Manufacturer, 16);
        return false;
    }

    bool FaultKey(KeyId key, const std::string& v, Fault& f) {
        if (key == KeyId::FaultFunction) return Number(v, f.function);
        if (key == KeyId::FaultIndex) return Number(v, f.index);
        if (key == KeyId::FaultCall) {
            if (!Number(v, f.call)) return false;
            if (*f.call == 0) return Error("call counts from 1");
            return true;
        }
        if (key == KeyId::FaultStatus) {
            if (!Number(v, f.status)) return false;
            if (*f.status == 0) return Error("status must not be 0");
            return true;
        }
        if (key == KeyId::FaultCount) return Number(v, f.count);
        return false;
    }

    std::string_view text_;
    std::string name_;
    Board& board_;
    int line_ = 0;
    Section section_ = Section::None;
    unsigned seen_ = 0;
    size_t counts_[size_t(Section::Fault) + 1] = {};
    bool ok_ = true;
    std::string error_;
};

}  // namespace

bool ParseDuration(std::string_view text, uint64_t& ms) {
    static constexpr std::pair<std::string_view, uint64_t> kUnits[] = {
        {"ms", 1}, {"s", 1000}, {"m", 60000}, {"h", 3600000}};
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits == 0 || digits > 9) return false;
    const uint64_t count = std::stoull(std::string(text.substr(0, digits)));
    for (const auto& [unit, factor] : kUnits) {
        if (text.substr(digits) == unit) {
            ms = count * factor;
            return ms <= kMaxDurationMs;
        }
    }
    return false;
}

bool FunctionHasIndex(DWORD function) {
    const zoka::FunctionEntry* entry = zoka::FindFunction(function);
    return entry != nullptr && entry->index != zoka::IndexAt::None;
}

bool Parse(std::string_view text, const std::string& name, const std::string& folder,
           Board& board, std::string& error, uid_t owner) {
    board = Board{};
    board.owner = owner;
    board.cpu.CPUInfoSize = sizeof(CPUINFO);
    board.cpu.CPUClass = 0x0F;
    board.cpu.CPUCount = 1;
    return Parser(text, name, folder, board).Run(error);
}

}  // namespace ornsim_board
