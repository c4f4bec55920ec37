// SPDX-License-Identifier: MIT
// --all: info, signal, read and write on every listed module at once, on
// injected simulated modules (pauses met by all modules, not slept) or on the
// tool's own --simulate --modules N.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "device/device_messages.h"
#include "device/hid_device_table.h"
#include "params/config_file.h"
#include "tool_fixture.h"

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

// Sets the read and the window would save unchanged: AP, a channel, WEP64 with its key.
ModuleParamSet Params(std::uint8_t channel, const char* ssid) {
    ModuleParamSet params{.mode = MODE_AP, .channel = channel, .encryption = 1, .key = "abcdefghij"};
    StoreParamText(params.ssid, ssid);
    params.mac[0] = 2;
    params.mac[5] = channel;
    return params;
}

// Every line of `text` after `prefix` (a module's slot, a tab, its name and a tab).
std::string Prefixed(const std::string& prefix, const std::string& text) {
    std::string lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines += prefix + line + "\n";
    return lines;
}

class AllModules : public ToolTest {
protected:
    SimulatedInterface& Module(const char16_t* name, ModuleParamSet params = ModuleParamSet{}) {
        SimulatedInterface& module = platform_.AddModule(std::u16string(name));
        module.module->Behaviour().SetParams(params);
        return module;
    }
};

TEST_F(AllModules, EveryModuleRunsAtTheSameTimeOnItsOwnLink) {
    for (const char16_t* name : {u"A", u"B", u"C"}) Module(name);
    platform_.Interface(1).module->Behaviour().SetSignalLevel('1');
    Meeting meeting(3);  // the 2000 ms wait before each signal reply
    pause_ = meeting.Pause();
    EXPECT_EQ(Run({"--all", "signal"}), (ToolRun{0, "0\tA\tsignal 3\n1\tB\tsignal 1\n2\tC\tsignal 3\n", ""}));
    EXPECT_EQ(meeting.Met(), 3);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(platform_.Interface(i).written.size(), 1u) << i;
}

TEST_F(AllModules, FailingModulesFailAloneWithTheirOwnMessagesAndTheWorstStatus) {
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
    EXPECT_EQ(Run({"--json", "--all", "info"}),
              (ToolRun{1,
                       R"([{"slot":0,"name":"A","status":0,"version":"1.1","date":"2026/12/06"},)"
                       R"({"slot":1,"name":"Silent","status":1,"error":"HID_Read Err"},)"
                       R"({"slot":2,"name":"Cut","status":1,"error":"HID_Write Err"},)"
                       R"({"slot":3,"name":"Refusing","status":1,"error":"NG"},)"
                       R"({"slot":4,"name":"Tab\tname","status":0,"version":"1.1","date":"2026/12/06"}])"
                       "\n",
                       text.err}));
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
    // Without --save each module's nine lines, each with the module's slot and name (the pulled one is gone).
    EXPECT_EQ(Run({"--all", "read"}), (ToolRun{0,
                                               Prefixed("0\tA\t", FormatConfiguration(Params(3, "first"))) +
                                                   Prefixed("1\tC\t", FormatConfiguration(Params(11, "third \"net\""))),
                                               ""}));
    // Only a regular file's name can be numbered; nothing is read otherwise.
    for (const std::string& path : {std::string("-"), std::string("/dev/stdout"), dir_.path, dir_.path + "/"}) {
        EXPECT_EQ(Run({"--all", "read", "--save", path}),
                  (ToolRun{2, "",
                           Said(path + ": --all saves one file per module, numbered after a regular file's name; a "
                                       "folder, stream or device cannot be numbered")}));
    }
    EXPECT_EQ(platform_.Interface(0).written.size(), 4u);  // the two reads above
}

TEST_F(AllModules, WriteChecksTheFileOnceThenEveryModuleTakesIt) {
    for (const char16_t* name : {u"A", u"B", u"C"}) Module(name);
    platform_.Interface(1).module->faults.unplugAfterReports = 2;  // the handshake and the first report arrive
    const std::string refused =
        File("refused.txt", FormatConfiguration(ModuleParamSet{.mode = MODE_AP, .channel = 1, .encryption = 2}));
    EXPECT_EQ(Run({"--all", "write", refused}), (ToolRun{3, "", Said("The KEY must be 26 characters!")}));
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(platform_.Interface(i).openCount, 0) << i;

    const std::string file = File("params.txt", FormatConfiguration(Params(9, "written")));
    Meeting meeting(3);  // the first wait after each first parameter report
    pause_ = meeting.Pause();
    EXPECT_EQ(Run({"--all", "write", file}), (ToolRun{1, "0\tA\tUpload Parameter OK\n2\tC\tUpload Parameter OK\n",
                                                      Said("1\tB\tUpload Parameter NG")}));
    EXPECT_EQ(meeting.Met(), 3);
    for (std::size_t i : {0u, 2u}) {
        EXPECT_EQ(FormatConfiguration(platform_.Interface(i).module->Behaviour().Params()),
                  FormatConfiguration(Params(9, "written")))
            << i;
    }
}

// Slot 1 keeps what was written in its own memory file; the others keep their defaults.
TEST_F(AllModules, OwnSimulatedModulesKeepOneMemoryFileEach) {
    const std::vector<std::string> simulate = {"--simulate", "--modules", "3", "--state", dir_.File("memory.txt")};
    const auto sim = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), simulate.begin(), simulate.end());
        return Run(arguments);
    };
    const std::string kept = FormatConfiguration(Params(5, "kept"));
    EXPECT_EQ(sim({"--device", "1", "write", File("params.txt", kept)}), (ToolRun{0, "Upload Parameter OK\n", ""}));
    EXPECT_EQ(ReadWholeFile(dir_.File("memory-1.txt")), kept);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("memory-0.txt")));
    const std::string name = "\tLQ-3860 (simulated)\t";
    EXPECT_EQ(sim({"--all", "read"}), (ToolRun{0,
                                               Prefixed("0" + name, FRESH_MODULE) + Prefixed("1" + name, kept) +
                                                   Prefixed("2" + name, FRESH_MODULE),
                                               ""}));
}

TEST_F(AllModules, NoModuleIsAFailureThatSaysWhy) {
    EXPECT_EQ(Run({"--all", "--json", "info"}), (ToolRun{1, "[]\n", Said("No LQ-3860 module found.")}));
    Module(u"Locked").denyAccess = true;
    EXPECT_EQ(Run({"--all", "signal"}),
              (ToolRun{1, "", Said("No LQ-3860 module found.") + Said(DEVICE_ACCESS_DENIED_MESSAGE)}));
}

// The table holds 10 modules, as the window's list: the eleventh is told
// about, and --all, which would leave it out, fails.
TEST_F(AllModules, MoreModulesThanTheTableHoldsAreToldAndFailAll) {
    const std::string more = Said("1 more LQ-3860 module(s) attached than the 10 this program works on.");
    for (int i = 0; i < HID_MAX_DEVICES + 1; ++i) Module(u"M");
    const ToolRun list = Run({"list"});
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), HID_MAX_DEVICES);
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.err, more);
    const ToolRun all = Run({"--all", "signal"});
    EXPECT_EQ(all, (ToolRun{1, all.out, more}));
    EXPECT_EQ(all.out.find("10\tM"), std::string::npos);
    EXPECT_NE(all.out.find("9\tM\tsignal 3\n"), std::string::npos);
    EXPECT_EQ(platform_.Interface(HID_MAX_DEVICES).openCount, 0);
}

}  // namespace

}  // namespace lq3860
