// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The board-file parser: the default board and the limits. (Refused boards
// and values written every way are tool cases; damaged boards the fuzzer's.)
#include <gtest/gtest.h>

#include <string>

#include "board.h"

namespace {

using ornsim_board::Board;

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
        EXPECT_FALSE(ornsim_board::Parse(text, "t.board", "/nonexistent", b, error));
        EXPECT_EQ(error, std::string("ornsim: t.board:") + line);
    }
}

}  // namespace
