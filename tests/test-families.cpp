// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The API families through the C API: which firmware calls each makes, the
// blocks it builds, what it copies back and what it leaves alone.
#include <cstring>

#include "board-fixture.h"
#include "internal.h"

namespace {

class Families : public BoardTest {
protected:
    // The default board with `extra` appended, or `extra` alone.
    void Open(const std::string& extra = "", bool fromDefault = true) {
        if (!extra.empty()) UseBoard(extra, fromDefault);
        ASSERT_TRUE(OrnOpen());
        ClearTrace();
    }
    static int SemaphoreValue() {
        int value = -1;
        sem_getvalue(&hSem, &value);
        return value;
    }
};

// ---- non-volatile memory ----

TEST_F(Families, NVRamIndexAboveNineIsRefusedWithoutACall) {
    Open();
    NVRAMINFO info;
    NVDEVICEINFO device{12, 0, 0, 0};
    NVBLOCKINFO block{12, 0, 0};
    EXPECT_FALSE(OrnGetNVRamInfo(10, &info));
    EXPECT_EQ(LastError(), 0x8051u);
    EXPECT_FALSE(OrnGetNVDeviceInfo(10, &device));
    EXPECT_FALSE(OrnQueryNVBlock(10, 0, &block));
    EXPECT_FALSE(OrnNVDeviceRaw(10, 0, 0));
    EXPECT_EQ(LastError(), 0x8051u);
    EXPECT_TRUE(Calls().empty());
    EXPECT_FALSE(OrnGetNVRamInfo(9, &info));  // index 9 reaches the firmware
    EXPECT_EQ(LastError(), 0x8033u);
    EXPECT_EQ(Calls().size(), 1u);
}

TEST_F(Families, NVRamReadOfLengthZeroOrARefusedIndexMovesNothing) {
    Open();
    BYTE buffer[4];
    DWORD count = 77;
    EXPECT_TRUE(OrnReadNVRam(1, 0, 0, buffer, &count));
    EXPECT_EQ(count, 0u);
    // The refresh: the count, then every NVRAM's description.
    auto calls = Calls();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].substr(0, 9), "call 0x11");
    for (int i = 1; i < 5; ++i) EXPECT_EQ(calls[i].substr(0, 12), "call 0x12 0" + std::to_string(i - 1)) << calls[i];
    EXPECT_EQ(dwNVRamCount, 4u);
    EXPECT_EQ(rgtNVRamInfo[1].NVRamSize, 0x200u);
    // An index the firmware refuses: TRUE, nothing moved, its status kept.
    count = 9;
    EXPECT_TRUE(OrnReadNVRam(7, 0, 4, buffer, &count));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(LastError(), 0x8033u);
}

TEST_F(Families, NVRamNullPointersAreFoundAfterTheRefresh) {
    Open();
    DWORD count;
    BYTE buffer[1];
    EXPECT_FALSE(OrnWriteNVRam(1, 0, 1, nullptr, &count));
    EXPECT_EQ(LastError(), 0x8103u);
    EXPECT_EQ(Calls().size(), 5u);
    EXPECT_FALSE(OrnReadNVRam(1, 0, 1, buffer, nullptr));
    EXPECT_EQ(LastError(), 0x8103u);
    EXPECT_EQ(SemaphoreValue(), 1);
}

TEST_F(Families, NVRamShortTransferKeepsTheBytesMoved) {
    Open("[fault]\nfunction = 0x13\ncall = 3\nstatus = 0x8031\n");
    BYTE buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    DWORD count = 0;
    EXPECT_TRUE(OrnReadNVRam(2, 0, 4, buffer, &count));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(LastError(), 0x8031u);
    EXPECT_EQ(buffer[0], 0x4a);  // the VGA parameter memory's first bytes
    EXPECT_EQ(buffer[1], 0x06);
    EXPECT_EQ(buffer[2], 0xEE);
    EXPECT_EQ(SemaphoreValue(), 1);
    auto calls = Trace("call 0x13");
    ASSERT_EQ(calls.size(), 3u);  // one call per byte, the offset advancing
    EXPECT_EQ(calls[0].substr(0, 28), "call 0x13 020000000000000000");
    EXPECT_EQ(calls[1].substr(0, 28), "call 0x13 02000000010000004a");
}

TEST_F(Families, NVRamElevenMemoriesMakeEveryTransferFail) {
    std::string eleven;
    for (int i = 0; i < 7; ++i) eleven += "[nvram]\ntype = 0\nsize = 4\n";
    Open(eleven);
    BYTE buffer[1];
    DWORD count;
    EXPECT_FALSE(OrnReadNVRam(0, 0, 1, buffer, &count));
    EXPECT_EQ(LastError(), 0x8051u);
    EXPECT_TRUE(Trace("call 0x13").empty());
}

