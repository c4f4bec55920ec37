// SPDX-License-Identifier: MIT
// --all: info, signal, read and write on every listed module at once, on
// injected simulated modules (pauses met by all modules, not slept).
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <latch>
#include <thread>

#include "device/device_messages.h"
#include "params/config_file.h"
#include "tool_fixture.h"

namespace lq3860 {

namespace {

// Sets the read and the window would save unchanged: AP, a channel, WEP64 with its key.
ModuleParamSet Params(std::uint8_t channel, const char* ssid) {
    ModuleParamSet params{.mode = MODE_AP, .channel = channel, .encryption = 1, .key = "abcdefghij"};
    StoreParamText(params.ssid, ssid);
    params.mac[5] = channel;
    return params;
}

class AllModules : public ToolTest {
protected:
    SimulatedInterface& Module(const char16_t* name) { return platform_.AddModule(std::u16string(name)); }
};

// The first wait of each module (the 2000 ms before the signal reply)
// returns once all three are under way, or after ten seconds: modules that
// run one after another never meet.
TEST_F(AllModules, EveryModuleRunsAtTheSameTimeOnItsOwnLink) {
    for (const char16_t* name : {u"A", u"B", u"C"}) Module(name);
    platform_.Interface(1).module->Behaviour().SetSignalLevel('1');
    std::latch meeting(3);
    std::atomic<int> arrived = 0, met = 0;
    pause_ = [&](unsigned) {
        if (++arrived > 3) return;
        meeting.count_down();
        for (int i = 0; i < 1000 && !meeting.try_wait(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        met += meeting.try_wait();
    };
    EXPECT_EQ(Run({"--all", "signal"}), (ToolRun{0, "0\tA\tsignal 3\n1\tB\tsignal 1\n2\tC\tsignal 3\n", ""}));
    EXPECT_EQ(met, 3);
}

// Each failing module has its own status and error code; the run's status
// is theirs when they agree, 1 when they differ.
TEST_F(AllModules, FailingModulesFailAloneWithTheirOwnMessagesAndStatuses) {
    Module(u"A");
    Module(u"Silent").module->faults.silent = true;
    Module(u"Cut").failWrite = true;
    Module(u"Junk").module->faults.garbageReplies = true;
    Module(u"Short").module->faults.replyPayloadBytes = 16;  // cut before the O and K
    Module(u"Tab\tname");
    const std::string errors =
        Said("1\tSilent\tHID_Read Err") + Said("2\tCut\tHID_Write Err") + Said("3\tJunk\tNG") + Said("4\tShort\tNG");
    EXPECT_EQ(Run({"--all", "info"}), (ToolRun{1,
                                               "0\tA\tversion 1.1\n0\tA\tdate 2026/12/06\n"
                                               "5\tTab\\tname\tversion 1.1\n5\tTab\\tname\tdate 2026/12/06\n",
                                               errors}));
    EXPECT_EQ(
        Run({"--json", "--all", "info"}),
        (ToolRun{
            1,
            R"([{"slot":0,"name":"A","path":"sim:0","status":0,"version":"1.1","date":"2026/12/06"},)"
            R"({"slot":1,"name":"Silent","path":"sim:1","status":7,"error":"timeout","message":"HID_Read Err"},)"
            R"({"slot":2,"name":"Cut","path":"sim:2","status":1,"error":"write-failed","message":"HID_Write Err"},)"
            R"({"slot":3,"name":"Junk","path":"sim:3","status":8,"error":"ng-reply","message":"NG"},)"
            R"({"slot":4,"name":"Short","path":"sim:4","status":8,"error":"malformed-reply","message":"NG"},)"
            R"({"slot":5,"name":"Tab\tname","path":"sim:5","status":0,"version":"1.1","date":"2026/12/06"}])"
            "\n",
            errors}));
    platform_.Interface(2).failWrite = false;
    platform_.Interface(1).module->faults = {};
    EXPECT_EQ(Run({"--all", "info"}).status, 8);
    // --verbose: each module's debug texts carry its slot and name.
    EXPECT_EQ(Run({"-v", "--all", "signal"}).err.find(Said("0\tA\tHID_Open") + Said("0\tA\tOK")), 0u);
}

TEST_F(AllModules, ReadSavesOneByteExactFilePerModuleNumberedBySlot) {
    Module(u"A").module->Behaviour().SetParams(Params(3, "first"));
    Module(u"Pulled").module->faults.unplugAfterReports = 1;  // gone after "AT+iRP1"
    Module(u"C").module->Behaviour().SetParams(Params(11, "third \"net\""));
    EXPECT_EQ(Run({"--all", "read", "--save", dir_.File("backup.txt")}),
              (ToolRun{1, "", Said("1\tPulled\tDownload Parameter NG")}));
    EXPECT_EQ(ReadWholeFile(dir_.File("backup-0.txt")), FormatConfiguration(Params(3, "first")));
    EXPECT_EQ(ReadWholeFile(dir_.File("backup-2.txt")), FormatConfiguration(Params(11, "third \"net\"")));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("backup-1.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("backup.txt")));
    // Only a regular file's name can be numbered; nothing is read otherwise.
    for (const std::string& path : {std::string("-"), std::string("/dev/stdout"), dir_.path, dir_.path + "/"}) {
        EXPECT_EQ(Run({"--all", "read", "--save", path}),
                  (ToolRun{2, "",
                           Said(path + ": --all saves one file per module, numbered after a regular file's name; a "
                                       "folder, stream or device cannot be numbered")}));
    }
    EXPECT_EQ(platform_.Interface(0).written.size(), 2u);  // the read above
}

// On a terminal each module's lines are escaped exactly as a single
// module's are, behind the slot and name.
TEST_F(AllModules, ReadOnATerminalEscapesEachModuleLikeOne) {
    Module(u"A").module->Behaviour().SetParams(Params(3, "a\x1b]0;x\a\x9b"));
    terminal_ = true;
    std::istringstream one(Run({"read"}).out);
    std::string expected;
    for (std::string line; std::getline(one, line);) expected += "0\tA\t" + line + "\n";
    EXPECT_NE(expected.find("a\\x1b]0;x\\a\\x9b,"), std::string::npos) << expected;
    EXPECT_EQ(Run({"--all", "read"}), (ToolRun{0, expected, ""}));
}

TEST_F(AllModules, WriteChecksTheFileOnceThenEveryModuleTakesIt) {
    for (const char16_t* name : {u"A", u"B", u"C"}) Module(name);
    platform_.Interface(1).module->faults.unplugAfterReports = 2;  // the handshake and the first report arrive
    EXPECT_EQ(Run({"--all", "write", File("refused.txt", ConfigText("00,01,02,", "x", "short"))}),
              (ToolRun{3, "", Said("The KEY must be 26 characters!")}));
    EXPECT_EQ(platform_.Interface(0).openCount, 0);
    EXPECT_EQ(platform_.Interface(2).openCount, 0);
    EXPECT_EQ(
        Run({"--all", "write", File("params.txt", FormatConfiguration(Params(9, "written")))}),
        (ToolRun{1, "0\tA\tUpload Parameter OK\n2\tC\tUpload Parameter OK\n", Said("1\tB\tUpload Parameter NG")}));
    for (std::size_t i : {0u, 2u})
        EXPECT_EQ(FormatConfiguration(platform_.Interface(i).module->Behaviour().Params()),
                  FormatConfiguration(Params(9, "written")));
}

TEST_F(AllModules, NoModuleIsAFailureThatSaysWhy) {
    EXPECT_EQ(Run({"--all", "--json", "info"}), (ToolRun{5, "[]\n", Said("No LQ-3860 module found.")}));
    Module(u"Locked").denyAccess = true;
    EXPECT_EQ(Run({"--all", "signal"}),
              (ToolRun{5, "", Said("No LQ-3860 module found.") + Said(DEVICE_ACCESS_DENIED_MESSAGE)}));
}

// The table holds 10 modules, as the window's list: the eleventh is told
// about, and --all, which would leave it out, fails.
TEST_F(AllModules, MoreModulesThanTheTableHoldsAreToldAndFailAll) {
    for (int i = 0; i < 11; ++i) Module(u"M");
    const std::string more = Said("1 more LQ-3860 module(s) attached than the 10 this program works on.");
    const ToolRun list = Run({"list"}), all = Run({"--all", "signal"});
    EXPECT_EQ(list, (ToolRun{0, list.out, more}));
    EXPECT_EQ(all, (ToolRun{1, all.out, more}));
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 10);
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 10);
    EXPECT_EQ(platform_.Interface(10).openCount, 0);
}

}  // namespace

}  // namespace lq3860
