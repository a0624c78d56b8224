// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Fuzzes the board-file parser in memory; a board that parses is then
// loaded by the library and answers one call of every API function and a
// port access.
#include <stdlib.h>

#include <fstream>
#include <string>

#include "board.h"
#include "every-call.h"
#include "scratch.h"

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
        every_call::OnEveryDevice();
        OrnClose();
    }
    return 0;
}