TEST_F(Families, NVDeviceInfoPassesTheCallersSizeField) {
    Open();
    NVDEVICEINFO device{13, 0, 0, 0};
    EXPECT_TRUE(OrnGetNVDeviceInfo(3, &device));
    EXPECT_EQ(Calls().at(0), "call 0x15 030000000d0000000000000000000000 -> 0x0000 030000000d0000008900180008000000");
    EXPECT_EQ(device.NVDeviceInfoSize, 13u);
    EXPECT_EQ(device.NVBlockCount, 8u);
    EXPECT_EQ(rgtNVDeviceInfo[3].NVManufacturerID, 0x89);
}

// ---- I2C ----

TEST_F(Families, I2CReadsPresetTheirDataAndKeepTheCallersOnFailure) {
    Open();
    BYTE byte = 0x11;
    WORD word = 0x2222;
    EXPECT_TRUE(OrnI2CRead8(0, 0x50, 1, &byte, 1));
    EXPECT_EQ(byte, 0x10);
    EXPECT_FALSE(OrnI2CRead8(0, 0x51, 1, &byte, 1));
    EXPECT_FALSE(OrnI2CRead16(7, 0x50, 0, &word, 1));
    EXPECT_EQ(byte, 0x10);
    EXPECT_EQ(word, 0x2222);
    auto calls = Calls();
    EXPECT_EQ(calls[0], "call 0x21 00500100cc01 -> 0x0000 005001001001");
    EXPECT_EQ(calls[2], "call 0x23 07500000cccc01 -> 0x8021 07500000cccc01");
}

TEST_F(Families, I2CBlockTransferCarriesAFarPointerToTheBuffer) {
    Open();
    BYTE buffer[32] = {};
    DWORD count = 32;
    EXPECT_TRUE(OrnI2CReadBlock(10, 0x50, 0, buffer, &count, 1));
    EXPECT_EQ(count, 32u);
    EXPECT_EQ(buffer[1], 0xFF);  // the EDID header
    std::string call = Calls().at(0);
    // bus, address, offset; the selector; ...; count and protocol.
    EXPECT_EQ(call.substr(10, 8), "0a500000");
    WORD selector = CallerDataSelector();
    char expected[8];
    snprintf(expected, sizeof expected, "%02x%02x", selector & 0xFF, selector >> 8);
    EXPECT_EQ(call.substr(18, 4), expected);
    EXPECT_EQ(call.substr(30, 10), "2000000001");
#if defined(__i386__)
    DWORD offset = static_cast<DWORD>(reinterpret_cast<uintptr_t>(buffer));
    snprintf(expected, sizeof expected, "%02x", offset & 0xFF);
    EXPECT_EQ(call.substr(22, 2), expected);
#endif
}

TEST_F(Families, I2CBlockCountsComeBackForReadsAndWritesAlike) {
    Open();
    BYTE buffer[40] = {1, 2, 3};
    DWORD count = 40;
    EXPECT_TRUE(OrnI2CWriteBlock(1, 0x57, 0, buffer, &count, 1));
    EXPECT_EQ(count, 16u);  // the bus moves 16 at most
    count = 40;
    EXPECT_TRUE(OrnI2CReadBlock(1, 0x57, 0, buffer, &count, 1));
    EXPECT_EQ(count, 16u);
    count = 5;
    EXPECT_FALSE(OrnI2CReadBlock(1, 0x58, 0, buffer, &count, 1));
    EXPECT_EQ(count, 5u);  // a failed transfer leaves the request
    EXPECT_FALSE(OrnI2CWriteBlock(1, 0x57, 0, buffer, nullptr, 1));
    EXPECT_EQ(LastError(), 0x8103u);
    EXPECT_EQ(Calls().size(), 3u);
}

TEST_F(Families, I2CBusQueryCopiesTheWholeRecord) {
    Open();
    I2CBUSINFO info{};
    info.I2CBusInfoSize = 99;
    EXPECT_TRUE(OrnQueryI2CBus(3, &info));
    EXPECT_EQ(info.I2CBusInfoSize, 99u);
    EXPECT_EQ(info.I2CBusID, 11);
    EXPECT_EQ(info.I2CMaxBlockSize, 128u);
    EXPECT_FALSE(OrnQueryI2CBus(4, &info));  // passed on unchanged: the firmware refuses
    EXPECT_EQ(LastError(), 0x8021u);
    EXPECT_EQ(info.I2CBusID, 11);
}

