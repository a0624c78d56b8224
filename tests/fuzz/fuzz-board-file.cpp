// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Fuzzes the board-file parser in memory; a board that parses is then
// loaded by the library and answers one call of every API function.
#include <stdlib.h>

#include <fstream>
#include <string>
#include <vector>

#include "board.h"
#include "every-call.h"
#include "scratch.h"

namespace {

// Every function, on every NVRAM (up to 10), bus (up to 8) and the first
// four sensors and batteries the board may have.
void CallEveryFunction() {
    using every_call::Reach;
    DWORD nvrams = 0, buses = 0;
    OrnGetNVRamCount(&nvrams);
    OrnGetI2CBusCount(&buses);
    std::vector<DWORD> busIds;
    for (DWORD i = 0; i < buses && i < 8; ++i) {
        auto bus = every_call::Sized<I2CBUSINFO>();
        if (OrnQueryI2CBus(i, &bus)) busIds.push_back(bus.I2CBusID);
    }
    for (const every_call::ApiCall& c : every_call::kCalls) {
        if (c.reach == Reach::kNothing) c.call(0);
        for (DWORD i = 0; c.reach == Reach::kNVRam && i < nvrams && i < 10; ++i) c.call(i);
        for (DWORD i = 0; c.reach == Reach::kIndex && i < 4; ++i) c.call(i);
        for (DWORD id : busIds)
            if (c.reach == Reach::kBus) c.call(id);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    ornsim_board::Board board;
    std::string error;
    fuzz::EmptyScratch();
    if (!ornsim_board::Parse(text, "fuzz.board", fuzz::ScratchFolder(), board, error)) return 0;
    const std::string path = fuzz::ScratchPath("fuzz.board");
    std::ofstream(path, std::ios::binary) << text;
    setenv("ORNSIM_BOARD", path.c_str(), 1);
    if (OrnOpen()) {
        CallEveryFunction();
        OrnClose();
    }
    return 0;
}
