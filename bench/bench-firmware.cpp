// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The floor of every request: a firmware call into the virtual board, a
// board start, and library calls that wrap them.
#include <benchmark/benchmark.h>

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

void LibraryI2CRead8(benchmark::State& state) {
    OrnOpen();
    BYTE value;
    for (auto _ : state) benchmark::DoNotOptimize(OrnI2CRead8(0, 0x50, 0, &value, 1));
    OrnClose();
}
BENCHMARK(LibraryI2CRead8);

// A whole-flash read: n byte calls, one refresh.
void LibraryReadWholeFlash(benchmark::State& state) {
    OrnOpen();
    static BYTE buffer[0x8000];
    DWORD count;
    for (auto _ : state) benchmark::DoNotOptimize(OrnReadNVRam(3, 0, sizeof buffer, buffer, &count));
    OrnClose();
}
BENCHMARK(LibraryReadWholeFlash)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