// ---- watchdog and display ----

TEST_F(Families, WatchdogBlocks) {
    Open("[watchdog]\nstatus = 5\n[fault]\nfunction = 0x32\ncall = 2\nstatus = 0x8000\n", false);
    EXPECT_TRUE(OrnWDConfig(0, 0, 0));
    EXPECT_TRUE(OrnWDConfig(0xFFFF, 0x1234, 0xABCD));
    EXPECT_TRUE(OrnWDTrigger());
    BYTE status = 0x42;
    EXPECT_TRUE(OrnWDGetStatus(&status));
    EXPECT_EQ(status, 5);  // passed on unchanged
    status = 0x42;
    EXPECT_FALSE(OrnWDGetStatus(&status));
    EXPECT_EQ(status, 0x42);
    auto calls = Calls();
    EXPECT_EQ(calls[0], "call 0x31 000000000000 -> 0x0000 000000000000");
    EXPECT_EQ(calls[1], "call 0x31 ffff3412cdab -> 0x0000 ffff3412cdab");
    EXPECT_EQ(calls[2], "call 0x33 null -> 0x0000 null");
}

TEST_F(Families, DisplayBlocksStartWithZero) {
    Open();
    BYTE value = 0x99;
    EXPECT_TRUE(OrnBacklightCtrl(2));
    EXPECT_TRUE(OrnSetBacklightValue(0));
    EXPECT_TRUE(OrnSetBacklightValue(0xFF));
    EXPECT_TRUE(OrnGetBacklightValue(&value));
    EXPECT_EQ(value, 0xFF);
    EXPECT_TRUE(OrnSetContrastValue(0x10));
    EXPECT_TRUE(OrnGetContrastValue(&value));
    EXPECT_EQ(value, 0x10);
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "call 0x41 0002 -> 0x0000 0002", "call 0x43 0000 -> 0x0000 0000",
                           "call 0x43 00ff -> 0x0000 00ff", "call 0x42 0000 -> 0x0000 00ff",
                           "call 0x45 0010 -> 0x0000 0010", "call 0x44 0000 -> 0x0000 0010"}));
}

// ---- sensors and batteries ----

TEST_F(Families, SensorQueriesCarryIndexAndSizeAndCopyTheWholeRecord) {
    Open("[fault]\nfunction = 0x53\nstatus = 0x8041\n");
    TSENSORINFO info{};
    info.TSensorInfoSize = 16;
    EXPECT_TRUE(OrnQueryThermSensor(1, &info));
    EXPECT_EQ(Calls().at(0).substr(0, 50), "call 0x52 0100000010000000000000000000000000000000");
    EXPECT_STREQ(info.SensorString, "Board");
    VSENSORINFO volt{};
    volt.VSensorInfoSize = 20;  // what the firmware leaves there comes back
    EXPECT_TRUE(OrnQueryVoltSensor(0, &volt));
    EXPECT_EQ(volt.VSensorInfoSize, 20u);
    SDWORD value = 1234;
    EXPECT_FALSE(OrnGetThermSensorValue(0, &value));
    EXPECT_EQ(value, 1234);
    EXPECT_FALSE(OrnGetVoltSensorValue(3, &value));  // the count is not checked
    EXPECT_EQ(LastError(), 0x8041u);
}

TEST_F(Families, BatteryRecordsComeBackWhole) {
    Open();
    BATTERYINFO info;
    memset(&info, 0xAB, sizeof info);
    info.BatteryInfoSize = 84;
    EXPECT_TRUE(OrnGetBatteryInfo(0, &info));
    EXPECT_EQ(info.BatteryInfoSize, 84u);
    EXPECT_EQ(info.DesignCapacity, 2200u);
    EXPECT_EQ(Calls().at(0).substr(0, 26), "call 0x63 0000000054000000");
    BATTERYSTATE state;
    memset(&state, 0xAB, sizeof state);
    state.BatteryStateSize = 20;
    EXPECT_TRUE(OrnGetBatteryState(0, &state));
    EXPECT_EQ(state.Voltage, 12050u);
    EXPECT_FALSE(OrnGetBatteryState(1, &state));  // beyond the count: the firmware says so
    EXPECT_EQ(LastError(), 0x8041u);
    EXPECT_EQ(state.Voltage, 12050u);
}

// ---- OEM access ----

struct PortCase {
    const char* what;
    DWORD address;
    WORD addressFlags, dataFlags;
    const char* trace;
    DWORD value;
};

