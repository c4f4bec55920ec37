// SPDX-License-Identifier: MIT
// The real kernel HID stack when things go wrong: devices coming and going
// while the program scans, two programs on one module, modules pulled out in
// the middle of a procedure, and modules that answer late, twice, with junk
// or with short reports. Every module is an lq3860-sim process; the programs
// are lq3860ctl processes or this process's own session.
#include <cstdlib>
#include <tuple>

#include "device/command_protocol.h"
#include "device/device_messages.h"
#include "guest_programs.h"
#include "params/config_file.h"
#include "simulated_module/module_behaviour.h"

namespace lq3860 {

namespace {

// A tool run as Finish reports it, refused because another program holds the module.
const std::string IN_USE_RUN = std::string("6||lq3860ctl: ") + MODULE_IN_USE_MESSAGE + "\n";

const ModuleParamSet DEFAULTS = ModuleBehaviour().Params();
const ModuleParamSet OTHER_PARAMS{MODE_AP, 11, ENCRYPTION_NONE, "other-net", "", {2, 0x33, 0x64, 0x95, 0xC6, 0xF7}};

using Robustness = RealStack;

// hidapi before 0.14 can crash in a scan of every vendor when a device leaves
// in the middle of it; a scan of the LQ-3860 vendor reads no other device.
TEST_F(Robustness, ScanningWhileOtherDevicesComeAndGoNeverCrashes) {
    ASSERT_TRUE(Plug({{"--name", "LQ-3860 steady"}}, 1));
    // A shell that creates and removes another vendor's devices (three at a
    // time, through lq3860-sim) until SIGTERM, counting its rounds in
    // /tmp/churn-rounds.txt. The devices go with SIGKILL, which closes /dev/uhid at once.
    const pid_t churn = Start(
        "/bin/sh", {"-c",
                    "trap 'kill -9 $sim; exit' TERM; rounds=0; while :; do "
                    "/bin/lq3860-sim --vendor 1234 --count 3 & sim=$!; busybox usleep $((10000 + RANDOM % 50000)); "
                    "kill -9 $sim; wait $sim; rounds=$((rounds + 1)); echo $rounds >/tmp/churn-rounds.txt; done"});
    ASSERT_GT(churn, 0);
    // A tool scan costs a process start; in-process scans are cheap, so most are those.
    // Hundreds of scans, for at least a few seconds of churn; a slow guest
    // (a sanitizer build, a busy host) takes longer, up to the time limit.
    constexpr int OWN_SCANS_EACH = 25, SCANS = 300;
    constexpr long long AT_LEAST_MS = 5000, AT_MOST_MS = 90000;
    int toolScans = 0, ownScans = 0;
    for (const Clock::time_point start = Clock::now();
         (toolScans + ownScans < SCANS || MillisecondsSince(start) < AT_LEAST_MS) &&
         MillisecondsSince(start) < AT_MOST_MS;) {
        const std::string run = RunProgram(CTL, {"list"});
        ++toolScans;
        // One line: the steady module, whatever else is attached or leaving.
        ASSERT_TRUE(run.starts_with("0|0\tLQ-3860 steady\t/dev/hidraw") && std::ranges::count(run, '\n') == 1)
            << "scan " << toolScans << " gave: " << run;
        for (int k = 0; k < OWN_SCANS_EACH; ++k, ++ownScans) ASSERT_EQ(Scan(), 1) << "own scan " << ownScans;
    }
    Stop(churn);
    const int rounds = std::atoi(FileText("/tmp/churn-rounds.txt").c_str());
    std::printf("LQ3860-VM: %d scans by lq3860ctl and %d in-process while %d rounds of 3 devices came and went\n",
                toolScans, ownScans, rounds);
    EXPECT_GE(toolScans + ownScans, SCANS);
    EXPECT_GE(rounds, 20);  // the scans really met devices coming and going
}

TEST_F(Robustness, TwoProgramsOnOneModuleTheSecondIsRefusedAndTheModuleKeepsTheFirstOnesParameters) {
    const std::string state = "/tmp/two-state.txt", files[] = {"/tmp/two-a.txt", "/tmp/two-b.txt"};
    const ModuleParamSet sets[] = {OTHER_PARAMS, DEFAULTS};
    for (int i : {0, 1}) WriteText(files[i], FormatConfiguration(sets[i]));
    WriteText(state, FormatConfiguration(DEFAULTS));
    ASSERT_TRUE(Plug({{"--state", state}}, 1));
    ModuleParamSet held = DEFAULTS;
    for (int run = 0, delayMs = 0; run < 7; ++run, delayMs += 40) {
        SCOPED_TRACE(delayMs);
        // The writer alternates between two sets, so each run changes the module.
        const pid_t writer = Start(CTL, {"write", files[run % 2]}, "/tmp/writer");
        usleep(static_cast<useconds_t>(delayMs) * 1000);
        const pid_t reader = Start(CTL, {"read"}, "/tmp/reader");
        const std::string wrote = Finish(writer, "/tmp/writer"), read = Finish(reader, "/tmp/reader");
        const bool writerFirst = wrote.rfind("0|", 0) == 0;
        if (writerFirst) held = sets[run % 2];
        EXPECT_EQ(wrote, writerFirst ? "0|Upload Parameter OK\n|" : IN_USE_RUN);
        EXPECT_EQ(read, writerFirst ? IN_USE_RUN : "0|" + FormatConfiguration(held) + "|");
        EXPECT_EQ(FileText(state), FormatConfiguration(held, EmptyText::Empty));
    }
}

// Modules pulled out after each report of Read para and of Write para, and
// modules that answer late, twice, with junk or short: no run passes for a
// success it is not, each failure has the exit status of its cause (1 the
// link lost, 7 no reply, 8 an NG or cut reply), no saved file or kept
// parameter changes that should not, and no run waits beyond its
// procedure's own waits plus one read limit for each exchange that may time
// out.
TEST_F(Robustness, UnpluggedSilentLateDoubledJunkAndShortRepliesNeverPassForAnswers) {
    ModuleParamSet shortSsid = DEFAULTS;  // the first parameter reply cut after 16 payload bytes
    StoreParamText(shortSsid.ssid, "LQ-386");
    const std::string saved = "/tmp/replies-saved.txt", state = "/tmp/replies-state.txt", input = "/tmp/replies-in.txt";
    WriteText(input, FormatConfiguration(OTHER_PARAMS));
    const Args saveRead = {"read", "--save", saved}, write = {"write", input};
    const std::string READ_NG = "||lq3860ctl: Download Parameter NG\n",
                      UPLOAD_NG = "||lq3860ctl: Upload Parameter NG\n";
    // Read para waits 1000 ms in all, Write para 850 ms.
    const long long LIMIT = 1000 + HID_READ_TIMEOUT_MS + 1500, UNPLUGGED_READ = LIMIT + HID_READ_TIMEOUT_MS,
                    UNPLUGGED_WRITE = 850 + HID_READ_TIMEOUT_MS + 1500;
    // The sim's options, the tool's command, the whole run, whether the module
    // keeps OTHER_PARAMS afterwards, the run's time limit.
    const std::vector<std::tuple<Args, Args, std::string, bool, long long>> rows = {
        {{"--unplug-after", "1"}, saveRead, "1" + READ_NG, false, UNPLUGGED_READ},
        {{"--unplug-after", "2"}, write, "1" + UPLOAD_NG, false, UNPLUGGED_WRITE},
        {{"--silent"}, {"read"}, "7" + READ_NG, false, LIMIT},
        {{"--reply-delay", "2600"}, {"info"}, "7||lq3860ctl: HID_Read Err\n", false, LIMIT},
        {{"--reply-delay", "1200"}, {"read"}, "0|" + FormatConfiguration(DEFAULTS) + "|", false, LIMIT},
        {{"--double-replies"}, write, "0|Upload Parameter OK\n|", true, LIMIT},
        {{"--garbage-replies"}, write, "8" + UPLOAD_NG, false, LIMIT},
        {{"--short-replies", "16"}, {"info"}, "8||lq3860ctl: NG\n", false, LIMIT},  // O and K cut off
        {{"--short-replies", "16"}, {"read"}, "0|" + FormatConfiguration(shortSsid) + "|", false, LIMIT},
    };
    for (const auto& [options, command, expected, moduleChanged, limitMs] : rows) {
        SCOPED_TRACE(options[0] + (options.size() > 1 ? " " + options[1] : "") + " " + command[0]);
        WriteText(saved, "kept\r\n"), WriteText(state, FormatConfiguration(DEFAULTS));
        Args module = {"--state", state};
        module.insert(module.end(), options.begin(), options.end());
        ASSERT_TRUE(Plug({module}, 1));
        long long took = 0;
        const std::string run = RunProgram(CTL, command, 0, &took);
        EXPECT_EQ(run, expected);
        EXPECT_LT(took, limitMs);
        EXPECT_EQ(FileText(saved), "kept\r\n");
        EXPECT_EQ(FileText(state), FormatConfiguration(moduleChanged ? OTHER_PARAMS : DEFAULTS, EmptyText::Empty));
        ASSERT_TRUE(Unplug());
    }
    // The doubled replies a program leaves behind do not reach the next one.
    ASSERT_TRUE(Plug({{"--double-replies"}}, 1));
    for (int run = 0; run < 3; ++run) EXPECT_TRUE(Succeeded(RunProgram(CTL, {"info"}), {"version 1.1\n"})) << run;
}

}  // namespace

}  // namespace lq3860
