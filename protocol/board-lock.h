// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// board-lock.h - one firmware call at a time per board, across processes:
// a robust, process-shared mutex in memory that every process calling the
// board's firmware maps (a System V shared memory segment for a real
// board, the state file for the virtual one). Robust: a process killed
// while it holds the lock does not block the others; the next one takes
// the lock over. The first process to map the area sets the mutex up.
#pragma once

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

namespace board_lock {

// The area as it lies in shared memory; 64 bytes on every architecture.
struct alignas(8) Area {
    uint32_t state;  // 0: not set up, 1: being set up, 2: ready
    uint32_t reserved;
    unsigned char mutex[56];
};
static_assert(sizeof(Area) == 64);
static_assert(sizeof(pthread_mutex_t) <= sizeof(Area::mutex));

enum class Taken { kFine, kHolderDied, kFailed };

inline pthread_mutex_t* Mutex(Area& area) { return reinterpret_cast<pthread_mutex_t*>(area.mutex); }

// Makes the area's mutex usable; false when it cannot be set up. A process
// that finds another one setting it up waits for it, at most a second (one
// killed in the middle leaves it to the next).
inline bool Prepare(Area& area) {
    std::atomic_ref<uint32_t> state(area.state);
    uint32_t seen = 0;
    if (!state.compare_exchange_strong(seen, 1, std::memory_order_acquire)) {
        for (int waited = 0; seen == 1 && waited < 1000; ++waited) {
            const timespec millisecond{0, 1000000};
            nanosleep(&millisecond, nullptr);
            seen = state.load(std::memory_order_acquire);
        }
        if (seen == 2) return true;
    }
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0) return false;
    bool made = pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED) == 0 &&
                pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0 &&
                pthread_mutex_init(Mutex(area), &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
    if (made) state.store(2, std::memory_order_release);
    return made;
}

// Takes the lock. kHolderDied: the process that held it ended without
// giving it back; it is now this caller's, and consistent again.
inline Taken Take(Area& area) {
    const int result = pthread_mutex_lock(Mutex(area));
    if (result == 0) return Taken::kFine;
    if (result == EOWNERDEAD) {
        pthread_mutex_consistent(Mutex(area));
        return Taken::kHolderDied;
    }
    return Taken::kFailed;
}

inline void Release(Area& area) { pthread_mutex_unlock(Mutex(area)); }

}  // namespace board_lock