TEST_F(Families, OEMReadsChooseWidthAndPort) {
    Open("[ports]\n0xF2 = 0x12\n0xF3 = 0x34\n0x1F2 = 0x56\n0x1F3 = 0x78\n0x1F4 = 0x9a\n0x1F5 = 0xbc\n", false);
    const PortCase cases[] = {
        {"8-bit address", 0x1F2, 1, 1, "inb 0x00f2 -> 0x12", 0x12},
        {"16-bit address", 0x1F2, 0, 1, "inb 0x01f2 -> 0x56", 0x56},
        {"above 0xFFFF", 0x101F2, 2, 2, "inw 0x01f2 -> 0x7856", 0x7856},
        {"byte wins", 0x1F2, 0, 3, "inb 0x01f2 -> 0x56", 0x56},
        {"word before dword", 0x1F2, 0, 6, "inw 0x01f2 -> 0x7856", 0x7856},
        {"dword", 0x1F2, 0, 4, "inl 0x01f2 -> 0xbc9a7856", 0xbc9a7856},
    };
    for (const PortCase& c : cases) {
        ClearTrace();
        OEMACCESS access{OEM_ACCESS_PORT, c.address, 0, c.addressFlags, c.dataFlags, 0xFFFFFFFF};
        EXPECT_TRUE(OrnOEMRead(&access)) << c.what;
        EXPECT_EQ(access.DataValue, c.value) << c.what;
        EXPECT_EQ(Trace(), (std::vector<std::string>{"iopl allow", c.trace})) << c.what;
    }
}

// Ports need no open library; a port the board file does not name reads
// 0xFF until written, and wider accesses span the ports after it.
TEST_F(Families, OEMWritesAndRefusals) {
    OEMACCESS board{OEM_ACCESS_PORT, 0x2E, 0, 0, 1, 0}, other{OEM_ACCESS_PORT, 0x301, 0, 0, 1, 0};
    EXPECT_TRUE(OrnOEMRead(&board));
    EXPECT_EQ(board.DataValue, 0x87u);
    EXPECT_TRUE(OrnOEMRead(&other));
    EXPECT_EQ(other.DataValue, 0xFFu);
    Open();
    OEMACCESS access{OEM_ACCESS_PORT, 0x300, 0, 0, 4, 0x11223344};
    EXPECT_TRUE(OrnOEMWrite(&access));
    other.DataFlags = 2;
    EXPECT_TRUE(OrnOEMRead(&other));
    EXPECT_EQ(other.DataValue, 0x2233u);
    access.DataFlags = 0;
    EXPECT_FALSE(OrnOEMWrite(&access));
    EXPECT_EQ(LastError(), 0x8108u);
    EXPECT_FALSE(OrnOEMRead(&access));
    EXPECT_EQ(access.DataValue, 0x11223344u);  // untouched
    access.AccessType = 3;
    EXPECT_FALSE(OrnOEMRead(&access));
    EXPECT_EQ(LastError(), 0x8000u);
    access.AccessType = 1;
    EXPECT_FALSE(OrnOEMWrite(&access));
    EXPECT_EQ(LastError(), 0x8106u);
    EXPECT_FALSE(OrnOEMRead(nullptr));
    EXPECT_EQ(LastError(), 0x8103u);
    EXPECT_EQ(Trace(), (std::vector<std::string>{"iopl allow", "outl 0x0300 0x11223344", "iopl allow",
                                                 "inw 0x0301 -> 0x2233", "iopl allow", "iopl allow"}));
}

TEST_F(Families, OEMWithoutIoPrivilegeTouchesNoPort) {
    Open("[system]\niopl = deny\n", false);
    OEMACCESS access{OEM_ACCESS_PORT, 0x80, 0, 0, 1, 0x55};
    EXPECT_FALSE(OrnOEMWrite(&access));
    EXPECT_EQ(LastError(), 0x8012u);
    EXPECT_EQ(Trace(), (std::vector<std::string>{"iopl deny"}));
}

TEST_F(Families, PassThruWritesTheValueIntoTheBuffer) {
    Open();
    BYTE buffer[8] = {};
    EXPECT_TRUE(OrnOEMPassThru(0x12345678, buffer));
    EXPECT_EQ(buffer[0], 0x78);
    EXPECT_EQ(buffer[3], 0x12);
    EXPECT_EQ(buffer[4], 0x00);
    EXPECT_EQ(Calls().at(0).substr(0, 18), "call 0x71 78563412");
}

}  // namespace
