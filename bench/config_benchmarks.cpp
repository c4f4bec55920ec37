// SPDX-License-Identifier: MIT
// Configuration files: formatting and parsing in memory, and saving
// (atomic write with fsync) and loading on disk.
#include <benchmark/benchmark.h>

#include <string>

#include "params/config_file.h"
#include "scratch_file.h"

namespace lq3860 {

namespace {

ModuleParamSet SampleParams() {
    ModuleParamSet params;
    params.mode = 0;
    params.channel = 11;
    params.encryption = 4;
    StoreParamText(params.ssid, "office,2nd floor");
    StoreParamText(params.key, "a-reasonably-long-wpa2-passphrase,with,commas");
    for (std::size_t i = 0; i < MAC_LENGTH; ++i) params.mac[i] = static_cast<std::uint8_t>(0x10 * i);
    return params;
}

void BM_FormatConfiguration(benchmark::State& state) {
    const ModuleParamSet params = SampleParams();
    for (auto _ : state) benchmark::DoNotOptimize(FormatConfiguration(params));
}
BENCHMARK(BM_FormatConfiguration);

void BM_ParseConfiguration(benchmark::State& state) {
    const std::string text = FormatConfiguration(SampleParams());
    ModuleParamSet params;
    for (auto _ : state) {
        if (!ParseConfiguration(text, params).ok) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(params);
    }
}
BENCHMARK(BM_ParseConfiguration);

void BM_SaveConfiguration(benchmark::State& state) {
    ScratchFile file;
    if (!file.Ok()) state.SkipWithError("no scratch folder");
    const ModuleParamSet params = SampleParams();
    for (auto _ : state) {
        if (SaveConfigurationFile(file.Path(), params).outcome != SaveOutcome::Saved)
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveConfiguration)->Unit(benchmark::kMicrosecond);

void BM_LoadConfiguration(benchmark::State& state) {
    ScratchFile file;
    if (!file.Ok() || SaveConfigurationFile(file.Path(), SampleParams()).outcome != SaveOutcome::Saved) {
        state.SkipWithError("no file to load");
    }
    ModuleParamSet params;
    for (auto _ : state) {
        if (!LoadConfigurationFile(file.Path(), params).ok) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(params);
    }
}
BENCHMARK(BM_LoadConfiguration)->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace lq3860
