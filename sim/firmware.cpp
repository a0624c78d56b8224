// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The simulated ZOKA service: one handler per function number, fault rules
// and the trace of every call.
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <type_traits>

#include "instance.h"
#include "zoka.h"

namespace ornsim_impl {

namespace {

using namespace zoka;
using ornsim_board::Fault;

constexpr uint16_t kOk = ORN_SUCCESS;
constexpr uint16_t kNotSupported = ORN_BIOS_NOT_SUPPORTED;
constexpr uint16_t kInvalidDevice = ORN_BIOS_INVALID_DEVICE;
constexpr uint16_t kI2CInvalidBus = ORN_BIOS_I2C_INVALID_BUS;
constexpr uint16_t kI2CNoAck = ORN_BIOS_I2C_NO_ACK;
constexpr uint16_t kI2CProtocol = ORN_BIOS_I2C_PROTOCOL;
constexpr uint16_t kNotReadable = ORN_BIOS_NVR_NOT_READABLE;
constexpr uint16_t kNotWriteable = ORN_BIOS_NVR_NOT_WRITEABLE;
constexpr uint16_t kNVRamIndex = ORN_BIOS_NVR_INDEX;
constexpr uint16_t kNotPresent = ORN_BIOS_NOT_PRESENT;
constexpr uint16_t kOutOfRange = ORN_BIOS_OUT_OF_RANGE;

struct Request {
    Instance& sim;
    BYTE* block;
    ornsim_resolver resolve;
    void* context;

