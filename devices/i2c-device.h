// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// i2c-device.h - one of the board's I2C buses as Linux's i2c-dev device
// (<linux/i2c-dev.h>), for i2c-tools and Python's smbus libraries:
// I2C_SLAVE, I2C_FUNCS, I2C_SMBUS (byte, byte data, word data, I2C block
// data), I2C_RDWR (the message patterns those carry) and plain read and
// write, each one firmware call through the
// library's public API. The ioctl decoding is separate from the character
// device, for the tests and the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ornsys_devices {

// A caller's memory the character device fetches or stores for an ioctl.
struct Span {
    uint64_t address;
    size_t size;
};

// What an I2C ioctl needs next, or its result: `retry` names the caller's
// memory to fetch (in, concatenated in order) and to store (out) before
// the ioctl is asked again; else `error` (0 or an errno value), the
// ioctl's return value (`result`) and the bytes for `out`.
struct I2cStep {
    bool retry = false;
    std::vector<Span> in, out;
    int error = 0;
    int result = 0;
    std::vector<uint8_t> bytes;
};

// The file's own state: the device address I2C_SLAVE chose.
struct I2cFile {
    int address = -1;
};

class I2cBus {
public:
    explicit I2cBus(uint8_t busId) : busId_(busId) {}

    // `argument` is the ioctl's argument as the caller passed it; `in` what
    // the last retry fetched; `compat32`: a 32-bit caller (4-byte pointers
    // and longs).
    I2cStep ioctl(I2cFile& file, unsigned command, uint64_t argument, bool compat32,
                  std::span<const uint8_t> in, size_t outSize);
    // Plain read and write at the chosen address: a read takes bytes at the
    // device's own pointer; a write of one byte sets that pointer, of more
    // writes them from the offset its first byte names. The bytes moved, or
    // a negative errno value.
    long read(const I2cFile& file, std::vector<uint8_t>& data, size_t size);
    long write(const I2cFile& file, std::span<const uint8_t> data);

    static constexpr unsigned long kFunctions = 0x00020000 | 0x00040000 | 0x00080000 | 0x00100000 | 0x00200000 |
                                                0x00400000 | 0x04000000 | 0x08000000;

private:
    I2cStep smbus(const I2cFile& file, uint8_t readWrite, uint8_t command, uint32_t size, uint8_t* data);
    I2cStep transfer(uint64_t argument, bool compat32, std::span<const uint8_t> in, size_t outSize);
    uint8_t busId_;
};

}  // namespace ornsys_devices
