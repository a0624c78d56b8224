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

using Families = BoardTest;

TEST_F(Families, NVDeviceInfoPassesTheCallersSizeField) {
    ASSERT_TRUE(OrnOpen());
    NVDEVICEINFO device{13, 0, 0, 0};
    EXPECT_TRUE(OrnGetNVDeviceInfo(3, &device));
    EXPECT_EQ(Calls().at(0), "call 0x15 030000000d0000000000000000000000 -> 0x0000 030000000d0000008900180008000000");
    EXPECT_EQ(device.NVDeviceInfoSize, 13u);
    EXPECT_EQ(device.NVBlockCount, 8u);
    EXPECT_EQ(rgtNVDeviceInfo[3].NVManufacturerID, 0x89);
}

TEST_F(Families, I2CBlockTransferCarriesAFarPointerToTheBuffer) {
    ASSERT_TRUE(OrnOpen());
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

// The pass-through's far pointer names the caller's buffer: the virtual
// board's OEM function writes the value there, and no byte past it.
TEST_F(Families, OEMPassThruWritesItsValueIntoTheCallersBuffer) {
    ASSERT_TRUE(OrnOpen());
    BYTE buffer[6] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_TRUE(OrnOEMPassThru(0x12345678, buffer));
    EXPECT_EQ(std::vector<BYTE>(buffer, buffer + 6), (std::vector<BYTE>{0x78, 0x56, 0x34, 0x12, 0xAA, 0xAA}));
}

// Ports need no open library. The address and data flags choose the port
// and the width (a byte before a word before a dword); a port the board file
// does not name reads 0xFF until written, and wider accesses span the ports
// after it; a narrow write moves (and traces) only its width of the value. A request without a width is refused after the I/O privilege is
// raised, one of another type or none before.
TEST_F(Families, OEMAccessChoosesWidthAndPortOrIsRefused) {
    UseBoard("[ports]\n0xF2 = 0x12\n0xF3 = 0x34\n0x1F2 = 0x56\n0x1F3 = 0x78\n0x1F4 = 0x9a\n0x1F5 = 0xbc\n", false);
    const DWORD port = OEM_ACCESS_PORT;
    struct {
        const char* what;
        bool write;
        OEMACCESS access;
        DWORD status, value;  // the last error, the value afterwards
        const char* trace;    // after "iopl allow"; null: not even that
    } cases[] = {
        {"8-bit address", false, {port, 0x1F2, 0, 1, 1, 0}, 0, 0x12, "inb 0x00f2 -> 0x12"},
        {"16-bit address", false, {port, 0x1F2, 0, 0, 1, 0}, 0, 0x56, "inb 0x01f2 -> 0x56"},
        {"above 0xFFFF", false, {port, 0x101F2, 0, 2, 2, 0}, 0, 0x7856, "inw 0x01f2 -> 0x7856"},
        {"byte wins", false, {port, 0x1F2, 0, 0, 3, 0}, 0, 0x56, "inb 0x01f2 -> 0x56"},
        {"word before dword", false, {port, 0x1F2, 0, 0, 6, 0}, 0, 0x7856, "inw 0x01f2 -> 0x7856"},
        {"dword", false, {port, 0x1F2, 0, 0, 4, 0}, 0, 0xbc9a7856, "inl 0x01f2 -> 0xbc9a7856"},
        {"not named", false, {port, 0x301, 0, 0, 1, 0}, 0, 0xFF, "inb 0x0301 -> 0xff"},
        {"written", true, {port, 0x300, 0, 0, 4, 0x11223344}, 0, 0x11223344, "outl 0x0300 0x11223344"},
        {"spanning", false, {port, 0x301, 0, 0, 2, 0}, 0, 0x2233, "inw 0x0301 -> 0x2233"},
        {"byte written", true, {port, 0x310, 0, 0, 1, 0xAABBCCDD}, 0, 0xAABBCCDD, "outb 0x0310 0xdd"},
        {"word written", true, {port, 0x311, 0, 0, 6, 0x11223344}, 0, 0x11223344, "outw 0x0311 0x3344"},
        {"narrow writes", false, {port, 0x310, 0, 0, 4, 0}, 0, 0xff3344dd, "inl 0x0310 -> 0xff3344dd"},
        {"write without width", true, {port, 0x300, 0, 0, 0, 7}, 0x8108, 7, ""},
        {"read without width", false, {port, 0x300, 0, 0, 0, 7}, 0x8108, 7, ""},
        {"memory", false, {3, 0x300, 0, 0, 1, 7}, 0x8000, 7, nullptr},
        {"unknown type", true, {1, 0x300, 0, 0, 1, 7}, 0x8106, 7, nullptr},
    };
    for (auto& c : cases) {
        ClearTrace();
        EXPECT_EQ(c.write ? OrnOEMWrite(&c.access) : OrnOEMRead(&c.access), c.status == 0) << c.what;
        EXPECT_EQ(LastError(), c.status) << c.what;
        EXPECT_EQ(DWORD{c.access.DataValue}, c.value) << c.what;  // a copy: the record is packed
        std::vector<std::string> trace;
        if (c.trace) trace.push_back("iopl allow");
        if (c.trace && *c.trace) trace.push_back(c.trace);
        EXPECT_EQ(Trace(), trace) << c.what;
    }
    EXPECT_FALSE(OrnOEMRead(nullptr));
    EXPECT_EQ(LastError(), 0x8103u);
}

TEST_F(Families, OEMWithoutIoPrivilegeTouchesNoPort) {
    UseBoard("[system]\niopl = deny\n", false);
    ASSERT_TRUE(OrnOpen());
    ClearTrace();
    OEMACCESS access{OEM_ACCESS_PORT, 0x80, 0, 0, 1, 0x55};
    EXPECT_FALSE(OrnOEMWrite(&access));
    EXPECT_EQ(LastError(), 0x8012u);
    EXPECT_EQ(Trace(), (std::vector<std::string>{"iopl deny"}));
}

}  // namespace
