// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// live.h - what changes while the virtual board runs: its clock, the
// watchdog's timer, the boot counter, and values that follow a list or a
// ramp or were set from outside. It lives at the start of the board's
// writable memory, so with a state file every process on the board (and
// ornsim-ctl) shares it; every field is read and written atomically.
#pragma once

#include <atomic>
#include <cstdint>

#include "board.h"

namespace ornsim_impl {

struct LiveHeader {
    int64_t powerOnNs;     // real time at the board's power-on
    int64_t offsetNs;      // how far the clock was advanced
    int64_t wdDeadlineNs;  // board time at which the running watchdog expires
    uint32_t bootCounter;
    uint32_t wdStatus;     // what WDGetStatus reports: 0 power-on, 1 watchdog reset
    uint32_t wdRunning;
    uint32_t wdTimeoutMs;
    uint32_t resets;       // watchdog resets so far
    uint32_t reserved;
};
static_assert(sizeof(LiveHeader) == 48);

// One changing value: set from outside (then fixed at `value`), or the
// next step of its list.
struct LiveSlot {
    uint32_t overridden;
    uint32_t value;
    uint32_t step;
    uint32_t reserved;
};
static_assert(sizeof(LiveSlot) == 16);

template <typename T>
T Load(T& field) {
    return std::atomic_ref<T>(field).load();
}
template <typename T>
void Store(T& field, T value) {
    std::atomic_ref<T>(field).store(value);
}

// The slots, in order: temperature sensors, voltage sensors, each
// battery's state fields, the system state fields.
size_t LiveSlotCount(const ornsim_board::Board& board);
size_t TempSlot(const ornsim_board::Board& board, size_t sensor);
size_t VoltSlot(const ornsim_board::Board& board, size_t sensor);
size_t BatterySlot(const ornsim_board::Board& board, size_t battery, int field);
size_t SystemSlot(const ornsim_board::Board& board, int field);

// The live part of a board's memory.
class LiveState {
public:
    LiveState(LiveHeader* header, LiveSlot* slots) : header_(header), slots_(slots) {}
    LiveHeader& header() const { return *header_; }
    LiveSlot& slot(size_t i) const { return slots_[i]; }

    // Sets the power-on values of a new board: clock, counter, watchdog.
    void PowerOn(const ornsim_board::Board& board, int64_t realNowNs) const;
    // Nanoseconds since power-on, advance included.
    int64_t NowNs() const;
    // The value a read gives now. `advance` steps a list on to its next
    // entry (a firmware read); without it the value is only looked at.
    int64_t Value(size_t slot, const ornsim_board::Live& live, int64_t fixed, bool advance) const;

private:
    LiveHeader* header_;
    LiveSlot* slots_;
};

int64_t RealNowNs();

}  // namespace ornsim_impl
