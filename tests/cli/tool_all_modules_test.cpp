// --all: info, signal, read and write on every listed module at once, on
// injected simulated modules (pauses met by all modules, not slept) or on the
// tool's own --simulate --modules N.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sstream>

#include "cli/run_tool.h"
#include "device/device_access.h"
#include "params/config_file.h"
#include "params/field_rules.h"
#include "params/parameter_transfer.h"
#include "simulation/simulated_platform.h"
#include "tool_process.h"

namespace lq3860 {

namespace {

// A pause whose first `expected` waits return only once all of them are under
// way at the same time (or after ten seconds): modules that run one after
// another never meet.
class Meeting {
public:
    explicit Meeting(int expected) : expected_(expected) {}
    PauseFunction Pause() {
        return [this](unsigned) {
            std::unique_lock<std::mutex> lock(mutex_);
            if (++arrived_ > expected_) return;  // the meeting is over
            arrivedChanged_.notify_all();
            if (arrivedChanged_.wait_for(lock, std::chrono::seconds(10), [this] { return arrived_ >= expected_; }))
                ++met_;
        };
    }
    int Met() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return met_;
    }

private:
    const int expected_;
    mutable std::mutex mutex_;
    std::condition_variable arrivedChanged_;
    int arrived_ = 0;
    int met_ = 0;
};

std::string Said(const std::string& message) {
    return "lq3860ctl: " + message + "\n";
}

class AllModules : public ::testing::Test {
protected:
    AllModules() {
        platform_.readWait.Replace([](unsigned) {});
    }

    ToolRun Run(
        const std::vector<std::string>& arguments, PauseFunction pause = [](unsigned) {}, bool ownModules = false) {
        std::ostringstream out, err;
        const int status = RunTool(arguments, out, err, {ownModules ? nullptr : &platform_, std::move(pause)});
        return {status, out.str(), err.str()};
    }
    SimulatedInterface& Module(const char16_t* name, ModuleParamSet params = ModuleParamSet{}) {
        SimulatedInterface& module = platform_.AddModule(std::u16string(name));
        module.module->Behaviour().SetParams(params);
        return module;
    }

    SimulatedPlatform platform_;
    TempDir dir_;
};

// Sets the read and the window would save unchanged: AP, a channel, WEP64 with its key.
ModuleParamSet Params(std::uint8_t channel, const char* ssid) {
    ModuleParamSet params{.mode = MODE_AP, .channel = channel, .encryption = 1, .key = "abcdefghij"};
    StoreParamText(params.ssid, ssid);
    params.mac[0] = 2;
    params.mac[5] = channel;
    return params;
}

TEST_F(AllModules, EveryModuleRunsAtTheSameTimeOnItsOwnLink) {
    for (const char16_t* name : {u"A", u"B", u"C"}) Module(name);
    platform_.Interface(1).module->Behaviour().SetSignalLevel('1');
    Meeting meeting(3);  // the 2000 ms wait before each signal reply
    EXPECT_EQ(Run({"--all", "signal"}, meeting.Pause()),
              (ToolRun{0, "0\tA\tsignal 3\n1\tB\tsignal 1\n2\tC\tsignal 3\n", ""}));
    EXPECT_EQ(meeting.Met(), 3);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(platform_.Interface(i).written.size(), 1u) << i;
}

TEST_F(AllModules, FailingModulesFailAloneWithTheirOwnMessagesAndTheWorstStatus) {
    if (!JsonReaderAvailable()) GTEST_SKIP() << "no python3 here to read the JSON back";
    Module(u"A");
    Module(u"Silent").module->faults.silent = true;
    Module(u"Cut").failWrite = true;
    Module(u"Refusing").module->nextReply = HidReport{};
    Module(u"Tab\tname");
    const ToolRun text = Run({"--all", "info"});
    EXPECT_EQ(text,
              (ToolRun{1,
                       "0\tA\tversion 1.1\n0\tA\tdate 2026/12/06\n"
                       "4\tTab\\tname\tversion 1.1\n4\tTab\\tname\tdate 2026/12/06\n",
                       Said("1\tSilent\tHID_Read Err") + Said("2\tCut\tHID_Write Err") + Said("3\tRefusing\tNG")}));
    platform_.Interface(3).module->nextReply = HidReport{};
    const ToolRun json = Run({"--json", "--all", "info"});
    EXPECT_EQ(json.err, text.err);
    EXPECT_EQ(DecodeJson(json.out), R"([{"date":"2026/12/06","name":"A","slot":0,"status":0,"version":"1.1"},)"
                                    R"({"error":"HID_Read Err","name":"Silent","slot":1,"status":1},)"
                                    R"({"error":"HID_Write Err","name":"Cut","slot":2,"status":1},)"
                                    R"({"error":"NG","name":"Refusing","slot":3,"status":1},)"
                                    R"({"date":"2026/12/06","name":"Tab\tname","slot":4,"status":0,"version":"1.1"}])");
    // --verbose: each module's debug texts carry its slot and name.
    const std::string verbose = Run({"-v", "--all", "signal"}).err;
    EXPECT_EQ(verbose.find(Said("0\tA\tHID_Open") + Said("0\tA\tOK")), 0u) << verbose;
    EXPECT_NE(verbose.find(Said("1\tSilent\tHID_Open") + Said("1\tSilent\tHID_Read Err")), std::string::npos);
}

TEST_F(AllModules, ReadSavesOneByteExactFilePerModuleNumberedBySlot) {
    Module(u"A", Params(3, "first"));
    Module(u"Pulled", Params(4, "second")).module->faults.unplugAfterReports = 1;  // gone after "AT+iRP1"
    Module(u"C", Params(11, "third \"net\""));
    const std::string save = dir_.File("backup.txt");
    EXPECT_EQ(Run({"--all", "read", "--save", save}), (ToolRun{1, "", Said("1\tPulled\tDownload Parameter NG")}));
    EXPECT_EQ(ReadWholeFile(dir_.File("backup-0.txt")), FormatConfiguration(Params(3, "first")));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("backup-1.txt")));
    EXPECT_EQ(ReadWholeFile(dir_.File("backup-2.txt")), FormatConfiguration(Params(11, "third \"net\"")));
    EXPECT_FALSE(std::filesystem::exists(save));

    // Without --save each module's nine lines, each with the module's slot and name.
    const ToolRun printed = Run({"--all", "read"});
    std::string expected;
    std::istringstream lines(FormatConfiguration(Params(3, "first")));
    for (std::string line; std::getline(lines, line);) expected += "0\tA\t" + line + "\n";
    EXPECT_EQ(printed.out.substr(0, expected.size()), expected);
}

