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

// Where a field of a protocol block sits.
#define FIELD_AT(block, field) offsetof(zoka::block, field)

// Records of indexed blocks follow the index.
constexpr size_t kIndex = FIELD_AT(IndexedRecordBlock<NVDEVICEINFO>, index);
constexpr size_t kRecord = FIELD_AT(IndexedRecordBlock<NVDEVICEINFO>, record);

std::vector<Field> Count() { return {{"count", 0, Kind::U32}}; }
std::vector<Field> ByteTransfer() {
    return {{"busid", FIELD_AT(I2CByteBlock, busid), Kind::U8},   {"devaddr", FIELD_AT(I2CByteBlock, devaddr), Kind::Hex8},
            {"offset", FIELD_AT(I2CByteBlock, offset), Kind::Hex16}, {"data", FIELD_AT(I2CByteBlock, data), Kind::Hex8},
            {"protocol", FIELD_AT(I2CByteBlock, protocol), Kind::Hex8}};
}
std::vector<Field> WordTransfer() {
    return {{"busid", FIELD_AT(I2CWordBlock, busid), Kind::U8},   {"devaddr", FIELD_AT(I2CWordBlock, devaddr), Kind::Hex8},
            {"offset", FIELD_AT(I2CWordBlock, offset), Kind::Hex16}, {"data", FIELD_AT(I2CWordBlock, data), Kind::Hex16},
            {"protocol", FIELD_AT(I2CWordBlock, protocol), Kind::Hex8}};
}
std::vector<Field> BlockTransfer() {
    return {{"busid", FIELD_AT(I2CTransferBlock, busid), Kind::U8},
            {"devaddr", FIELD_AT(I2CTransferBlock, devaddr), Kind::Hex8},
            {"offset", FIELD_AT(I2CTransferBlock, offset), Kind::Hex16},
            {"buffer", FIELD_AT(I2CTransferBlock, buffer), Kind::Far},
            {"count", FIELD_AT(I2CTransferBlock, count), Kind::U32},
            {"protocol", FIELD_AT(I2CTransferBlock, protocol), Kind::Hex8}};
}
std::vector<Field> NVRamByte() {
    return {{"index", FIELD_AT(NVRamByteBlock, index), Kind::U32},
            {"offset", FIELD_AT(NVRamByteBlock, offset), Kind::Hex32},
            {"data", FIELD_AT(NVRamByteBlock, data), Kind::Hex8}};
}
std::vector<Field> Display(const char* value) {
    return {{"zero", FIELD_AT(DisplayBlock, zero), Kind::U8}, {value, FIELD_AT(DisplayBlock, value), Kind::Hex8}};
}
std::vector<Field> SensorValue(const char* unit) {
    return {{"index", FIELD_AT(SensorValueBlock, index), Kind::U32}, {unit, FIELD_AT(SensorValueBlock, value), Kind::S32}};
}

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
         {{"index", FIELD_AT(NVRamInfoBlock, index), Kind::U32},
          {"NVRamType", FIELD_AT(NVRamInfoBlock, info) + offsetof(NVRAMINFO, NVRamType), Kind::U32},
          {"NVRamSize", FIELD_AT(NVRamInfoBlock, info) + offsetof(NVRAMINFO, NVRamSize), Kind::U32},
          {"NVRamFlags", FIELD_AT(NVRamInfoBlock, info) + offsetof(NVRAMINFO, NVRamFlags), Kind::Hex32}}},
        {zoka::ReadNVRam, NVRamByte()},
        {zoka::WriteNVRam, NVRamByte()},
        {zoka::GetNVDeviceInfo,
         {{"index", kIndex, Kind::U32},
          {"NVDeviceInfoSize", kRecord + offsetof(NVDEVICEINFO, NVDeviceInfoSize), Kind::U32},
          {"NVManufacturerID", kRecord + offsetof(NVDEVICEINFO, NVManufacturerID), Kind::Hex16},
          {"NVDeviceID", kRecord + offsetof(NVDEVICEINFO, NVDeviceID), Kind::Hex16},
          {"NVBlockCount", kRecord + offsetof(NVDEVICEINFO, NVBlockCount), Kind::U32}}},
        {zoka::QueryNVBlock,
         {{"index", FIELD_AT(NVBlockInfoBlock, index), Kind::U32},
          {"block", FIELD_AT(NVBlockInfoBlock, block), Kind::U32},
          {"NVBlockInfoSize", FIELD_AT(NVBlockInfoBlock, info) + offsetof(NVBLOCKINFO, NVBlockInfoSize), Kind::U32},
          {"NVBlockSize", FIELD_AT(NVBlockInfoBlock, info) + offsetof(NVBLOCKINFO, NVBlockSize), Kind::U32},
          {"NVBlockFlags", FIELD_AT(NVBlockInfoBlock, info) + offsetof(NVBLOCKINFO, NVBlockFlags), Kind::Hex32}}},
        {zoka::NVDeviceRaw,
         {{"index", FIELD_AT(NVRawBlock, index), Kind::U32},
          {"block", FIELD_AT(NVRawBlock, block), Kind::U32},
          {"command", FIELD_AT(NVRawBlock, command), Kind::U32}}},
        {zoka::I2CRead8, ByteTransfer()},
        {zoka::I2CWrite8, ByteTransfer()},
        {zoka::I2CRead16, WordTransfer()},
        {zoka::I2CWrite16, WordTransfer()},
        {zoka::GetI2CBusCount, Count()},
        {zoka::QueryI2CBus,
         {{"index", kIndex, Kind::U32},
          {"I2CBusInfoSize", kRecord + offsetof(I2CBUSINFO, I2CBusInfoSize), Kind::U32},
          {"I2CBusID", kRecord + offsetof(I2CBUSINFO, I2CBusID), Kind::U8},
          {"I2CBusFlags", kRecord + offsetof(I2CBUSINFO, I2CBusFlags), Kind::Hex32},
          {"I2CMaxBlockSize", kRecord + offsetof(I2CBUSINFO, I2CMaxBlockSize), Kind::U32},
          {"I2CBusString", kRecord + offsetof(I2CBUSINFO, I2CBusString), Kind::Text, 8}}},
        {zoka::I2CReadBlock, BlockTransfer()},
        {zoka::I2CWriteBlock, BlockTransfer()},
        {zoka::WDConfig,
         {{"delay", FIELD_AT(WDConfigBlock, delay), Kind::U16},
          {"timeout", FIELD_AT(WDConfigBlock, timeout), Kind::U16},
          {"cmd", FIELD_AT(WDConfigBlock, cmd), Kind::U16}}},
        {zoka::WDGetStatus, {{"status", 0, Kind::U8}}},
        {zoka::WDTrigger, {}},
        {zoka::BacklightCtrl, Display("on")},
        {zoka::GetBacklightValue, Display("value")},
        {zoka::SetBacklightValue, Display("value")},
        {zoka::GetContrastValue, Display("value")},
        {zoka::SetContrastValue, Display("value")},
        {zoka::GetThermSensorCount, Count()},
        {zoka::QueryThermSensor,
         {{"index", kIndex, Kind::U32},
          {"TSensorInfoSize", kRecord + offsetof(TSENSORINFO, TSensorInfoSize), Kind::U32},
          {"SensorType", kRecord + offsetof(TSENSORINFO, SensorType), Kind::Hex32},
          {"SensorString", kRecord + offsetof(TSENSORINFO, SensorString), Kind::Text, 8}}},
        {zoka::GetThermSensorValue, SensorValue("celsius")},
        {zoka::GetVoltSensorCount, Count()},
        {zoka::QueryVoltSensor,
         {{"index", kIndex, Kind::U32},
          {"VSensorInfoSize", kRecord + offsetof(VSENSORINFO, VSensorInfoSize), Kind::U32},
          {"NominalValue", kRecord + offsetof(VSENSORINFO, NominalValue), Kind::S32},
          {"SensorString", kRecord + offsetof(VSENSORINFO, SensorString), Kind::Text, 8}}},
        {zoka::GetVoltSensorValue, SensorValue("millivolts")},
        {zoka::GetSystemState,
         {{"SystemStateSize", offsetof(SYSTEMSTATE, SystemStateSize), Kind::U32},
          {"MiscState", offsetof(SYSTEMSTATE, MiscState), Kind::Hex32},
          {"PowerState", offsetof(SYSTEMSTATE, PowerState), Kind::Hex32}}},
        {zoka::GetBatteryCount, Count()},
        {zoka::GetBatteryInfo,
         {{"index", kIndex, Kind::U32},
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
         {{"index", kIndex, Kind::U32},
          {"BatteryStateSize", kRecord + offsetof(BATTERYSTATE, BatteryStateSize), Kind::U32},
          {"Status", kRecord + offsetof(BATTERYSTATE, Status), Kind::Hex32},
          {"CurrentRate", kRecord + offsetof(BATTERYSTATE, CurrentRate), Kind::U32},
          {"RemainingCapacity", kRecord + offsetof(BATTERYSTATE, RemainingCapacity), Kind::U32},
          {"Voltage", kRecord + offsetof(BATTERYSTATE, Voltage), Kind::U32}}},
        {zoka::OEMPassThru,
         {{"value", FIELD_AT(PassThruBlock, value), Kind::Hex32}, {"buffer", FIELD_AT(PassThruBlock, buffer), Kind::Far}}},
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

// Appends the bytes a string of hex digit pairs stands for.
bool Unhex(std::string_view hex, std::vector<BYTE>& bytes) {
    if (hex.size() % 2 != 0) return false;
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
