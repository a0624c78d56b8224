// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Threads against the library and the virtual board: a stress run of mixed
// calls whose every answer is checked against the board file, and the port
// instance under racing first users and under an open/close loop. Run in
// the thread-sanitized build, any data race fails the test run.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "board-fixture.h"
#include "board.h"

namespace {

using Threads = BoardTest;

// The default board as the virtual board reads it: what every answer must be.
ornsim_board::Board DefaultBoard() {
    ornsim_board::Board board;
    std::string error;
    EXPECT_TRUE(ornsim_board::Parse(DefaultBoardText(), "default.board", ".", board, error)) << error;
    return board;
}

// Calls per thread: ORNSYS_STRESS_CALLS, else 100000.
long StressCalls() {
    const char* text = getenv("ORNSYS_STRESS_CALLS");
    return text != nullptr ? strtol(text, nullptr, 0) : 100000;
}

// One thread's share of the stress run; returns the number of wrong answers
// (and reports the first few).
long StressWorker(int thread, long calls, const ornsim_board::Board& board) {
    long wrong = 0;
    auto check = [&](bool good, const char* what, long i) {
        if (good) return;
        if (++wrong <= 3) ADD_FAILURE() << "thread " << thread << " call " << i << ": " << what;
    };
    // Each thread owns 16 bytes of NVRAM 1, so its writes can be read back.
    const DWORD base = DWORD(thread) * 16;
    const auto& edid = board.devices[2].contents.list;  // LFP EDID at 0x50 on bus 10
    for (long i = 0; i < calls; ++i) {
        switch (i % 9) {
            case 0: {
                SDWORD value = 0;
                DWORD sensor = DWORD(i / 9) % board.temps.size();
                check(OrnGetThermSensorValue(sensor, &value) && value == board.temps[sensor].value, "temperature", i);
                break;
            }
            case 1: {
                SDWORD value = 0;
                DWORD sensor = DWORD(i / 9) % board.volts.size();
                check(OrnGetVoltSensorValue(sensor, &value) && value == board.volts[sensor].value, "voltage", i);
                break;
            }
            case 2: {
                BYTE data[4] = {BYTE(i), BYTE(i >> 8), BYTE(thread), BYTE(i >> 16)};
                DWORD count = 0;
                DWORD at = base + DWORD(i / 9) % 12;
                check(OrnWriteNVRam(1, at, 4, data, &count) && count == 4, "nvram write", i);
                BYTE back[4] = {};
                check(OrnReadNVRam(1, at, 4, back, &count) && count == 4 && memcmp(back, data, 4) == 0,
                      "nvram read-back", i);
                break;
            }
            case 3: {
                BYTE value = 0;
                WORD offset = WORD(i / 9 % 128);
                check(OrnI2CRead8(10, 0x50, offset, &value, 1) && value == edid[offset], "i2c read", i);
                break;
            }
            case 4: {
                BOARDINFO info;
                check(OrnGetBoardInfo(&info) && memcmp(&info, &board.info, sizeof info) == 0, "board info", i);
                break;
            }
            case 5: {
                // A call that fails on purpose: the last error is this
                // thread's code or another thread's, never anything else.
                NVRAMINFO info;
                check(!OrnGetNVRamInfo(9, &info), "nvram 9 is absent", i);
                DWORD code = 0xDEAD;
                char text[64];
                OrnGetLastError(&code, text, sizeof text);
                check(code == 0 || code == 0x8033, "last error", i);
                break;
            }
            case 6: {
                OEMACCESS access{OEM_ACCESS_PORT, 0x2E, 0, 0, OEM_DATA_BYTE, 0};
                check(OrnOEMRead(&access) && access.DataValue == 0x87, "port read", i);
                break;
            }
            case 7: {
                DWORD count = 0;
                check(OrnGetNVRamCount(&count) && count == board.nvrams.size(), "nvram count", i);
                break;
            }
            default: {
                BATTERYSTATE state{};
                state.BatteryStateSize = sizeof state;
                const BATTERYSTATE& want = board.batteries[0].state;
                check(OrnGetBatteryState(0, &state) && 
                          memcmp(&state.Status, &want.Status, sizeof state - sizeof(DWORD)) == 0,
                      "battery state", i);
                break;
            }
        }
    }
    return wrong;
}

TEST_F(Threads, EightThreadsOfMixedCallsGetTheBoardsAnswers) {
    unsetenv("ORNSIM_TRACE");
    const auto board = DefaultBoard();
    ASSERT_TRUE(OrnOpen());
    const long calls = StressCalls();
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

// Port reads while another thread opens and closes the library: the reader
// is served by whichever instance is current, never by a freed one.
TEST_F(Threads, PortReaderAgainstAnOpenCloseLoop) {
    unsetenv("ORNSIM_TRACE");
    std::atomic<bool> done{false};
    std::atomic<long> reads{0}, wrong{0};
    std::thread reader([&] {
        while (!done) {
            OEMACCESS access{OEM_ACCESS_PORT, 0x2E, 0, 0, OEM_DATA_BYTE, 0};
            if (!OrnOEMRead(&access) || access.DataValue != 0x87) ++wrong;
            ++reads;
        }
    });
    // Both sides run a while at once: at least 300 opens and 2000 reads.
    while (reads == 0) std::this_thread::yield();
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int opens = 0;
    for (; (opens < 300 || reads < 2000) && std::chrono::steady_clock::now() < limit; ++opens) {
        ASSERT_TRUE(OrnOpen());
        ASSERT_TRUE(OrnClose());
    }
    done = true;
    reader.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_GE(reads, 2000);
    EXPECT_GE(opens, 300);
}

}  // namespace
