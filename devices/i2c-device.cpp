// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
#include "i2c-device.h"

#include <linux/i2c-dev.h>
#include <linux/i2c.h>

#include <cerrno>
#include <cstring>

#include "ornsyslx.h"

namespace ornsys_devices {

namespace {

// The firmware's protocols: 0 at the device's own pointer, 1 an 8-bit offset.
constexpr BYTE kAtPointer = 0, kAtOffset = 1;
constexpr size_t kSmbusData = sizeof(i2c_smbus_data);  // 34 bytes

// What a failed firmware call is to the caller, as the kernel's adapters say it.
int ErrnoOfLastError() {
    DWORD code = 0;
    OrnGetLastError(&code, nullptr, 0);
    switch (code) {
        case ORN_BIOS_I2C_NO_ACK: return ENXIO;
        case ORN_BIOS_I2C_INVALID_BUS: return ENODEV;
        case ORN_BIOS_I2C_PROTOCOL: return EOPNOTSUPP;
        default: return EIO;
    }
}

// A block written at an offset: 0 when every byte went out, else the
// errno. A write that moved fewer bytes than asked is EIO: the caller would
// otherwise think bytes went out that never did.
int WriteBlockWhole(BYTE bus, BYTE address, BYTE offset, BYTE* bytes, DWORD length) {
    DWORD count = length;
    if (!OrnI2CWriteBlock(bus, address, offset, bytes, &count, kAtOffset)) return ErrnoOfLastError();
    return count == length ? 0 : EIO;
}

I2cStep Error(int error) {
    I2cStep step;
    step.error = error;
    return step;
}

I2cStep Done(std::vector<uint8_t> bytes = {}) {
    I2cStep step;
    step.bytes = std::move(bytes);
    return step;
}

I2cStep Retry(std::vector<Span> in, std::vector<Span> out) {
    I2cStep step;
    step.retry = true;
    step.in = std::move(in);
    step.out = std::move(out);
    return step;
}

}  // namespace

I2cStep I2cBus::ioctl(I2cFile& file, unsigned command, uint64_t argument, bool compat32,
                      std::span<const uint8_t> in, size_t outSize) {
    switch (command) {
        case I2C_SLAVE:
        case I2C_SLAVE_FORCE:
            if (argument > 0x7F) return Error(EINVAL);
            file.address = int(argument);
            return Done();
        case I2C_TENBIT:
        case I2C_PEC:  // neither 10-bit addresses nor packet error checking
            return argument == 0 ? Done() : Error(EINVAL);
        case I2C_RETRIES:
        case I2C_TIMEOUT:  // the firmware keeps its own
            return Done();
        case I2C_FUNCS: {
            const size_t size = compat32 ? 4 : 8;
            if (outSize < size) return Retry({}, {{argument, size}});
            std::vector<uint8_t> bytes(size);
            const uint64_t functions = kFunctions;
            memcpy(bytes.data(), &functions, size);  // little-endian: the low bytes first
            return Done(bytes);
        }
        case I2C_SMBUS: {
            // {read_write, command, 2 bytes of padding, size, data pointer}
            const size_t header = compat32 ? 12 : 16;
            if (in.size() < header) return Retry({{argument, header}}, {});
            uint32_t size;
            memcpy(&size, in.data() + 4, sizeof size);
            uint64_t data = 0;
            memcpy(&data, in.data() + 8, compat32 ? 4 : 8);
            const uint8_t readWrite = in[0], smbusCommand = in[1];
            const bool needsData = size != I2C_SMBUS_QUICK && !(size == I2C_SMBUS_BYTE && readWrite == I2C_SMBUS_WRITE);
            if (!needsData) return smbus(file, readWrite, smbusCommand, size, nullptr);
            if (data == 0) return Error(EINVAL);
            if (in.size() < header + kSmbusData || outSize < kSmbusData)
                return Retry({{argument, header}, {data, kSmbusData}}, {{data, kSmbusData}});
            uint8_t bytes[kSmbusData];
            memcpy(bytes, in.data() + header, sizeof bytes);
            I2cStep step = smbus(file, readWrite, smbusCommand, size, bytes);
            if (step.error == 0) step.bytes.assign(bytes, bytes + sizeof bytes);
            return step;
        }
        case I2C_RDWR: return transfer(argument, compat32, in, outSize);
        default: return Error(ENOTTY);
    }
}

I2cStep I2cBus::smbus(const I2cFile& file, uint8_t readWrite, uint8_t command, uint32_t size, uint8_t* data) {
    if (file.address < 0) return Error(EINVAL);
    if (readWrite != I2C_SMBUS_READ && readWrite != I2C_SMBUS_WRITE) return Error(EINVAL);
    const BYTE address = BYTE(file.address);
    const bool read = readWrite == I2C_SMBUS_READ;
    if (size == I2C_SMBUS_I2C_BLOCK_BROKEN) {  // the old number, which libi2c still writes with: as the kernel does
        size = I2C_SMBUS_I2C_BLOCK_DATA;
        if (read) data[0] = I2C_SMBUS_BLOCK_MAX;
    }
    bool ok = false;
    switch (size) {
        case I2C_SMBUS_BYTE:
            ok = read ? OrnI2CRead8(busId_, address, 0, data, kAtPointer)
                      : OrnI2CWrite8(busId_, address, 0, command, kAtPointer);
            break;
        case I2C_SMBUS_BYTE_DATA:
            ok = read ? OrnI2CRead8(busId_, address, command, data, kAtOffset)
                      : OrnI2CWrite8(busId_, address, command, data[0], kAtOffset);
            break;
        case I2C_SMBUS_WORD_DATA: {
            WORD word;
            memcpy(&word, data, sizeof word);
            ok = read ? OrnI2CRead16(busId_, address, command, &word, kAtOffset)
                      : OrnI2CWrite16(busId_, address, command, word, kAtOffset);
            if (ok && read) memcpy(data, &word, sizeof word);
            break;
        }
        case I2C_SMBUS_I2C_BLOCK_DATA: {
            // block[0] the length, 1 to 32, then the bytes
            if (data[0] == 0 || data[0] > I2C_SMBUS_BLOCK_MAX) return Error(EINVAL);
            if (!read) {
                const int error = WriteBlockWhole(busId_, address, command, data + 1, data[0]);
                return error ? Error(error) : Done();
            }
            DWORD count = data[0];
            ok = OrnI2CReadBlock(busId_, address, command, data + 1, &count, kAtOffset);
            if (ok && count > data[0]) return Error(EIO);  // more than was asked is not believed
            if (ok) data[0] = BYTE(count);
            break;
        }
        default: return Error(EOPNOTSUPP);  // quick, process calls, SMBus blocks
    }
    return ok ? Done() : Error(ErrnoOfLastError());
}

// I2C_RDWR in the message patterns the firmware's functions carry, all to
// one address: one write (a send byte, or bytes from the offset its first
// byte names), one read at the device's pointer, or a one-byte write of an
// offset and a read from there. Anything else is EOPNOTSUPP, not guessed at.
I2cStep I2cBus::transfer(uint64_t argument, bool compat32, std::span<const uint8_t> in, size_t outSize) {
    // {messages pointer, count}; each message {addr, flags, len, buf pointer}
    const size_t pointer = compat32 ? 4 : 8, header = compat32 ? 8 : 16, message = compat32 ? 12 : 16;
    if (in.size() < header) return Retry({{argument, header}}, {});
    uint64_t messages = 0;
    uint32_t count;
    memcpy(&messages, in.data(), pointer);
    memcpy(&count, in.data() + pointer, sizeof count);
    if (messages == 0 || count == 0 || count > I2C_RDWR_IOCTL_MAX_MSGS) return Error(EINVAL);
    if (count > 2) return Error(EOPNOTSUPP);
    if (in.size() < header + count * message) return Retry({{argument, header}, {messages, count * message}}, {});
    struct Message {
        uint16_t address, flags, length;
        uint64_t buffer;
    } m[2] = {};
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* at = in.data() + header + i * message;
        memcpy(&m[i].address, at, 2);
        memcpy(&m[i].flags, at + 2, 2);
        memcpy(&m[i].length, at + 4, 2);
        memcpy(&m[i].buffer, at + 8, pointer);
        if (m[i].address > 0x7F || (m[i].length != 0 && m[i].buffer == 0)) return Error(EINVAL);
        if ((m[i].flags & ~I2C_M_RD) != 0 || m[i].length == 0 || m[i].address != m[0].address) return Error(EOPNOTSUPP);
    }
    const bool reads = m[count - 1].flags & I2C_M_RD;
    const bool offsetThenRead = count == 2 && !(m[0].flags & I2C_M_RD) && m[0].length == 1 && reads;
    if (count == 2 && !offsetThenRead) return Error(EOPNOTSUPP);
    if (reads ? m[count - 1].length > I2C_SMBUS_BLOCK_MAX : m[0].length > I2C_SMBUS_BLOCK_MAX + 1)
        return Error(EOPNOTSUPP);
    const size_t written = reads ? (offsetThenRead ? 1 : 0) : m[0].length;
    const size_t wanted = reads ? m[count - 1].length : 0;
    if (in.size() < header + count * message + written || outSize < wanted) {
        std::vector<Span> fetch = {{argument, header}, {messages, count * message}};
        if (written != 0) fetch.push_back({m[0].buffer, written});
        return Retry(fetch, reads ? std::vector<Span>{{m[count - 1].buffer, wanted}} : std::vector<Span>{});
    }
    const std::span<const uint8_t> bytes = in.subspan(header + count * message, written);
    const I2cFile target{m[0].address};
    I2cStep step;
    if (!reads) {
        const long taken = write(target, bytes);
        if (taken < 0) return Error(int(-taken));
    } else if (offsetThenRead) {  // the I2C block read at an offset
        uint8_t block[I2C_SMBUS_BLOCK_MAX + 2] = {uint8_t(wanted)};
        const I2cStep blockRead = smbus(target, I2C_SMBUS_READ, bytes[0], I2C_SMBUS_I2C_BLOCK_DATA, block);
        if (blockRead.error != 0) return blockRead;
        if (block[0] != wanted) return Error(EIO);
        step.bytes.assign(block + 1, block + 1 + wanted);
    } else {
        const long got = read(target, step.bytes, wanted);
        if (got < 0) return Error(int(-got));
        if (size_t(got) != wanted) return Error(EIO);
    }
    step.result = int(count);  // the kernel's answer: the messages done
    return step;
}

