// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// board-lock.h - one firmware call at a time per board, across processes:
// a lock word in memory that every process calling the board's firmware
// maps from one file (a root-only file under /run for a real board, the
// state file for the virtual one). The word holds the holder's process ID,
// so 32-bit and 64-bit processes share it alike (a C library's mutex
// differs between the two). An uncontended take and release is two atomic
// instructions; waiters sleep on the word (a futex) and look again every
// 20 ms, since a dead holder wakes nobody.
//
// A process ID alone cannot tell a dead holder from a new process that got
// its ID, so each process that shares the lock also holds a lock of the
// kernel's (an open file description lock on the byte at kPresenceBase plus
// its process ID in the same file) for as long as it lives: the kernel lets
// it go when the process ends, whatever becomes of the ID. Processes that
// share a board share a PID namespace.
#pragma once

#include <fcntl.h>
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

namespace board_lock {

// The area as it lies in shared memory; 64 bytes on every architecture.
// All zero is a free lock.
struct alignas(8) Area {
    uint32_t holder;  // the holder's process ID, with kWaiters; 0: free
    uint32_t reserved[15];
};
static_assert(sizeof(Area) == 64);

constexpr uint32_t kWaiters = 0x80000000u;  // someone sleeps on the word

// How long a caller waits for the board before its call fails: well above
// the slowest firmware function (a flash block erase) and a whole NVRAM's
// byte loop, which hold the lock for a few seconds at most.
constexpr int kWaitLimitSeconds = 15;

// Where the presence bytes begin: above any data of a lock or state file,
// and within a 32-bit offset (process IDs are below 2^22).
constexpr int64_t kPresenceBase = int64_t(1) << 30;

enum class Taken : int { kFine = 0, kHolderDied = 1, kTimedOut = 2 };

// Who kept a caller out, and for how long at least, when Take timed out.
struct Waited {
    uint32_t holder = 0;
    uint32_t seconds = 0;
};

// One process's share of a lock: the file the area is mapped from, the
// process that opened that descriptor, and the process ID whose presence it
// holds (0: none yet). A descriptor inherited through fork is the parent's
// open file description, so a child announces itself on one of its own.
struct Presence {
    int fd = -1;
    uint32_t openedBy = 0;
    std::atomic<uint32_t> announcedAs{0};
};

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

inline struct flock64 PresenceByte(uint32_t pid) {
    struct flock64 byte {};
    byte.l_type = F_WRLCK;
    byte.l_whence = SEEK_SET;
    byte.l_start = kPresenceBase + pid;
    byte.l_len = 1;
    return byte;
}

// Marks this process as one that shares the lock, once per process. A child
// after fork first
// gets an open file description of its own: on the parent's, the child's
// byte and its siblings' would be one owner's, invisible to each other, and
// the parent's byte would last as long as the child.
inline void Announce(Presence& presence, uint32_t self) {
    if (presence.fd < 0 || presence.announcedAs.load(std::memory_order_relaxed) == self) return;
    if (presence.openedBy != self) {
        char own[32];
        snprintf(own, sizeof own, "/proc/self/fd/%d", presence.fd);
        int fresh = open(own, O_RDWR | O_CLOEXEC);
        if (fresh >= 0) {
            dup3(fresh, presence.fd, O_CLOEXEC);
            close(fresh);
        }
        presence.openedBy = self;
    }
    struct flock64 mine = PresenceByte(self);
    fcntl64(presence.fd, F_OFD_SETLK, &mine);
    presence.announcedAs.store(self, std::memory_order_relaxed);
}

// Whether the process that holds the word still lives: its ID names a live
// process and that process holds its byte. (A child that a holder forked
// and that never took the lock keeps its parent's byte; the ID then tells.)
// Without the kernel's locks (no file, or a file system without them) the
// ID alone decides.
inline bool Present(const Presence& presence, uint32_t pid) {
    if (!Alive(pid)) return false;
    struct flock64 probe = PresenceByte(pid);
    if (presence.fd < 0 || fcntl64(presence.fd, F_OFD_GETLK, &probe) != 0) return true;
    return probe.l_type != F_UNLCK;
}

inline int64_t MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Takes the lock. kHolderDied: the process that held it ended without
// giving it back; the lock is now this caller's. kTimedOut: a live process
// kept it for `limitMs`; the lock is not this caller's, and `waited` names
// that process.
inline Taken Take(Area& area, Presence& presence, Waited* waited = nullptr,
                  int64_t limitMs = kWaitLimitSeconds * 1000) {
    std::atomic_ref<uint32_t> word(area.holder);
    const uint32_t self = ProcessId();
    Announce(presence, self);
    uint32_t seen = 0;
    if (word.compare_exchange_strong(seen, self, std::memory_order_acquire)) return Taken::kFine;
    const int64_t start = MonotonicMs();
    // The holder the first try found has held the lock since before `start`
    // at least; one seen later, since it was seen.
    uint32_t holderSeen = seen & ~kWaiters;
    int64_t holderSince = start;
    for (;;) {
        // Once this caller has waited, others may sleep too: the word keeps
        // saying so, and the release wakes one of them.
        if (seen == 0) {
            if (word.compare_exchange_strong(seen, self | kWaiters, std::memory_order_acquire)) return Taken::kFine;
            continue;
        }
        const uint32_t holder = seen & ~kWaiters;
        // A process takes the lock for one call at a time, so a word that
        // names this process was left by an earlier process of its ID.
        if (holder == self || !Present(presence, holder)) {
            if (word.compare_exchange_strong(seen, self | kWaiters, std::memory_order_acquire))
                return Taken::kHolderDied;
            continue;
        }
        const int64_t now = MonotonicMs();
        if (holder != holderSeen) {
            holderSeen = holder;
            holderSince = now;
        }
        if (now - start >= limitMs) {
            if (waited != nullptr) *waited = {holder, uint32_t((now - holderSince) / 1000)};
            return Taken::kTimedOut;
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
