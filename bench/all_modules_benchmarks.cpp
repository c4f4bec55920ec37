// SPDX-License-Identifier: MIT
// lq3860ctl --all: ten simulated modules written at once against one module
// written alone, with the real waits of "Write para" (850 ms), in the same
// run. The counter "ratio" is the ten modules' time over the one module's:
// 1 means the ten cost no more than one (written one after another: 10).
#include <benchmark/benchmark.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run_tool.h"
#include "params/config_file.h"
#include "scratch_file.h"

namespace lq3860 {

namespace {

// Seconds one run of the tool takes; false in `ok` when it failed.
double TimedRun(const std::vector<std::string>& arguments, bool& ok) {
    std::ostringstream out, err;
    const auto start = std::chrono::steady_clock::now();
    ok = RunTool(arguments, out, err) == 0 && ok;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_WriteAllTenModulesAgainstOne(benchmark::State& state) {
    const ScratchFile file;
    ModuleParamSet params;
    params.channel = 6;
    StoreParamText(params.ssid, "bench");
    if (!file.Ok() || SaveConfigurationFile(file.Path(), params).outcome != SaveOutcome::Saved) {
        state.SkipWithError("no configuration file");
        return;
    }
    double one = 0, ten = 0;
    for (auto _ : state) {
        bool ok = true;
        const double oneModule = TimedRun({"--simulate", "write", file.Path()}, ok);
        const double tenModules = TimedRun({"--simulate", "--modules", "10", "--all", "write", file.Path()}, ok);
        if (!ok) state.SkipWithError("a write failed");
        state.SetIterationTime(tenModules);
        one += oneModule;
        ten += tenModules;
    }
    state.counters["one_module_s"] = benchmark::Counter(one, benchmark::Counter::kAvgIterations);
    state.counters["ten_modules_s"] = benchmark::Counter(ten, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = one > 0 ? ten / one : 0;
}
BENCHMARK(BM_WriteAllTenModulesAgainstOne)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace lq3860
