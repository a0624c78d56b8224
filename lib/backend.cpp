// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// The backend table and what goes through it: the choice at OrnOpen, the
// service call, far pointers and the I/O ports.
#include "backend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "debug.h"
#include "internal.h"

namespace orn {

namespace {

constexpr const Backend* kBackends[] = {
    &kBoardBackend,
    &kVirtualBackend,
    &kServiceBackend,
#if defined(ORNSYS_IMAGE_BACKEND)
    &kImageBackend,
#endif
};

// Set by OrnOpen after the backend has started, cleared by OrnClose before
// it ends; read by every call.
std::atomic<const Backend*> gOpen{nullptr};

thread_local const char* tDebugBackend = nullptr;

// A process with raised privilege (set-user-ID, file capabilities) gets
// nullptr for every variable: it takes no direction from its caller.
const char* Environment(const char* name) { return secure_getenv(name); }

#if defined(ORNSYS_TEST_SWITCHES)
// Test builds only: firmware calls without the board's lock, to show what
// it prevents. Read at each open.
std::atomic<bool> gBoardLockOff{false};
bool BoardLockOff() { return gBoardLockOff.load(std::memory_order_relaxed); }
#else
constexpr bool BoardLockOff() { return false; }
#endif

}  // namespace

thread_local bool tBoardWithheld = false;

bool Debugging() {
    const char* debug = Environment("ORNSYS_DEBUG");
    return debug != nullptr && strcmp(debug, "1") == 0;
}

Lock::Lock() {
    // A signal may interrupt the wait; the firmware call must still run
    // with the semaphore held, so wait again.
    while (sem_wait(&hSem) != 0 && errno == EINTR) {
    }
    backend_ = bInit ? OpenBackend() : nullptr;
    boardLocked_ = backend_ != nullptr && !BoardLockOff();
    if (!boardLocked_) return;
    board_lock::Waited waited;
    switch (backend_->lockCalls(&waited)) {
        case board_lock::Taken::kFine: break;
        case board_lock::Taken::kHolderDied:
            if (Debugging())
                fprintf(stderr, "ornsys: %s backend: a process died inside a firmware call holding the board's lock; "
                                "this call goes on\n", backend_->name);
            break;
        case board_lock::Taken::kTimedOut:
            // A live holder's lock is never broken: this call fails instead.
            boardLocked_ = false;
            tBoardWithheld = true;
            if (Debugging())
                fprintf(stderr, "ornsys: %s backend: process %u has held the board's lock for %u s or more; "
                                "this call fails after waiting %d s\n",
                        backend_->name, unsigned(waited.holder), unsigned(waited.seconds),
                        board_lock::kWaitLimitSeconds);
            break;
    }
}

Lock::~Lock() {
    if (boardLocked_) backend_->unlockCalls();
    tBoardWithheld = false;
    sem_post(&hSem);
}

namespace {

// Both are the real board: a process that may not open /dev/mem reaches it
// through the service when the service is there. Never the virtual board.
const Backend* DefaultBackend() {
    int fd = open("/dev/mem", O_RDWR | O_CLOEXEC);
    if (fd >= 0) {
        close(fd);
        return &kBoardBackend;
    }
    const int error = errno;
    struct stat socketStat;
    if ((error != EACCES && error != EPERM && error != ENOENT) || stat(ServiceSocketPath(), &socketStat) != 0 ||
        !S_ISSOCK(socketStat.st_mode))
        return &kBoardBackend;
    if (Debugging())
        fprintf(stderr, "ornsys: OrnOpen: opening /dev/mem failed: %s; using the board service at %s\n",
                strerror(error), ServiceSocketPath());
    return &kServiceBackend;
}

}  // namespace

const Backend* ChooseBackend() {
    const char* wanted = Environment("ORNSYS_BACKEND");
    if (wanted == nullptr || *wanted == '\0') return DefaultBackend();
    for (const Backend* b : kBackends)
        if (std::string_view(b->name) == wanted) return b;
    if (Debugging()) {
        fprintf(stderr, "ornsys: OrnOpen: ORNSYS_BACKEND=%s is not a backend; the backends are", wanted);
        for (const Backend* b : kBackends) fprintf(stderr, "%s %s", b == kBackends[0] ? "" : ",", b->name);
        fputc('\n', stderr);
    }
    return nullptr;
}

const Backend* OpenBackend() { return gOpen.load(std::memory_order_acquire); }

void SetDebugBackend(const char* name) { tDebugBackend = name; }

void DebugStep(const char* step, int error, const char* remedy) {
    if (!Debugging()) return;
    const char* backend = tDebugBackend ? tDebugBackend : "board";
    if (error != 0)
        fprintf(stderr, "ornsys: OrnOpen: %s backend: %s failed: %s; %s\n", backend, step, strerror(error), remedy);
    else fprintf(stderr, "ornsys: OrnOpen: %s backend: %s failed: %s\n", backend, step, remedy);
}

void DebugNote(const char* what) {
    if (Debugging()) fprintf(stderr, "ornsys: OrnOpen: %s backend: %s\n", tDebugBackend ? tDebugBackend : "board", what);
}

bool StartBackend() {
    const Backend* backend = ChooseBackend();
    if (backend == nullptr) return false;
#if defined(ORNSYS_TEST_SWITCHES)
    const char* off = Environment("ORNSYS_TEST_NO_BOARD_LOCK");
    gBoardLockOff.store(off != nullptr && strcmp(off, "1") == 0, std::memory_order_relaxed);
#endif
    SetDebugBackend(backend->name);
    if (backend->open() == 0) return false;
    DebugNote("firmware started");
    gOpen.store(backend, std::memory_order_release);
    return true;
}

bool StopBackend() {
    const Backend* backend = gOpen.load(std::memory_order_acquire);
    if (backend == nullptr) return true;
    if (backend->close() == 0) return false;
    gOpen.store(nullptr, std::memory_order_release);
    return true;
}

}  // namespace orn

