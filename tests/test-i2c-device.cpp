// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The I2C device's decoding through the library on the board under test:
// each i2c-dev request as the kernel hands it over (first the bare command,
// then with the caller's memory it asked for), the firmware call it makes
// and what it answers. The default board has a read-only SPD at 0x50 on
// bus 0 and an EEPROM of 0xff bytes at 0x57 on bus 1.
#include <linux/i2c-dev.h>
#include <linux/i2c.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "board-fixture.h"
#include "i2c-device.h"

namespace {

using ornsys_devices::I2cBus;
using ornsys_devices::I2cFile;
using ornsys_devices::I2cStep;

constexpr uint64_t kArgument = 0x1000, kData = 0x2000;  // the caller's addresses, as the kernel names them

// The kernel's three rounds of one I2C_SMBUS request of a 64-bit caller;
// `data` the union's bytes in and out.
I2cStep Smbus(I2cBus& bus, I2cFile& file, uint8_t readWrite, uint8_t command, uint32_t size,
              std::vector<uint8_t>& data) {
    uint8_t header[16] = {readWrite, command};
    memcpy(header + 4, &size, 4);
    memcpy(header + 8, &kData, 8);
    I2cStep step = bus.ioctl(file, I2C_SMBUS, kArgument, false, {}, 0);
    EXPECT_TRUE(step.retry);
    EXPECT_EQ(step.in.size(), 1u);
    step = bus.ioctl(file, I2C_SMBUS, kArgument, false, header, 0);
    if (!step.retry) return step;  // one that carries no data
    EXPECT_EQ(step.in.size(), 2u);
    EXPECT_EQ(step.in[1].address, kData);
    std::vector<uint8_t> in(header, header + sizeof header);
    data.resize(sizeof(i2c_smbus_data));
    in.insert(in.end(), data.begin(), data.end());
    step = bus.ioctl(file, I2C_SMBUS, kArgument, false, in, sizeof(i2c_smbus_data));
    EXPECT_FALSE(step.retry);
    if (step.error == 0) data = step.bytes;
    return step;
}

class I2cDeviceTest : public BoardTest {
protected:
    // The firmware calls since the trace was cleared: one beginning with
    // `call`, or none where `call` is empty.
    void ExpectOneCallOrNone(const std::string& call, const char* what) {
        const std::vector<std::string> calls = Calls();
        if (call.empty()) {
            EXPECT_TRUE(calls.empty()) << what;
        } else {
            ASSERT_EQ(calls.size(), 1u) << what;
            EXPECT_EQ(calls[0].rfind(call, 0), 0u) << what << ": " << calls[0];
        }
    }
};

TEST_F(I2cDeviceTest, SmbusRequestsBecomeOneFirmwareCallEach) {
    ASSERT_TRUE(OrnOpen());
    I2cBus bus0(0), bus1(1);
    I2cFile spd, eeprom, nobody;
    ASSERT_EQ(bus0.ioctl(spd, I2C_SLAVE, 0x50, false, {}, 0).error, 0);
    ASSERT_EQ(bus1.ioctl(eeprom, I2C_SLAVE_FORCE, 0x57, false, {}, 0).error, 0);
    ASSERT_EQ(bus0.ioctl(nobody, I2C_SLAVE, 0x33, false, {}, 0).error, 0);
    struct Case {
        const char* what;
        I2cBus& bus;
        I2cFile& file;
        uint8_t readWrite, command;
        uint32_t size;
        std::vector<uint8_t> data;  // in; out is compared from its first bytes
        int error;
        std::vector<uint8_t> out;
        std::string call;
    };
    const Case cases[] = {
        {"byte data read", bus0, spd, I2C_SMBUS_READ, 2, I2C_SMBUS_BYTE_DATA, {}, 0, {0x0b},
         "call 0x21 00500200cc01 -> 0x0000 005002000b01"},
        {"word data read, low byte first", bus0, spd, I2C_SMBUS_READ, 0, I2C_SMBUS_WORD_DATA, {}, 0, {0x92, 0x10},
         "call 0x23 00500000cccc01 -> 0x0000 00500000921001"},
        {"byte at the device's pointer (after the word: 2)", bus0, spd, I2C_SMBUS_READ, 0, I2C_SMBUS_BYTE, {}, 0,
         {0x0b}, "call 0x21 00500000cc00 -> 0x0000 005000000b00"},
        {"I2C block read, the length first", bus0, spd, I2C_SMBUS_READ, 4, I2C_SMBUS_I2C_BLOCK_DATA, {3}, 0,
         {3, 0x03, 0x19, 0x00}, "call 0x27 00500400"},
        {"I2C block write by the old number (libi2c's)", bus1, eeprom, I2C_SMBUS_WRITE, 0x10,
         I2C_SMBUS_I2C_BLOCK_BROKEN, {2, 0xab, 0xcd}, 0, {2, 0xab, 0xcd}, "call 0x28 01571000"},
        {"I2C block read by the old number: 32 bytes", bus1, eeprom, I2C_SMBUS_READ, 0x10,
         I2C_SMBUS_I2C_BLOCK_BROKEN, {5}, 0, {16, 0xab, 0xcd, 0xff}, "call 0x27 01571000"},
        {"byte data write", bus1, eeprom, I2C_SMBUS_WRITE, 7, I2C_SMBUS_BYTE_DATA, {0x5a}, 0, {0x5a},
         "call 0x22 015707005a01 -> 0x0000 015707005a01"},
        {"word data write", bus1, eeprom, I2C_SMBUS_WRITE, 8, I2C_SMBUS_WORD_DATA, {0x34, 0x12}, 0, {0x34, 0x12},
         "call 0x24 01570800341201 -> 0x0000 01570800341201"},
        {"send byte: the command is the byte", bus1, eeprom, I2C_SMBUS_WRITE, 0x42, I2C_SMBUS_BYTE, {}, 0, {},
         "call 0x22 015700004200 -> 0x0000 015700004200"},
        {"no answer is ENXIO", bus0, nobody, I2C_SMBUS_READ, 0, I2C_SMBUS_BYTE_DATA, {}, ENXIO, {},
         "call 0x21 00330000cc01 -> 0x8022 00330000cc01"},
        {"a read-only device refuses writes", bus0, spd, I2C_SMBUS_WRITE, 0, I2C_SMBUS_BYTE_DATA, {1}, ENXIO, {},
         "call 0x22 005000000101 -> 0x8022 005000000101"},
        {"no block of 0 bytes", bus0, spd, I2C_SMBUS_READ, 0, I2C_SMBUS_I2C_BLOCK_DATA, {0}, EINVAL, {}, ""},
        {"no block above 32 bytes", bus0, spd, I2C_SMBUS_READ, 0, I2C_SMBUS_I2C_BLOCK_DATA, {33}, EINVAL, {}, ""},
        {"no quick command", bus0, spd, I2C_SMBUS_WRITE, 0, I2C_SMBUS_QUICK, {}, EOPNOTSUPP, {}, ""},
        {"no SMBus block", bus0, spd, I2C_SMBUS_READ, 0, I2C_SMBUS_BLOCK_DATA, {}, EOPNOTSUPP, {}, ""},
        {"no such direction", bus0, spd, 7, 0, I2C_SMBUS_BYTE_DATA, {}, EINVAL, {}, ""},
    };
    for (const Case& c : cases) {
        ClearTrace();
        std::vector<uint8_t> data = c.data;
        const I2cStep step = Smbus(c.bus, c.file, c.readWrite, c.command, c.size, data);
        EXPECT_EQ(step.error, c.error) << c.what;
        if (c.error == 0 && !c.out.empty()) {
            ASSERT_GE(data.size(), c.out.size()) << c.what;
            EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.begin() + long(c.out.size())), c.out) << c.what;
        }
        ExpectOneCallOrNone(c.call, c.what);
    }
    // The old number's read asks the firmware for 32 bytes: the block's
    // count, its bytes 10 to 13 (the far pointer before it differs by backend).
    ClearTrace();
    std::vector<uint8_t> block = {5};
    ASSERT_EQ(Smbus(bus1, eeprom, I2C_SMBUS_READ, 0x10, I2C_SMBUS_I2C_BLOCK_BROKEN, block).error, 0);
    const std::vector<std::string> calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].substr(10 + 2 * 10, 8), "20000000") << calls[0];
}

