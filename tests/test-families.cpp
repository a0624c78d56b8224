// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The API families through the C API, where a program may do what the tool
// does not: indices and size fields of its own, null pointers, a far pointer
// to its buffer, any port in any width. (The blocks the tool's calls build
// and what comes back are its golden files'.)
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
};

// ---- non-volatile memory ----

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

}  // namespace
