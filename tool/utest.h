// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// utest.h - the ornsys tool: category tables and the tool's functions.
#pragma once

#include <stdio.h>

#include "ornsyslx.h"

constexpr int catnum = 10;

extern const char* const helpreq[3];
extern const char* const category[catnum];
extern void (*const utCatHelp[catnum])();
extern int (*const utCatHandle[catnum])(int argc, char** argv);

// Indexes of the categories in the tables.
enum CategoryIndex { CAT_INFO, CAT_NVR, CAT_I2C, CAT_WD, CAT_VGA, CAT_TEMP, CAT_VOLT, CAT_SYS, CAT_BATT, CAT_OEM };

// ---- frame (utest-main, utest-common, utest-help) ----
int utCheckArgs(int argc, char** argv);
int utCatDispatch(int argc, char** argv);
[[noreturn]] void utMessageExit(int err, int msg, int cat);
// Called with the status instead of ending the process when set: a harness
// that runs the tool in-process unwinds from it. It must not return.
extern void (*utExitHook)(int status);
// The usage exit of a category: usage, the category's help, status -9.
[[noreturn]] inline void utUsageExit(int cat) { utMessageExit(-9, 3, cat); }
void utVersion();
void utUsage();
void utInfo();
void utLonghelp();
int utOrnOpen();
int utOrnClose();
BOOL utErrorHandling(BOOL ec);
// Closes the library; a failed close replaces the request's result.
int utCloseWith(int result);
// Passes a library call's result through utErrorHandling; on failure writes
// the caller's line (a printf format) to standard error and gives -1, else 0.
int utLibCall(BOOL result, const char* format, ...) __attribute__((format(printf, 2, 3)));

void utHelpINFO();
void utHelpNVR();
void utHelpI2C();
void utHelpWD();
void utHelpVGA();
void utHelpTEMP();
void utHelpVOLT();
void utHelpSYS();
void utHelpBATT();
void utHelpOEM();

// ---- utilities (utest-common) ----
void hexdump(BYTE* buf, DWORD len, DWORD add);
int dumptofile(BYTE* buf, DWORD len, char* filename);
int StringInArray(const char* str, const char* const* arr, int num);
// The one number rule of the command line: strtol(text, NULL, 0), kept to
// the signed 32-bit range.
SDWORD utNumber(const char* text);
// A zeroed buffer of `length` bytes kept until the process ends (one byte
// for a length of 0, so that only a real failure gives NULL).
BYTE* utAllocate(DWORD length);
// The same for `count` zeroed items of `size` bytes (at least one item).
void* utAllocateItems(size_t count, size_t size);
// Frees every buffer allocated so far: for a harness that runs the tool
// in-process many times; the tool itself never calls it.
void utReleaseBuffers();
// Opens an input file for reading; NULL when it cannot be opened or is not
// a regular file (a directory or a device would read as empty or endless).
FILE* utOpenInput(const char* filename);
// Reads up to `size` bytes from the start of a file; -1 when it cannot be
// opened.
long utReadFile(const char* filename, BYTE* buffer, DWORD size);

template <int N>
int StringInArray(const char* str, const char* const (&arr)[N]) {
    return StringInArray(str, arr, N);
}

// ---- category handlers ----
int utHandleINFO(int argc, char** argv);
int utHandleNVR(int argc, char** argv);
int utHandleI2C(int argc, char** argv);
int utHandleWD(int argc, char** argv);
int utHandleVGA(int argc, char** argv);
int utHandleTEMP(int argc, char** argv);
int utHandleVOLT(int argc, char** argv);
int utHandleSYS(int argc, char** argv);
int utHandleBATT(int argc, char** argv);
int utHandleOEM(int argc, char** argv);

// ---- NVR (utest-nvinfo, utest-nvread, utest-nvwrite, utest-nvraw) ----
int utHandleNVR_Info(int argc, char** argv);
int utHandleNVR_Read(int argc, char** argv);
int utHandleNVR_Write(int argc, char** argv);
int utHandleNVR_Raw(int argc, char** argv);
int utNVRamCount(DWORD* NVRamCount);
int utNVRamCountPrint();
DWORD utNVRamSize(DWORD index);
int utNVRamIsValidIndex(DWORD index);
int utNVRamIsValidBlock(DWORD index, DWORD block);
int utNVRamInfo(DWORD index, DWORD* type, DWORD* size, DWORD* flags);
int utNVRamInfoPrint(DWORD index);
int utNVRamInfoPrintAll();
int utNVRamDeviceInfo(DWORD index, DWORD* manid, DWORD* devid, DWORD* blocks);
int utNVRamDeviceInfoPrint(DWORD index);
int utNVRamDeviceInfoPrintAll();
int utNVRamBlockInfo(DWORD index, DWORD block, DWORD* bsize, DWORD* bflags);
int utNVRamBlockInfoPrint(DWORD index, DWORD block);
int utNVRamInfoPrintTable();
// For the data commands: the NVRAM's description, the failure line naming
// `self`; and the checks of a transfer before any byte moves (0, -1, -5,
// or -6/-7 when the NVRAM is not readable/writable).
int utNVRamDescribe(const char* self, DWORD index, NVRAMINFO* info);
int utNVRamCheckTransfer(const char* self, DWORD index, DWORD offset, DWORD length, bool write);
DWORD utNVRamRead(DWORD index, DWORD offset, DWORD length, BYTE** buffer);
DWORD utNVRamReadAll(DWORD index, BYTE** buffer);
int utNVRamReadAllPrint(DWORD index);
int utHandleNVR_WriteFile(DWORD index, char* filename);
int utHandleNVR_WriteBytes(DWORD index, DWORD offset, char** args, int num);
DWORD utNVRamWrite(DWORD index, DWORD offset, DWORD length, BYTE* buffer);
int utNVRamBlockRaw(DWORD index, DWORD block, DWORD command);
int utNVRamBlockErase(DWORD index, DWORD block);
int utNVRamBlockUnlock(DWORD index, DWORD block);
int utNVRamBlockLock(DWORD index, DWORD block);

