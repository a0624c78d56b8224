// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The board-file parser: the default board, values, contents files and the
// limits. (Refused boards are tool cases; damaged ones are the fuzzer's.)
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "board.h"

namespace {

using ornsim_board::Board;

bool ParseText(const std::string& text, Board& board, std::string& error) {
    return ornsim_board::Parse(text, "t.board", "/nonexistent", board, error);
}

TEST(BoardFile, DefaultBoardLoadsAndExercisesEveryFamily) {
    Board b;
    std::string error;
    ASSERT_TRUE(ornsim_board::Parse(ornsim_board::kDefaultBoard, "default.board", ".", b, error)) << error;
    EXPECT_TRUE(b.zoka);
    EXPECT_STREQ(b.info.HWPlatform, "ORN-EPC-3510");
    EXPECT_EQ(b.info.ManufacturingDate.Year, 0x2022);
    EXPECT_EQ(b.info.ManufacturingDate.Day, 0x07);
    EXPECT_GE(b.configSize, 64u);
    ASSERT_EQ(b.nvrams.size(), 4u);
    for (DWORD t = 0; t < 4; ++t) EXPECT_EQ(*b.nvrams[t].type, t);
    EXPECT_GE(b.nvrams[3].blockCount(), 4u);
    EXPECT_GE(b.buses.size(), 3u);
    EXPECT_GE(b.temps.size(), 2u);
    EXPECT_GE(b.volts.size(), 3u);
    EXPECT_EQ(b.batteries.size(), 1u);
    // The EDID block on the LFP EDID bus carries a valid checksum.
    bool edid = false;
    for (const auto& dev : b.devices) {
        if (*dev.bus != 10 || *dev.address != 0x50) continue;
        ASSERT_EQ(dev.contents.list.size(), 128u);
        BYTE sum = 0;
        for (BYTE x : dev.contents.list) sum = BYTE(sum + x);
        EXPECT_EQ(sum, 0);
        edid = true;
    }
    EXPECT_TRUE(edid);
}

TEST(BoardFile, ValuesQuotesAndDefaults) {
    Board b;
    std::string error;
    ASSERT_TRUE(ParseText("# comment\n\n  [board]  \nplatform = \"  two  words \"\nserial = \"q\\\"\\\\\\x41\"\n"
                          "bootcounter = 0x10\noptime = 010\n"
                          "[nvram]\ntype = 3\nsize = 64\n"
                          "[i2c-bus]\nid = 11\nname = \"12345678\"\n"
                          "[i2c-device]\nbus = 11\naddress = 0xA0\n"
                          "[i2c-device]\nbus = 11\naddress = 0xA2\nsize = 65536\n"
                          "[volt-sensor]\nnominal = unknown\nvalue = -0x10\n"
                          "[battery]\nrate = unknown\n",
                          b, error))
        << error;
    EXPECT_STREQ(b.info.HWPlatform, "  two  words ");
    EXPECT_STREQ(b.info.SerialNumber, "q\"\\A");
    EXPECT_EQ(b.info.BootCounter, 16u);
    EXPECT_EQ(b.info.OperatingTime, 8u);
    EXPECT_EQ(*b.nvrams[0].blockSize, 8u);  // a flash is 8 blocks by default
    EXPECT_EQ(*b.nvrams[0].contents.fill, 0xFF);
    EXPECT_EQ(b.nvrams[0].flags, 3u);
    EXPECT_EQ(memcmp(b.buses[0].name, "12345678", 8), 0);  // fills the field, no terminator
    EXPECT_EQ(b.buses[0].maxBlock, 32u);
    EXPECT_EQ(b.devices[0].size, 256u);
    EXPECT_EQ(b.devices[1].size, 65536u);  // the largest a device may be
    EXPECT_EQ(b.volts[0].nominal, VSENSOR_NOMINAL_UNKNOWN);
    EXPECT_EQ(b.volts[0].value, -16);
    EXPECT_EQ(b.batteries[0].state.CurrentRate, 0xFFFFFFFFu);
    EXPECT_EQ(b.cpu.CPUClass, 0x0F);
    EXPECT_EQ(b.configSize, 256u);
}

TEST(BoardFile, FileContentsWithTheListOverTheFileAndTheFill) {
    char dir[] = "/tmp/ornsys-board-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::ofstream(std::string(dir) + "/cmos.bin", std::ios::binary) << "ABCD";
    Board b;
    std::string error;
    ASSERT_TRUE(ornsim_board::Parse("[nvram]\ntype = 0\nsize = 8\nfile = cmos.bin\ndata = 31\nfill = 0x55\n",
                                    "t.board", dir, b, error))
        << error;
    EXPECT_EQ(b.nvrams[0].contents.list, (std::vector<BYTE>{'1', 'B', 'C', 'D'}));
    EXPECT_EQ(*b.nvrams[0].contents.fill, 0x55);
    EXPECT_FALSE(ornsim_board::Parse("[nvram]\ntype = 0\nsize = 3\n\nfile = cmos.bin\n", "t.board", dir, b, error));
    EXPECT_EQ(error, "ornsim: t.board:5: file 'cmos.bin' is longer than its memory");
    std::string cleanup = std::string("rm -rf ") + dir;
    EXPECT_EQ(system(cleanup.c_str()), 0);
}

// Boards too big to write out; the other refused boards are tool cases
// (golden/board-file.t).
std::string Repeated(const std::string& section, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += section;
    return text;
}

TEST(BoardFile, LimitsNameTheLineOfTheFault) {
    const std::pair<std::string, const char*> cases[] = {
        {Repeated("[fault]\nfunction = 1\nstatus = 1\n", 1025), "3073: more than 1024 [fault] sections"},
        {"[i2c-bus]\nid = 0\n" + Repeated("[i2c-device]\nbus = 0\naddress = 1\nsize = 1\n", 1025),
         "4099: more than 1024 [i2c-device] sections"},
        {Repeated("[nvram]\ntype = 0\nsize = 0x1000000\n", 4),
         "12: the board's memories come to 67109120 bytes, more than 67108864 (64 MiB)"},
        {Repeated("[nvram]\ntype=0\nsize=1\n", 16) + "[nvram]\n", "49: more than 16 [nvram] sections"},
    };
    for (const auto& [text, line] : cases) {
        Board b;
        std::string error;
        EXPECT_FALSE(ParseText(text, b, error));
        EXPECT_EQ(error, std::string("ornsim: t.board:") + line);
    }
}

}  // namespace