namespace {

// Port access needs no open library: it uses the open library's backend,
// else the one the environment chooses (looked up once).
const orn::Backend* PortBackend() {
    if (const orn::Backend* open = orn::OpenBackend()) return open;
    static const orn::Backend* const chosen = orn::ChooseBackend();
    return chosen;
}

}  // namespace

WORD CallerDataSelector() {
    WORD selector;
    __asm__ volatile("mov %%ds, %0" : "=r"(selector));
    return selector;
}

DWORD CallOpenBackend(DWORD function, void* block) {
    const orn::Backend* backend = orn::OpenBackend();
    return backend ? backend->call(function, block) & 0xFFFF : ORN_BIOS_NOT_SUPPORTED;
}

FarBuffer::FarBuffer(void* buffer, DWORD size) : pointer_{0, 0}, buffer_(buffer), size_(size), low_(nullptr) {
    if (const orn::Backend* backend = orn::OpenBackend()) pointer_ = backend->bindFar(buffer, size, &low_);
}

FarBuffer::~FarBuffer() {
    const orn::Backend* backend = orn::OpenBackend();
    if (backend != nullptr && pointer_.offset != 0) backend->releaseFar(low_, buffer_, size_);
}

DWORD PortIn(int width, WORD port, DWORD* value) {
    const orn::Backend* backend = PortBackend();
    return backend ? backend->portIn(width, port, value) : ORN_BIOS_DATA_ACCESS;
}

DWORD PortOut(int width, WORD port, DWORD value) {
    const orn::Backend* backend = PortBackend();
    return backend ? backend->portOut(width, port, value) : ORN_BIOS_DATA_ACCESS;
}

DWORD RaiseIoPrivilege() {
    const orn::Backend* backend = PortBackend();
    return backend ? backend->raiseIoPrivilege() : ORN_BIOS_DATA_ACCESS;
}
