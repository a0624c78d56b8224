// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// ornsim-trace: prints a virtual board's trace (the files named, or standard
// input) with function names, fields and status messages; --functions lists
// the firmware's functions from the protocol table and --board-keys the
// board file's sections and keys, for scripts.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "board-keys.h"
#include "trace-decoder.h"
#include "zoka.h"

namespace {

// One line a function: its number, its name and what it does to the board
// (reads, stores: changes what the board keeps, acts: the watchdog and the
// pass-through).
void ListFunctions() {
    static constexpr const char* kEffects[] = {"reads", "stores", "acts"};
    for (const zoka::FunctionEntry& f : zoka::kFunctions) {
        std::printf("0x%02x %s %s", unsigned(f.number), f.name, kEffects[int(f.effect)]);
        if (f.pointer != zoka::kNone) std::printf(" far-pointer-at %ld", f.pointer);
        std::printf("\n");
    }
}

// Each section of a board file, then the section and each of its keys.
void ListBoardKeys() {
    for (const auto& section : ornsim_board::kSections) {
        std::cout << section.name << '\n';
        for (const auto& key : ornsim_board::kBoardKeys)
            if (key.section == section.section) std::cout << section.name << ' ' << key.name << '\n';
    }
}

void Decode(std::istream& in) {
    for (std::string line; std::getline(in, line);) std::cout << ornsim_impl::DecodeTraceLine(line) << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        std::cout << "usage: ornsim-trace [TRACE...]\n       ornsim-trace --functions\n"
                     "       ornsim-trace --board-keys\n";
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "--functions") == 0) {
        ListFunctions();
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "--board-keys") == 0) {
        ListBoardKeys();
        return 0;
    }
    if (argc == 1) Decode(std::cin);
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i]);
        if (!in) {
            std::fprintf(stderr, "ornsim-trace: %s: %s\n", argv[i], std::strerror(errno));
            return 1;
        }
        Decode(in);
    }
    return 0;
}