long I2cBus::read(const I2cFile& file, std::vector<uint8_t>& data, size_t size) {
    if (file.address < 0) return -EINVAL;
    data.assign(std::min<size_t>(size, I2C_SMBUS_BLOCK_MAX), 0);
    DWORD count = DWORD(data.size());
    if (count == 0) return 0;
    if (!OrnI2CReadBlock(busId_, BYTE(file.address), 0, data.data(), &count, kAtPointer))
        return -ErrnoOfLastError();
    data.resize(std::min<size_t>(count, data.size()));
    return long(data.size());
}

long I2cBus::write(const I2cFile& file, std::span<const uint8_t> data) {
    if (file.address < 0) return -EINVAL;
    if (data.empty()) return 0;
    if (data.size() > I2C_SMBUS_BLOCK_MAX + 1) return -EINVAL;
    const BYTE address = BYTE(file.address);
    if (data.size() == 1)
        return OrnI2CWrite8(busId_, address, 0, data[0], kAtPointer) ? 1 : -ErrnoOfLastError();
    std::vector<uint8_t> bytes(data.begin() + 1, data.end());
    const int error = WriteBlockWhole(busId_, address, data[0], bytes.data(), DWORD(bytes.size()));
    return error ? -error : long(data.size());
}

}  // namespace ornsys_devices
