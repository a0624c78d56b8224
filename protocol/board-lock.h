// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// board-lock.h - one firmware call at a time per board, across processes:
// a lock word in memory that every process calling the board's firmware
// maps (a System V shared memory segment for a real board, the state file
// for the virtual one). The word holds the holder's process ID, so 32-bit
// and 64-bit processes share it alike (a C library's mutex differs between
// the two), and a holder that died is recognised: the next process takes
// the lock over instead of waiting for ever. Waiters sleep on the word (a
// futex) and look again every 20 ms, since a dead holder wakes nobody.
// Processes that share a board share a PID namespace.
#pragma once

#include <linux/futex.h>
#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

namespace board_lock {

// The area as it lies in shared memory; 64 bytes on every architecture.
// All zero is a free lock.
struct alignas(8) Area {
    uint32_t holder;  // the holder's process ID, with kWaiters; 0: free
    uint32_t reserved[15];
};
static_assert(sizeof(Area) == 64);

constexpr uint32_t kWaiters = 0x80000000u;  // someone sleeps on the word

enum class Taken { kFine, kHolderDied };

inline bool Alive(uint32_t pid) { return kill(pid_t(pid), 0) == 0 || errno == EPERM; }

// This process's ID, asked of the kernel once (and again in a child after
// fork): the lock's fast path makes no system call.
inline std::atomic<uint32_t>& CachedProcessId() {
    static std::atomic<uint32_t> pid{0};
    return pid;
}
inline uint32_t ProcessId() {
    static const bool forgetInChild =
        pthread_atfork(nullptr, nullptr, [] { CachedProcessId().store(0, std::memory_order_relaxed); }) == 0;
    (void)forgetInChild;
    uint32_t pid = CachedProcessId().load(std::memory_order_relaxed);
    if (pid == 0) {
        pid = uint32_t(getpid());
        CachedProcessId().store(pid, std::memory_order_relaxed);
    }
    return pid;
}

// Takes the lock. kHolderDied: the process that held it ended without
// giving it back; the lock is now this caller's.
inline Taken Take(Area& area) {
    std::atomic_ref<uint32_t> word(area.holder);
    const uint32_t self = ProcessId();
    uint32_t seen = 0;
    if (word.compare_exchange_strong(seen, self, std::memory_order_acquire)) return Taken::kFine;
    for (;;) {
        // Once this caller has waited, others may sleep too: the word keeps
        // saying so, and the release wakes one of them.
        if (seen == 0) {
            if (word.compare_exchange_strong(seen, self | kWaiters, std::memory_order_acquire)) return Taken::kFine;
            continue;
        }
        if (!Alive(seen & ~kWaiters)) {
            if (word.compare_exchange_strong(seen, self | kWaiters, std::memory_order_acquire))
                return Taken::kHolderDied;
            continue;
        }
        if (!(seen & kWaiters)) {
            if (!word.compare_exchange_strong(seen, seen | kWaiters, std::memory_order_relaxed)) continue;
            seen |= kWaiters;
        }
        const timespec wait{0, 20000000};
        syscall(SYS_futex, &area.holder, FUTEX_WAIT, seen, &wait, nullptr, 0);
        seen = word.load(std::memory_order_relaxed);
    }
}

inline void Release(Area& area) {
    const uint32_t was = std::atomic_ref<uint32_t>(area.holder).exchange(0, std::memory_order_release);
    if (was & kWaiters) syscall(SYS_futex, &area.holder, FUTEX_WAKE, 1, nullptr, nullptr, 0);
}

}  // namespace board_lock
