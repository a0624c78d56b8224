// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The virtual board in time: its clock, a watchdog that bites, counters
// that run, values that change, and ornsim-ctl steering a running board.
#include <signal.h>
#include <sys/wait.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "board-fixture.h"
#include "instance.h"

namespace {

class BoardTime : public BoardTest {
protected:
    // The default board with `replacement` in place of its [watchdog]
    // section header (so keys can be added to it), plus `extra`; with a
    // state file, the clock only moves as ornsim-ctl advances it (and real
    // time, a few milliseconds per test).
    void UseTimedBoard(const std::string& watchdog, const std::string& extra = "") {
        std::string text = ornsim_board::kDefaultBoard;
        text.replace(text.find("[watchdog]"), strlen("[watchdog]"), "[watchdog]\n" + watchdog);
        std::ofstream(Path("test.board")) << text << '\n' << extra;
        setenv("ORNSIM_BOARD", Path("test.board").c_str(), 1);
        setenv("ORNSIM_STATE", Path("state").c_str(), 1);
    }

    // Runs ornsim-ctl with these words; its exit status, output and errors.
    struct CtlResult {
        int status;
        std::string out, err;
    };
    static CtlResult Ctl(std::vector<std::string> words) {
        words.insert(words.begin(), "ornsim-ctl");
        std::vector<char*> argv;
        for (auto& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        char *out = nullptr, *err = nullptr;
        size_t outSize = 0, errSize = 0;
        FILE* o = open_memstream(&out, &outSize);
        FILE* e = open_memstream(&err, &errSize);
        int status = ornsim_impl::Control(int(words.size()), argv.data(), o, e);
        fclose(o);
        fclose(e);
        CtlResult result{status, out, err};
        free(out);
        free(err);
        return result;
    }
    static void Advance(const char* duration) { ASSERT_EQ(Ctl({"advance", duration}).status, 0); }

    static BOARDINFO Info() {
        BOARDINFO info{};
        EXPECT_TRUE(OrnGetBoardInfo(&info));
        return info;
    }
    static BYTE WatchdogStatus() {
        BYTE status = 0xEE;
        EXPECT_TRUE(OrnWDGetStatus(&status));
        return status;
    }
    static SDWORD Temperature(DWORD sensor = 0) {
        SDWORD value = -999;
        EXPECT_TRUE(OrnGetThermSensorValue(sensor, &value));
        return value;
    }
};

TEST_F(BoardTime, UnfedWatchdogResetsTheBoardOnceItsDeadlinePasses) {
    UseTimedBoard("timer = yes");
    ASSERT_TRUE(OrnOpen());
    const DWORD boots = Info().BootCounter;
    ASSERT_TRUE(OrnWDConfig(10, 60, 1));  // first trigger due within 10 s
    Advance("9s");
    EXPECT_EQ(Info().BootCounter, boots);
    EXPECT_EQ(WatchdogStatus(), 0);
    Advance("2s");
    EXPECT_EQ(Info().BootCounter, boots + 1);  // the call after the deadline finds the board reset
    EXPECT_EQ(WatchdogStatus(), 1);
    Advance("10m");  // stopped by the reset: no second one
    EXPECT_EQ(Info().BootCounter, boots + 1);
    ASSERT_TRUE(OrnClose());
    EXPECT_EQ(Trace("reset").size(), 1u);

    // Another process on the same state file sees the reset too, until a
    // power-on clears it.
    ASSERT_TRUE(OrnOpen());
    EXPECT_EQ(WatchdogStatus(), 1);
    ASSERT_EQ(Ctl({"power-on"}).status, 0);
    EXPECT_EQ(WatchdogStatus(), 0);
    EXPECT_EQ(Info().BootCounter, boots + 2);
    // A power-on also stops an armed watchdog.
    ASSERT_TRUE(OrnWDConfig(10, 60, 1));
    ASSERT_EQ(Ctl({"power-on"}).status, 0);
    Advance("1h");
    EXPECT_EQ(Info().BootCounter, boots + 3);
}

TEST_F(BoardTime, FedWatchdogNeverResets) {
    UseTimedBoard("timer = yes");
    ASSERT_TRUE(OrnOpen());
    const DWORD boots = Info().BootCounter;
    ASSERT_TRUE(OrnWDConfig(10, 60, 1));
    Advance("9s");
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(OrnWDTrigger());
        Advance("59s");
    }
    EXPECT_EQ(Info().BootCounter, boots);
    EXPECT_EQ(WatchdogStatus(), 0);
    ASSERT_TRUE(OrnWDConfig(0, 0, 0));  // stopped: no deadline at all
    Advance("1h");
    EXPECT_EQ(Info().BootCounter, boots);
    EXPECT_TRUE(Trace("reset").empty());
}

TEST_F(BoardTime, WatchdogInMillisecondsAndItsCommands) {
    UseTimedBoard("timer = yes\nunit = ms");
    ASSERT_TRUE(OrnOpen());
    const DWORD boots = Info().BootCounter;
    EXPECT_FALSE(OrnWDConfig(1, 1, 2));  // only 0 (stop) and 1 (start)
    EXPECT_EQ(LastError(), 0x8051u);
    ASSERT_TRUE(OrnWDConfig(500, 1000, 1));
    Advance("400ms");
    EXPECT_EQ(Info().BootCounter, boots);
    Advance("200ms");
    EXPECT_EQ(Info().BootCounter, boots + 1);
}

// A process alive at a reset ends at its next call, as a restarted board
// ends every program; the reset is in the state for the next process.
TEST_F(BoardTime, KillEndsTheProcessAtItsFirstCallAfterExpiry) {
    UseTimedBoard("timer = yes\nkill = yes");
    int go[2], ready[2];
    ASSERT_EQ(pipe(go), 0);
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    if (child == 0) {
        close(go[1]);
        close(ready[0]);
        if (!OrnOpen() || !OrnWDConfig(1, 1, 1)) _exit(1);
        char byte = 'r';
        if (write(ready[1], &byte, 1) != 1 || read(go[0], &byte, 1) != 1) _exit(2);
        BOARDINFO info;
        OrnGetBoardInfo(&info);
        _exit(0);  // not reached: the call above ends the process
    }
    close(go[0]);
    close(ready[1]);
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);  // the child's watchdog runs
    Advance("2s");
    ASSERT_EQ(write(go[1], "x", 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    close(go[1]);
    close(ready[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    ASSERT_TRUE(OrnOpen());  // started after the reset: lives on
    EXPECT_EQ(WatchdogStatus(), 1);
    EXPECT_EQ(Trace("reset"), (std::vector<std::string>{"reset watchdog"}));
}

TEST_F(BoardTime, OperatingTimeRunsInItsUnitWithTheCounters) {
    std::string text = ornsim_board::kDefaultBoard;
    text.replace(text.find("[board]"), strlen("[board]"), "[board]\ncounters = run\noptime-unit = minutes");
    std::ofstream(Path("test.board")) << text;
    setenv("ORNSIM_BOARD", Path("test.board").c_str(), 1);
    setenv("ORNSIM_STATE", Path("state").c_str(), 1);
    ASSERT_TRUE(OrnOpen());
    const DWORD start = Info().OperatingTime;
    Advance("59s");
    EXPECT_EQ(Info().OperatingTime, start);
    Advance("2s");
    EXPECT_EQ(Info().OperatingTime, start + 1);
    Advance("2h");
    EXPECT_EQ(Info().OperatingTime, start + 121);
}

TEST_F(BoardTime, ListsStepPerReadAndRampsFollowTheClock) {
    setenv("ORNSIM_STATE", Path("state").c_str(), 1);
    UseBoard(
        "[temp-sensor]\nname = List\nvalues = 45, 50, 55\n"
        "[temp-sensor]\nname = Ramp\nramp = 40 .. 90 over 60m\n"
        "[battery]\nremaining = 100, 90\n"
        "[temp-sensor]\nname = Later\nvalues = 1, 2\nvalue = 60\n");
    ASSERT_TRUE(OrnOpen());
    std::vector<SDWORD> list;
    for (int i = 0; i < 5; ++i) list.push_back(Temperature(2));
    EXPECT_EQ(list, (std::vector<SDWORD>{45, 50, 55, 55, 55}));
    EXPECT_EQ(Temperature(3), 40);
    Advance("30m");
    EXPECT_EQ(Temperature(3), 65);
    Advance("2h");
    EXPECT_EQ(Temperature(3), 90);
    EXPECT_EQ(std::vector<SDWORD>({Temperature(4), Temperature(4)}), std::vector<SDWORD>({60, 60}));  // the last key holds
    BATTERYSTATE state{};
    state.BatteryStateSize = sizeof state;
    ASSERT_TRUE(OrnGetBatteryState(1, &state));
    EXPECT_EQ(state.RemainingCapacity, 100u);
    ASSERT_TRUE(OrnGetBatteryState(1, &state));
    EXPECT_EQ(state.RemainingCapacity, 90u);
}

TEST_F(BoardTime, ValuesSetFromOutsideAreSeenByARunningProgram) {
    setenv("ORNSIM_STATE", Path("state").c_str(), 1);
    ASSERT_TRUE(OrnOpen());
    EXPECT_EQ(Temperature(), 45);
    EXPECT_EQ(Ctl({"set", "temp", "0", "95"}).status, 0);
    EXPECT_EQ(Ctl({"set", "volt", "2", "2900"}).status, 0);
    EXPECT_EQ(Ctl({"set", "battery", "0", "charge", "150"}).status, 0);
    EXPECT_EQ(Ctl({"set", "battery", "0", "voltage", "unknown"}).status, 0);
    EXPECT_EQ(Ctl({"set", "system", "power", "0"}).status, 0);
    EXPECT_EQ(Temperature(), 95);
    SDWORD volt = 0;
    ASSERT_TRUE(OrnGetVoltSensorValue(2, &volt));
    EXPECT_EQ(volt, 2900);
    BATTERYSTATE state{};
    state.BatteryStateSize = sizeof state;
    ASSERT_TRUE(OrnGetBatteryState(0, &state));
    EXPECT_EQ(state.RemainingCapacity, 150u);
    EXPECT_EQ(state.Voltage, 0xFFFFFFFFu);
    SYSTEMSTATE system{};
    system.SystemStateSize = sizeof system;
    ASSERT_TRUE(OrnGetSystemState(&system));
    EXPECT_EQ(system.PowerState, 0u);
    auto show = Ctl({"show"});
    EXPECT_NE(show.out.find("temp 0 CPU: 95 (set)\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("battery 0 charge: 150 (set)\n"), std::string::npos) << show.out;
}

// A program reads while ornsim-ctl changes the value under it: every read
// is one of the values set, never anything torn.
TEST_F(BoardTime, CtlAndARunningProgramAtOnce) {
    unsetenv("ORNSIM_TRACE");
    setenv("ORNSIM_STATE", Path("state").c_str(), 1);
    ASSERT_TRUE(OrnOpen());
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};
    std::thread reader([&] {
        while (!done) {
            SDWORD value = 0;
            if (!OrnGetThermSensorValue(0, &value) || (value != 45 && value != 1000 && value != -1000)) ++wrong;
        }
    });
    for (int i = 0; i < 200; ++i) ASSERT_EQ(Ctl({"set", "temp", "0", i % 2 ? "1000" : "-1000"}).status, 0);
    done = true;
    reader.join();
    EXPECT_EQ(wrong, 0);
}

}  // namespace
