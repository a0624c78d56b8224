// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The watchdog device's logic through the library on the board under test:
// what each open, write, close and ioctl asks of the firmware, and what it
// answers the caller. The character device itself runs in the deploy stage.
#include <linux/watchdog.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "board-fixture.h"
#include "watchdog-device.h"

namespace {

using ornsys_devices::WatchdogDevice;

std::vector<uint8_t> Int(int value) {
    std::vector<uint8_t> bytes(sizeof value);
    memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

int IntOf(const std::vector<uint8_t>& bytes) {
    int value = -1;
    if (bytes.size() == sizeof value) memcpy(&value, bytes.data(), sizeof value);
    return value;
}

class WatchdogDeviceTest : public BoardTest {};

TEST_F(WatchdogDeviceTest, OpenArmsAWriteFeedsAndOnlyAMagicCloseStops) {
    ASSERT_TRUE(OrnOpen());
    WatchdogDevice device(20, 30);
    std::string why;
    ASSERT_EQ(device.open(), 0);
    EXPECT_EQ(device.open(), EBUSY);  // one opener at a time
    const uint8_t ping[] = {'x'};
    const uint8_t magic[] = {'a', 'V'};
    EXPECT_EQ(device.write(ping), 1);
    device.release(why);
    EXPECT_EQ(why, "closed without the magic character: the watchdog keeps running");
    EXPECT_TRUE(device.armed());
    ASSERT_EQ(device.open(), 0);
    EXPECT_EQ(device.write(magic), 2);
    EXPECT_EQ(device.write(ping), 1);  // the last write decides
    device.release(why);
    EXPECT_TRUE(device.armed());
    ASSERT_EQ(device.open(), 0);
    EXPECT_EQ(device.write(magic), 2);
    device.release(why);
    EXPECT_EQ(why, "closed with the magic character: the watchdog is stopped");
    EXPECT_FALSE(device.armed());
    // 20 s is 0x14: delay and timeout alike, command 1; the stop is command 0.
    const std::string arm = "call 0x31 140014000100 -> 0x0000 140014000100";
    const std::string trigger = "call 0x33 null -> 0x0000 null";
    EXPECT_EQ(Calls(), (std::vector<std::string>{arm, trigger, arm, trigger, trigger, arm, trigger,
                                                 "call 0x31 000000000000 -> 0x0000 000000000000"}));
}

TEST_F(WatchdogDeviceTest, IoctlsAnswerAsTheKernelsWatchdogsDo) {
    // The board in time ends with its [watchdog] section: its last reset was
    // the watchdog's.
    std::ifstream timed(std::string(ORNSYS_TEST_BOARDS) + "/timed.board");
    UseBoard(std::string(std::istreambuf_iterator<char>(timed), {}) + "status = 1\n", false);
    ASSERT_TRUE(OrnOpen());
    WatchdogDevice device(10, 30);
    ASSERT_EQ(device.open(), 0);
    ClearTrace();
    const auto support = device.ioctl(WDIOC_GETSUPPORT, {});
    ASSERT_EQ(support.error, 0);
    ASSERT_EQ(support.out.size(), sizeof(watchdog_info));
    watchdog_info info;
    memcpy(&info, support.out.data(), sizeof info);
    EXPECT_STREQ(reinterpret_cast<const char*>(info.identity), "ornsys board watchdog");
    EXPECT_EQ(info.options, unsigned(WDIOF_SETTIMEOUT | WDIOF_KEEPALIVEPING | WDIOF_MAGICCLOSE | WDIOF_CARDRESET));

    struct Case {
        const char* what;
        unsigned command;
        std::vector<uint8_t> in;
        int error;
        int out;  // -1: nothing written back
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"boot status: the last reset was the watchdog's", WDIOC_GETBOOTSTATUS, {}, 0, WDIOF_CARDRESET,
         {"call 0x32 00 -> 0x0000 01"}},
        {"status", WDIOC_GETSTATUS, {}, 0, 0, {}},
        {"keep alive", WDIOC_KEEPALIVE, {}, 0, -1, {"call 0x33 null -> 0x0000 null"}},
        {"a timeout within reach re-arms", WDIOC_SETTIMEOUT, Int(25), 0, 25,
         {"call 0x31 190019000100 -> 0x0000 190019000100"}},
        {"a longer one is the longest the firmware does", WDIOC_SETTIMEOUT, Int(600), 0, 30,
         {"call 0x31 1e001e000100 -> 0x0000 1e001e000100"}},
        {"timeout read back", WDIOC_GETTIMEOUT, {}, 0, 30, {}},
        {"no timeout of 0", WDIOC_SETTIMEOUT, Int(0), EINVAL, -1, {}},
        {"no negative timeout", WDIOC_SETTIMEOUT, Int(-5), EINVAL, -1, {}},
        {"disable", WDIOC_SETOPTIONS, Int(WDIOS_DISABLECARD), 0, -1, {"call 0x31 000000000000 -> 0x0000 000000000000"}},
        {"enable", WDIOC_SETOPTIONS, Int(WDIOS_ENABLECARD), 0, -1, {"call 0x31 1e001e000100 -> 0x0000 1e001e000100"}},
        {"no such option", WDIOC_SETOPTIONS, Int(WDIOS_TEMPPANIC), EINVAL, -1, {}},
        {"no pretimeout", WDIOC_SETPRETIMEOUT, {}, ENOTTY, -1, {}},
        {"no time left", WDIOC_GETTIMELEFT, {}, ENOTTY, -1, {}},
        {"not a watchdog's command", 0x5401 /* TCGETS */, {}, ENOTTY, -1, {}},
    };
    for (const Case& c : cases) {
        ClearTrace();
        const ornsys_devices::IoctlShape shape = ornsys_devices::WatchdogIoctlShape(c.command);
        EXPECT_EQ(shape.known, c.error != ENOTTY) << c.what;
        EXPECT_EQ(shape.in, c.in.size()) << c.what;
        const auto result = device.ioctl(c.command, c.in);
        EXPECT_EQ(result.error, c.error) << c.what;
        EXPECT_EQ(c.out < 0 ? -1 : IntOf(result.out), c.out) << c.what;
        if (c.error == 0) {
            EXPECT_EQ(result.out.size(), shape.out) << c.what;
        }
        EXPECT_EQ(Calls(), c.calls) << c.what;
    }
}

TEST_F(WatchdogDeviceTest, AFirmwareThatRefusesTheTimeoutFailsTheOpenAndTheSetting) {
    UseBoard("[fault]\nfunction = 0x31\nstatus = 0x8051\n");
    ASSERT_TRUE(OrnOpen());
    WatchdogDevice device(10, 30);
    EXPECT_EQ(device.open(), EINVAL);
    EXPECT_FALSE(device.armed());
    UseBoard("[fault]\nfunction = 0x33\nstatus = 0x8000\n");
    ASSERT_TRUE(OrnClose() && OrnOpen());
    const uint8_t ping[] = {'x'};
    ASSERT_EQ(device.open(), 0);
    EXPECT_EQ(device.write(ping), -EIO);
    EXPECT_EQ(device.ioctl(WDIOC_KEEPALIVE, {}).error, EIO);
}

}  // namespace
