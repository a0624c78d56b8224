// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// OEM access: direct port I/O without the firmware (no lock, no open
// library needed) and the firmware's OEM pass-through function.
#include "internal.h"

namespace {

WORD Port(DWORD address, WORD addressFlags) {
    return WORD(address & ((addressFlags & OEM_ADDRESS_8BIT) ? 0xFF : 0xFFFF));
}

// The access width in bytes the data flags ask for, the narrowest first; 0
// for none.
int Width(WORD dataFlags) {
    if (dataFlags & OEM_DATA_BYTE) return 1;
    if (dataFlags & OEM_DATA_WORD) return 2;
    if (dataFlags & OEM_DATA_DWORD) return 4;
    return 0;
}

}  // namespace

BOOL OEMDirectIn(DWORD address, WORD addressFlags, WORD dataFlags, DWORD* value) {
    dwLastErrorCode = ORN_SUCCESS;
    if (const DWORD refused = RaiseIoPrivilege()) return orn::Fail(refused);
    WORD port = Port(address, addressFlags);
    const int width = Width(dataFlags);
    if (width == 0) return orn::Fail(ORN_DLL_OEM_DATA_FLAGS);
    if (const DWORD failed = PortIn(width, port, value)) return orn::Fail(failed);
    return TRUE;
}

BOOL OEMDirectOut(DWORD address, WORD addressFlags, WORD dataFlags, DWORD value) {
    dwLastErrorCode = ORN_SUCCESS;
    if (const DWORD refused = RaiseIoPrivilege()) return orn::Fail(refused);
    WORD port = Port(address, addressFlags);
    const int width = Width(dataFlags);
    if (width == 0) return orn::Fail(ORN_DLL_OEM_DATA_FLAGS);
    if (const DWORD failed = PortOut(width, port, value)) return orn::Fail(failed);
    return TRUE;
}

namespace {

// Checks the access type; a null request is refused like any null pointer.
bool PortAccess(const OEMACCESS* access) {
    dwLastErrorCode = ORN_SUCCESS;
    if (access == nullptr) return orn::Fail(ORN_DLL_NULL_POINTER);
    if (access->AccessType == OEM_ACCESS_PORT) return true;
    return orn::Fail(access->AccessType == OEM_ACCESS_UNSUPPORTED ? ORN_BIOS_NOT_SUPPORTED
                                                                  : ORN_DLL_OEM_ADDRESS_TYPE);
}

}  // namespace

extern "C" {

ORNAPI BOOL OrnOEMRead(OEMACCESS* access) {
    if (!PortAccess(access)) return FALSE;
    DWORD value;
    if (!OEMDirectIn(access->Address, access->AddressFlags, access->DataFlags, &value)) return FALSE;
    access->DataValue = value;
    return TRUE;
}

ORNAPI BOOL OrnOEMWrite(OEMACCESS* access) {
    return PortAccess(access) &&
           OEMDirectOut(access->Address, access->AddressFlags, access->DataFlags, access->DataValue);
}

ORNAPI BOOL OrnOEMPassThru(DWORD value, BYTE* buffer) {
    if (!orn::BeginCall({buffer})) return FALSE;
    orn::Lock lock;
    if (!lock) return orn::Closed();
    FarBuffer far(buffer, zoka::kPassThruBytes);
    if (!far.valid()) return orn::Fail(ORN_BIOS_DATA_ACCESS);
    zoka::PassThruBlock block{value, far.get()};
    return orn::CallFirmware(zoka::OEMPassThru, &block);
}

}  // extern "C"
