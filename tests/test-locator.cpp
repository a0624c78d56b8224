// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The BIOS32 directory scan over an in-memory firmware window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "bios32.h"
#include "firmware-image.h"

namespace {

class Locator : public ::testing::Test {
protected:
    void SetUp() override {
        window_.assign(kWindowLength, 0);
        saved_ = vPtr;
        vPtr = window_.data();
    }
    void TearDown() override { vPtr = saved_; }

    // A directory header at window offset `at`, its checksum made right
    // unless told otherwise.
    void Header(DWORD at, DWORD entry, BYTE length = 1, bool goodSum = true) {
        auto header = firmware_image::Header(entry, length);
        header[10] = BYTE(header[10] + (goodSum ? 0 : 1));
        std::copy(header.begin(), header.end(), window_.begin() + at);
    }

    DWORD FoundEntry() {
        BYTE header[32] = {};
        if (SearchForBIOS32(header) != 1) return 0;
        DWORD entry;
        memcpy(&entry, header + 4, 4);
        return entry;
    }

    std::vector<BYTE> window_;
    BYTE* saved_ = nullptr;
};

// Headers (window offset, entry, good checksum) and the entry found.
TEST_F(Locator, TheLowestHeaderWithARightChecksumOnTheSixteenByteGridWins) {
    struct Placed {
        DWORD at, entry;
        bool goodSum;
    };
    const struct {
        std::vector<Placed> headers;
        DWORD found;
    } cases[] = {
        {{}, 0},
        {{{0x108, 0xE1234, true}}, 0},  // off the grid
        {{{kWindowLength - 16, 0xFFF00, true}}, 0xFFF00},
        {{{0x2000, 0xE2000, true}, {0x1000, 0xE1000, true}}, 0xE1000},
        {{{0x1000, 0xE1000, false}, {0x3000, 0xE3000, true}}, 0xE3000},
    };
    for (const auto& c : cases) {
        std::fill(window_.begin(), window_.end(), 0);
        for (const Placed& h : c.headers) Header(h.at, h.entry, 1, h.goodSum);
        EXPECT_EQ(FoundEntry(), c.found) << c.headers.size() << " headers";
    }
    EXPECT_EQ(SearchForBIOS32(nullptr), 0);  // a window with a good header, no buffer
}

TEST_F(Locator, ChecksumLengths) {
    BYTE copy[32] = {'_', '3', '2', '_', 1, 2, 3, 4, 0, 0, 0};
    EXPECT_EQ(CheckBios32Data(copy), 1);  // length 0 sums nothing
    copy[9] = 1;
    EXPECT_EQ(CheckBios32Data(copy), 0);
    Header(0x40, 0xE0000, 2);
    memcpy(copy, window_.data() + 0x40, 16);
    memset(copy + 16, 0, 16);
    EXPECT_EQ(CheckBios32Data(copy), 1);  // two units: the zero half adds nothing
    copy[9] = 3;
    copy[10] = BYTE(copy[10] - 1);
    EXPECT_EQ(CheckBios32Data(copy), 0);  // longer than the copy: refused
}

}  // namespace
