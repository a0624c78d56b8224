// Library state: open and close, versions, the last error and its messages.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "internal.h"

SharedValue<BOOL> bInit = FALSE;
sem_t hSem;
SharedValue<DWORD> dwLastErrorCode = 0;

namespace {

constexpr DWORD kDllVersion = 0x80020006;
static_assert(kDllVersion == ORNSYS_DLL_VERSION, "the header's version macros");
constexpr WORD kVersion = 0x8206;

constexpr DWORD ErrCodes[] = {
    0x0000, 0x8000, 0x8011, 0x8012, 0x8021, 0x8022, 0x8023,
    0x8031, 0x8032, 0x8033, 0x8041, 0x8051, 0x8100, 0x8101,
    0x8102, 0x8103, 0x8104, 0x8105, 0x8106, 0x8107, 0x8108,
};

constexpr const char* ErrStrings[] = {
    "BIOS: SUCCESS",
    "BIOS: function not supported",
    "BIOS: invalid device",
    "BIOS: data access error",
    "BIOS: I2C invalid bus index",
    "BIOS: I2C no acknowledge",
    "BIOS: I2C protocol not supported",
    "BIOS: NVRam not readable",
    "BIOS: NVRam not writeable",
    "BIOS: NVRam index out of range",
    "BIOS: hardware not present",
    "BIOS: parameter out of range",
    "DLL: starting Win32 driver failed (register device)",
    "DLL: starting Win32 driver failed (create file)",
    "DLL: starting Win32 driver failed (create mutex)",
    "DLL: invalid parameter (NULL pointer)",
    "DLL: invalid DLL version",
    "DLL: watchdog: invalid command",
    "DLL: OEMRead/Write, invalid AddressType",
    "DLL: OEMRead/Write, invalid AddressFlags",
    "DLL: OEMRead/Write, invalid DataFlags",
};

static_assert(std::size(ErrCodes) == 21 && std::size(ErrStrings) == 21);

constexpr const char* kUnknownCode = "invalid error code!!\n";

}  // namespace

orn::Lock::Lock() {
    // A signal may interrupt the wait; the firmware call must still run
    // with the semaphore held, so wait again.
    while (sem_wait(&hSem) != 0 && errno == EINTR) {
    }
}

void orn::DebugStep(const char* step, int error, const char* remedy) {
    const char* debug = getenv("ORNSYS_DEBUG");
    if (debug == nullptr || strcmp(debug, "1") != 0) return;
    if (error != 0) fprintf(stderr, "ornsys: OrnOpen: %s failed: %s; %s\n", step, strerror(error), remedy);
    else fprintf(stderr, "ornsys: OrnOpen: %s failed: %s\n", step, remedy);
}

BOOL findOrnErrString(DWORD code, char* buffer, DWORD length) {
    for (size_t i = 0; i < std::size(ErrCodes); ++i) {
        if (ErrCodes[i] == code) {
            strncpy(buffer, ErrStrings[i], length);
            return TRUE;
        }
    }
    strncpy(buffer, kUnknownCode, length);
    return FALSE;
}

extern "C" {

// Opening an open library changes nothing: the semaphore and the firmware
// window in use stay as they are.
ORNAPI BOOL OrnOpen(void) {
    dwLastErrorCode = ORN_SUCCESS;
    if (bInit) return TRUE;
    if (sem_init(&hSem, 0, 1) != 0) return orn::Fail(ORN_DLL_CREATE_MUTEX);
    if (InitZokaBios() == 0) return orn::Fail(ORN_DLL_START_FAILED);
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
    if (ExitZokaBios() == 0) return orn::Fail(ORN_DLL_START_FAILED);
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
