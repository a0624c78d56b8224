// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Threads against the library and the virtual board: a stress run of mixed
// calls whose every answer is checked against the board file, and the port
// instance under racing first users and under an open/close loop. Run in
// the thread-sanitized build, any data race fails the test run.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>

#include <sys/wait.h>

#include "board-fixture.h"
#include "board.h"
#include "every-call.h"

namespace {

using Threads = BoardTest;

// One thread's share of the stress run: calls of each kind in turn, each
// answer checked; returns the number of wrong answers (and reports the
// first few).
long StressWorker(int thread, long calls, const ornsim_board::Board& board) {
    // Each thread owns 16 bytes of NVRAM 1, so its writes can be read back.
    const DWORD base = DWORD(thread) * 16;
    const auto& edid = board.devices[2].contents.list;  // LFP EDID at 0x50 on bus 10
    const std::pair<const char*, std::function<bool(long)>> kinds[] = {
        {"temperature and voltage", [&](long n) {
             SDWORD celsius = 0, millivolts = 0;
             const DWORD t = DWORD(size_t(n) % board.temps.size()), v = DWORD(size_t(n) % board.volts.size());
             return OrnGetThermSensorValue(t, &celsius) && celsius == board.temps[t].value &&
                    OrnGetVoltSensorValue(v, &millivolts) && millivolts == board.volts[v].value;
         }},
        {"nvram write and read-back", [&](long n) {
             BYTE data[4] = {BYTE(n), BYTE(n >> 8), BYTE(thread), BYTE(n >> 16)}, back[4] = {};
             DWORD count = 0, at = base + DWORD(n) % 12;
             return OrnWriteNVRam(1, at, 4, data, &count) && count == 4 && OrnReadNVRam(1, at, 4, back, &count) &&
                    count == 4 && memcmp(back, data, 4) == 0;
         }},
        {"i2c read", [&](long n) {
             BYTE value = 0;
             return OrnI2CRead8(10, 0x50, WORD(n % 128), &value, 1) && value == edid[size_t(n % 128)];
         }},
        {"board info", [&](long) {
             BOARDINFO info;
             return OrnGetBoardInfo(&info) && memcmp(&info, &board.info, sizeof info) == 0;
         }},
        // A call that fails on purpose: the last error (code and text) is
        // this thread's or another thread's, never anything else.
        {"nvram 9 absent, last error", [&](long) {
             NVRAMINFO info;
             DWORD code = 0xDEAD;
             char text[64];
             const bool absent = !OrnGetNVRamInfo(9, &info);
             OrnGetLastError(&code, text, sizeof text);
             return absent && (code == 0 || code == 0x8033);
         }},
        {"port read", [&](long) {
             OEMACCESS access{OEM_ACCESS_PORT, 0x2E, 0, 0, OEM_DATA_BYTE, 0};
             return OrnOEMRead(&access) && access.DataValue == 0x87;
         }},
        {"nvram count", [&](long) {
             DWORD count = 0;
             return OrnGetNVRamCount(&count) && count == board.nvrams.size();
         }},
        {"battery state", [&](long) {
             auto state = every_call::Sized<BATTERYSTATE>();
             const BATTERYSTATE& want = board.batteries[0].state;
             return OrnGetBatteryState(0, &state) &&
                    memcmp(&state.Status, &want.Status, sizeof state - sizeof(DWORD)) == 0;
         }},
    };
    const long kindCount = long(std::size(kinds));
    long wrong = 0;
    for (long i = 0; i < calls; ++i) {
        const auto& [what, call] = kinds[i % kindCount];
        if (!call(i / kindCount) && ++wrong <= 3) ADD_FAILURE() << "thread " << thread << " call " << i << ": " << what;
    }
    return wrong;
}

TEST_F(Threads, EightThreadsOfMixedCallsGetTheBoardsAnswers) {
    unsetenv("ORNSIM_TRACE");
    // The default board as the virtual board reads it: what every answer must be.
    ornsim_board::Board board;
    std::string error;
    ASSERT_TRUE(ornsim_board::Parse(ornsim_board::kDefaultBoard, "default.board", ".", board, error)) << error;
    ASSERT_TRUE(OrnOpen());
    const long calls = getenv("ORNSYS_STRESS_CALLS") ? strtol(getenv("ORNSYS_STRESS_CALLS"), nullptr, 0) : 100000;
    std::vector<std::thread> threads;
    std::vector<long> wrong(8);
    auto start = std::chrono::steady_clock::now();
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t, calls, &board, &wrong] { wrong[t] = StressWorker(t, calls, board); });
    for (auto& thread : threads) thread.join();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (int t = 0; t < 8; ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t;
    EXPECT_TRUE(OrnClose());
    printf("stress: 8 threads x %ld calls in %.2f s, %.0f calls/s\n", calls, seconds, 8.0 * calls / seconds);
}