TEST_F(AllModules, WriteChecksTheFileOnceThenEveryModuleTakesIt) {
    for (const char16_t* name : {u"A", u"B", u"C"}) Module(name);
    platform_.Interface(1).module->faults.unplugAfterReports = 2;  // the handshake and the first report arrive
    const std::string refused = dir_.File("refused.txt");
    WriteWholeFile(refused, FormatConfiguration(ModuleParamSet{.mode = MODE_AP, .channel = 1, .encryption = 2}));
    EXPECT_EQ(Run({"--all", "write", refused}), (ToolRun{3, "", Said("The KEY must be 26 characters!")}));
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(platform_.Interface(i).openCount, 0) << i;

    const std::string file = dir_.File("params.txt");
    WriteWholeFile(file, FormatConfiguration(Params(9, "written")));
    Meeting meeting(3);  // the first wait after each first parameter report
    EXPECT_EQ(
        Run({"--all", "write", file}, meeting.Pause()),
        (ToolRun{1, "0\tA\tUpload Parameter OK\n2\tC\tUpload Parameter OK\n", Said("1\tB\tUpload Parameter NG")}));
    EXPECT_EQ(meeting.Met(), 3);
    for (std::size_t i : {0u, 2u}) {
        EXPECT_EQ(FormatConfiguration(platform_.Interface(i).module->Behaviour().Params()),
                  FormatConfiguration(Params(9, "written")))
            << i;
    }
}

TEST_F(AllModules, OwnSimulatedModulesKeepOneMemoryFileEach) {
    if (!JsonReaderAvailable()) GTEST_SKIP() << "no python3 here to read the JSON back";
    const std::vector<std::string> simulate = {"--simulate", "--modules", "3", "--state", dir_.File("memory.txt")};
    const auto sim = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), simulate.begin(), simulate.end());
        return Run(
            arguments, [](unsigned) {}, true);
    };
    const std::string file = dir_.File("params.txt");
    WriteWholeFile(file, FormatConfiguration(Params(5, "kept")));
    EXPECT_EQ(sim({"--device", "1", "write", file}), (ToolRun{0, "Upload Parameter OK\n", ""}));
    EXPECT_EQ(ReadWholeFile(dir_.File("memory-1.txt")), FormatConfiguration(Params(5, "kept")));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("memory-0.txt")));
    const ToolRun read = sim({"--all", "--json", "read"});
    EXPECT_EQ(read.status, 0) << read.err;
    const std::optional<std::string> decoded = DecodeJson(read.out);
    ASSERT_TRUE(decoded.has_value()) << read.out;
    // Slot 1 kept what was written; the others keep their defaults.
    const auto occurrences = [&decoded](const std::string& part) {
        int count = 0;
        for (std::size_t at = decoded->find(part); at != std::string::npos; at = decoded->find(part, at + 1)) ++count;
        return count;
    };
    EXPECT_EQ(occurrences(R"j("name":"LQ-3860 (simulated)","slot":1,"ssid":"kept","status":0)j"), 1) << *decoded;
    EXPECT_EQ(occurrences(R"("ssid":"LQ-3860","status":0)"), 2) << *decoded;
}

TEST_F(AllModules, NoModuleIsAFailureThatSaysWhy) {
    EXPECT_EQ(Run({"--all", "--json", "info"}), (ToolRun{1, "", Said("No LQ-3860 module found.")}));
    Module(u"Locked").denyAccess = true;
    EXPECT_EQ(Run({"--all", "signal"}),
              (ToolRun{1, "", Said("No LQ-3860 module found.") + Said(DEVICE_ACCESS_DENIED_MESSAGE)}));
}

}  // namespace

}  // namespace lq3860
