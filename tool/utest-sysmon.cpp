// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// TEMP and VOLT categories: twin commands over the temperature and the
// voltage sensors.
#include <cstdio>
#include <cstring>

#include "utest.h"

namespace {

enum MonitorOption { MON_COUNT, MON_ALL, MON_QUERY, MON_VALUE };
constexpr const char* vargs[] = {"-c", "-a", "-q", "-g"};
constexpr int kWords[] = {3, 3, 4, 4};  // argc each option needs

constexpr const char* typestring[] = {"CPU sensor",    "board sensor", "memory sensor",
                                      "system sensor", "unknown",      "OEM sensor"};

// Type 3 has an entry of its own and is named by it.
const char* TypeName(DWORD type) {
    if (type >= 0x80) return typestring[5];
    if (type <= 3) return typestring[type];
    return typestring[4];
}

// Sensor names fill up to 8 bytes and may lack a terminator.
void CopyName(char* to, const CHAR (&from)[8]) {
    memcpy(to, from, sizeof from);
    to[sizeof from] = '\0';
}

struct Monitor {
    int category;
    int (*count)(DWORD*);
    int (*value)(DWORD, SDWORD*);
    int (*queryPrint)(DWORD);
    const char* listFormat;
};

int ValuePrint(const Monitor& m, DWORD index) {
    SDWORD value;
    int r = m.value(index, &value);
    if (r == 0) printf("%d\n", int(value));
    return r;
}

// Every sensor is read; the result is that of the last read.
int ValuePrintAll(const Monitor& m) {
    DWORD count = 0;
    if (m.count(&count) != 0) return -1;
    int result = 0;
    for (DWORD i = 0; i < count; ++i) {
        SDWORD value;
        result = m.value(i, &value);
        if (result == 0) printf(m.listFormat, unsigned(i), int(value));
    }
    return result;
}

int Handle(const Monitor& m, int argc, char** argv) {
    int option = StringInArray(argv[2], vargs);
    if (option < 0 || argc != kWords[option]) utUsageExit(m.category);
    DWORD index = argc == 4 ? DWORD(utNumber(argv[3])) : 0;
    if (int r = utOrnOpen()) return r;
    int result = 0;
    switch (option) {
        case MON_COUNT: {
            DWORD count = 0;
            result = m.count(&count);
            if (result == 0) printf("0x%02x\n", unsigned(count));
            break;
        }
        case MON_ALL: result = ValuePrintAll(m); break;
        case MON_QUERY: result = m.queryPrint(index); break;
        case MON_VALUE: result = ValuePrint(m, index); break;
    }
    return utCloseWith(result);
}

const Monitor kTemperature = {CAT_TEMP, utMonThermCount, utMonThermValue, utMonThermQueryPrint,
                              "T-Sensor 0x%02x: %5d \xB0" "C\n"};
const Monitor kVoltage = {CAT_VOLT, utMonVoltCount, utMonVoltValue, utMonVoltQueryPrint,
                          "V-Sensor 0x%02x: %5d mV\n"};

}  // namespace

int utMonThermCount(DWORD* count) {
    return utLibCall(OrnGetThermSensorCount(count), "OrnGetThermSensorCount() failed!\n");
}

int utMonThermQuery(DWORD index, DWORD* stype, char* sstring) {
    TSENSORINFO info{};
    info.TSensorInfoSize = sizeof(TSENSORINFO);
    if (int r = utLibCall(OrnQueryThermSensor(index, &info), "OrnQueryThermSensor() failed!\n")) return r;
    *stype = info.SensorType;
    CopyName(sstring, info.SensorString);
    return 0;
}

int utMonThermQueryPrint(DWORD index) {
    DWORD type;
    char name[10];
    if (int r = utMonThermQuery(index, &type, name)) return r;
    printf("sensor type:    0x%02x (%s)\n", unsigned(type), TypeName(type));
    printf("sensor string:  %s\n", name);
    return 0;
}

int utMonThermValue(DWORD sensid, SDWORD* temp) {
    return utLibCall(OrnGetThermSensorValue(sensid, temp), "OrnGetThermSensorValue() failed!\n");
}

int utMonThermValuePrint(DWORD sensid) { return ValuePrint(kTemperature, sensid); }
int utMonThermValuePrintAll() { return ValuePrintAll(kTemperature); }

int utMonVoltCount(DWORD* count) {
    return utLibCall(OrnGetVoltSensorCount(count), "OrnGetVoltSensorCount() failed!\n");
}

int utMonVoltQuery(DWORD index, SDWORD* nvalue, char* sstring) {
    VSENSORINFO info{};
    info.VSensorInfoSize = sizeof(VSENSORINFO);
    if (int r = utLibCall(OrnQueryVoltSensor(index, &info), "OrnQueryVoltSensor() failed!\n")) return r;
    *nvalue = info.NominalValue;
    CopyName(sstring, info.SensorString);
    return 0;
}

int utMonVoltQueryPrint(DWORD index) {
    SDWORD nominal;
    char name[10];
    if (int r = utMonVoltQuery(index, &nominal, name)) return r;
    if (nominal == VSENSOR_NOMINAL_UNKNOWN) printf("nominal value: unknown\n");
    else printf("nominal value: %6d\n", int(nominal));
    printf("sensor string:  %s\n", name);
    return 0;
}

int utMonVoltValue(DWORD sensid, SDWORD* voltage) {
    return utLibCall(OrnGetVoltSensorValue(sensid, voltage), "OrnGetVoltSensorValue() failed!\n");
}

int utMonVoltValuePrint(DWORD sensid) { return ValuePrint(kVoltage, sensid); }
int utMonVoltValuePrintAll() { return ValuePrintAll(kVoltage); }

int utHandleTEMP(int argc, char** argv) { return Handle(kTemperature, argc, argv); }
int utHandleVOLT(int argc, char** argv) { return Handle(kVoltage, argc, argv); }
