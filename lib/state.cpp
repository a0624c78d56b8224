// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Library state: open and close, versions, the last error and its messages.
#include <cerrno>
#include <cstring>
#include <mutex>

#include "backend.h"
#include "internal.h"

SharedValue<BOOL> bInit = FALSE;
sem_t hSem;
SharedValue<DWORD> dwLastErrorCode = 0;

namespace {

constexpr DWORD kDllVersion = 0x80020006;
static_assert(kDllVersion == ORNSYS_DLL_VERSION, "the header's version macros");
constexpr WORD kVersion = 0x8206;

constexpr const char* kUnknownCode = "invalid error code!!\n";

std::mutex gOpenClose;
bool gSemaphoreMade = false;  // under gOpenClose

}  // namespace

BOOL findOrnErrString(DWORD code, char* buffer, DWORD length) {
    const char* message = zoka::StatusMessage(code);
    strncpy(buffer, message ? message : kUnknownCode, length);
    return message ? TRUE : FALSE;
}

extern "C" {

// Opening an open library changes nothing: the semaphore and the firmware
// window in use stay as they are. Open and close take turns, and the
// semaphore, made at the first open, lives as long as the process: a call
// that waits for it while the library closes wakes to find the library
// closed and returns FALSE with last error 0, instead of waiting on a
// destroyed semaphore or entering a released window.
ORNAPI BOOL OrnOpen(void) {
    dwLastErrorCode = ORN_SUCCESS;
    std::lock_guard turn(gOpenClose);
    if (bInit) return TRUE;
    if (!gSemaphoreMade) {
        if (sem_init(&hSem, 0, 1) != 0) return orn::Fail(ORN_DLL_CREATE_MUTEX);
        gSemaphoreMade = true;
    }
    if (!orn::StartBackend()) return orn::Fail(ORN_DLL_START_FAILED);
    bInit = TRUE;
    return TRUE;
}

ORNAPI BOOL OrnClose(void) {
    dwLastErrorCode = ORN_SUCCESS;
    std::lock_guard turn(gOpenClose);
    if (!bInit) return FALSE;
    // A firmware call in progress ends first; those that wait after it see
    // the library closed.
    while (sem_wait(&hSem) != 0 && errno == EINTR) {
    }
    bInit = FALSE;
    const bool released = orn::StopBackend();
    if (!released) bInit = TRUE;  // still open, on the backend that could not be released
    sem_post(&hSem);
    return released ? TRUE : orn::Fail(ORN_DLL_START_FAILED);
}

ORNAPI BOOL OrnGetDllVersion(DWORD* version) {
    if (!orn::BeginCall({version})) return FALSE;
    *version = kDllVersion;
    return TRUE;
}

ORNAPI BOOL OrnGetVersion(WORD* version) {
    if (!orn::BeginCall({version})) return FALSE;
    *version = kVersion;
    return TRUE;
}

ORNAPI BOOL OrnGetLastError(DWORD* code, char* message, DWORD length) {
    if (code == nullptr) return orn::Fail(ORN_DLL_NULL_POINTER);
    *code = dwLastErrorCode;
    if (message != nullptr && length != 0) return findOrnErrString(*code, message, length);
    return TRUE;
}

}  // extern "C"
