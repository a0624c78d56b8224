// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// instance.h - one running virtual board: its description, its writable
// memories (on the heap or in a mapped state file) and its trace.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "board-lock.h"
#include "board.h"
#include "live.h"
#include "ornsim.h"

namespace ornsim_impl {

using ornsim_board::Board;

// Appends trace lines to the file named by ORNSIM_TRACE, one write each.
class Trace {
public:
    explicit Trace(const char* path);
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;
    bool on() const { return fd_ >= 0; }
    const std::string& failure() const { return failure_; }  // why it is not on
    void Line(const std::string& text) const;

private:
    int fd_ = -1;
    std::string failure_;
};

// The writable memories, laid out in one region: the live state (clock,
// watchdog, changing values), the display values, the I/O ports, the
// configuration block, each NVRAM with its block lock states, each I2C
// device. With a state file the region is the file, mapped shared,
// so every store is in the file as soon as it is made.
class Memory {
public:
    bool Create(const Board& board, const char* statePath, std::string& error);
    ~Memory();

    LiveState live() const {
        return {reinterpret_cast<LiveHeader*>(base_), reinterpret_cast<LiveSlot*>(base_ + sizeof(LiveHeader))};
    }
    BYTE* display() const { return base_ + displayAt_; }  // backlight, brightness, contrast
    BYTE* ports() const { return base_ + portsAt_; }
    std::span<BYTE> config() const { return {base_ + configAt_, configSize_}; }
    std::span<BYTE> nvram(size_t i) const { return {base_ + nvrams_[i].at, nvrams_[i].size}; }
    std::span<BYTE> locks(size_t i) const { return {base_ + nvrams_[i].locksAt, nvrams_[i].blocks}; }
    std::span<BYTE> device(size_t i) const { return {base_ + devices_[i].at, devices_[i].size}; }

    struct StateHeader;

    // The board's call lock of a shared state file (nothing without one):
    // a board_lock::Taken.
    int LockCalls(board_lock::Waited& waited);
    void UnlockCalls();
    // Marks this process inside the firmware for the length of a call.
    void MarkInside() const;
    void MarkOutside() const;

private:
    struct Region {
        size_t at, size, locksAt, blocks;
    };
    size_t Layout(const Board& board);
    void Fill(const Board& board, BYTE* data) const;
    bool MapStateFile(const Board& board, const char* path, std::string& error);
    bool CreateStateFile(const std::string& name, const StateHeader& header, std::string& error) const;

    BYTE* base_ = nullptr;
    mutable board_lock::Presence presence_;  // the state file, kept open for the lock
    size_t length_ = 0;
    bool mapped_ = false;
    StateHeader* shared_ = nullptr;  // the state file's head, when mapped
    std::vector<BYTE> heap_;
    size_t displayAt_ = 0, portsAt_ = 0, configAt_ = 0, configSize_ = 0;
    std::vector<Region> nvrams_, devices_;
};

class Instance {
public:
    Board board;
    Memory memory;
    std::unique_ptr<Trace> trace;
    std::vector<DWORD> faultMatches;     // matching calls seen per fault rule
    std::vector<DWORD> devicePointers;  // each I2C device's address pointer
    uint32_t resetsSeen = 0;  // watchdog resets the board had when this instance started
    bool inside = false;

    uint16_t Call(DWORD function, void* block, ornsim_resolver resolve, void* context);

private:
    void CheckWatchdog();
    const ornsim_board::Fault* MatchFault(DWORD function, const BYTE* block);
    uint16_t Dispatch(DWORD function, BYTE* block, ornsim_resolver resolve, void* context);
};

// An instance started from the environment's board and state file without
// a trace line, and its end: for tools that look at the board from outside.
Instance* StartQuietly();
void StopQuietly(Instance* instance);

// ornsim-ctl: steers the board named by ORNSIM_BOARD through its state file
// ORNSIM_STATE. Returns the exit status.
int Control(int argc, char** argv, FILE* out, FILE* err);

// Length of a function's parameter block as the trace shows it; -1 unknown.
long BlockLength(const Instance& sim, DWORD function);

// Formats bytes as lower-case hexadecimal without separators.
void AppendHex(std::string& out, const BYTE* bytes, size_t length);

}  // namespace ornsim_impl
