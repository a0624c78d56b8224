// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The board-file parser: the default board, values, and one error line
// with the file and line of the first fault.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
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

struct BadBoard {
    const char* text;
    const char* error;
};

void PrintTo(const BadBoard& bad, std::ostream* os) { *os << '"' << bad.error << '"'; }

// One section more than a board may have.
std::string Repeated(const std::string& section, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += section;
    return text;
}
const std::string kTooManyFaults = Repeated("[fault]\nfunction = 1\nstatus = 1\n", 1025);
const std::string kTooManyDevices = "[i2c-bus]\nid = 0\n" + Repeated("[i2c-device]\nbus = 0\naddress = 1\nsize = 1\n", 1025);
const std::string kTooMuchMemory = Repeated("[nvram]\ntype = 0\nsize = 0x1000000\n", 4);

class BoardFileErrors : public ::testing::TestWithParam<BadBoard> {};

TEST_P(BoardFileErrors, NameTheLineOfTheFault) {
    Board b;
    std::string error;
    EXPECT_FALSE(ParseText(GetParam().text, b, error));
    EXPECT_EQ(error, std::string("ornsim: t.board:") + GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BoardFileErrors,
    ::testing::Values(
        BadBoard{"[nosuch]\n", "1: unknown section [nosuch]"},
        BadBoard{"[board]\nplatform = x\n[board]\n", "3: section [board] given twice"},
        BadBoard{"\n[cpu\n", "2: unterminated section name"},
        BadBoard{"[cpu]\nclass\n", "2: expected key = value"},
        BadBoard{"class = 1\n", "1: key outside a section"},
        BadBoard{"[cpu]\ncolour = red\n", "2: unknown key 'colour'"},
        BadBoard{"[cpu]\nclass = 0x100\n", "2: value 0x100 out of range"},
        BadBoard{"[cpu]\nspeed = 12x\n", "2: bad number '12x'"},
        BadBoard{"[cpu]\nspeed = 08\n", "2: bad number '08'"},
        BadBoard{"[cpu]\nspeed = -1\n", "2: value -1 out of range"},
        BadBoard{"[board]\nbootcounter = 0x100000000\n", "2: bad number '0x100000000'"},
        BadBoard{"[temp-sensor]\nvalue = -2147483649\n", "2: value -2147483649 out of range"},
        BadBoard{"[board]\nplatform = 0123456789abcdef\n", "2: text longer than 15 characters"},
        BadBoard{"[i2c-bus]\nid = 1\nname = \"123456789\"\n", "3: text longer than 8 characters"},
        BadBoard{"[board]\nserial = \"abc\n", "2: unterminated quoted text"},
        BadBoard{"[board]\nserial = \"a\\q\"\n", "2: bad escape in quoted text"},
        BadBoard{"[board]\nserial = \"a\" b\n", "2: text after closing quote"},
        BadBoard{"[board]\nmanufactured = 1.2.2020 10:00\n", "2: date must be DD.MM.YYYY HH:MM"},
        BadBoard{"[board]\nmanufactured = x1.02.2020 10:00\n", "2: date must be DD.MM.YYYY HH:MM"},
        BadBoard{"[board]\nconfig-size = 0x100001\n", "2: config-size above 1 MiB"},
        BadBoard{"[board]\nconfig-size = 2\nconfig = 01 02\nconfig = 03\n", "4: config longer than config-size"},
        BadBoard{"[nvram]\ntype = 0\nsize = 2\ndata = 1 2\n", "4: bad byte '1' (two hexadecimal digits)"},
        BadBoard{"[nvram]\ntype = 0\nsize = 2\ndata = 01 02 03\n", "4: data longer than the nvram"},
        BadBoard{"[nvram]\ntype = 0\n\n[cpu]\n", "1: [nvram] needs type and size"},
        BadBoard{"[nvram]\ntype = 0\nsize = 0x1000001\n", "3: nvram size above 16 MiB"},
        BadBoard{"[nvram]\ntype = 3\nsize = 100\nblock-size = 30\n", "1: size is not a multiple of block-size"},
        BadBoard{"[nvram]\ntype = 1\nsize = 100\nlocked = yes\n", "1: flash keys given for an nvram that is not type 3"},
        BadBoard{"[nvram]\ntype = 3\nsize = 8\nlocked = maybe\n", "4: expected yes or no"},
        BadBoard{"[nvram]\ntype = 0\nsize = 8\nfile = none.bin\n", "4: cannot read file 'none.bin': No such file or directory"},
        BadBoard{"[nvram]\ntype = 0\nsize = 8\nfile = /tmp\n", "4: cannot read file '/tmp': is a directory"},
        BadBoard{"[nvram]\ntype = 0\nsize = 8\nfile = /dev/null\n", "4: cannot read file '/dev/null': not a regular file"},
        BadBoard{"[temp-sensor]\nramp = 40 .. 90\n", "2: ramp must be A .. B over DURATION"},
        BadBoard{"[temp-sensor]\nramp = 40 .. 90 over 60\n",
                 "2: bad duration in '40 .. 90 over 60' (e.g. 60s, 1500ms, 2m, 1h; at most 876600h)"},
        BadBoard{"[temp-sensor]\nramp = 40 .. 90 over 876601h\n",
                 "2: bad duration in '40 .. 90 over 876601h' (e.g. 60s, 1500ms, 2m, 1h; at most 876600h)"},
        BadBoard{kTooManyFaults.c_str(), "3073: more than 1024 [fault] sections"},
        BadBoard{kTooManyDevices.c_str(), "4099: more than 1024 [i2c-device] sections"},
        BadBoard{kTooMuchMemory.c_str(), "12: the board's memories come to 67109120 bytes, more than 67108864 (64 MiB)"},
        BadBoard{"[temp-sensor]\nvalues = 45, x\n", "2: bad number 'x'"},
        BadBoard{"[battery]\nremaining = 1, 0x100000000\n", "2: bad number '0x100000000'"},
        BadBoard{"[watchdog]\nunit = us\n", "2: expected s or ms"},
        BadBoard{"[watchdog]\ntimer = on\n", "2: expected yes or no"},
        BadBoard{"[board]\ncounters = yes\n", "2: expected run or still"},
        BadBoard{"[board]\noptime-unit = days\n", "2: expected hours, minutes or seconds"},
        BadBoard{"[i2c-bus]\nname = x\n", "1: [i2c-bus] needs an id"},
        BadBoard{"[i2c-bus]\nid = 1\n[i2c-bus]\nid = 1\n", "3: i2c bus id 1 declared twice"},
        BadBoard{"[i2c-device]\nbus = 0\n", "2: bus 0 is not declared above"},
        BadBoard{"[i2c-bus]\nid = 0\n[i2c-device]\nbus = 0\n", "3: [i2c-device] needs bus and address"},
        BadBoard{"[i2c-bus]\nid = 0\n[i2c-device]\nbus = 0\naddress = 1\nsize = 0\n", "6: device size must be 1 to 65536"},
        BadBoard{"[display]\nbacklight = dim\n", "2: expected on or off"},
        BadBoard{"[system]\niopl = maybe\n", "2: expected allow or deny"},
        BadBoard{"[firmware]\nzoka = gone\n", "2: expected present or absent"},
        BadBoard{"[ports]\n0x10000 = 1\n", "2: value 0x10000 out of range"},
        BadBoard{"[fault]\nstatus = 1\n", "1: [fault] needs a function"},
        BadBoard{"[fault]\nfunction = 1\n", "1: [fault] needs either status or count"},
        BadBoard{"[fault]\nfunction = 1\nstatus = 0\n", "3: status must not be 0"},
        BadBoard{"[fault]\nfunction = 1\ncall = 0\n", "3: call counts from 1"},
        BadBoard{"[fault]\nfunction = 0x13\ncount = 2\n", "1: count applies to functions 0x27 and 0x28 only"},
        BadBoard{"[fault]\nfunction = 0x01\nindex = 2\nstatus = 1\n", "1: function takes no index"},
        BadBoard{"[nvram]\ntype=0\nsize=1\n[nvram]\ntype=0\nsize=1\n[nvram]\ntype=0\nsize=1\n[nvram]\ntype=0\nsize=1\n"
                 "[nvram]\ntype=0\nsize=1\n[nvram]\ntype=0\nsize=1\n[nvram]\ntype=0\nsize=1\n[nvram]\ntype=0\nsize=1\n"
                 "[nvram]\ntype=0\nsize=1\n[nvram]\ntype=0\nsize=1\n[nvram]\ntype=0\nsize=1\n[nvram]\ntype=0\nsize=1\n"
                 "[nvram]\ntype=0\nsize=1\n[nvram]\ntype=0\nsize=1\n[nvram]\ntype=0\nsize=1\n[nvram]\ntype=0\nsize=1\n"
                 "[nvram]\n",
                 "49: more than 16 [nvram] sections"}),
    // Each case is named after the message it expects.
    [](const ::testing::TestParamInfo<BadBoard>& info) {
        std::string name = std::to_string(info.index) + "_";
        for (const char* c = strchr(info.param.error, ' ') + 1; *c && name.size() < 48; ++c)
            if (isalnum(static_cast<unsigned char>(*c))) name += *c;
        return name;
    });

// Every prefix of the default board either parses or fails with one line:
// truncated input never crashes the parser or reads past its end.
TEST(BoardFile, EveryPrefixOfTheDefaultBoardEndsCleanly) {
    std::string text = ornsim_board::kDefaultBoard;
    for (size_t n = 0; n <= text.size(); n += 7) {
        Board b;
        std::string error;
        if (!ParseText(text.substr(0, n), b, error)) {
            EXPECT_EQ(error.rfind("ornsim: t.board:", 0), 0u);
        }
    }
}

// Random damage to the default board: each mutant parses or fails with
// one line; under AddressSanitizer nothing reads or writes out of bounds.
TEST(BoardFile, MutantsOfTheDefaultBoardEndCleanly) {
    const std::string original = ornsim_board::kDefaultBoard;
    const char pieces[] = {'"', '\\', '[', ']', '=', '#', '\n', ' ', 'x', '0', '-', '\0', '\xff'};
    std::mt19937 random(2026);
    for (int round = 0; round < 2000; ++round) {
        std::string text = original;
        for (int edits = 1 + random() % 4; edits > 0; --edits) {
            size_t at = random() % text.size();
            switch (random() % 3) {
                case 0: text[at] = pieces[random() % sizeof pieces]; break;
                case 1: text.insert(at, 1, pieces[random() % sizeof pieces]); break;
                default: text.erase(at, 1 + random() % 8); break;
            }
        }
        Board b;
        std::string error;
        if (!ParseText(text, b, error)) {
            ASSERT_EQ(error.rfind("ornsim: t.board:", 0), 0u) << error;
            ASSERT_EQ(error.find('\n'), std::string::npos);
        }
    }
}

}  // namespace
