// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The floor of every request: a firmware call into the virtual board, a
// board start, and library calls that wrap them.
#include <benchmark/benchmark.h>

#include <cstdlib>

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
    for (auto _ : state) {
        board_lock::Take(area);
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

}  // namespace

BENCHMARK_MAIN();
