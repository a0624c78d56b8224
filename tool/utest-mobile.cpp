// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// SYS and BATT categories: system state, battery information and state.
#include <cstdio>

#include "utest.h"

namespace {

enum BattOption { BATT_COUNT, BATT_INFO, BATT_STATE };
constexpr const char* vargs[] = {"-c", "-i", "-g"};
constexpr int kWords[] = {3, 4, 4};  // argc each option needs

constexpr const char* mstatestrings[] = {"", "(docked)", "(lid open)", "(docked, lid open)"};
constexpr const char* pstatestrings[] = {"", "(AC connected)"};
constexpr const char* capstring[] = {"mWh", "mAh"};
constexpr const char* ratestring[] = {"mW", "mA"};

// A labelled number with its unit, or "unknown" where the battery reports
// no value.
void PrintBatteryValue(const char* label, DWORD value, const char* unit) {
    if (value == BATTERY_VALUE_UNKNOWN) printf("%sunknown\n", label);
    else printf("%s%5d %s\n", label, int(value), unit);
}

}  // namespace

int utMobileSysState(DWORD* mstate, DWORD* pstate) {
    SYSTEMSTATE state{};
    state.SystemStateSize = sizeof(SYSTEMSTATE);
    if (int r = utLibCall(OrnGetSystemState(&state), "OrnGetSystemState() failed!\n")) return r;
    *mstate = state.MiscState;
    *pstate = state.PowerState;
    return 0;
}

int utMobileSysStatePrint() {
    DWORD mstate, pstate;
    if (int r = utMobileSysState(&mstate, &pstate)) return r;
    printf("misc state:  0x%04x %s\n", unsigned(mstate), mstatestrings[mstate & 3]);
    printf("power state: 0x%04x %s\n", unsigned(pstate), pstatestrings[pstate & 1]);
    return 0;
}

int utMobileBatCount(DWORD* count) {
    return utLibCall(OrnGetBatteryCount(count), "%s: OrnGetBatteryCount() failed!\n", "utMobileBatCount");
}

int utMobileBatInfo(DWORD index, BATTERYINFO* binfo) {
    *binfo = BATTERYINFO{};
    binfo->BatteryInfoSize = sizeof(BATTERYINFO);
    return utLibCall(OrnGetBatteryInfo(index, binfo), "%s: OrnGetBatteryInfo() failed for battery %#04x!\n",
                     "utMobileBatInfo", unsigned(index));
}

// Battery texts fill up to 16 bytes and may lack a terminator.
int utMobileBatInfoPrint(DWORD index) {
    BATTERYINFO info;
    if (int r = utMobileBatInfo(index, &info)) return r;
    const char* capacity = capstring[info.PowerUnit & 1];
    PrintBatteryValue("design capacity:      ", info.DesignCapacity, capacity);
    PrintBatteryValue("full charge capacity: ", info.FullChargeCapacity, capacity);
    PrintBatteryValue("design voltage:       ", info.DesignVoltage, "mV");
    printf("device name:           %.16s\n", info.DeviceName);
    printf("serial number:         %.16s\n", info.SerialNumber);
    printf("battery type:          %.16s\n", info.BatteryType);
    printf("manufacturer:          %.16s\n", info.Manufacturer);
    return 0;
}

int utMobileBatInfoPu(DWORD index) {
    BATTERYINFO info;
    if (int r = utMobileBatInfo(index, &info)) return r;
    return int(info.PowerUnit & 1);
}

int utMobileBatState(DWORD index, DWORD* status, DWORD* crate, DWORD* rcap, DWORD* volt) {
    BATTERYSTATE state{};
    state.BatteryStateSize = sizeof(BATTERYSTATE);
    if (int r = utLibCall(OrnGetBatteryState(index, &state), "%s: OrnGetBatteryState() failed for battery %#04x!\n",
                          "utMobileBatState", unsigned(index)))
        return r;
    *status = state.Status;
    *crate = state.CurrentRate;
    *rcap = state.RemainingCapacity;
    *volt = state.Voltage;
    return 0;
}

// The units of the state come from the battery information: two calls.
int utMobileBatStatePrint(DWORD index) {
    int unit = utMobileBatInfoPu(index);
    if (unit < 0) return -1;
    DWORD status, rate, remaining, voltage;
    if (utMobileBatState(index, &status, &rate, &remaining, &voltage) != 0) return -1;
    printf("bat status:             0x%04x\n", unsigned(status));
    PrintBatteryValue("current rate:            ", rate, ratestring[unit]);
    PrintBatteryValue("remaining capacity:      ", remaining, capstring[unit]);
    PrintBatteryValue("voltage:                 ", voltage, "mV");
    return 0;
}

// -SYS takes no option; anything after it is a usage error found after
// the library was opened.
int utHandleSYS(int argc, char**) {
    if (int r = utOrnOpen()) return r;
    if (argc != 2) utUsageExit(CAT_SYS);
    return utCloseWith(utMobileSysStatePrint());
}

int utHandleBATT(int argc, char** argv) {
    int option = StringInArray(argv[2], vargs);
    if (option < 0 || argc != kWords[option]) utUsageExit(CAT_BATT);
    DWORD index = argc == 4 ? DWORD(utNumber(argv[3])) : 0;
    if (int r = utOrnOpen()) return r;
    int result = 0;
    switch (option) {
        case BATT_COUNT: {
            DWORD count = 0;
            result = utMobileBatCount(&count);
            if (result == 0) printf("0x%02x\n", unsigned(count));
            break;
        }
        case BATT_INFO: result = utMobileBatInfoPrint(index); break;
        case BATT_STATE: result = utMobileBatStatePrint(index); break;
    }
    return utCloseWith(result);
}
