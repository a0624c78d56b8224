// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Decodes trace lines of the virtual board: each firmware call with its
// function's name, the block's fields by name before and after, and the
// status's message. Other lines (open, close, ports, resets) stand as they are.
#include "trace-decoder.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "zoka.h"

namespace ornsim_impl {

namespace {

enum class Kind { U8, U16, U32, S32, Hex8, Hex16, Hex32, Text, Date, Far, Bytes };

struct Field {
    const char* name;
    size_t at;
    Kind kind;
    size_t size = 0;  // texts and byte runs
};

// The fields of each function's block; the function's number, name and
// block length are the protocol's.
struct Function {
    zoka::Function number;
    std::vector<Field> fields;
};

constexpr size_t kRecord = 4;  // records of indexed blocks follow the index

std::vector<Field> Count() { return {{"count", 0, Kind::U32}}; }
std::vector<Field> ByteTransfer(const char* data) {
    return {{"busid", 0, Kind::U8}, {"devaddr", 1, Kind::Hex8}, {"offset", 2, Kind::Hex16},
            {data, 4, Kind::Hex8},  {"protocol", 5, Kind::Hex8}};
}
std::vector<Field> Display(const char* value) { return {{"zero", 0, Kind::U8}, {value, 1, Kind::Hex8}}; }

const std::vector<Function>& Functions() {
    static const std::vector<Function> functions = {
        {zoka::GetBoardInfo,
         {{"HWPlatform", offsetof(BOARDINFO, HWPlatform), Kind::Text, 16},
          {"SysBIOSVersion", offsetof(BOARDINFO, SysBIOSVersion), Kind::Text, 16},
          {"BBVersion", offsetof(BOARDINFO, BBVersion), Kind::Text, 16},
          {"HWRevision", offsetof(BOARDINFO, HWRevision), Kind::Text, 16},
          {"SerialNumber", offsetof(BOARDINFO, SerialNumber), Kind::Text, 16},
          {"BootCounter", offsetof(BOARDINFO, BootCounter), Kind::U32},
          {"OperatingTime", offsetof(BOARDINFO, OperatingTime), Kind::U32},
          {"ManufacturingDate", offsetof(BOARDINFO, ManufacturingDate), Kind::Date},
          {"MaintenanceTime", offsetof(BOARDINFO, MaintenanceTime), Kind::Date}}},
        {zoka::GetCPUInfo,
         {{"CPUInfoSize", offsetof(CPUINFO, CPUInfoSize), Kind::U32},
          {"CPUClass", offsetof(CPUINFO, CPUClass), Kind::Hex8},
          {"CPUCount", offsetof(CPUINFO, CPUCount), Kind::U8},
          {"CPUSpeed", offsetof(CPUINFO, CPUSpeed), Kind::U16},
          {"CPUModel", offsetof(CPUINFO, CPUModel), Kind::U8},
          {"CPUStepping", offsetof(CPUINFO, CPUStepping), Kind::U8},
          {"CPUString", offsetof(CPUINFO, CPUString), Kind::Text, 64}}},
        {zoka::GetBoardCfgSize, {{"size", 0, Kind::U32}}},
        {zoka::GetBoardCfg, {{"config", 0, Kind::Bytes}}},
        {zoka::SetBoardCfg, {{"config", 0, Kind::Bytes}}},
        {zoka::GetNVRamCount, Count()},
        {zoka::GetNVRamInfo,
         {{"index", 0, Kind::U32},
          {"NVRamType", kRecord + offsetof(NVRAMINFO, NVRamType), Kind::U32},
          {"NVRamSize", kRecord + offsetof(NVRAMINFO, NVRamSize), Kind::U32},
          {"NVRamFlags", kRecord + offsetof(NVRAMINFO, NVRamFlags), Kind::Hex32}}},
        {zoka::ReadNVRam, {{"index", 0, Kind::U32}, {"offset", 4, Kind::Hex32}, {"data", 8, Kind::Hex8}}},
        {zoka::WriteNVRam, {{"index", 0, Kind::U32}, {"offset", 4, Kind::Hex32}, {"data", 8, Kind::Hex8}}},
        {zoka::GetNVDeviceInfo,
         {{"index", 0, Kind::U32},
          {"NVDeviceInfoSize", kRecord + offsetof(NVDEVICEINFO, NVDeviceInfoSize), Kind::U32},
          {"NVManufacturerID", kRecord + offsetof(NVDEVICEINFO, NVManufacturerID), Kind::Hex16},
          {"NVDeviceID", kRecord + offsetof(NVDEVICEINFO, NVDeviceID), Kind::Hex16},
          {"NVBlockCount", kRecord + offsetof(NVDEVICEINFO, NVBlockCount), Kind::U32}}},
        {zoka::QueryNVBlock,
         {{"index", 0, Kind::U32}, {"block", 4, Kind::U32},
          {"NVBlockInfoSize", 8 + offsetof(NVBLOCKINFO, NVBlockInfoSize), Kind::U32},
          {"NVBlockSize", 8 + offsetof(NVBLOCKINFO, NVBlockSize), Kind::U32},
          {"NVBlockFlags", 8 + offsetof(NVBLOCKINFO, NVBlockFlags), Kind::Hex32}}},
        {zoka::NVDeviceRaw, {{"index", 0, Kind::U32}, {"block", 4, Kind::U32}, {"command", 8, Kind::U32}}},
        {zoka::I2CRead8, ByteTransfer("data")},
        {zoka::I2CWrite8, ByteTransfer("data")},
        {zoka::I2CRead16,
         {{"busid", 0, Kind::U8}, {"devaddr", 1, Kind::Hex8}, {"offset", 2, Kind::Hex16}, {"data", 4, Kind::Hex16},
          {"protocol", 6, Kind::Hex8}}},
        {zoka::I2CWrite16,
         {{"busid", 0, Kind::U8}, {"devaddr", 1, Kind::Hex8}, {"offset", 2, Kind::Hex16}, {"data", 4, Kind::Hex16},
          {"protocol", 6, Kind::Hex8}}},
        {zoka::GetI2CBusCount, Count()},
        {zoka::QueryI2CBus,
         {{"index", 0, Kind::U32},
          {"I2CBusInfoSize", kRecord + offsetof(I2CBUSINFO, I2CBusInfoSize), Kind::U32},
          {"I2CBusID", kRecord + offsetof(I2CBUSINFO, I2CBusID), Kind::U8},
          {"I2CBusFlags", kRecord + offsetof(I2CBUSINFO, I2CBusFlags), Kind::Hex32},
          {"I2CMaxBlockSize", kRecord + offsetof(I2CBUSINFO, I2CMaxBlockSize), Kind::U32},
          {"I2CBusString", kRecord + offsetof(I2CBUSINFO, I2CBusString), Kind::Text, 8}}},
        {zoka::I2CReadBlock,
         {{"busid", 0, Kind::U8}, {"devaddr", 1, Kind::Hex8}, {"offset", 2, Kind::Hex16}, {"buffer", 4, Kind::Far},
          {"count", 10, Kind::U32}, {"protocol", 14, Kind::Hex8}}},
        {zoka::I2CWriteBlock,
         {{"busid", 0, Kind::U8}, {"devaddr", 1, Kind::Hex8}, {"offset", 2, Kind::Hex16}, {"buffer", 4, Kind::Far},
          {"count", 10, Kind::U32}, {"protocol", 14, Kind::Hex8}}},
        {zoka::WDConfig, {{"delay", 0, Kind::U16}, {"timeout", 2, Kind::U16}, {"cmd", 4, Kind::U16}}},
        {zoka::WDGetStatus, {{"status", 0, Kind::U8}}},
        {zoka::WDTrigger, {}},
        {zoka::BacklightCtrl, Display("on")},
        {zoka::GetBacklightValue, Display("value")},
        {zoka::SetBacklightValue, Display("value")},
        {zoka::GetContrastValue, Display("value")},
        {zoka::SetContrastValue, Display("value")},
        {zoka::GetThermSensorCount, Count()},
        {zoka::QueryThermSensor,
         {{"index", 0, Kind::U32},
          {"TSensorInfoSize", kRecord + offsetof(TSENSORINFO, TSensorInfoSize), Kind::U32},
          {"SensorType", kRecord + offsetof(TSENSORINFO, SensorType), Kind::Hex32},
          {"SensorString", kRecord + offsetof(TSENSORINFO, SensorString), Kind::Text, 8}}},
        {zoka::GetThermSensorValue, {{"index", 0, Kind::U32}, {"celsius", 4, Kind::S32}}},
        {zoka::GetVoltSensorCount, Count()},
        {zoka::QueryVoltSensor,
         {{"index", 0, Kind::U32},
          {"VSensorInfoSize", kRecord + offsetof(VSENSORINFO, VSensorInfoSize), Kind::U32},
          {"NominalValue", kRecord + offsetof(VSENSORINFO, NominalValue), Kind::S32},
          {"SensorString", kRecord + offsetof(VSENSORINFO, SensorString), Kind::Text, 8}}},
        {zoka::GetVoltSensorValue, {{"index", 0, Kind::U32}, {"millivolts", 4, Kind::S32}}},
        {zoka::GetSystemState,
         {{"SystemStateSize", offsetof(SYSTEMSTATE, SystemStateSize), Kind::U32},
          {"MiscState", offsetof(SYSTEMSTATE, MiscState), Kind::Hex32},
          {"PowerState", offsetof(SYSTEMSTATE, PowerState), Kind::Hex32}}},
        {zoka::GetBatteryCount, Count()},
        {zoka::GetBatteryInfo,
         {{"index", 0, Kind::U32},
          {"BatteryInfoSize", kRecord + offsetof(BATTERYINFO, BatteryInfoSize), Kind::U32},
          {"PowerUnit", kRecord + offsetof(BATTERYINFO, PowerUnit), Kind::U32},
          {"DesignCapacity", kRecord + offsetof(BATTERYINFO, DesignCapacity), Kind::U32},
          {"FullChargeCapacity", kRecord + offsetof(BATTERYINFO, FullChargeCapacity), Kind::U32},
          {"DesignVoltage", kRecord + offsetof(BATTERYINFO, DesignVoltage), Kind::U32},
          {"DeviceName", kRecord + offsetof(BATTERYINFO, DeviceName), Kind::Text, 16},
          {"SerialNumber", kRecord + offsetof(BATTERYINFO, SerialNumber), Kind::Text, 16},
          {"BatteryType", kRecord + offsetof(BATTERYINFO, BatteryType), Kind::Text, 16},
          {"Manufacturer", kRecord + offsetof(BATTERYINFO, Manufacturer), Kind::Text, 16}}},
        {zoka::GetBatteryState,
         {{"index", 0, Kind::U32},
          {"BatteryStateSize", kRecord + offsetof(BATTERYSTATE, BatteryStateSize), Kind::U32},
          {"Status", kRecord + offsetof(BATTERYSTATE, Status), Kind::Hex32},
          {"CurrentRate", kRecord + offsetof(BATTERYSTATE, CurrentRate), Kind::U32},
          {"RemainingCapacity", kRecord + offsetof(BATTERYSTATE, RemainingCapacity), Kind::U32},
          {"Voltage", kRecord + offsetof(BATTERYSTATE, Voltage), Kind::U32}}},
        {zoka::OEMPassThru, {{"value", 0, Kind::Hex32}, {"buffer", 4, Kind::Far}}},
    };
    return functions;
}

size_t Width(const Field& f) {
    switch (f.kind) {
        case Kind::U8: case Kind::Hex8: return 1;
        case Kind::U16: case Kind::Hex16: return 2;
        case Kind::U32: case Kind::S32: case Kind::Hex32: return 4;
        case Kind::Date: case Kind::Far: return 6;
        case Kind::Text: return f.size;
        case Kind::Bytes: return 0;
    }
    return 0;
}

bool Unhex(std::string_view hex, std::vector<BYTE>& bytes) {
    if (hex.size() % 2 != 0) return false;
    bytes.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        unsigned value;
        if (sscanf(std::string(hex.substr(i, 2)).c_str(), "%2x", &value) != 1) return false;
        bytes.push_back(BYTE(value));
    }
    return true;
}

uint32_t Little(const std::vector<BYTE>& b, size_t at, size_t size) {
    uint32_t value = 0;
    for (size_t i = size; i-- > 0;) value = value << 8 | b[at + i];
    return value;
}

std::string Value(const Field& f, const std::vector<BYTE>& b) {
    char text[96];
    switch (f.kind) {
        case Kind::U8: snprintf(text, sizeof text, "%u", unsigned(b[f.at])); break;
        case Kind::U16: snprintf(text, sizeof text, "%u", unsigned(Little(b, f.at, 2))); break;
        case Kind::U32: snprintf(text, sizeof text, "%u", unsigned(Little(b, f.at, 4))); break;
        case Kind::S32: snprintf(text, sizeof text, "%d", int(int32_t(Little(b, f.at, 4)))); break;
        case Kind::Hex8: snprintf(text, sizeof text, "0x%02x", unsigned(b[f.at])); break;
        case Kind::Hex16: snprintf(text, sizeof text, "0x%04x", unsigned(Little(b, f.at, 2))); break;
        case Kind::Hex32: snprintf(text, sizeof text, "0x%08x", unsigned(Little(b, f.at, 4))); break;
        case Kind::Date:  // BCD digits: day, month, year, hour, minute
            snprintf(text, sizeof text, "%02x.%02x.%04x %02x:%02x", b[f.at], b[f.at + 1],
                     unsigned(Little(b, f.at + 2, 2)), b[f.at + 4], b[f.at + 5]);
            break;
        case Kind::Far:
            snprintf(text, sizeof text, "%04x:%08x", unsigned(Little(b, f.at, 2)), unsigned(Little(b, f.at + 2, 4)));
            break;
        case Kind::Bytes: snprintf(text, sizeof text, "%zu bytes", b.size()); break;
        case Kind::Text: {
            std::string s = "\"";
            for (size_t i = 0; i < f.size && b[f.at + i] != 0; ++i) {
                const char c = char(b[f.at + i]);
                if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') s += c;
                else snprintf(text, sizeof text, "\\x%02x", unsigned(BYTE(c))), s += text;
            }
            return s + '"';
        }
    }
    return text;
}

// "{name=value, ...}" for a block, or the block as it stood when it
// cannot be read as this function's.
std::string Fields(const Function& fn, std::string_view hex) {
    std::vector<BYTE> bytes;
    if (hex == "null" || hex == "?" || !Unhex(hex, bytes)) return std::string(hex);
    std::string out = "{";
    for (const Field& f : fn.fields) {
        if (f.at + Width(f) > bytes.size()) return std::string(hex);
        if (out.size() > 1) out += ", ";
        out += std::string(f.name) + "=" + Value(f, bytes);
    }
    return out + "}";
}

}  // namespace

std::string DecodeTraceLine(const std::string& line) {
    // call 0xNN IN -> 0xSSSS OUT
    unsigned number = 0, status = 0;
    char inText[4096], outText[4096];
    if (line.size() > 4000 || sscanf(line.c_str(), "call 0x%x %4095s -> 0x%x %4095s", &number, inText, &status, outText) != 4)
        return line;
    const Function* fn = nullptr;
    for (const Function& f : Functions())
        if (f.number == number) fn = &f;
    const zoka::FunctionEntry* entry = zoka::FindFunction(number);
    const char* message = zoka::StatusMessage(status);
    char head[160];
    snprintf(head, sizeof head, "call 0x%02x %s ", number, entry ? entry->name : "(unknown function)");
    char mid[96];
    snprintf(mid, sizeof mid, " -> 0x%04x %s ", status, message ? message : "invalid error code!!");
    if (fn == nullptr) return head + std::string(inText) + mid + outText;
    return head + Fields(*fn, inText) + mid + Fields(*fn, outText);
}

}  // namespace ornsim_impl
