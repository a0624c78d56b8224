// The portable half of the firmware locator: finding a valid BIOS32 Service
// Directory header in the mapped window and translating physical addresses
// into window addresses. Every flavour compiles it; the window itself is
// mapped by the flavour's InitZokaBios.
#include <cstring>

#include "internal.h"

BYTE* vPtr = nullptr;
DWORD ulBiosInterface = 0;
BYTE tB32[32] = {};

namespace {
constexpr BYTE kSignature[4] = {'_', '3', '2', '_'};
constexpr DWORD kHeaderSize = 16;
constexpr DWORD kLengthOffset = 9;
}  // namespace

BYTE* WindowAddress(DWORD physical) { return vPtr + (physical - kWindowBase); }

int CheckBios32Data(BYTE* header) {
    // The copy holds 32 bytes: a header claiming more than two 16-byte
    // units cannot be checked, so it does not pass.
    DWORD length = DWORD{header[kLengthOffset]} * kHeaderSize;
    if (length > sizeof(tB32)) return 0;
    BYTE sum = 0;
    for (DWORD i = 0; i < length; ++i) sum = static_cast<BYTE>(sum + header[i]);
    return sum == 0 ? 1 : 0;
}

int SearchForBIOS32(BYTE* header) {
    if (header == nullptr) return 0;
    for (DWORD at = 0; at < kWindowLength; at += kHeaderSize) {
        const BYTE* p = vPtr + at;
        if (memcmp(p, kSignature, sizeof(kSignature)) != 0) continue;
        memcpy(header, p, kHeaderSize);
        if (CheckBios32Data(header) == 1) return 1;
    }
    return 0;
}

WORD CurrentDataSelector() {
#if defined(__i386__) || defined(__x86_64__)
    WORD selector;
    __asm__ volatile("mov %%ds, %0" : "=r"(selector));
    return selector;
#else
    return 0;
#endif
}
