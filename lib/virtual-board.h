// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// virtual-board.h - the virtual board's library (libornsim.so.1), loaded
// on first use by the backends that need it and kept for the rest of the
// process. Nothing else of the library names it.
#pragma once

#include <cstdint>

// A running board, as the virtual board's C interface names it: the same
// type, so that every call through the pointers below has the exact type of
// the function it reaches.
struct ornsim;

namespace orn {

// The virtual board's C interface, as the library uses it.
struct VirtualBoard {
    using Instance = ::ornsim;
    using Resolver = void* (*)(void* context, uint16_t selector, uint32_t offset);
    Instance* (*start)();
    int (*hasZoka)(const Instance*);
    uint16_t (*call)(Instance*, uint32_t function, void* block, Resolver resolve, void* context);
    void (*stop)(Instance*);
    uint32_t (*portIn)(int width, uint16_t port);
    void (*portOut)(int width, uint16_t port, uint32_t value);
    int (*iopl)();
    // The board's lock shared by the processes of one state file: see
    // ornsim_lock.
    int (*lock)(Instance*, uint32_t* holder, uint32_t* heldSeconds);
    void (*unlock)(Instance*);
};

// The loaded board, or nullptr (after a DebugStep line) when it cannot be
// loaded. Safe to call from any thread.
const VirtualBoard* LoadVirtualBoard();

// Loads the board (into `board`) and starts an instance from its board
// file; nullptr, after a DebugStep line, when either fails.
VirtualBoard::Instance* StartVirtualBoard(const VirtualBoard*& board);

}  // namespace orn