TEST_F(I2cDeviceTest, FunctionsAddressesAndPlainReadsAndWrites) {
    ASSERT_TRUE(OrnOpen());
    I2cBus bus(1);
    I2cFile file;
    // What the bus can do, in an unsigned long of the caller's width.
    for (bool compat32 : {false, true}) {
        I2cStep step = bus.ioctl(file, I2C_FUNCS, kArgument, compat32, {}, 0);
        ASSERT_TRUE(step.retry);
        ASSERT_EQ(step.out.size(), 1u);
        EXPECT_EQ(step.out[0].size, compat32 ? 4u : 8u);
        step = bus.ioctl(file, I2C_FUNCS, kArgument, compat32, {}, step.out[0].size);
        uint64_t functions = 0;
        memcpy(&functions, step.bytes.data(), step.bytes.size());
        EXPECT_EQ(functions, uint64_t(I2C_FUNC_SMBUS_BYTE | I2C_FUNC_SMBUS_BYTE_DATA | I2C_FUNC_SMBUS_WORD_DATA |
                                      I2C_FUNC_SMBUS_I2C_BLOCK));
    }
    I2cFile highest;
    EXPECT_EQ(bus.ioctl(highest, I2C_SLAVE, 0x7F, false, {}, 0).error, 0);  // the last 7-bit address
    EXPECT_EQ(bus.ioctl(file, I2C_SLAVE, 0x80, false, {}, 0).error, EINVAL);
    EXPECT_EQ(bus.ioctl(file, I2C_TENBIT, 1, false, {}, 0).error, EINVAL);
    EXPECT_EQ(bus.ioctl(file, I2C_PEC, 1, false, {}, 0).error, EINVAL);
    EXPECT_EQ(bus.ioctl(file, 0x5401, 0, false, {}, 0).error, ENOTTY);
    std::vector<uint8_t> data;
    EXPECT_EQ(bus.read(file, data, 4), -EINVAL);  // no address chosen
    ASSERT_EQ(bus.ioctl(file, I2C_SLAVE, 0x57, false, {}, 0).error, 0);
    // A write of more than a byte: from the offset its first byte names;
    // one byte: a send byte; a read: at the device's own pointer.
    const uint8_t offsetAndBytes[] = {0x20, 1, 2, 3};
    const uint8_t one[] = {0x42};
    EXPECT_EQ(bus.write(file, offsetAndBytes), 4);
    std::vector<uint8_t> block = {3};
    ASSERT_EQ(Smbus(bus, file, I2C_SMBUS_READ, 0x20, I2C_SMBUS_I2C_BLOCK_DATA, block).error, 0);
    EXPECT_EQ(std::vector<uint8_t>(block.begin(), block.begin() + 4), (std::vector<uint8_t>{3, 1, 2, 3}));
    ClearTrace();
    EXPECT_EQ(bus.write(file, one), 1);
    EXPECT_EQ(bus.read(file, data, 4), 4);
    const std::vector<std::string> calls = Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "call 0x22 015700004200 -> 0x0000 015700004200");
    EXPECT_EQ(calls[1].rfind("call 0x27 01570000", 0), 0u) << calls[1];
    EXPECT_EQ(calls[1].substr(10 + 28, 2), "00") << calls[1];  // the transfer block's last byte: protocol 0
}

