// SPDX-License-Identifier: MIT
// The device link against simulated modules: enumeration, the download and
// upload exchanges without their waits, and the cost of one "Read para" /
// "Write para" beyond its fixed waits when the waits are real.
#include <benchmark/benchmark.h>

#include <chrono>

#include "params/parameter_transfer.h"
#include "simulated_link.h"

namespace lq3860 {

namespace {

constexpr double READ_PARA_WAITS_S = 1.000;   // five waits of 200 ms
constexpr double WRITE_PARA_WAITS_S = 0.850;  // 200 + 50 + 200 + 200 + 200 ms

void BM_EnumerateTenModules(benchmark::State& state) {
    SimulatedLink sim(10);
    if (sim.devices.Count() != 10) state.SkipWithError("expected ten modules");
    for (auto _ : state) {
        sim.devices.HID_ClearList();
        benchmark::DoNotOptimize(sim.devices.HID_Enumerate());
    }
}
BENCHMARK(BM_EnumerateTenModules);

// What the window's list rebuild does: the scan, then every product name.
void BM_RescanTenModulesWithNames(benchmark::State& state) {
    SimulatedLink sim(10);
    char name[HID_PRODUCT_NAME_SIZE];
    for (auto _ : state) {
        sim.devices.HID_ClearList();
        const int count = sim.devices.HID_Enumerate();
        for (int i = 0; i < count; ++i) {
            if (!sim.devices.HID_GetName(i, name, sizeof name)) state.SkipWithError("name unreadable");
        }
        benchmark::DoNotOptimize(name);
    }
}
BENCHMARK(BM_RescanTenModulesWithNames);

void BM_DownloadWithoutWaits(benchmark::State& state) {
    SimulatedLink sim(1);
    if (!sim.OpenFirst()) state.SkipWithError("module did not open");
    HidReport reply{};
    ModuleParamSet params;
    for (auto _ : state) {
        if (!DownloadParams(sim.link, reply, params, [](int) {})) state.SkipWithError("download failed");
        benchmark::DoNotOptimize(params);
    }
}
BENCHMARK(BM_DownloadWithoutWaits);

void BM_UploadWithoutWaits(benchmark::State& state) {
    SimulatedLink sim(1);
    if (!sim.OpenFirst()) state.SkipWithError("module did not open");
    HidReport reply{};
    ModuleParamSet params;
    StoreParamText(params.ssid, "bench-ssid");
    StoreParamText(params.key, "bench-key-0123456789");
    for (auto _ : state) {
        if (UploadParams(
                sim.link, reply, [&params]() -> const ModuleParamSet& { return params; }, [](int) {}) !=
            UploadOutcome::Sent) {
            state.SkipWithError("upload failed");
        }
    }
}
BENCHMARK(BM_UploadWithoutWaits);

// Manual time: each iteration reports its wall time less the fixed waits,
// i.e. what the procedure costs on top of them.
void BM_ReadParaOverheadWithRealWaits(benchmark::State& state) {
    SimulatedLink sim(1, SimulatedLink::Pauses::Real);
    if (!sim.OpenFirst()) state.SkipWithError("module did not open");
    HidReport reply{};
    ModuleParamSet params;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!DownloadParams(sim.link, reply, params, [](int) {})) state.SkipWithError("download failed");
        const std::chrono::duration<double> total = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(total.count() - READ_PARA_WAITS_S);
    }
}
BENCHMARK(BM_ReadParaOverheadWithRealWaits)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

void BM_WriteParaOverheadWithRealWaits(benchmark::State& state) {
    SimulatedLink sim(1, SimulatedLink::Pauses::Real);
    if (!sim.OpenFirst()) state.SkipWithError("module did not open");
    HidReport reply{};
    ModuleParamSet params;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (UploadParams(
                sim.link, reply, [&params]() -> const ModuleParamSet& { return params; }, [](int) {}) !=
            UploadOutcome::Sent) {
            state.SkipWithError("upload failed");
        }
        const std::chrono::duration<double> total = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(total.count() - WRITE_PARA_WAITS_S);
    }
}
BENCHMARK(BM_WriteParaOverheadWithRealWaits)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace lq3860