// ---- I2C (utest-i2cinfo, utest-i2cread, utest-i2cwrite) ----
int utHandleI2C_ReadNew(int argc, char** argv);
int utHandleI2C_WriteNew(int argc, char** argv);
int utI2CGetBusCount(DWORD* count);
int utI2CGetBusCountPrint();
// What utI2CQueryBus writes to `busstring`: the record's name, ended.
constexpr size_t kBusStringChars = sizeof I2CBUSINFO::I2CBusString + 1;
int utI2CQueryBus(DWORD index, BYTE* busid, DWORD* busflags, DWORD* maxbsize, char* busstring);
int utI2CQueryBusPrint(DWORD index);
int utI2CReadByte(BYTE busid, BYTE devad, WORD offset, BYTE* byte, BYTE prot);
int utI2CReadWord(BYTE busid, BYTE devad, WORD offset, WORD* word, BYTE prot);
int utI2CReadBlock(BYTE busid, BYTE devad, WORD offset, BYTE** buffer, DWORD* count, BYTE prot);
int utI2CWriteByte(BYTE busid, BYTE devad, WORD offset, BYTE byte, BYTE prot);
int utI2CWriteWord(BYTE busid, BYTE devad, WORD offset, WORD word, BYTE prot);
int utI2CWriteBlock(BYTE busid, BYTE devad, WORD offset, BYTE prot, DWORD count, BYTE* buffer);
int utI2CWriteBlockFile(BYTE busid, BYTE devad, WORD offset, BYTE prot, DWORD count, char* filename);
int utI2CWriteBlockCmd(BYTE busid, BYTE devad, WORD offset, BYTE prot, int datac, char** data);

// ---- INFO (utest-info) ----
int utBoardInfo(BOARDINFO* info);
int utBoardInfoPrint();
int utCPUInfo(CPUINFO* info);
int utCPUInfoPrint();
int utGetBoardCfg(BYTE** buffer, DWORD* size);
int utGetBoardCfgPrint();
int utGetBoardCfgFile(char* filename);
int utSetBaordCfgFile(char* filename);

// ---- WD and VGA (utest-wd, utest-vga) ----
int utWDConfig(WORD delay, WORD timeout, WORD cmd);
int utWDStatus(BYTE* status);
int utWDTrigger();
int utVgaBacklightCtrl(BOOL state);
int utVgaBacklightOn();
int utVgaBacklightOff();
int utVgaBacklightValueGet();
int utVgaBacklightValueSet(BYTE blval);
int utVgaContrastValueGet();
int utVgaContrastValueSet(BYTE cval);

// ---- TEMP and VOLT (utest-sysmon) ----
int utMonThermCount(DWORD* count);
int utMonThermQuery(DWORD index, DWORD* stype, char* sstring);
int utMonThermQueryPrint(DWORD index);
int utMonThermValue(DWORD sensid, SDWORD* temp);
int utMonThermValuePrint(DWORD sensid);
int utMonThermValuePrintAll();
int utMonVoltCount(DWORD* count);
int utMonVoltQuery(DWORD index, SDWORD* nvalue, char* sstring);
int utMonVoltQueryPrint(DWORD index);
int utMonVoltValue(DWORD sensid, SDWORD* voltage);
int utMonVoltValuePrint(DWORD sensid);
int utMonVoltValuePrintAll();

// ---- SYS and BATT (utest-mobile) ----
int utMobileSysState(DWORD* mstate, DWORD* pstate);
int utMobileSysStatePrint();
int utMobileBatCount(DWORD* count);
int utMobileBatInfo(DWORD index, BATTERYINFO* binfo);
int utMobileBatInfoPrint(DWORD index);
int utMobileBatInfoPu(DWORD index);
int utMobileBatState(DWORD index, DWORD* status, DWORD* crate, DWORD* rcap, DWORD* volt);
int utMobileBatStatePrint(DWORD index);
