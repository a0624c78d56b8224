// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Library state: open and close, versions, the last error and its messages.
#include <cerrno>
#include <cstring>

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

}  // namespace

orn::Lock::Lock() {
    // A signal may interrupt the wait; the firmware call must still run
    // with the semaphore held, so wait again.
    while (sem_wait(&hSem) != 0 && errno == EINTR) {
    }
}

BOOL findOrnErrString(DWORD code, char* buffer, DWORD length) {
    const char* message = zoka::StatusMessage(code);
    strncpy(buffer, message ? message : kUnknownCode, length);
    return message ? TRUE : FALSE;
}

extern "C" {

// Opening an open library changes nothing: the semaphore and the firmware
// window in use stay as they are.
ORNAPI BOOL OrnOpen(void) {
    dwLastErrorCode = ORN_SUCCESS;
    if (bInit) return TRUE;
    if (sem_init(&hSem, 0, 1) != 0) return orn::Fail(ORN_DLL_CREATE_MUTEX);
    if (!orn::StartBackend()) return orn::Fail(ORN_DLL_START_FAILED);
    bInit = TRUE;
    return TRUE;
}

ORNAPI BOOL OrnClose(void) {
    dwLastErrorCode = ORN_SUCCESS;
    if (!bInit) return FALSE;
    // Let a firmware call in progress end first; the semaphore is not
    // posted again, it is destroyed.
    while (sem_wait(&hSem) != 0 && errno == EINTR) {
    }
    sem_destroy(&hSem);
    if (!orn::StopBackend()) return orn::Fail(ORN_DLL_START_FAILED);
    bInit = FALSE;
    return TRUE;
}

ORNAPI BOOL OrnGetDllVersion(DWORD* version) {
    if (!orn::Enter({version})) return FALSE;
    *version = kDllVersion;
    return TRUE;
}

ORNAPI BOOL OrnGetVersion(WORD* version) {
    if (!orn::Enter({version})) return FALSE;
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