// The caller's memory as the kernel sees it: regions by address.
using Memory = std::map<uint64_t, std::vector<uint8_t>>;

// One ioctl over the kernel's rounds: each retry's spans fetched from and
// stored to `memory` as CUSE does; at most four rounds.
I2cStep Rounds(I2cBus& bus, I2cFile& file, unsigned command, bool compat32, Memory& memory) {
    std::vector<uint8_t> in;
    size_t outSize = 0;
    std::vector<ornsys_devices::Span> out;
    for (int round = 0; round < 4; ++round) {
        I2cStep step = bus.ioctl(file, command, kArgument, compat32, in, outSize);
        if (!step.retry) {
            size_t at = 0;
            for (const auto& span : out)  // the answer's bytes go where the last round said
                for (size_t i = 0; i < span.size && at < step.bytes.size(); ++i) memory.at(span.address)[i] = step.bytes[at++];
            return step;
        }
        in.clear();
        for (const auto& span : step.in) {
            const std::vector<uint8_t>& region = memory.at(span.address);
            EXPECT_LE(span.size, region.size());
            in.insert(in.end(), region.begin(), region.begin() + long(std::min(span.size, region.size())));
        }
        out = step.out;
        outSize = 0;
        for (const auto& span : out) outSize += span.size;
    }
    ADD_FAILURE() << "more than four rounds";
    return {};
}

