// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The floor of every request: a firmware call into the virtual board, a
// board start, and library calls that wrap them.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "board-lock.h"
#include "ornsim.h"
#include "ornsyslx.h"
#include "zoka.h"

namespace {

void* NoBuffer(void*, uint16_t, uint32_t) { return nullptr; }

void FirmwareReadByte(benchmark::State& state) {
    ornsim* sim = ornsim_start();
    zoka::NVRamByteBlock block{3, 0, 0};
    for (auto _ : state) {
        block.offset = (block.offset + 1) & 0x7FFF;
        benchmark::DoNotOptimize(ornsim_call(sim, zoka::ReadNVRam, &block, NoBuffer, nullptr));
    }
    ornsim_stop(sim);
}
BENCHMARK(FirmwareReadByte);

void FirmwareSensorValue(benchmark::State& state) {
    ornsim* sim = ornsim_start();
    zoka::SensorValueBlock block{1, 0};
    for (auto _ : state) benchmark::DoNotOptimize(ornsim_call(sim, zoka::GetThermSensorValue, &block, NoBuffer, nullptr));
    ornsim_stop(sim);
}
BENCHMARK(FirmwareSensorValue);

void StartDefaultBoard(benchmark::State& state) {
    for (auto _ : state) ornsim_stop(ornsim_start());
}
BENCHMARK(StartDefaultBoard)->Unit(benchmark::kMicrosecond);

// The library on the virtual board; `shared`: with a state file, so that
// every call takes the board's lock across processes (a robust,
// process-shared mutex); `unlocked`: without that lock (the test switch).
bool OpenVirtual(bool shared = false, bool unlocked = false) {
    setenv("ORNSYS_BACKEND", "virtual", 1);
    if (shared) setenv("ORNSIM_STATE", "/tmp/ornsys-bench.state", 1);
    else unsetenv("ORNSIM_STATE");
    if (unlocked) setenv("ORNSYS_TEST_NO_BOARD_LOCK", "1", 1);
    else unsetenv("ORNSYS_TEST_NO_BOARD_LOCK");
    return OrnOpen();
}

// A sensor value through the library: the floor above (the bare call)
// plus the call sequence, the semaphore and the board's lock.
void LibrarySensorValue(benchmark::State& state) {
    if (!OpenVirtual(state.range(0) != 0, state.range(1) != 0)) state.SkipWithError("OrnOpen failed");
    SDWORD value;
    for (auto _ : state) benchmark::DoNotOptimize(OrnGetThermSensorValue(1, &value));
    OrnClose();
    unsetenv("ORNSIM_STATE");
    unsetenv("ORNSYS_TEST_NO_BOARD_LOCK");
}
BENCHMARK(LibrarySensorValue)->ArgNames({"shared", "unlocked"})->Args({0, 0})->Args({1, 1})->Args({1, 0});

// The board's lock alone: one uncontended take and release.
void BoardLockPair(benchmark::State& state) {
    static board_lock::Area area{};
    static board_lock::Presence presence;
    for (auto _ : state) {
        board_lock::Take(area, presence);
        board_lock::Release(area);
    }
}
BENCHMARK(BoardLockPair);

void LibraryI2CRead8(benchmark::State& state) {
    OpenVirtual();
    BYTE value;
    for (auto _ : state) benchmark::DoNotOptimize(OrnI2CRead8(0, 0x50, 0, &value, 1));
    OrnClose();
}
BENCHMARK(LibraryI2CRead8);

// A whole-flash read: n byte calls, one refresh.
void LibraryReadWholeFlash(benchmark::State& state) {
    OpenVirtual();
    static BYTE buffer[0x8000];
    DWORD count;
    for (auto _ : state) benchmark::DoNotOptimize(OrnReadNVRam(3, 0, sizeof buffer, buffer, &count));
    OrnClose();
}
BENCHMARK(LibraryReadWholeFlash)->Unit(benchmark::kMillisecond);

// The board service on the virtual board, started from beside this program
// for the benchmarks below, and the library opened through it.
class Service {
public:
    Service() {
        char self[PATH_MAX] = {};
        if (readlink("/proc/self/exe", self, sizeof self - 1) < 0) return;
        std::string program = std::string(self).substr(0, std::string(self).rfind('/')) + "/ornsysd";
        socket_ = "/tmp/ornsys-bench-" + std::to_string(getpid()) + ".sock";
        pid_ = fork();
        if (pid_ == 0) {
            setenv("ORNSYS_BACKEND", "virtual", 1);
            unsetenv("ORNSIM_STATE");
            execl(program.c_str(), program.c_str(), "--socket", socket_.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 200 && access(socket_.c_str(), F_OK) != 0; ++i) usleep(10000);
        setenv("ORNSYS_BACKEND", "service", 1);
        setenv("ORNSYS_SERVICE_SOCKET", socket_.c_str(), 1);
    }
    ~Service() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        unsetenv("ORNSYS_SERVICE_SOCKET");
    }
    bool Open() { return pid_ > 0 && OrnOpen(); }

private:
    pid_t pid_ = -1;
    std::string socket_;
};

// One sensor value through the service: a whole round trip.
void ServiceSensorValue(benchmark::State& state) {
    Service service;
    if (!service.Open()) state.SkipWithError("no board service");
    SDWORD value;
    for (auto _ : state) benchmark::DoNotOptimize(OrnGetThermSensorValue(1, &value));
    OrnClose();
}
BENCHMARK(ServiceSensorValue)->Unit(benchmark::kMicrosecond);

// Eight client processes calling at once for a second: the calls per second
// the service serves in all.
void ServiceEightClients(benchmark::State& state) {
    Service service;
    constexpr int kClients = 8;
    for (auto _ : state) {
        int results[2];
        if (pipe(results) != 0) state.SkipWithError("pipe");
        std::vector<pid_t> clients;
        for (int i = 0; i < kClients; ++i) {
            const pid_t client = fork();
            if (client > 0) clients.push_back(client);
            if (client == 0) {
                long calls = 0;
                SDWORD value;
                if (OrnOpen()) {
                    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
                    while (std::chrono::steady_clock::now() < end)
                        calls += OrnGetThermSensorValue(1, &value) ? 1 : 0;
                    OrnClose();
                }
                _exit(write(results[1], &calls, sizeof calls) == sizeof calls ? 0 : 1);
            }
        }
        close(results[1]);
        long total = 0, calls;
        while (read(results[0], &calls, sizeof calls) == sizeof calls) total += calls;
        close(results[0]);
        for (pid_t client : clients) waitpid(client, nullptr, 0);
        state.counters["calls_per_second"] = double(total);
    }
}
BENCHMARK(ServiceEightClients)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