// Eight threads that use the ports first, at once, in a fresh process: one
// instance serves them all, so every write is seen by the process after.
void RacingFirstPortUsers() {
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t, &ready] {
            ++ready;
            while (ready < 8) {
            }
            OEMACCESS access{OEM_ACCESS_PORT, DWORD(0x300 + t), 0, 0, OEM_DATA_BYTE, DWORD(t + 1)};
            OrnOEMWrite(&access);
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < 8; ++t) {
        OEMACCESS access{OEM_ACCESS_PORT, DWORD(0x300 + t), 0, 0, OEM_DATA_BYTE, 0};
        if (!OrnOEMRead(&access) || access.DataValue != DWORD(t + 1)) _exit(10 + t);
    }
    _exit(0);
}

// In a child forked without a new program: a test build for another
// processor runs under an emulator that a new program could not start in.
TEST_F(Threads, RacingFirstPortUsersShareOneInstance) {
    GTEST_FLAG_SET(death_test_style, "fast");
    unsetenv("ORNSIM_TRACE");
    EXPECT_EXIT(RacingFirstPortUsers(), ::testing::ExitedWithCode(0), "");
}

using Processes = BoardTest;

// Calls racing OrnClose run to their end before the close, or return FALSE
// with last error 0 (no call here sets any other code); port reads are
// served by whichever instance is current, never by a freed one. Nothing
// waits forever or enters a released window; reopening under calls works.
// Ports read while the library is closed come from the process's port
// instance, made from the board of its first port access: in a run of all
// tests in one process, an earlier test's board.
TEST_F(Processes, CallsAndPortReadsRacingCloseAndReopenEndCleanly) {
    unsetenv("ORNSIM_TRACE");
    OEMACCESS closedRead{OEM_ACCESS_PORT, 0x2E, 0, 0, OEM_DATA_BYTE, 0};
    ASSERT_TRUE(OrnOEMRead(&closedRead));
    const DWORD whileClosed = closedRead.DataValue;
    ASSERT_TRUE(OrnOpen());
    std::atomic<bool> done{false};
    std::atomic<long> good{0}, refused{0}, reads{0}, wrong{0};
    std::vector<std::thread> callers;
    for (int t = 0; t < 4; ++t) {
        callers.emplace_back([&, t] {
            while (!done) {
                BOARDINFO info{};
                DWORD code = 0xDEAD;
                OEMACCESS access{OEM_ACCESS_PORT, 0x2E, 0, 0, OEM_DATA_BYTE, 0};
                if (t == 0) {
                    const bool read = OrnOEMRead(&access);
                    (read && (access.DataValue == 0x87 || access.DataValue == whileClosed) ? reads : wrong)++;
                } else if (OrnGetBoardInfo(&info)) {
                    (strncmp(info.HWPlatform, "ORN-EPC-3510", 12) == 0 ? good : wrong)++;
                } else {
                    OrnGetLastError(&code, nullptr, 0);
                    (code == 0 ? refused : wrong)++;
                }
            }
        });
    }
    // Both sides run a while at once: at least 300 reopenings, 100 calls
    // that got through and 2000 port reads.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int rounds = 0;
    bool reopened = true;
    for (; reopened && (rounds < 300 || good < 100 || reads < 2000) && std::chrono::steady_clock::now() < limit;
         ++rounds) {
        reopened = OrnClose() && OrnOpen();
        std::this_thread::yield();
    }
    done = true;
    for (auto& caller : callers) caller.join();
    EXPECT_TRUE(reopened);
    EXPECT_GE(rounds, 300);
    EXPECT_EQ(wrong, 0);
    EXPECT_GE(good, 100);
    EXPECT_GE(reads, 2000);
    EXPECT_TRUE(OrnClose());
    printf("close/open under calls: %d rounds, %ld calls done, %ld found it closed, %ld port reads\n", rounds,
           long(good), long(refused), long(reads));
}

}  // namespace
