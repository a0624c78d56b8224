// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The virtual board's clock and changing values.
#include "live.h"

#include <time.h>

#include <algorithm>

namespace ornsim_impl {

using ornsim_board::Board;
using ornsim_board::Live;

size_t LiveSlotCount(const Board& board) { return SystemSlot(board, ornsim_board::kSystemFields); }
size_t TempSlot(const Board&, size_t sensor) { return sensor; }
size_t VoltSlot(const Board& board, size_t sensor) { return board.temps.size() + sensor; }
size_t BatterySlot(const Board& board, size_t battery, int field) {
    return board.temps.size() + board.volts.size() + battery * ornsim_board::kBatteryFields + size_t(field);
}
size_t SystemSlot(const Board& board, int field) { return BatterySlot(board, board.batteries.size(), 0) + size_t(field); }

int64_t RealNowNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void LiveState::PowerOn(const Board& board, int64_t realNowNs) const {
    Store(header_->powerOnNs, realNowNs);
    Store(header_->bootCounter, uint32_t(board.info.BootCounter));
    Store(header_->wdStatus, uint32_t(board.watchdogStatus));
}

int64_t LiveState::NowNs() const { return RealNowNs() - Load(header_->powerOnNs) + Load(header_->offsetNs); }

int64_t LiveState::Value(size_t slot, const Live& live, int64_t fixed, bool advance) const {
    LiveSlot& s = slots_[slot];
    if (Load(s.overridden)) return int32_t(Load(s.value));
    switch (live.kind) {
        case Live::Kind::Fixed: return fixed;
        case Live::Kind::List: {
            // The step stops at the last entry, however many reads follow.
            const uint32_t last = uint32_t(live.list.size() - 1);
            std::atomic_ref<uint32_t> step(s.step);
            uint32_t at = step.load();
            while (advance && at < last && !step.compare_exchange_weak(at, at + 1)) {
            }
            return live.list[std::min(at, last)];
        }
        case Live::Kind::Ramp: {
            const int64_t overNs = int64_t(live.overMs) * 1000000;
            const int64_t at = std::clamp<int64_t>(NowNs(), 0, overNs);
            // In steps of whole milliseconds; the product (up to 2^33 times
            // 100 years in ms) is taken in a long double, whose 64-bit
            // mantissa keeps it exact wherever it fits 64 bits.
            const long double done = (long double)(live.to - live.from) * (long double)(at / 1000000);
            return live.from + int64_t(done / (long double)live.overMs);
        }
    }
    return fixed;
}

}  // namespace ornsim_impl
