// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// board-lock.h - one firmware call at a time per board, across processes:
// a lock word in memory that every process calling the board's firmware
// maps (a System V shared memory segment for a real board, the state file
// for the virtual one). The word holds the holder's identity, its process
// ID and the low 32 bits of its start time, so 32-bit and 64-bit processes
// share it alike (a C library's mutex differs between the two), and a
// holder that died is recognised, even when its process ID has been given
// to another process since: the next process takes the lock over instead
// of waiting for ever. Waiters sleep on the word's low half (a futex) and
// look again every 20 ms, since a dead holder wakes nobody. Processes that
// share a board share a PID namespace.
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
#include <cstdio>
#include <cstring>

namespace board_lock {

// The area as it lies in shared memory; 64 bytes on every architecture.
// All zero is a free lock.
struct alignas(8) Area {
    uint64_t holder;  // Identity of the holder, with kWaiters; 0: free
    uint32_t reserved[14];
};
static_assert(sizeof(Area) == 64);

// Someone sleeps on the word (a bit of the process ID's half, which Linux
// keeps below 2^22).
constexpr uint64_t kWaiters = 0x80000000u;

enum class Taken { kFine, kHolderDied };

// A process's start time in clock ticks since boot (field 22 of
// /proc/PID/stat), low 32 bits; 0 when it cannot be read (no /proc).
inline uint32_t StartTime(pid_t pid) {
    char path[32], text[1024];
    snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
    FILE* stat = fopen(path, "re");
    if (stat == nullptr) return 0;
    size_t length = fread(text, 1, sizeof text - 1, stat);
    fclose(stat);
    text[length] = '\0';
    // The name in parentheses may hold blanks and parentheses: fields are
    // counted from the last ')'; field 3 follows it.
    const char* at = strrchr(text, ')');
    for (int field = 2; at != nullptr && field < 22; ++field) at = strchr(at + 1, ' ');
    return at ? uint32_t(strtoull(at + 1, nullptr, 10)) : 0;
}

// This process's identity, asked of the kernel once (and again in a child
// after fork): the lock's fast path makes no system call.
inline std::atomic<uint64_t>& CachedIdentity() {
    static std::atomic<uint64_t> identity{0};
    return identity;
}
inline uint64_t Identity() {
    static const bool forgetInChild =
        pthread_atfork(nullptr, nullptr, [] { CachedIdentity().store(0, std::memory_order_relaxed); }) == 0;
    (void)forgetInChild;
    uint64_t identity = CachedIdentity().load(std::memory_order_relaxed);
    if (identity == 0) {
        const pid_t pid = getpid();
        identity = uint64_t(uint32_t(pid)) | uint64_t(StartTime(pid)) << 32;
        CachedIdentity().store(identity, std::memory_order_relaxed);
    }
    return identity;
}

// Whether the process an identity names still runs: its process ID exists
// and, where /proc tells, belongs to a process started when it did.
inline bool Alive(uint64_t identity) {
    const pid_t pid = pid_t(identity & (kWaiters - 1));
    if (kill(pid, 0) != 0 && errno != EPERM) return false;
    const uint32_t started = uint32_t(identity >> 32), now = StartTime(pid);
    return started == 0 || now == 0 || started == now;
}

// The word's low half, the futex the waiters sleep on (x86 is little-endian).
inline uint32_t* FutexWord(Area& area) { return reinterpret_cast<uint32_t*>(&area.holder); }

// Takes the lock. kHolderDied: the process that held it ended without
// giving it back; the lock is now this caller's.
inline Taken Take(Area& area) {
    std::atomic_ref<uint64_t> word(area.holder);
    const uint64_t self = Identity();
    uint64_t seen = 0;
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
        syscall(SYS_futex, FutexWord(area), FUTEX_WAIT, uint32_t(seen), &wait, nullptr, 0);
        seen = word.load(std::memory_order_relaxed);
    }
}

inline void Release(Area& area) {
    const uint64_t was = std::atomic_ref<uint64_t>(area.holder).exchange(0, std::memory_order_release);
    if (was & kWaiters) syscall(SYS_futex, FutexWord(area), FUTEX_WAKE, 1, nullptr, nullptr, 0);
}

}  // namespace board_lock