// An I2C_RDWR request's memory: the argument, the messages and their buffers.
struct Message {
    uint16_t address, flags;
    std::vector<uint8_t> bytes;  // a read's length is its size
};

Memory Transfer(const std::vector<Message>& messages, bool compat32) {
    constexpr uint64_t kMessages = 0x3000, kBuffers = 0x4000;
    const size_t pointer = compat32 ? 4 : 8, size = compat32 ? 12 : 16;
    Memory memory;
    std::vector<uint8_t> argument(compat32 ? 8 : 16), list(messages.size() * size);
    memcpy(argument.data(), &kMessages, pointer);
    const uint32_t count = uint32_t(messages.size());
    memcpy(argument.data() + pointer, &count, 4);
    for (size_t i = 0; i < messages.size(); ++i) {
        const uint16_t length = uint16_t(messages[i].bytes.size());
        const uint64_t buffer = kBuffers + 0x100 * i;
        memcpy(&list[i * size], &messages[i].address, 2);
        memcpy(&list[i * size + 2], &messages[i].flags, 2);
        memcpy(&list[i * size + 4], &length, 2);
        memcpy(&list[i * size + 8], &buffer, pointer);
        memory[buffer] = messages[i].bytes;
    }
    memory[kArgument] = argument;
    memory[kMessages] = list;
    return memory;
}

