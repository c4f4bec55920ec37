// SPDX-License-Identifier: MIT
// The production station and interrupts on the real kernel HID stack:
// modules plugged one after another and ten at once, each written once and
// verified through udev's events; a module that keeps its old parameters and
// one pulled out in the middle of its write, reported failed while the
// station goes on; and a signal at every step of a write and a save, after
// which every module and every file is whole. Prints the station's speed.
#include <dirent.h>

#include <cstdio>

#include "guest_programs.h"
#include "params/config_file.h"
#include "simulated_module/module_behaviour.h"

namespace lq3860 {

namespace {

const ModuleParamSet LINE_PARAMS{MODE_AP, 11, 4, "station-net", "station-key-0123", {2, 0x33, 0x64, 0x95, 0xC6, 0xF7}};
const std::string LINE_FILE = "/tmp/line.txt";

using Station = RealStack;

// The lines the station logged so far.
int LoggedLines(const std::string& capture) {
    return static_cast<int>(std::ranges::count(FileText(capture + ".out"), '\n'));
}

// Waits (up to a minute) until `capture` shows `lines` lines; the time it took.
long long WaitForLines(const std::string& capture, int lines, Clock::time_point since) {
    for (const auto deadline = Clock::now() + std::chrono::seconds(60);
         LoggedLines(capture) < lines && Clock::now() < deadline;)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return MillisecondsSince(since);
}

// The signal that ended a child, 0 when it exited (with status 0 only).
int EndingSignal(pid_t child) {
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    if (WIFSIGNALED(status)) return WTERMSIG(status);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : -1;
}

std::vector<std::string> FolderNames(const char* folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    return names;
}

TEST_F(Station, WritesEachModuleOnceOneAfterAnotherAndTenAtOnce) {
    WriteText(LINE_FILE, FormatConfiguration(LINE_PARAMS));
    ASSERT_TRUE(Plug({{"--state", "/tmp/first.txt"}}, 1));  // attached at start
    const pid_t station = Start(CTL, {"station", "--count", "12", LINE_FILE}, "/tmp/station");
    WaitForLines("/tmp/station", 1, Clock::now());
    Clock::time_point plugged = Clock::now();
    sims_.push_back(Start(SIM, {"--state", "/tmp/second.txt"}));
    const long long one = WaitForLines("/tmp/station", 2, plugged);
    ASSERT_TRUE(Unplug());  // the list holds ten
    plugged = Clock::now();
    sims_.push_back(Start(SIM, {"--modules", "10", "--state", "/tmp/ten.txt"}));
    const long long ten = WaitForLines("/tmp/station", 12, plugged);
    std::printf("station: plug to logged line %lld ms for one module, %lld ms for ten at once (%.2f times)\n", one, ten,
                static_cast<double>(ten) / static_cast<double>(one));
    const std::string run = Finish(station, "/tmp/station");
    EXPECT_TRUE(Succeeded(run, {"summary\twritten 12\tfailed 0\n"})) << run;
    EXPECT_EQ(std::ranges::count(run, '\n'), 13);
    std::vector<std::string> files{"/tmp/first.txt", "/tmp/second.txt"};
    for (int i = 0; i < 10; ++i) files.push_back("/tmp/ten-" + std::to_string(i) + ".txt");
    for (const std::string& file : files) EXPECT_EQ(FileText(file), FileText(LINE_FILE)) << file;
}

TEST_F(Station, FailedModulesAreReportedAndTheStationGoesOn) {
    WriteText(LINE_FILE, FormatConfiguration(LINE_PARAMS));
    const pid_t station = Start(CTL, {"station", "--json", "--count", "3", LINE_FILE}, "/tmp/failing");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    // Pulled out after the firmware query, the announcement and the first parameter report.
    ASSERT_TRUE(Plug({{"--keep-old-params", "--name", "Keeps"}, {"--unplug-after", "3", "--name", "Pulled"}}, 2));
    WaitForLines("/tmp/failing", 2, Clock::now());
    ASSERT_TRUE(Plug({{"--name", "Good"}}, 2));  // "Pulled" is gone by now
    const std::string run = Finish(station, "/tmp/failing");
    EXPECT_TRUE(run.starts_with("10|")) << run;
    for (
        const std::string& part :
        {std::string(R"("name":"Keeps")") + R"(,"version":"1.1","date":"2026/12/06","outcome":"failed","status":10,)" +
             R"("error":"not-verified","message":"Verify failed: the module holds other values for channel, ssid, key, mac")",
         std::string(R"("name":"Pulled","version":"1.1","date":"2026/12/06","outcome":"failed","status":1,)" +
                     std::string(R"("error":"write-failed","message":"Upload Parameter NG")")),
         std::string(R"("name":"Good","version":"1.1","date":"2026/12/06","outcome":"written and verified")"),
         std::string("{\"written\":1,\"failed\":2}\n")})
        EXPECT_NE(run.find(part), std::string::npos) << part << "\n" << run;
    EXPECT_EQ(run.find("station-key"), std::string::npos);
}

// A signal at every step: each write either ends whole before it takes
// effect or never started, so the modules answer the next program and hold
// one whole set; each save leaves the old or the new file and nothing else.
TEST_F(Station, SignalsAtEveryStepLeaveModulesAndFilesWhole) {
    const ModuleParamSet sets[] = {LINE_PARAMS, ModuleBehaviour().Params()};
    const std::string files[] = {"/tmp/set-a.txt", "/tmp/set-b.txt"};
    for (int i : {0, 1}) WriteText(files[i], FormatConfiguration(sets[i]));
    for (const char* held : {"/tmp/held-0.txt", "/tmp/held-1.txt"}) WriteText(held, FileText(files[1]));
    ASSERT_TRUE(Plug({{"--modules", "2", "--state", "/tmp/held.txt"}}, 2));
    std::filesystem::create_directory("/tmp/saves");
    const int signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
    int interrupted = 0;
    for (int step = 0; step < 8; ++step) {
        const int delayMs = step * 180, signalNumber = signals[step % 4];
        SCOPED_TRACE(std::to_string(delayMs) + " ms, signal " + std::to_string(signalNumber));
        const pid_t writer = Start(CTL, {"--all", "write", files[step % 2]}, "/tmp/writer");
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(writer, signalNumber);
        const int ended = EndingSignal(writer);
        EXPECT_TRUE(ended == 0 || ended == signalNumber) << ended;
        interrupted += ended == signalNumber;
        const std::string read = RunProgram(CTL, {"--all", "read", "--save", "/tmp/read.txt"});
        EXPECT_TRUE(Succeeded(read, {})) << read;
        for (int slot : {0, 1}) {
            const std::string held = FileText("/tmp/held-" + std::to_string(slot) + ".txt");
            EXPECT_TRUE(held == FileText(files[0]) || held == FileText(files[1])) << held;
            EXPECT_EQ(FileText("/tmp/read-" + std::to_string(slot) + ".txt"), held);
        }
        const pid_t saver = Start(CTL, {"read", "--save", "/tmp/saves/target.txt"}, "/tmp/saver");
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(saver, signalNumber);
        EndingSignal(saver);
        const std::vector<std::string> names = FolderNames("/tmp/saves");
        EXPECT_TRUE(names.empty() || names == std::vector<std::string>{"target.txt"}) << names.size();
        const std::string saved = FileText("/tmp/saves/target.txt");
        EXPECT_TRUE(saved.empty() || saved == FileText(files[0]) || saved == FileText(files[1])) << saved;
    }
    EXPECT_GT(interrupted, 2);  // the signals really ended runs, not only finished ones
    // The station finishes the modules in flight and gives its summary before
    // the interrupt takes effect: it comes once the quick ones are logged,
    // while the slow one is still being written.
    ASSERT_TRUE(Plug({{"--reply-delay", "1000", "--name", "Slow"}}, 3));
    const pid_t station = Start(CTL, {"station", files[0]}, "/tmp/stopped");
    WaitForLines("/tmp/stopped", 1, Clock::now());
    kill(station, SIGINT);
    EXPECT_EQ(EndingSignal(station), SIGINT);
    const std::string logged = FileText("/tmp/stopped.out");
    EXPECT_TRUE(std::ranges::count(logged, '\n') == 4 && logged.find("\tSlow\t1.1\t") != std::string::npos &&
                logged.ends_with("summary\twritten 3\tfailed 0\n"))
        << logged;
}

}  // namespace

}  // namespace lq3860