    template <typename T>
    T& as() const { return *reinterpret_cast<T*>(block); }
    Board& board() const { return sim.board; }
    void* Buffer(const FarPointer& p) const {
        return resolve ? resolve(context, p.selector, p.offset) : nullptr;
    }
};

using Handler = uint16_t (*)(const Request&);

// ---- board information ----

// The boot counter is the board's own (a watchdog reset or a power-on
// raises it); the operating time follows the clock when the counters run.
uint16_t BoardInfo(const Request& c) {
    BOARDINFO& info = c.as<BOARDINFO>();
    info = c.board().info;
    const LiveState live = c.sim.memory.live();
    info.BootCounter = Load(live.header().bootCounter);
    if (c.board().countersRun) {
        const int64_t seconds = std::max<int64_t>(live.NowNs(), 0) / 1000000000;
        info.OperatingTime = DWORD(info.OperatingTime + uint64_t(seconds) / c.board().optimeUnitSeconds);
    }
    return kOk;
}

uint16_t CpuInfo(const Request& c) {
    CPUINFO& cpu = c.as<CPUINFO>();
    if (cpu.CPUInfoSize < sizeof(CPUINFO)) return kOutOfRange;
    // CPUClass through CPUString; the size field and the alignment stay.
    memcpy(&cpu.CPUClass, &c.board().cpu.CPUClass, offsetof(CPUINFO, reserved) - offsetof(CPUINFO, CPUClass));
    return kOk;
}

uint16_t ConfigSize(const Request& c) {
    c.as<DWORD>() = DWORD(c.sim.memory.config().size());
    return kOk;
}

uint16_t ConfigGet(const Request& c) {
    auto cfg = c.sim.memory.config();
    memcpy(c.block, cfg.data(), cfg.size());
    return kOk;
}

uint16_t ConfigSet(const Request& c) {
    auto cfg = c.sim.memory.config();
    memcpy(cfg.data(), c.block, cfg.size());
    return kOk;
}

// ---- non-volatile memory ----

bool ValidNvram(const Request& c, DWORD index) { return index < c.board().nvrams.size(); }
bool IsFlash(const Request& c, DWORD index) { return *c.board().nvrams[index].type == 3; }

uint16_t NVRamCount(const Request& c) {
    c.as<DWORD>() = DWORD(c.board().nvrams.size());
    return kOk;
}

uint16_t NVRamInfo(const Request& c) {
    auto& b = c.as<NVRamInfoBlock>();
    if (!ValidNvram(c, b.index)) return kNVRamIndex;
    const auto& nv = c.board().nvrams[b.index];
    b.info = NVRAMINFO{*nv.type, *nv.size, nv.flags};
    return kOk;
}

uint16_t NVRamRead(const Request& c) {
    auto& b = c.as<NVRamByteBlock>();
    if (!ValidNvram(c, b.index)) return kNVRamIndex;
    if (!(c.board().nvrams[b.index].flags & 1)) return kNotReadable;
    auto mem = c.sim.memory.nvram(b.index);
    if (b.offset >= mem.size()) return kOutOfRange;
    b.data = mem[b.offset];
    return kOk;
}

uint16_t NVRamWrite(const Request& c) {
    auto& b = c.as<NVRamByteBlock>();
    if (!ValidNvram(c, b.index)) return kNVRamIndex;
    const auto& nv = c.board().nvrams[b.index];
    if (!(nv.flags & 2)) return kNotWriteable;
    auto mem = c.sim.memory.nvram(b.index);
    if (b.offset >= mem.size()) return kOutOfRange;
    if (IsFlash(c, b.index)) {
        // Programming flash can only clear bits; a locked block takes nothing.
        if (c.sim.memory.locks(b.index)[b.offset / *nv.blockSize]) return kNotWriteable;
        mem[b.offset] &= b.data;
    } else {
        mem[b.offset] = b.data;
    }
    return kOk;
}

uint16_t NVDeviceInfo(const Request& c) {
    auto& b = c.as<NVDeviceInfoBlock>();
    if (!ValidNvram(c, b.index)) return kNVRamIndex;
    if (!IsFlash(c, b.index)) return kInvalidDevice;
    if (b.record.NVDeviceInfoSize < sizeof(NVDEVICEINFO)) return kOutOfRange;
    const auto& nv = c.board().nvrams[b.index];
    b.record.NVManufacturerID = nv.manufacturer.value_or(0);
    b.record.NVDeviceID = nv.device.value_or(0);
    b.record.NVBlockCount = nv.blockCount();
    return kOk;
}

uint16_t NVBlockInfo(const Request& c) {
    auto& b = c.as<NVBlockInfoBlock>();
    if (!ValidNvram(c, b.index)) return kNVRamIndex;
    if (!IsFlash(c, b.index)) return kInvalidDevice;
    if (b.info.NVBlockInfoSize < sizeof(NVBLOCKINFO)) return kOutOfRange;
    const auto& nv = c.board().nvrams[b.index];
    if (b.block >= nv.blockCount()) return kOutOfRange;
    b.info.NVBlockSize = *nv.blockSize;
    b.info.NVBlockFlags = nv.blockFlags.value_or(0);
    return kOk;
}

uint16_t NVRaw(const Request& c) {
    auto& b = c.as<NVRawBlock>();
    if (!ValidNvram(c, b.index)) return kNVRamIndex;
    if (!IsFlash(c, b.index)) return kInvalidDevice;
    const auto& nv = c.board().nvrams[b.index];
    if (b.block >= nv.blockCount() || b.command > NVRAW_LOCK) return kOutOfRange;
    BYTE& locked = c.sim.memory.locks(b.index)[b.block];
    switch (b.command) {
        case NVRAW_ERASE:
            if (locked) return kNotWriteable;
            memset(c.sim.memory.nvram(b.index).data() + size_t(b.block) * *nv.blockSize, 0xFF, *nv.blockSize);
            break;
        case NVRAW_UNLOCK: locked = 0; break;
        case NVRAW_LOCK: locked = 1; break;
    }
    return kOk;
}

// ---- I2C ----

// Finds bus and device for a transfer and checks the protocol; sets `dev`.
uint16_t I2CTarget(const Request& c, BYTE busid, BYTE address, BYTE protocol, size_t& dev) {
    const Board& b = c.board();
    bool busFound = false;
    for (const auto& bus : b.buses) busFound |= (*bus.id == busid);
    if (!busFound) return kI2CInvalidBus;
    if ((protocol & 0x7F) > 2) return kI2CProtocol;
    for (dev = 0; dev < b.devices.size(); ++dev)
        if (*b.devices[dev].bus == busid && *b.devices[dev].address == address) return kOk;
    return kI2CNoAck;
}

// Moves `n` bytes between a device and `data`, starting where the protocol
// says, wrapping at the device size and advancing its address pointer.
uint16_t I2CMove(const Request& c, size_t dev, WORD offset, BYTE protocol, BYTE* data, size_t n, bool write) {
    if (write && c.board().devices[dev].readonly) return kI2CNoAck;
    auto mem = c.sim.memory.device(dev);
    DWORD& pointer = c.sim.devicePointers[dev];
    switch (protocol & 0x7F) {
        case 1: pointer = offset & 0xFF; break;
        case 2: pointer = offset; break;
        default: break;  // the device's own address pointer
    }
    for (size_t i = 0; i < n; ++i) {
        pointer %= mem.size();
        if (write) mem[pointer] = data[i];
        else data[i] = mem[pointer];
        ++pointer;
    }
    pointer %= mem.size();
    return kOk;
}

template <typename Block, bool Write>
uint16_t I2CValue(const Request& c) {
    auto& b = c.as<Block>();
    size_t dev;
    if (uint16_t s = I2CTarget(c, b.busid, b.devaddr, b.protocol, dev)) return s;
    BYTE bytes[sizeof(b.data)];
    memcpy(bytes, &b.data, sizeof bytes);  // little-endian: low byte first
    if (uint16_t s = I2CMove(c, dev, b.offset, b.protocol, bytes, sizeof bytes, Write)) return s;
    if (!Write) memcpy(&b.data, bytes, sizeof bytes);
    return kOk;
}

uint16_t I2CBusCount(const Request& c) {
    c.as<DWORD>() = DWORD(c.board().buses.size());
    return kOk;
}

uint16_t I2CBusQuery(const Request& c) {
    auto& b = c.as<I2CBusQueryBlock>();
    if (b.index >= c.board().buses.size()) return kI2CInvalidBus;
    if (b.record.I2CBusInfoSize < sizeof(I2CBUSINFO)) return kOutOfRange;
    const auto& bus = c.board().buses[b.index];
    b.record.I2CBusID = *bus.id;
    memset(b.record.reserved, 0, sizeof b.record.reserved);
    b.record.I2CBusFlags = bus.flags;
    b.record.I2CMaxBlockSize = bus.maxBlock;
    memcpy(b.record.I2CBusString, bus.name, sizeof bus.name);
    return kOk;
}

// A block transfer moves at most `limit` bytes and reports `reported`
// (the bytes moved, unless a fault rule makes the firmware misreport).
uint16_t I2CBlockTransfer(const Request& c, bool write, std::optional<DWORD> faultCount) {
    auto& b = c.as<I2CTransferBlock>();
    size_t dev;
    if (uint16_t s = I2CTarget(c, b.busid, b.devaddr, b.protocol, dev)) return s;
    DWORD limit = 0;
    if (faultCount) {
        limit = *faultCount;
    } else {
        for (const auto& bus : c.board().buses)
            if (*bus.id == b.busid) limit = bus.maxBlock;
    }
    DWORD n = b.count < limit ? b.count : limit;
    auto* data = static_cast<BYTE*>(c.Buffer(b.buffer));
    if (data == nullptr && n != 0) return kOutOfRange;
    if (uint16_t s = I2CMove(c, dev, b.offset, b.protocol, data, n, write)) return s;
    b.count = faultCount.value_or(n);
    return kOk;
}

template <bool Write>
uint16_t I2CBlock(const Request& c) {
    return I2CBlockTransfer(c, Write, std::nullopt);
}

// ---- watchdog and display ----

// Without a timer the watchdog takes any command and never expires. With
// one, command 1 starts it (first trigger due within `delay`, then within
// `timeout` of each trigger) and 0 stops it.
uint16_t WatchdogConfig(const Request& c) {
    auto& b = c.as<WDConfigBlock>();
    if (c.board().watchdogTimer) {
        LiveHeader& wd = c.sim.memory.live().header();
        const int64_t unitNs = int64_t(c.board().watchdogUnitMs) * 1000000;
        if (b.cmd == 1) {
            Store(wd.wdTimeoutMs, uint32_t(b.timeout) * c.board().watchdogUnitMs);
            Store(wd.wdDeadlineNs, c.sim.memory.live().NowNs() + b.delay * unitNs);
            Store(wd.wdRunning, 1u);
        } else if (b.cmd == 0) {
            Store(wd.wdRunning, 0u);
        } else {
            return kOutOfRange;
        }
    }
    return kOk;
}

uint16_t WatchdogStatus(const Request& c) {
    c.as<BYTE>() = BYTE(Load(c.sim.memory.live().header().wdStatus));
    return kOk;
}

uint16_t WatchdogTrigger(const Request& c) {
    LiveHeader& wd = c.sim.memory.live().header();
    if (c.board().watchdogTimer && Load(wd.wdRunning))
        Store(wd.wdDeadlineNs, c.sim.memory.live().NowNs() + int64_t(Load(wd.wdTimeoutMs)) * 1000000);
    return kOk;
}

// Display values live in memory: 0 backlight on/off, 1 brightness, 2 contrast.
template <int Slot, bool Set>
uint16_t Display(const Request& c) {
    auto& b = c.as<DisplayBlock>();
    BYTE& value = c.sim.memory.display()[Slot];
    if (Set) value = b.value;
    else b.value = value;
    return kOk;
}

// ---- sensors, system and batteries ----

template <typename Item>
uint16_t Count(const Request& c, const std::vector<Item>& items) {
    c.as<DWORD>() = DWORD(items.size());
    return kOk;
}

uint16_t TempCount(const Request& c) { return Count(c, c.board().temps); }
uint16_t VoltCount(const Request& c) { return Count(c, c.board().volts); }
uint16_t BatteryCount(const Request& c) { return Count(c, c.board().batteries); }

uint16_t TempQuery(const Request& c) {
    auto& b = c.as<IndexedRecordBlock<TSENSORINFO>>();
    if (b.index >= c.board().temps.size()) return kNotPresent;
    if (b.record.TSensorInfoSize < sizeof(TSENSORINFO)) return kOutOfRange;
    const auto& t = c.board().temps[b.index];
    b.record.SensorType = t.type;
    memcpy(b.record.SensorString, t.name, sizeof t.name);
    return kOk;
}

uint16_t VoltQuery(const Request& c) {
    auto& b = c.as<IndexedRecordBlock<VSENSORINFO>>();
    if (b.index >= c.board().volts.size()) return kNotPresent;
    if (b.record.VSensorInfoSize < sizeof(VSENSORINFO)) return kOutOfRange;
    const auto& v = c.board().volts[b.index];
    b.record.NominalValue = v.nominal;
    memcpy(b.record.SensorString, v.name, sizeof v.name);
    return kOk;
}

// A changing value as a firmware read sees it (a list steps on).
int64_t ReadLive(const Request& c, size_t slot, const ornsim_board::Live& live, int64_t fixed) {
    return c.sim.memory.live().Value(slot, live, fixed, true);
}

template <typename Item, size_t (*Slot)(const Board&, size_t)>
uint16_t SensorValue(const Request& c, const std::vector<Item>& items) {
    auto& b = c.as<SensorValueBlock>();
    if (b.index >= items.size()) return kNotPresent;
    const Item& item = items[b.index];
    b.value = SDWORD(ReadLive(c, Slot(c.board(), b.index), item.live, item.value));
    return kOk;
}

uint16_t TempValue(const Request& c) { return SensorValue<ornsim_board::TempSensor, TempSlot>(c, c.board().temps); }
uint16_t VoltValue(const Request& c) { return SensorValue<ornsim_board::VoltSensor, VoltSlot>(c, c.board().volts); }

uint16_t SystemState(const Request& c) {
    auto& s = c.as<SYSTEMSTATE>();
    if (s.SystemStateSize < sizeof(SYSTEMSTATE)) return kOutOfRange;
    const Board& board = c.board();
    s.MiscState = DWORD(ReadLive(c, SystemSlot(board, ornsim_board::kSystemMisc),
                                 board.systemLive[ornsim_board::kSystemMisc], board.misc));
    s.PowerState = DWORD(ReadLive(c, SystemSlot(board, ornsim_board::kSystemPower),
                                  board.systemLive[ornsim_board::kSystemPower], board.power));
    return kOk;
}

// Copies a battery record after its size field, which the firmware keeps.
template <typename Record, Record ornsim_board::Battery::*Field>
uint16_t BatteryRecord(const Request& c) {
    auto& b = c.as<IndexedRecordBlock<Record>>();
    if (b.index >= c.board().batteries.size()) return kNotPresent;
    DWORD size;
    memcpy(&size, &b.record, sizeof size);
    if (size < sizeof(Record)) return kOutOfRange;
    const auto& battery = c.board().batteries[b.index];
    const Record& from = battery.*Field;
    memcpy(reinterpret_cast<BYTE*>(&b.record) + 4, reinterpret_cast<const BYTE*>(&from) + 4, sizeof(Record) - 4);
    if constexpr (std::is_same_v<Record, BATTERYSTATE>) {
        // Status, rate, remaining capacity and voltage may change.
        DWORD fields[ornsim_board::kBatteryFields];
        memcpy(fields, reinterpret_cast<BYTE*>(&b.record) + 4, sizeof fields);
        for (int f = 0; f < ornsim_board::kBatteryFields; ++f)
            fields[f] = DWORD(ReadLive(c, BatterySlot(c.board(), b.index, f), battery.live[f], fields[f]));
        memcpy(reinterpret_cast<BYTE*>(&b.record) + 4, fields, sizeof fields);
    }
    return kOk;
}

uint16_t PassThru(const Request& c) {
    auto& b = c.as<PassThruBlock>();
    auto* data = static_cast<BYTE*>(c.Buffer(b.buffer));
    if (data == nullptr) return kOutOfRange;
    DWORD value = b.value;
    memcpy(data, &value, sizeof value);
    return kOk;
}

struct HandlerEntry {
    DWORD function;
    Handler handler;
};

// One handler for each function of the protocol.
constexpr HandlerEntry kHandlers[] = {
    {GetBoardInfo, BoardInfo},
    {GetCPUInfo, CpuInfo},
    {GetBoardCfgSize, ConfigSize},
    {GetBoardCfg, ConfigGet},
    {SetBoardCfg, ConfigSet},
    {GetNVRamCount, NVRamCount},
    {GetNVRamInfo, NVRamInfo},
    {ReadNVRam, NVRamRead},
    {WriteNVRam, NVRamWrite},
    {GetNVDeviceInfo, NVDeviceInfo},
    {QueryNVBlock, NVBlockInfo},
    {NVDeviceRaw, NVRaw},
    {I2CRead8, I2CValue<I2CByteBlock, false>},
    {I2CWrite8, I2CValue<I2CByteBlock, true>},
    {I2CRead16, I2CValue<I2CWordBlock, false>},
    {I2CWrite16, I2CValue<I2CWordBlock, true>},
    {GetI2CBusCount, I2CBusCount},
    {QueryI2CBus, I2CBusQuery},
    {I2CReadBlock, I2CBlock<false>},
    {I2CWriteBlock, I2CBlock<true>},
    {WDConfig, WatchdogConfig},
    {WDGetStatus, WatchdogStatus},
    {WDTrigger, WatchdogTrigger},
    {BacklightCtrl, Display<0, true>},
    {GetBacklightValue, Display<1, false>},
    {SetBacklightValue, Display<1, true>},
    {GetContrastValue, Display<2, false>},
    {SetContrastValue, Display<2, true>},
    {GetThermSensorCount, TempCount},
    {QueryThermSensor, TempQuery},
    {GetThermSensorValue, TempValue},
    {GetVoltSensorCount, VoltCount},
    {QueryVoltSensor, VoltQuery},
    {GetVoltSensorValue, VoltValue},
    {GetSystemState, SystemState},
    {GetBatteryCount, BatteryCount},
    {GetBatteryInfo, BatteryRecord<BATTERYINFO, &ornsim_board::Battery::info>},
    {GetBatteryState, BatteryRecord<BATTERYSTATE, &ornsim_board::Battery::state>},
    {OEMPassThru, PassThru},
};

static_assert(std::size(kHandlers) == std::size(zoka::kFunctions));

const HandlerEntry* Find(DWORD function) {
    for (const HandlerEntry& e : kHandlers)
        if (e.function == function) return &e;
    return nullptr;
}

// The index a fault rule may match: a DWORD at offset 0, or the bus id byte.
DWORD BlockIndex(DWORD function, const BYTE* block) {
    const zoka::FunctionEntry* entry = zoka::FindFunction(function);
    if (entry != nullptr && entry->index == zoka::IndexAt::BusId) return block[0];
    DWORD index;
    memcpy(&index, block, sizeof index);
    return index;
}

}  // namespace

long BlockLength(const Instance& sim, DWORD function) {
    const HandlerEntry* e = Find(function);
    if (e == nullptr) return -1;
    const long length = zoka::BlockLength(e->function);
    return length == zoka::kConfigBlock ? long(sim.board.configSize) : length;
}

void AppendHex(std::string& out, const BYTE* bytes, size_t length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    size_t at = out.size();
    out.resize(at + 2 * length);
    for (size_t i = 0; i < length; ++i) {
        out[at + 2 * i] = kDigits[bytes[i] >> 4];
        out[at + 2 * i + 1] = kDigits[bytes[i] & 15];
    }
}

// Every rule whose function and index match counts the call, whether or not
// an earlier rule fires on it; the first rule that fires wins.
const Fault* Instance::MatchFault(DWORD function, const BYTE* block) {
    const Fault* fired = nullptr;
    for (size_t i = 0; i < board.faults.size(); ++i) {
        const Fault& f = board.faults[i];
        if (*f.function != function) continue;
        if (f.index && (block == nullptr || BlockIndex(function, block) != *f.index)) continue;
        DWORD seen = ++faultMatches[i];
        if (fired == nullptr && (!f.call || *f.call == seen)) fired = &f;
    }
    return fired;
}

uint16_t Instance::Dispatch(DWORD function, BYTE* block, ornsim_resolver resolve, void* context) {
    const HandlerEntry* e = Find(function);
    if (e == nullptr) return kNotSupported;
    if (block == nullptr && zoka::BlockLength(function) != 0) return kOutOfRange;
    Request call{*this, block, resolve, context};
    const Fault* fault = MatchFault(function, block);
    if (fault && fault->status) return *fault->status;
    if (fault && fault->count) return I2CBlockTransfer(call, function == I2CWriteBlock, fault->count);
    return e->handler(call);
}

// A running watchdog whose deadline has passed resets the board: one
// process (whichever calls first) raises the boot counter, stops the
// watchdog and marks the reset. With `kill = yes` a process that was alive
// at a reset ends at its next call, as on a board that restarted.
void Instance::CheckWatchdog() {
    const LiveState live = memory.live();
    LiveHeader& wd = live.header();
    uint32_t running = 1;
    if (Load(wd.wdRunning) && live.NowNs() > Load(wd.wdDeadlineNs) &&
        std::atomic_ref<uint32_t>(wd.wdRunning).compare_exchange_strong(running, 0)) {
        std::atomic_ref<uint32_t>(wd.bootCounter).fetch_add(1);
        Store(wd.wdStatus, 1u);
        std::atomic_ref<uint32_t>(wd.resets).fetch_add(1);
        trace->Line("reset watchdog");
    }
    if (board.watchdogKill && Load(wd.resets) != resetsSeen) {
        trace->Line("kill");
        raise(SIGKILL);
    }
}

uint16_t Instance::Call(DWORD function, void* blockPointer, ornsim_resolver resolve, void* context) {
    if (inside) {
        fputs("ornsim: re-entered\n", stderr);
        abort();
    }
    inside = true;
    memory.MarkInside();
    if (board.watchdogTimer) CheckWatchdog();
    auto* block = static_cast<BYTE*>(blockPointer);
    std::string line;
    long length = BlockLength(*this, function);
    auto appendBlock = [&] {
        if (length < 0) line += '?';
        else if (block == nullptr) line += "null";
        else AppendHex(line, block, size_t(length));
    };
    if (trace->on()) {
        char head[32];
        snprintf(head, sizeof head, "call 0x%02x ", unsigned(function));
        line = head;
        appendBlock();
    }
    uint16_t status = Dispatch(function, block, resolve, context);
    if (trace->on()) {
        char mid[24];
        snprintf(mid, sizeof mid, " -> 0x%04x ", unsigned(status));
        line += mid;
        appendBlock();
        trace->Line(line);
    }
    memory.MarkOutside();
    inside = false;
    return status;
}

}  // namespace ornsim_impl
