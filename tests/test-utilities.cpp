// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The tool's utilities: hex dump layout, string look-up, number rule.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "utest.h"

namespace {

std::string Dump(std::vector<BYTE> bytes, DWORD add) {
    testing::internal::CaptureStdout();
    hexdump(bytes.data(), DWORD(bytes.size()), add);
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

std::vector<BYTE> Range(int from, int count) {
    std::vector<BYTE> v;
    for (int i = 0; i < count; ++i) v.push_back(BYTE(from + i));
    return v;
}

TEST(Hexdump, Layouts) {
    EXPECT_EQ(Dump({}, 0), "");
    EXPECT_EQ(Dump(Range(0x41, 16), 0),
              " 0x000x: 41 42 43 44  45 46 47 48  49 4a 4b 4c  4d 4e 4f 50  ABCDEFGHIJKLMNOP\n");
    std::string line = Dump(Range(0x41, 16), 0);
    EXPECT_EQ(line.size(), 78u);  // 77 characters and the newline
    EXPECT_EQ(Dump(Range(0x30, 17), 0x10),
              " 0x010x: 30 31 32 33  34 35 36 37  38 39 3a 3b  3c 3d 3e 3f  0123456789:;<=>?\n"
              " 0x020x: 40  @\n");
    std::vector<BYTE> mixed = Range(0x41, 16);
    for (BYTE b : {0x00, 0x7F, 0x80, 0x20}) mixed.push_back(b);
    EXPECT_EQ(Dump(mixed, 0x100),
              " 0x100x: 41 42 43 44  45 46 47 48  49 4a 4b 4c  4d 4e 4f 50  ABCDEFGHIJKLMNOP\n"
              " 0x110x: 00 7f 80 20   ... \n");
    EXPECT_EQ(Dump({0xFF}, 4096), " 0x1000x: ff  .\n");
    EXPECT_EQ(Dump(Range(0x61, 8), 0xABCDEF), " 0xABCDEFx: 61 62 63 64  65 66 67 68   abcdefgh\n");
}

TEST(StringLookup, CaseInsensitiveFirstMatch) {
    const char* const table[] = {"-NVR", "-I2C", "-nvr"};
    EXPECT_EQ(StringInArray("-nvr", table, 3), 0);
    EXPECT_EQ(StringInArray("-i2C", table, 3), 1);
    EXPECT_EQ(StringInArray("-nv", table, 3), -1);
    EXPECT_EQ(StringInArray("-NVR", table, 0), -1);
}

TEST(NumberRule, DecimalHexOctalAndSaturation) {
    struct Case {
        const char* text;
        DWORD value;
    } cases[] = {
        {"12abc", 12},           {"abc", 0},          {"010", 8},           {"0x1F", 31},
        {"0X1f", 31},            {" 7", 7},           {"+5", 5},            {"-1", 0xFFFFFFFF},
        {"0x7FFFFFFF", 0x7FFFFFFF}, {"0x80000000", 0x7FFFFFFF}, {"99999999999", 0x7FFFFFFF},
        {"-0x80000000", 0x80000000}, {"-99999999999", 0x80000000}, {"08", 0}, {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(DWORD(utNumber(c.text)), c.value) << c.text;
    // Narrowing to a field drops the high bits.
    EXPECT_EQ(BYTE(utNumber("0x1FF")), 0xFF);
    EXPECT_EQ(WORD(utNumber("65536")), 0);
}

TEST(Files, DumpWritesEveryByteAndReportsFailures) {
    char path[] = "/tmp/ornsys-dump-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    BYTE data[] = {0x00, 0x0a, 0x0d, 0xff};
    testing::internal::CaptureStdout();
    EXPECT_EQ(dumptofile(data, 4, path), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("writing 4 bytes to ") + path + "\n");
    BYTE back[8];
    EXPECT_EQ(utReadFile(path, back, sizeof back), 4);
    EXPECT_EQ(memcmp(back, data, 4), 0);
    unlink(path);
    char bad[] = "/nonexistent/dir/file";
    testing::internal::CaptureStderr();
    EXPECT_EQ(dumptofile(data, 4, bad), -10);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "dumptofile: could not open file /nonexistent/dir/file for write access\n");
    EXPECT_EQ(utReadFile(bad, back, 4), -1);
}

}  // namespace