TEST_F(I2cDeviceTest, MessageTransfersInTheFirmwaresPatterns) {
    ASSERT_TRUE(OrnOpen());
    I2cBus bus(1);  // an EEPROM of 0xff bytes at 0x57
    I2cFile file;
    struct Case {
        const char* what;
        std::vector<Message> messages;
        int error;
        std::vector<uint8_t> read;  // what the last message holds after it
        std::string call;
    };
    const std::vector<uint8_t> four(4, 0);
    // The most a write message holds: its offset and 32 bytes (what the
    // first case left there, so later cases see the same EEPROM).
    std::vector<uint8_t> offsetAnd32 = {0x30, 7, 8, 9, 10};
    offsetAnd32.resize(33, 0xff);
    const Case cases[] = {
        {"bytes from an offset", {{0x57, 0, {0x30, 7, 8, 9, 10}}}, 0, {}, "call 0x28 01573000"},
        {"offset, then a read from it", {{0x57, 0, {0x30}}, {0x57, I2C_M_RD, {0, 0, 0}}}, 0, {7, 8, 9},
         "call 0x27 01573000"},
        {"a read at the device's pointer (0x33)", {{0x57, I2C_M_RD, {0, 0}}}, 0, {10, 0xff}, "call 0x27 01570000"},
        {"a send byte", {{0x57, 0, {0x31}}}, 0, {}, "call 0x22 015700003100"},
        {"two writes", {{0x57, 0, {1}}, {0x57, 0, {2}}}, EOPNOTSUPP, {}, ""},
        {"an offset of two bytes", {{0x57, 0, {1, 2}}, {0x57, I2C_M_RD, four}}, EOPNOTSUPP, {}, ""},
        {"two addresses", {{0x57, 0, {1}}, {0x50, I2C_M_RD, four}}, EOPNOTSUPP, {}, ""},
        {"three messages", {{0x57, 0, {1}}, {0x57, 0, {1}}, {0x57, 0, {1}}}, EOPNOTSUPP, {}, ""},
        {"the most messages Linux takes", std::vector<Message>(I2C_RDWR_IOCTL_MAX_MSGS, {0x57, 0, {1}}), EOPNOTSUPP,
         {}, ""},
        {"more messages than Linux takes", std::vector<Message>(I2C_RDWR_IOCTL_MAX_MSGS + 1, {0x57, 0, {1}}), EINVAL,
         {}, ""},
        {"a zero-length message (quick)", {{0x57, 0, {}}}, EOPNOTSUPP, {}, ""},
        {"a read of 33 bytes", {{0x57, I2C_M_RD, std::vector<uint8_t>(33)}}, EOPNOTSUPP, {}, ""},
        {"an offset and 32 bytes, where the bus takes 16", {{0x57, 0, offsetAnd32}}, EIO, {}, "call 0x28 01573000"},
        {"a write of 34 bytes", {{0x57, 0, std::vector<uint8_t>(34)}}, EOPNOTSUPP, {}, ""},
        {"a flag the firmware has not", {{0x57, I2C_M_RD | I2C_M_NOSTART, four}}, EOPNOTSUPP, {}, ""},
        {"a 10-bit address", {{0x257, I2C_M_RD, four}}, EINVAL, {}, ""},
        {"no messages", {}, EINVAL, {}, ""},
    };
    for (bool compat32 : {false, true})
        for (const Case& c : cases) {
            ClearTrace();
            Memory memory = Transfer(c.messages, compat32);
            const I2cStep step = Rounds(bus, file, I2C_RDWR, compat32, memory);
            EXPECT_EQ(step.error, c.error) << c.what << (compat32 ? " (32-bit)" : "");
            EXPECT_EQ(step.result, c.error == 0 ? int(c.messages.size()) : 0) << c.what;
            if (!c.read.empty()) {
                EXPECT_EQ(memory.at(0x4000 + 0x100 * (c.messages.size() - 1)), c.read) << c.what;
            }
            ExpectOneCallOrNone(c.call, c.what);
        }
    // A device that does not answer is ENXIO, as for SMBus requests.
    Memory memory = Transfer({{0x33, I2C_M_RD, four}}, false);
    EXPECT_EQ(Rounds(bus, file, I2C_RDWR, false, memory).error, ENXIO);
}

// A block write the firmware reports cut short is an error by each way in,
// never a success that lost bytes; the same count on a read is the length.
TEST_F(I2cDeviceTest, ABlockWriteCutShortIsAnError) {
    UseBoard("[fault]\nfunction = 0x28\ncount = 1\n[fault]\nfunction = 0x27\ncount = 1\n");
    ASSERT_TRUE(OrnOpen());
    I2cBus bus(1);
    I2cFile file;
    ASSERT_EQ(bus.ioctl(file, I2C_SLAVE, 0x57, false, {}, 0).error, 0);
    std::vector<uint8_t> block = {2, 0xab, 0xcd};
    EXPECT_EQ(Smbus(bus, file, I2C_SMBUS_WRITE, 0x10, I2C_SMBUS_I2C_BLOCK_DATA, block).error, EIO);
    const uint8_t offsetAndBytes[] = {0x20, 1, 2};
    EXPECT_EQ(bus.write(file, offsetAndBytes), -EIO);
    Memory memory = Transfer({{0x57, 0, {0x20, 1, 2}}}, false);
    EXPECT_EQ(Rounds(bus, file, I2C_RDWR, false, memory).error, EIO);
    block = {2};
    ASSERT_EQ(Smbus(bus, file, I2C_SMBUS_READ, 0x10, I2C_SMBUS_I2C_BLOCK_DATA, block).error, 0);
    EXPECT_EQ(block[0], 1);
    std::vector<uint8_t> data;
    EXPECT_EQ(bus.read(file, data, 4), 1);
    EXPECT_EQ(data.size(), 1u);
}

}  // namespace
